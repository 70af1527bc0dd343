#include <gtest/gtest.h>

#include <cerrno>
#include <random>

#include "core/project_rows.h"
#include "platform/platform.h"
#include "tests/support/temp_store.h"

namespace shenbao {
namespace {

using testing::Gbk;
using testing::SampleRecord;
using testing::TempStore;

ListRow Row(std::initializer_list<std::string> cells) {
    ListRow row;
    std::size_t c = 0;
    for (const std::string& cell : cells)
        row[c++] = cell;
    return row;
}

std::vector<std::string> Column(const std::vector<ListRow>& rows, int c) {
    std::vector<std::string> out;
    for (const ListRow& row : rows)
        out.push_back(row[static_cast<std::size_t>(c)]);
    return out;
}

TEST(ProjectListLoad, RowsFollowTheIndexAndShowIdsOfMissingFilesAlone) {
    TempStore store;
    TProjectRecord first = SampleRecord("第一个项目", "1", "澄阳大学", "12.5", "2001-07-16");
    first.Fields[Field::DepartmentName] = Gbk("澄阳市科委");
    first.Fields[Field::PlanCategory] = Gbk("03 星火计划");
    first.Fields[Field::Applicant] = Gbk("张三");
    first.Fields[Field::ProjectField] = Gbk("07 现代农业");
    store.AddProject("BBBB0002", first);
    store.AddProject("AAAA0001", SampleRecord("第三个项目"));
    SaveIndex(store.dir(), {"BBBB0002", "CCCC0003", "AAAA0001"});

    std::vector<ListRow> rows = ReloadList(store.dir());
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0],
              Row({"BBBB0002", "1", Gbk("第一个项目"), Gbk("澄阳大学"), Gbk("澄阳市科委"),
                   Gbk("03 星火计划"), Gbk("张三"), "12.5", "2001-07-16", Gbk("07 现代农业")}));
    EXPECT_EQ(rows[1], Row({"CCCC0003"}));
    EXPECT_EQ(rows[2][2], Gbk("第三个项目"));

    // Sorting and reloading bring the same rows back in index order.
    SortList(rows, SortKey::ProjectName);
    rows = ReloadList(store.dir());
    EXPECT_EQ(Column(rows, 0), (std::vector<std::string>{"BBBB0002", "CCCC0003", "AAAA0001"}));
    EXPECT_EQ(rows[1], Row({"CCCC0003"}));

    // A file that cannot be read ends the reload the window runs: a data file
    // leaves every ID with the rows before it loaded, the index no row at all.
    const auto reloadFailingAt = [&](const char* name) {
        platform::SetFaultInjector([failing = store.path(name)](platform::FileOperation operation,
                                                                const std::filesystem::path& path) {
            return operation == platform::FileOperation::Read && path == failing ? EIO : 0;
        });
        EXPECT_THROW(ReloadList(store.dir(), rows), IoError) << name;
        platform::SetFaultInjector({});
    };
    reloadFailingAt("AAAA0001.zzj");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0][2], Gbk("第一个项目"));
    EXPECT_EQ(rows[2], Row({"AAAA0001"}));
    reloadFailingAt("vemra.zzj");
    EXPECT_TRUE(rows.empty());
}

TEST(ProjectListLoad, SplitLinesAndShortRecordsReadAsTheSameRow) {
    TempStore store;
    std::string line = EncodeField(JoinMainText(SampleRecord("分行的项目", "7")));
    store.Write("SPLT0001.zzj", line.substr(0, 11) + "\r\n" + line.substr(11) + "\r\n");
    store.Write("SHRT0001.zzj", EncodeField(Gbk("短记录") + "~@~03~@~") + "\r\n");
    SaveIndex(store.dir(), {"SPLT0001", "SHRT0001"});
    std::vector<ListRow> rows = ReloadList(store.dir());
    EXPECT_EQ(rows[0][2], Gbk("分行的项目"));
    EXPECT_EQ(rows[0][1], "7");
    EXPECT_EQ(rows[1], Row({"SHRT0001", "", Gbk("短记录"), "", "", "03"}));
}

TEST(ProjectListLoad, MissingIndexGivesAnEmptyListAndAnEmptyFile) {
    TempStore store;
    EXPECT_TRUE(ReloadList(store.dir()).empty());
    EXPECT_EQ(store.Read("vemra.zzj"), "");
}

// The status line's texts are checked where the user sees them, in the main
// window's tests.
TEST(ProjectListLoad, HeaderAndListedIds) {
    EXPECT_EQ(ListHeader()[0], Gbk("项目ID号"));
    EXPECT_EQ(ListHeader()[7], Gbk("省拨款(万元)"));
    EXPECT_EQ(ListedIds({Row({"A"}), Row({"B"})}), Gbk("项目ID号") + "\r\nA\r\nB\r\n");
}

TEST(SortList, NumberKeysReadWholeNumbersAndCountOtherTextAsZero) {
    std::vector<ListRow> rows = {
        Row({"ID1", "", "", "", "", "", "", "12.5"}), Row({"ID2", "", "", "", "", "", "", ""}),
        Row({"ID3", "", "", "", "", "", "", "abc"}), Row({"ID4", "", "", "", "", "", "", "3"})};
    SortList(rows, SortKey::FundsProvincial);
    EXPECT_EQ(Column(rows, 0), (std::vector<std::string>{"ID2", "ID3", "ID4", "ID1"}));

    rows = {Row({"A", "10"}), Row({"B", "9"}), Row({"C", "9.5"}), Row({"D", "9."}),
            Row({"E", ".5"})};
    SortList(rows, SortKey::SerialNumber);
    EXPECT_EQ(Column(rows, 1), (std::vector<std::string>{"9.", ".5", "9", "9.5", "10"}));
}

TEST(SortList, TextKeysCompareBytes) {
    std::vector<ListRow> rows = {Row({"Z0000001"}), Row({"10000000"}), Row({"A0000001"}),
                                 Row({"90000000"})};
    SortList(rows, SortKey::Id);
    EXPECT_EQ(Column(rows, 0),
              (std::vector<std::string>{"10000000", "90000000", "A0000001", "Z0000001"}));

    // Serial numbers under a text key would sort 10 before 9; under the number
    // key they do not (checked above). Key 8 orders column 9, not column 8.
    rows = {Row({"A", "", "", "", "", "", "", "", "2001-01-01", "b"}),
            Row({"B", "", "", "", "", "", "", "", "2002-01-01", "a"})};
    SortList(rows, SortKey::ProjectField);
    EXPECT_EQ(Column(rows, 0), (std::vector<std::string>{"B", "A"}));
}

TEST(SortList, EqualKeysAreNotKeptInOrder) {
    // Keys 2, 2', 1 in rows 1 to 3 end as 1, 2', 2.
    std::vector<ListRow> rows = {Row({"first", "", "2"}), Row({"second", "", "2"}),
                                 Row({"third", "", "1"})};
    SortList(rows, SortKey::ProjectName);
    EXPECT_EQ(Column(rows, 0), (std::vector<std::string>{"third", "second", "first"}));
}

TEST(SortList, NormalisationAndTheSingleBlankOfEmptyCells) {
    // One row: only the normalisation applies. Leading blanks of the ID go,
    // an empty cell before a filled one becomes a single blank, trailing
    // blanks of the last filled cell go, empty cells after it stay empty.
    std::vector<ListRow> rows = {Row({"  ID01", "", Gbk("名称  "), "", "unit  "})};
    SortList(rows, SortKey::ProjectName);
    EXPECT_EQ(rows[0], Row({"ID01", " ", Gbk("名称  "), " ", "unit"}));

    // An exchange turns every empty cell of both rows into a single blank.
    rows = {Row({"B", "", "y"}), Row({"A", "", "x"})};
    SortList(rows, SortKey::Id);
    EXPECT_EQ(rows[0], Row({"A", " ", "x", " ", " ", " ", " ", " ", " ", " "}));
    EXPECT_EQ(rows[1], Row({"B", " ", "y", " ", " ", " ", " ", " ", " ", " "}));

    // Rows that are never exchanged keep their empty trailing cells.
    rows = {Row({"A", "", "x"}), Row({"B", "", "y"})};
    SortList(rows, SortKey::Id);
    EXPECT_EQ(rows[0], Row({"A", " ", "x"}));

    std::vector<ListRow> none;
    SortList(none, SortKey::UnitName);
    EXPECT_TRUE(none.empty());
}

TEST(SortList, BlankCellSortsBeforeTextAfterAnExchange) {
    // After exchanges, empty names hold " ", which sorts before any letter.
    std::vector<ListRow> rows = {Row({"C", "", "c"}), Row({"B", "", ""}), Row({"A", "", "a"})};
    SortList(rows, SortKey::Id);
    SortList(rows, SortKey::ProjectName);
    EXPECT_EQ(Column(rows, 0), (std::vector<std::string>{"B", "A", "C"}));
    EXPECT_EQ(rows[0][2], " ");
}

// The sort done literally as described: every exchange carries both rows
// through their text forms (cells joined with CR LF, split again, empty
// pieces as single blanks), and text keys are read afresh for each comparison.
void ReferenceSort(std::vector<ListRow>& rows, SortKey key) {
    for (ListRow& row : rows)
        NormaliseRow(row);
    auto textForm = [](const ListRow& row) {
        std::string text;
        for (const std::string& cell : row)
            text += cell + "\r\n";
        return text;
    };
    auto fromText = [](const std::string& text) {
        ListRow row;
        std::size_t c = 0, begin = 0;
        for (std::size_t at; c < row.size() && (at = text.find("\r\n", begin)) != std::string::npos;
             begin = at + 2) {
            row[c++] = text.substr(begin, at - begin);
        }
        for (std::string& cell : row) {
            if (cell.empty())
                cell = std::string(1, ' ');
        }
        return row;
    };
    auto exchange = [&](ListRow& a, ListRow& b) {
        std::string ta = textForm(a), tb = textForm(b);
        a = fromText(tb);
        b = fromText(ta);
    };
    const std::size_t c = static_cast<std::size_t>(SortColumn(key));
    const std::size_t n = rows.size();
    std::vector<double> values;
    for (const ListRow& row : rows)
        values.push_back(ParseDecimal(row[c]));
    for (std::size_t i = 0; i + 1 < n; ++i) {
        for (std::size_t j = i + 1; j < n; ++j) {
            bool greater = SortIsNumeric(key) ? values[i] > values[j]
                                              : CompareBytes(rows[i][c], rows[j][c]) > 0;
            if (greater) {
                std::swap(values[i], values[j]);
                exchange(rows[i], rows[j]);
            }
        }
    }
}

TEST(SortList, AgreesWithTheLiteralExchangeOfTextForms) {
    std::mt19937 random(1016);
    const std::vector<std::string> cells = {"",          "",        " ",   "a",   "b",   "ab",
                                            "10",        "9",       "9.5", "x ",  " y",  "A",
                                            Gbk("科技"), Gbk("澄"), "-1",  "1e1", "\xFF"};
    for (int round = 0; round < 400; ++round) {
        std::vector<ListRow> rows(random() % 30);
        for (ListRow& row : rows) {
            const std::size_t filled = random() % 11;
            for (std::size_t c = 0; c < filled; ++c)
                row[c] = cells[random() % cells.size()];
        }
        for (SortKey key : kSortKeys) {
            std::vector<ListRow> expected = rows;
            std::vector<ListRow> actual = rows;
            ReferenceSort(expected, key);
            SortList(actual, key);
            ASSERT_EQ(actual, expected) << "round " << round << " key " << static_cast<int>(key);
        }
    }
}

}  // namespace
}  // namespace shenbao
