// The print feed, the report window's line table, and the layout of the
// printed project list laid out from a feed.

#include <gtest/gtest.h>

#include "output/print_feed.h"
#include "output/print_report.h"
#include "output/printa.h"
#include "platform/gui/fonts.h"
#include "store/text.h"
#include "tests/report/report_support.h"
#include "tests/support/temp_store.h"

namespace shenbao::testing {
namespace {

using report::BandKind;

ListRow Project(int n, const std::string& name = {}, const std::string& unit = {}) {
    ListRow row;
    row[0] = "ID" + std::to_string(n);
    row[1] = std::to_string(n);
    row[2] = name.empty() ? Gbk("项目") + std::to_string(n) : name;
    row[3] = unit.empty() ? Gbk("单位") : unit;
    row[4] = Gbk("澄阳市科委");
    row[5] = Gbk("星火计划");
    row[6] = Gbk("张三");
    row[7] = "12.5";
    row[8] = "2001-07-16";
    row[9] = Gbk("现代农业");
    return row;
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

class ProjectListLayout : public ::testing::Test {
  protected:
    void SetUp() override { ExpectSongFace(SongPointFont(9)); }

    report::ReportDocument LayOut(const std::vector<ListRow>& rows) {
        feed = PrintFeedCursor(SplitLines(PrintFeedText(rows)));
        return report::LayOutReport(ProjectListReport(), FeedSource(feed), printedAt);
    }

    static std::vector<ListRow> Projects(int count) {
        std::vector<ListRow> rows;
        for (int i = 1; i <= count; ++i) {
            rows.push_back(Project(i));
        }
        return rows;
    }

    PrintFeedCursor feed;
    const QDateTime printedAt{QDate(2001, 7, 16), QTime(9, 30, 15)};
};

// Short texts never wrap: every row is 5.56 mm high. Page 1 has 190 mm less
// title (10.58), header (6.35) and footer (6.88): room for 29 rows; the
// following pages 31.
TEST_F(ProjectListLayout, KProjectsGiveKRowsInListOrderOverTheRightPages) {
    struct Case {
        int projects;
        int pages;
    };
    for (const Case c :
         {Case{0, 1}, Case{1, 1}, Case{29, 1}, Case{30, 2}, Case{60, 2}, Case{61, 3}}) {
        SCOPED_TRACE(c.projects);
        const report::ReportDocument document = LayOut(Projects(c.projects));
        ASSERT_EQ(static_cast<int>(document.pages.size()), c.pages);
        int next = 1;
        for (const report::ReportPage& page : document.pages) {
            SCOPED_TRACE(page.number);
            const auto details = Bands(page, BandKind::Detail);
            const std::size_t expected = page.number == 1 ? 29 : 31;
            if (page.number < c.pages) {
                EXPECT_EQ(details.size(), expected);
            }
            for (const report::PlacedBand* band : details) {
                EXPECT_EQ(band->field(PrintDetailField(1))->shownText(), QString::number(next));
                EXPECT_EQ(band->field(PrintDetailField(2))->shownText(),
                          QStringLiteral("项目%1").arg(next));
                EXPECT_DOUBLE_EQ(band->rect.height(), 5.56);
                ++next;
            }
        }
        EXPECT_EQ(next, c.projects + 1);
    }
}

TEST_F(ProjectListLayout, TitleOnceCaptionsAndFooterOnEveryPageAtTheirPlaces) {
    const report::ReportDocument document = LayOut(Projects(70));
    ASSERT_EQ(document.pages.size(), 3u);
    const QStringList captions = {QStringLiteral("序号"),     QStringLiteral("项目名称"),
                                  QStringLiteral("承担单位"), QStringLiteral("主管部门"),
                                  QStringLiteral("计划类别"), QStringLiteral("申请人"),
                                  QStringLiteral("省拨款")};
    for (const report::ReportPage& page : document.pages) {
        SCOPED_TRACE(page.number);
        const PageFrame frame = FrameBands(page);
        ASSERT_TRUE(frame.header && frame.footer);
        const report::PlacedBand& header = *frame.header;
        EXPECT_DOUBLE_EQ(header.rect.top(), page.number == 1 ? 20.58 : 10.0);
        EXPECT_DOUBLE_EQ(header.rect.height(), 6.35);
        EXPECT_TRUE(header.ruleTop);
        EXPECT_TRUE(header.ruleBottom);
        for (int c = 1; c <= 7; ++c) {
            const report::PlacedField* caption = header.field(PrintCaptionField(c));
            ASSERT_NE(caption, nullptr);
            EXPECT_EQ(caption->shownText(), captions[c - 1]);
            EXPECT_DOUBLE_EQ(caption->box.top(), header.rect.top() + 0.53);
            EXPECT_DOUBLE_EQ(caption->box.height(), 4.50);
            EXPECT_EQ(caption->font.family(), QStringLiteral("宋体"));
            EXPECT_EQ(caption->font.pointSize(), 9);
        }
        // Columns 6 and 7 sit differently in the header and the rows.
        const report::PlacedBand& row = *Bands(page, BandKind::Detail)[0];
        EXPECT_DOUBLE_EQ(header.field(PrintCaptionField(6))->box.left(), 10 + 245.00);
        EXPECT_DOUBLE_EQ(row.field(PrintDetailField(6))->box.left(), 10 + 245.53);
        EXPECT_DOUBLE_EQ(header.field(PrintCaptionField(7))->box.width(), 12.96);
        EXPECT_DOUBLE_EQ(row.field(PrintDetailField(7))->box.width(), 13.49);
        EXPECT_DOUBLE_EQ(row.field(PrintDetailField(3))->box.left(), 10 + 123.30);
        EXPECT_DOUBLE_EQ(row.field(PrintDetailField(3))->box.width(), 60.59);
        EXPECT_DOUBLE_EQ(row.field(PrintDetailField(2))->box.top(), row.rect.top() + 0.53);

        const report::PlacedBand& footer = *frame.footer;
        EXPECT_DOUBLE_EQ(footer.rect.top(), 200 - 6.88);
        EXPECT_TRUE(footer.ruleTop);
        EXPECT_FALSE(footer.ruleBottom);
        const report::PlacedField* number = footer.field(PrintPageNumberField());
        EXPECT_EQ(number->shownText(), QString::number(page.number));
        EXPECT_DOUBLE_EQ(number->box.left(), 10 + 4.76);
        EXPECT_DOUBLE_EQ(number->box.top(), footer.rect.top() + 1.59);
        EXPECT_EQ(number->font.pointSize(), 9);
        const report::PlacedField* moment = footer.field(PrintDateTimeField());
        EXPECT_EQ(moment->shownText(), report::DateTimeText(printedAt));
        EXPECT_DOUBLE_EQ(moment->box.left(), 10 + 225.95);
        EXPECT_DOUBLE_EQ(moment->box.top(), footer.rect.top() + 1.06);
        EXPECT_EQ(moment->font.pointSize(), 8);
    }
    const report::PlacedField* title =
        Bands(document.pages[0], BandKind::Title)[0]->field(PrintTitleField());
    EXPECT_EQ(title->shownText(), QStringLiteral("澄川省计划项目清单"));
    EXPECT_EQ(title->font.pointSize(), 16);
    EXPECT_FALSE(title->font.bold());
    EXPECT_NEAR(title->box.center().x(), 148.5, 1e-9);
    EXPECT_DOUBLE_EQ(title->box.top(), 10 + 2.12);
}

TEST_F(ProjectListLayout, OnlyTheOrganisationGrowsAndDateAndFieldAreNotPrinted) {
    const std::string longUnit =
        Gbk("澄川大学机械工程学院流体机械研究所暨省重点实验室联合研究中心");
    const std::string longName =
        Gbk("面向山区小水电站水轮机组的自适应控制与故障诊断关键技术研究及示范应用推广项目"
            "（第二期）Research on Adaptive Control");
    const report::ReportDocument document =
        LayOut({Project(1, {}, longUnit), Project(2, longName), Project(3)});
    const auto rows = Bands(document.pages[0], BandKind::Detail);
    ASSERT_EQ(rows.size(), 3u);

    const report::PlacedField* unit = rows[0]->field(PrintDetailField(3));
    EXPECT_GE(unit->lines.size(), 2u);
    EXPECT_EQ(unit->shownText(),
              QStringLiteral("澄川大学机械工程学院流体机械研究所暨省重点实验室联合研究中心"));
    EXPECT_GT(rows[0]->rect.height(), 5.56);
    EXPECT_NEAR(rows[0]->rect.height(), 5.56 + unit->box.height() - 4.50, 1e-9);
    for (int c : {1, 2, 4, 5, 6, 7}) {
        EXPECT_DOUBLE_EQ(rows[0]->field(PrintDetailField(c))->box.height(), 4.50);
    }

    EXPECT_DOUBLE_EQ(rows[1]->rect.height(), 5.56);
    EXPECT_EQ(rows[1]->field(PrintDetailField(2))->lines.size(), 1u);
    EXPECT_DOUBLE_EQ(rows[2]->rect.top(), rows[1]->rect.bottom());

    for (const report::PlacedBand* row : rows) {
        for (const report::PlacedField& field : row->fields) {
            EXPECT_NE(field.shownText(), QStringLiteral("2001-07-16"));
            EXPECT_NE(field.shownText(), QStringLiteral("现代农业"));
        }
    }
}

}  // namespace
}  // namespace shenbao::testing
