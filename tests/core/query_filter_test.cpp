#include <gtest/gtest.h>

#include "core/query_filter.h"
#include "tests/support/temp_store.h"

namespace shenbao {
namespace {

using testing::Gbk;

ListRow WithCell(int column, const std::string& text, const std::string& id = "ID") {
    ListRow row;
    row[0] = id;
    row[static_cast<std::size_t>(column)] = text;
    return row;
}

std::vector<std::string> Ids(const std::vector<ListRow>& rows) {
    std::vector<std::string> ids;
    for (const ListRow& row : rows)
        ids.push_back(row[0]);
    return ids;
}

TEST(QueryFilter, TextIsAByteSubstringAfterTrimming) {
    std::vector<ListRow> rows = {
        WithCell(2, Gbk("澄川科技大学"), "a"), WithCell(2, Gbk("科学技术"), "b"),
        WithCell(2, Gbk("  农业科技  "), "c"), WithCell(2, "ABC", "d"), WithCell(2, "xabcx", "e")};
    using V = std::vector<std::string>;
    EXPECT_EQ(Ids(FilterRows(rows, 2, Gbk("科技"), "")), (V{"a", "c"}));
    EXPECT_EQ(Ids(FilterRows(rows, 2, "abc", "")), V{"e"});
    EXPECT_EQ(Ids(FilterRows(rows, 2, "  abc\t", "")), V{"e"});
    // A blank inside the query must stand in the cell.
    EXPECT_EQ(Ids(FilterRows(rows, 2, "x abc", "")), V{});
    // Trimmed cells: a query reaching the cell's blanks finds nothing.
    EXPECT_EQ(Ids(FilterRows(rows, 2, Gbk("科技") + "  ", "")), (V{"a", "c"}));
}

TEST(QueryFilter, TextSearchIgnoresCharacterBoundaries) {
    // 中 is D6 D0 and 文 is CE C4: the bytes D0 CE occur across the two
    // characters, so a search for the character whose code is D0 CE (形)
    // finds 中文.
    std::vector<ListRow> rows = {WithCell(4, Gbk("中文"))};
    EXPECT_EQ(Gbk("形"), "\xD0\xCE");
    EXPECT_EQ(FilterRows(rows, 4, Gbk("形"), "").size(), 1u);
}

TEST(QueryFilter, AmountRangeIncludesBothBoundsAndCountsNonNumbersAsZero) {
    std::vector<ListRow> rows = {WithCell(7, "5", "a"),   WithCell(7, "7.5", "b"),
                                 WithCell(7, "10", "c"),  WithCell(7, "10.01", "d"),
                                 WithCell(7, "", "e"),    WithCell(7, Gbk("待定"), "f"),
                                 WithCell(7, " 6 ", "g"), WithCell(7, "-1", "h"),
                                 WithCell(7, "8.", "i"),  WithCell(7, ".5", "j")};
    using V = std::vector<std::string>;
    EXPECT_EQ(Ids(FilterRows(rows, 7, "5", "10")), (V{"a", "b", "c", "g"}));
    EXPECT_EQ(Ids(FilterRows(rows, 7, "abc", "10")), (V{"a", "b", "c", "e", "f", "g", "i", "j"}));
    EXPECT_EQ(Ids(FilterRows(rows, 7, "10", "5")), V{});
    EXPECT_EQ(Ids(FilterRows(rows, 7, "-5", "1e0")), (V{"e", "f", "h", "i", "j"}));
    // "5." and ".5" are no numbers: as bounds they count 0 too.
    EXPECT_EQ(Ids(FilterRows(rows, 7, ".5", "5.")), (V{"e", "f", "i", "j"}));
}

TEST(QueryFilter, DateRangeComparesBytes) {
    std::vector<ListRow> rows = {WithCell(8, "2001-05-20", "a"), WithCell(8, "2001-12-31", "b"),
                                 WithCell(8, "2001-6-1", "c"),   WithCell(8, "", "d"),
                                 WithCell(8, "2001-01-01", "e"), WithCell(8, "2002-01-01", "f")};
    using V = std::vector<std::string>;
    EXPECT_EQ(Ids(FilterRows(rows, 8, "2001-01-01", "2001-12-31")), (V{"a", "b", "e"}));
    EXPECT_EQ(Ids(FilterRows(rows, 8, "2001-12-31", "2001-01-01")), V{});
    EXPECT_TRUE(RowMatches(rows[2], 8, "2001-6", "2001-7"));
}

TEST(QueryFilter, EmptyUpperBoundMakesAnyColumnATextSearch) {
    EXPECT_TRUE(RowMatches(WithCell(7, "15"), 7, "5", ""));
    EXPECT_FALSE(RowMatches(WithCell(7, "6"), 7, "5", ""));
}

}  // namespace
}  // namespace shenbao
