#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <random>
#include <stdexcept>

#include "core/project_rows.h"
#include "core/row_sort.h"
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
    // First every row as written: its text form trimmed as a whole (bytes up
    // to 32 at both ends), cut at every line break (CR LF, CR or LF) and put
    // back from column 0 on, empty pieces as single blanks.
    for (ListRow& row : rows) {
        std::string text;
        for (const std::string& cell : row)
            text += cell + "\r\n";
        std::size_t begin = 0, end = text.size();
        while (begin < end && static_cast<unsigned char>(text[begin]) <= 32)
            ++begin;
        while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32)
            --end;
        std::vector<std::string> pieces(1);
        for (std::size_t i = begin; i < end; ++i) {
            if (text[i] == '\r' || text[i] == '\n') {
                if (text[i] == '\r' && i + 1 < end && text[i + 1] == '\n')
                    ++i;
                pieces.emplace_back();
            } else {
                pieces.back() += text[i];
            }
        }
        if (pieces.back().empty())
            pieces.pop_back();
        row = ListRow();
        for (std::size_t c = 0; c < row.size() && c < pieces.size(); ++c)
            row[c] = pieces[c].empty() ? std::string(" ") : pieces[c];
    }
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

// The numbers 0 to 4, each written in several ways that read as the same
// value, and texts that count as 0.
std::vector<std::string> NumbersWrittenDifferently() {
    std::vector<std::string> cells = {"", " ", "abc", "1.", ".5", "-0", "0.0", "+0", "0e5"};
    for (int value = 0; value <= 4; ++value) {
        const std::string digits = std::to_string(value);
        for (const std::string& written :
             {digits, digits + ".0", "0" + digits, " " + digits, "+" + digits, digits + "e0",
              digits + "0e-1", "0." + digits + "e1", digits + ".000"})
            cells.push_back(written);
    }
    return cells;
}

TEST(SortList, AgreesWithTheLiteralExchangeOfTextForms) {
    struct Lists {
        const char* what;
        std::size_t shortest, longest;  // from the shortest on in turn, then at random
        int rounds;
        std::vector<std::string> cells;  // what the cells are drawn from
    };
    const std::vector<std::string> mixed = {
        "",          "",        " ",     "a",      "b",   "ab",  "10",   "9",
        "9.5",       "x ",      " y",    "A",      "-1",  "1e1", "\xFF", "\x01",
        Gbk("科技"), Gbk("澄"), "\x1F!", "a\r\nb", "c\n", "\rd", "e\r",  "\n"};
    const std::vector<Lists> table = {
        {"mixed cells", 0, 30, 400, mixed},
        {"numbers written differently", 0, 40, 300, NumbersWrittenDifferently()},
        {"few keys, many equal", 0, 60, 300, {"", "a", "a", "b", " ", "1", "01", "1.0"}},
        {"long lists, few keys", 1500, 3000, 3, {"", "a", "b", " ", "1", "1.0", "01"}},
        {"long lists, numbers written differently", 2000, 3000, 2, NumbersWrittenDifferently()},
    };
    std::mt19937 random(1016);
    for (const Lists& lists : table) {
        const std::size_t span = lists.longest - lists.shortest + 1;
        for (int round = 0; round < lists.rounds; ++round) {
            const std::size_t length =
                lists.shortest + static_cast<std::size_t>(round) < lists.longest
                    ? lists.shortest + static_cast<std::size_t>(round)
                    : lists.shortest + random() % span;
            std::vector<ListRow> rows(length);
            for (ListRow& row : rows) {
                const std::size_t filled = random() % 11;
                for (std::size_t c = 0; c < filled; ++c)
                    row[c] = lists.cells[random() % lists.cells.size()];
            }
            for (SortKey key : kSortKeys) {
                std::vector<ListRow> expected = rows;
                std::vector<ListRow> actual = rows;
                ReferenceSort(expected, key);
                SortList(actual, key);
                ASSERT_EQ(actual, expected) << lists.what << ", round " << round << ", key "
                                            << static_cast<int>(key)
                                            << ", " << length << " rows";
            }
        }
    }
}

TEST(SortList, AgreesWithTheLiteralExchangeOnLongChainsOfExchanges) {
    // Keys that fall along the list make every pass exchange with most of the
    // rows after it: rows in falling order with runs of equal keys, and the
    // same with every other row lacking the key.
    for (std::size_t length : {2u, 3u, 17u, 300u}) {
        for (std::size_t run : {1u, 2u, 7u}) {
            std::vector<ListRow> rows(length);
            for (std::size_t r = 0; r < length; ++r) {
                const std::size_t value = (length - r) / run;
                rows[r] =
                    Row({"ID" + std::to_string(r), std::to_string(value) + ".0",
                         r % 2 == 0 ? std::string() : "k" + std::to_string(1000 + value), "unit"});
            }
            for (SortKey key : {kSortKeys[1], kSortKeys[2], kSortKeys[3]}) {
                std::vector<ListRow> expected = rows;
                std::vector<ListRow> actual = rows;
                ReferenceSort(expected, key);
                SortList(actual, key);
                ASSERT_EQ(actual, expected)
                    << length << " rows, runs of " << run << ", key " << static_cast<int>(key);
            }
        }
    }
}

constexpr std::uint32_t kNoChange = UINT32_MAX;

// The exchange sort on ranks, one exchange at a time; a row's rank
// `emptyRank` turns into `blankRank` at its first exchange.
ExchangeSortOutcome ExchangeRanks(std::vector<std::uint32_t> keys,
                                  std::uint32_t emptyRank = kNoChange,
                                  std::uint32_t blankRank = kNoChange) {
    const std::size_t n = keys.size();
    ExchangeSortOutcome outcome;
    for (std::uint32_t r = 0; r < n; ++r)
        outcome.order.push_back(r);
    outcome.exchanged.assign(n, false);
    for (std::size_t i = 0; i + 1 < n; ++i) {
        for (std::size_t j = i + 1; j < n; ++j) {
            if (keys[i] > keys[j]) {
                std::swap(keys[i], keys[j]);
                std::swap(outcome.order[i], outcome.order[j]);
                for (std::size_t place : {i, j}) {
                    outcome.exchanged[outcome.order[place]] = true;
                    if (keys[place] == emptyRank)
                        keys[place] = blankRank;
                }
            }
        }
    }
    return outcome;
}

TEST(ExchangeSortByRank, GivesTheOrderAndTheExchangesOfTheExchangeSort) {
    using Ranks = std::vector<std::uint32_t>;
    using Order = std::vector<std::uint32_t>;
    using Moved = std::vector<bool>;
    struct Case {
        Ranks ranks;
        Order order;
        Moved exchanged;
    };
    const std::vector<Case> cases = {
        {{}, {}, {}},
        {{5}, {0}, {false}},
        {{1, 1}, {0, 1}, {false, false}},
        {{2, 1}, {1, 0}, {true, true}},
        {{1, 2, 3}, {0, 1, 2}, {false, false, false}},
        // Keys 2, 2', 1 end as 1, 2', 2; 2' is never exchanged.
        {{2, 2, 1}, {2, 1, 0}, {true, false, true}},
        {{1, 1, 0, 2}, {2, 1, 0, 3}, {true, false, true, false}},
        // The middle row moves on and comes back to its own place.
        {{3, 2, 1}, {2, 1, 0}, {true, true, true}},
        // The rows of key 3 end as 3'', 3, 3': the first two pass the two
        // smaller rows in turn, the third ends where it stood, never moved.
        {{0, 3, 3, 3, 1, 1}, {0, 4, 5, 3, 1, 2}, {false, true, true, false, true, true}},
    };
    for (const Case& c : cases) {
        const ExchangeSortOutcome outcome = ExchangeSortByRank(c.ranks);
        EXPECT_EQ(outcome.order, c.order) << ::testing::PrintToString(c.ranks);
        EXPECT_EQ(outcome.exchanged, c.exchanged) << ::testing::PrintToString(c.ranks);
        // The worked cases hold for the exchanges themselves too.
        EXPECT_EQ(ExchangeRanks(c.ranks).order, c.order) << ::testing::PrintToString(c.ranks);
    }

    // Empty keys (rank 0) that become blanks (rank 2) when exchanged. Keys
    // b, "", "" end as "", " ", b: the first empty key, now a blank, is passed
    // by the second one. Leading empty keys stay put, and an empty key that
    // has become a blank is passed by a key between the two (rank 1).
    struct Changing {
        Ranks ranks;
        std::uint32_t blank;
        Order order;
        Moved exchanged;
    };
    const std::vector<Changing> changing = {
        {{3, 0, 0}, 2, {2, 1, 0}, {true, true, true}},
        {{0, 0, 3, 0, 1}, 2, {0, 1, 4, 3, 2}, {false, false, true, true, true}},
        {{0, 0, 0}, 2, {0, 1, 2}, {false, false, false}},
        {{3, 1, 0}, 2, {2, 1, 0}, {true, true, true}},
    };
    for (const Changing& c : changing) {
        const ExchangeSortOutcome outcome = ExchangeSortByRank(c.ranks, 0, c.blank);
        EXPECT_EQ(outcome.order, c.order) << ::testing::PrintToString(c.ranks);
        EXPECT_EQ(outcome.exchanged, c.exchanged) << ::testing::PrintToString(c.ranks);
        EXPECT_EQ(ExchangeRanks(c.ranks, 0, c.blank).order, c.order)
            << ::testing::PrintToString(c.ranks);
    }
    EXPECT_THROW(ExchangeSortByRank(Ranks{1, 0}, 1, 2), std::invalid_argument);
    EXPECT_THROW(ExchangeSortByRank(Ranks{1, 1}, 1, 1), std::invalid_argument);

    // Random keys with few or many distinct values, and shapes that make long
    // chains of exchanges, at every length up to 40 and at a few thousand.
    std::mt19937 random(2504);
    const auto shaped = [&](std::size_t n, int shape) {
        Ranks ranks(n);
        const std::uint32_t distinct = std::array<std::uint32_t, 6>{
            1, 2, 3, 5, 50, static_cast<std::uint32_t>(n) + 1}[random() % 6];
        for (std::size_t r = 0; r < n; ++r) {
            const std::uint32_t falling = static_cast<std::uint32_t>(n - r);
            switch (shape) {
                case 0:
                    ranks[r] = static_cast<std::uint32_t>(random() % distinct);
                    break;
                case 1:
                    ranks[r] = falling / distinct;
                    break;  // falling, in runs
                case 2:
                    ranks[r] = static_cast<std::uint32_t>(r) % distinct;
                    break;  // saw
                case 3:
                    ranks[r] = std::min<std::uint32_t>(static_cast<std::uint32_t>(r), falling);
                    break;  // rising, then falling
                default:
                    ranks[r] = falling % distinct + static_cast<std::uint32_t>(random() % 2);
            }
        }
        return ranks;
    };
    // Every other round, rank 0 turns into a greater rank at the first
    // exchange, as an empty text key does.
    const auto check = [&](const Ranks& ranks, int round) {
        ExchangeSortOutcome expected;
        ExchangeSortOutcome actual;
        if (round % 2 == 0) {
            expected = ExchangeRanks(ranks);
            actual = ExchangeSortByRank(ranks);
        } else {
            const std::uint32_t blank = 1 + static_cast<std::uint32_t>(random() % 4);
            expected = ExchangeRanks(ranks, 0, blank);
            actual = ExchangeSortByRank(ranks, 0, blank);
        }
        const std::string what = "round " + std::to_string(round) + ", " +
                                 std::to_string(ranks.size()) + " rows" +
                                 (ranks.size() <= 40 ? ::testing::PrintToString(ranks) : "");
        ASSERT_EQ(actual.order, expected.order) << what;
        ASSERT_EQ(actual.exchanged, expected.exchanged) << what;
    };
    for (int round = 0; round < 4000; ++round) {
        check(shaped(static_cast<std::size_t>(round / 2 % 41), round / 2 % 5), round);
        if (HasFatalFailure())
            return;
    }
    for (int round = 0; round < 20; ++round) {
        check(shaped(1000 + random() % 3000, round / 2 % 5), round);
        if (HasFatalFailure())
            return;
    }
}

}  // namespace
}  // namespace shenbao
