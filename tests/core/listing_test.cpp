// The two tab-separated files of the shown list: the text listing, and the
// print feed with the report window's line table.

#include <gtest/gtest.h>

#include "core/listing.h"
#include "core/print_feed.h"
#include "store/text.h"
#include "tests/support/temp_store.h"

namespace shenbao::testing {
namespace {

const std::string kHeaderLine = Gbk("项目序号\t项目名称\t承担单位\t主管部门\t计划类别\t申请人\t省拨"
                                    "款(万元)\t申报时间\t项目领域\t") +
                                "\r\n";

TEST(Listing, TextHasNineFieldsAndNineTabsPerLine) {
    EXPECT_EQ(ListingText({}), kHeaderLine);
    ListRow row = {"IDNOTSHOWN", "1", Gbk("名称"), "unit", "", "", "", "3.5", "2001-07-16", "x"};
    ListRow empty;
    EXPECT_EQ(ListingText({row, empty}), kHeaderLine + "1\t" + Gbk("名称") +
                                             "\tunit\t\t\t\t3.5\t2001-07-16\tx\t\r\n" +
                                             "\t\t\t\t\t\t\t\t\t\r\n");
}

// Project n of a shown list, every cell filled.
ListRow Project(int n) {
    const std::string number = std::to_string(n);
    return {"ID" + number,     number,          Gbk("项目") + number, Gbk("单位"),
            Gbk("澄阳市科委"), Gbk("星火计划"), Gbk("张三"),          "12.5",
            "2001-07-16",      Gbk("现代农业")};
}

const std::string kClosingLine = "\t\t\t\t\t\t\t\t\t\r\n";

TEST(PrintFeed, NineFieldsEachWithATabPerRowThenTheClosingLine) {
    EXPECT_EQ(PrintFeedText({}), kClosingLine);
    ListRow sparse;
    sparse[0] = "NOTSHOWN";
    sparse[2] = " " + Gbk("名称") + " ";
    EXPECT_EQ(PrintFeedText({Project(1), sparse}),
              "1\t" + Gbk("项目") + "1\t" + Gbk("单位") + "\t" + Gbk("澄阳市科委") + "\t" +
                  Gbk("星火计划") + "\t" + Gbk("张三") + "\t12.5\t2001-07-16\t" + Gbk("现代农业") +
                  "\t\r\n" + "\t " + Gbk("名称") + " \t\t\t\t\t\t\t\t\r\n" + kClosingLine);

    TempStore store;
    store.Write("tarvok07.zzj", "old text that is longer than the new feed\r\n");
    EXPECT_EQ(WritePrintFeed(store.dir(), {Project(2)}), store.path("tarvok07.zzj"));
    EXPECT_EQ(store.Read("tarvok07.zzj"), PrintFeedText({Project(2)}));
    EXPECT_EQ(ReadPrintFeed(store.dir()),
              (std::vector<std::string>{SplitLines(PrintFeedText({Project(2)}))}));

    // The feed is read back byte for byte: a first serial number that begins
    // with the bytes of a UTF-8 byte-order mark ("锘" and a character of lead
    // byte BF in GBK) keeps them.
    ListRow marked = Project(3);
    marked[1] = Gbk("锘快") + "3";
    ASSERT_TRUE(marked[1].starts_with(kUtf8ByteOrderMark));
    WritePrintFeed(store.dir(), {marked});
    PrintFeedCursor feed(ReadPrintFeed(store.dir()));
    PrintedRow fields;
    ASSERT_TRUE(feed.NeedData(fields));
    EXPECT_EQ(fields[0], marked[1]);
}

TEST(PrintFeed, AMissingFeedReadsAsNoLines) {
    TempStore store;
    EXPECT_TRUE(ReadPrintFeed(store.dir()).empty());
}

TEST(PrintFeedCursor, HandsOutTheLinesInOrderAndNeverPrintsTheClosingLine) {
    PrintFeedCursor feed(SplitLines(PrintFeedText({Project(1), Project(2)})));
    ASSERT_EQ(feed.lineCount(), 3u);
    PrintedRow row;
    for (int run = 0; run < 2; ++run) {
        feed.BeforeRun();
        EXPECT_EQ(feed.cursor(), 0u);
        ASSERT_TRUE(feed.NeedData(row));
        EXPECT_EQ(row, (PrintedRow{"1", Gbk("项目") + "1", Gbk("单位"), Gbk("澄阳市科委"),
                                   Gbk("星火计划"), Gbk("张三"), "12.5"}));
        ASSERT_TRUE(feed.NeedData(row));
        EXPECT_EQ(row[0], "2");
        EXPECT_FALSE(feed.NeedData(row));
        EXPECT_EQ(row, PrintedRow{});
        EXPECT_EQ(feed.cursor(), 3u);
    }
    // Short lines give empty fields; past the table everything is empty.
    PrintFeedCursor odd({"a\tb", "x", "y"});
    ASSERT_TRUE(odd.NeedData(row));
    EXPECT_EQ(row, (PrintedRow{"a", "b"}));
    row.fill("stale");
    ASSERT_TRUE(odd.NeedData(row));
    EXPECT_EQ(row, (PrintedRow{"x"}));
    EXPECT_FALSE(odd.NeedData(row));
    EXPECT_FALSE(odd.NeedData(row));
    EXPECT_EQ(row, PrintedRow{});

    PrintFeedCursor none;
    EXPECT_FALSE(none.NeedData(row));
}

}  // namespace
}  // namespace shenbao::testing
