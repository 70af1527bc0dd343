#include <gtest/gtest.h>

#include "core/query_filter.h"
#include "tests/support/temp_store.h"

namespace shenbao {
namespace {

using testing::Gbk;

ListRow WithCell(ListColumn column, const std::string& text, const std::string& id = "ID") {
    ListRow row;
    row[ListColumn::Id] = id;
    row[column] = text;
    return row;
}

constexpr ListColumn kName = ListColumn::ProjectName;
constexpr ListColumn kDepartment = ListColumn::DepartmentName;
constexpr ListColumn kFunds = ListColumn::FundsProvincial;
constexpr ListColumn kDate = ListColumn::ApplicationDate;

std::vector<std::string> Ids(const std::vector<ListRow>& rows) {
    std::vector<std::string> ids;
    for (const ListRow& row : rows)
        ids.push_back(row[0]);
    return ids;
}

TEST(QueryFilter, TextIsAByteSubstringAfterTrimming) {
    std::vector<ListRow> rows = {WithCell(kName, Gbk("澄川科技大学"), "a"),
                                 WithCell(kName, Gbk("科学技术"), "b"),
                                 WithCell(kName, Gbk("  农业科技  "), "c"),
                                 WithCell(kName, "ABC", "d"), WithCell(kName, "xabcx", "e")};
    using V = std::vector<std::string>;
    EXPECT_EQ(Ids(FilterRows(rows, kName, Gbk("科技"), "")), (V{"a", "c"}));
    EXPECT_EQ(Ids(FilterRows(rows, kName, "abc", "")), V{"e"});
    EXPECT_EQ(Ids(FilterRows(rows, kName, "  abc\t", "")), V{"e"});
    // A blank inside the query must stand in the cell.
    EXPECT_EQ(Ids(FilterRows(rows, kName, "x abc", "")), V{});
    // Trimmed cells: a query reaching the cell's blanks finds nothing.
    EXPECT_EQ(Ids(FilterRows(rows, kName, Gbk("科技") + "  ", "")), (V{"a", "c"}));
}

TEST(QueryFilter, TextSearchIgnoresCharacterBoundaries) {
    // 中 is D6 D0 and 文 is CE C4: the bytes D0 CE occur across the two
    // characters, so a search for the character whose code is D0 CE (形)
    // finds 中文.
    std::vector<ListRow> rows = {WithCell(kDepartment, Gbk("中文"))};
    EXPECT_EQ(Gbk("形"), "\xD0\xCE");
    EXPECT_EQ(FilterRows(rows, kDepartment, Gbk("形"), "").size(), 1u);
}

TEST(QueryFilter, AmountRangeIncludesBothBoundsAndCountsNonNumbersAsZero) {
    std::vector<ListRow> rows = {WithCell(kFunds, "5", "a"),   WithCell(kFunds, "7.5", "b"),
                                 WithCell(kFunds, "10", "c"),  WithCell(kFunds, "10.01", "d"),
                                 WithCell(kFunds, "", "e"),    WithCell(kFunds, Gbk("待定"), "f"),
                                 WithCell(kFunds, " 6 ", "g"), WithCell(kFunds, "-1", "h"),
                                 WithCell(kFunds, "8.", "i"),  WithCell(kFunds, ".5", "j")};
    using V = std::vector<std::string>;
    EXPECT_EQ(Ids(FilterRows(rows, kFunds, "5", "10")), (V{"a", "b", "c", "g"}));
    EXPECT_EQ(Ids(FilterRows(rows, kFunds, "abc", "10")),
              (V{"a", "b", "c", "e", "f", "g", "i", "j"}));
    EXPECT_EQ(Ids(FilterRows(rows, kFunds, "10", "5")), V{});
    EXPECT_EQ(Ids(FilterRows(rows, kFunds, "-5", "1e0")), (V{"e", "f", "h", "i", "j"}));
    // "5." and ".5" are no numbers: as bounds they count 0 too.
    EXPECT_EQ(Ids(FilterRows(rows, kFunds, ".5", "5.")), (V{"e", "f", "i", "j"}));
}

TEST(QueryFilter, DateRangeComparesBytes) {
    std::vector<ListRow> rows = {
        WithCell(kDate, "2001-05-20", "a"), WithCell(kDate, "2001-12-31", "b"),
        WithCell(kDate, "2001-6-1", "c"),   WithCell(kDate, "", "d"),
        WithCell(kDate, "2001-01-01", "e"), WithCell(kDate, "2002-01-01", "f")};
    using V = std::vector<std::string>;
    EXPECT_EQ(Ids(FilterRows(rows, kDate, "2001-01-01", "2001-12-31")), (V{"a", "b", "e"}));
    EXPECT_EQ(Ids(FilterRows(rows, kDate, "2001-12-31", "2001-01-01")), V{});
    EXPECT_EQ(Ids(FilterRows(rows, kDate, "2001-6", "2001-7")), V{"c"});
}

TEST(QueryFilter, EmptyUpperBoundMakesAnyColumnATextSearch) {
    const std::vector<ListRow> rows = {WithCell(kFunds, "15", "a"), WithCell(kFunds, "6", "b")};
    EXPECT_EQ(Ids(FilterRows(rows, kFunds, "5", "")), std::vector<std::string>{"a"});
}

}  // namespace
}  // namespace shenbao
