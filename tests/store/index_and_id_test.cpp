#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <set>

#include "store/store.h"
#include "tests/support/temp_store.h"

namespace shenbao {
namespace {

using testing::SampleRecord;
using testing::TempStore;
using V = std::vector<std::string>;
namespace fs = std::filesystem;

TEST(IndexFile, MissingFileIsCreatedEmpty) {
    TempStore store;
    EXPECT_EQ(LoadIndex(store.dir()), V{});
    ASSERT_TRUE(store.Exists("vemra.zzj"));
    EXPECT_EQ(store.Read("vemra.zzj"), "");
    // An existing empty file reads the same and stays.
    EXPECT_EQ(LoadIndex(store.dir()), V{});
    EXPECT_TRUE(store.Exists("vemra.zzj"));
}

TEST(IndexFile, LinesAreTrimmedAndBlankLinesSkipped) {
    TempStore store;
    store.Write("vemra.zzj", "\r\n  AAAA1111 \r\n   \r\n\tBBBB2222\nCCCC3333\r\nAAAA1111\r\n\r\n");
    EXPECT_EQ(LoadIndex(store.dir()), (V{"AAAA1111", "BBBB2222", "CCCC3333", "AAAA1111"}));
}

TEST(IndexFile, NoCapOnTheNumberOfIds) {
    TempStore store;
    V ids;
    for (int i = 0; i < 2500; ++i) {
        char id[16];
        std::snprintf(id, sizeof id, "ID%06d", i);
        ids.emplace_back(id);
    }
    SaveIndex(store.dir(), ids);
    EXPECT_EQ(LoadIndex(store.dir()), ids);
}

TEST(IndexFile, SaveWritesEveryTextUnchangedWithCrLf) {
    TempStore store;
    SaveIndex(store.dir(), {"AAAA1111", "BBBB2222", "CCCC3333"});
    EXPECT_EQ(store.Read("vemra.zzj"), "AAAA1111\r\nBBBB2222\r\nCCCC3333\r\n");
    EXPECT_EQ(store.Read("vemra.zzj").size(), 30u);
    SaveIndex(store.dir(), {" X "});
    EXPECT_EQ(store.Read("vemra.zzj"), " X \r\n");
    SaveIndex(store.dir(), {});
    EXPECT_EQ(store.Read("vemra.zzj"), "");
}

// A store copied from a system that ignores letter case: its index is read,
// rewritten and appended to under the name it has; no second one appears.
TEST(IndexFile, IndexUnderAnotherLetterCaseIsTheIndex) {
    for (const char* name : {"VEMRA.ZZJ", "Vemra.zzj"}) {
        TempStore store;
        store.Write(name, "AAAA1111\r\n");
        EXPECT_EQ(LoadIndex(store.dir()), V{"AAAA1111"}) << name;
        SaveIndex(store.dir(), {"AAAA1111", "BBBB2222"});
        AppendIndex(store.dir(), {"CCCC3333"});
        EXPECT_EQ(store.Read(name), "AAAA1111\r\nBBBB2222\r\nCCCC3333\r\n") << name;
        EXPECT_FALSE(store.Exists("vemra.zzj")) << name;
        EXPECT_EQ(IndexFilePath(store.dir()), store.path(name));
    }
}

TEST(IndexFile, StemsOfTheStoresOwnFilesAreNoProjectIds) {
    for (const char* id :
         {"vemra", "VEMRA", " _syscode ", "_DataOut", "_DATAIN", "Tarvok07", "_import"}) {
        EXPECT_TRUE(IsReservedId(id)) << id;
    }
    for (const char* id : {"vemra1", "_Sys", "TARVOK08", "AAAA1111", "vemra.zzj"}) {
        EXPECT_FALSE(IsReservedId(id)) << id;
    }
}

TEST(IndexFile, AppendKeepsTheLastStoredIdOnItsOwnLine) {
    TempStore store;
    AppendIndex(store.dir(), {"NEW00001"});
    EXPECT_EQ(store.Read("vemra.zzj"), "NEW00001\r\n");
    AppendIndex(store.dir(), {"NEW00002", "NEW00003"});
    EXPECT_EQ(store.Read("vemra.zzj"), "NEW00001\r\nNEW00002\r\nNEW00003\r\n");
    store.Write("vemra.zzj", "HANDMADE");  // edited by hand, no final line end
    AppendIndex(store.dir(), {"NEW00004"});
    EXPECT_EQ(LoadIndex(store.dir()), (V{"HANDMADE", "NEW00004"}));
}

TEST(IndexFile, AnImportKilledBeforeItsIndexLinesIsTakenBackAtTheNextStart) {
    TempStore store;
    store.AddProject("OLD00001", SampleRecord("旧"));
    SaveIndex(store.dir(), {"OLD00001"});
    const std::string oldFile = store.Read("OLD00001.zzj");

    // An import killed (kill -9) after copying three files, before the index
    // received its IDs.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ImportJournal journal(store.dir(), {"NEW00001", "NEW00002", "NEW00003"});
        platform::FileBatch batch;
        batch.Replace(store.path("NEW00001.zzj"), "1");
        batch.Replace(store.path("NEW00001.zj"), "1");
        batch.Replace(store.path("NEW00002.zzj"), "2");
        ::raise(SIGKILL);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_TRUE(store.Exists("NEW00001.zzj"));
    ASSERT_TRUE(store.Exists("_Import.zzj"));

    // Left-over temporaries of replacements: one old enough to be stale, one
    // that may belong to a write still going on, and hidden files that are
    // none of the program's.
    store.Write(".NEW00009.zzj.Ab12Cd", "stale");
    fs::last_write_time(store.path(".NEW00009.zzj.Ab12Cd"),
                        fs::file_time_type::clock::now() - std::chrono::minutes(5));
    store.Write(".NEW00008.zj.Xy34Zw", "young");
    store.Write(".profile", "user's");
    store.Write(".notes.txt", "user's");

    // Another copy of the program holds a journal: its import is running.
    {
        TempStore other;
        other.Write("NEW00005.zzj", "copied");
        ImportJournal running(other.dir(), {"NEW00005"});
        const RecoveredFiles none = RecoverInterruptedWork(other.dir());
        EXPECT_EQ(none.importFiles, 0u);
        EXPECT_TRUE(other.Exists("NEW00005.zzj"));
        EXPECT_TRUE(other.Exists("_Import.zzj"));
    }

    const RecoveredFiles recovered = RecoverInterruptedWork(store.dir());
    EXPECT_EQ(recovered.importFiles, 3u);
    EXPECT_EQ(recovered.temporaries, 1u);
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(store.dir())) {
        names.insert(entry.path().filename().string());
    }
    EXPECT_EQ(names, (std::set<std::string>{"OLD00001.zzj", "OLD00001.zj", "vemra.zzj",
                                            ".NEW00008.zj.Xy34Zw", ".profile", ".notes.txt"}));
    EXPECT_EQ(store.Read("OLD00001.zzj"), oldFile);
    EXPECT_EQ(LoadIndex(store.dir()), V{"OLD00001"});

    // Killed after the index received the IDs: the journal goes, the
    // projects stay.
    store.Write("NEW00006.zzj", "6");
    AppendIndex(store.dir(), {"NEW00006"});
    store.Write("_Import.zzj", "NEW00006\r\n");
    EXPECT_EQ(RecoverInterruptedWork(store.dir()).importFiles, 0u);
    EXPECT_TRUE(store.Exists("NEW00006.zzj"));
    EXPECT_FALSE(store.Exists("_Import.zzj"));
}

TEST(ProjectId, ShapeOfGeneratedIds) {
    SeedRandom(12345);
    for (int i = 0; i < 2000; ++i) {
        std::string id = GenerateProjectId();
        ASSERT_EQ(id.size(), 8u);
        for (char c : id) {
            ASSERT_TRUE((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) << id;
        }
    }
}

TEST(ProjectId, SameSeedGivesTheSameIds) {
    SeedRandom(777);
    V first;
    for (int i = 0; i < 10; ++i)
        first.push_back(GenerateProjectId());
    SeedRandom(777);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(GenerateProjectId(), first[i]);
}

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

TEST(ProjectId, SelectorsFollowTheDerivedValues) {
    using S = std::array<int, 8>;
    EXPECT_EQ(ProjectIdSelectors({1, 2, 3, 4, 5}), (S{1, 16, 2, 3, 4, 25, 5, 25}));
    EXPECT_EQ(ProjectIdSelectors({0, 0, 0, 0, 0}), (S{0, 1, 0, 0, 0, 10, 0, 0}));
    EXPECT_EQ(ProjectIdSelectors({31, 31, 31, 31, 31}), (S{31, 0, 31, 31, 31, 5, 31, 7}));
    // Last digits 0 0 0 9 9 read as 00099 = 99.
    EXPECT_EQ(ProjectIdSelectors({10, 20, 30, 9, 19})[7], 99 % 32);
}

TEST(ProjectId, RawCharactersAreLowerCaseLettersAndDigits) {
    for (int v = 0; v < 32; ++v) {
        std::string raw = RawProjectId({v, v, v, v, v, v, v, v});
        for (char c : raw) {
            EXPECT_TRUE((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) << raw;
        }
    }
}

TEST(ProjectId, RotationByTheFirstDraw) {
    for (int d1 = 0; d1 < 32; ++d1) {
        std::array<int, 5> draws = {d1, 3, 8, 11, 25};
        std::string raw = RawProjectId(ProjectIdSelectors(draws));
        std::string id = MakeProjectId(draws);
        ASSERT_EQ(id.size(), 8u);
        EXPECT_EQ(id[0], Upper(raw)[0]);
        if (d1 % 7 == 0) {  // 0, 7, 14, 21, 28: unrotated
            EXPECT_EQ(id, Upper(raw)) << d1;
        }
        if (d1 % 7 == 6) {  // 6, 13, 20, 27: c1 c8 c2 c3 c4 c5 c6 c7
            EXPECT_EQ(id, Upper(raw.substr(0, 1) + raw.substr(7, 1) + raw.substr(1, 6))) << d1;
        }
        if (d1 % 7 == 2) {  // r = 3: c1 c4 .. c8 c2 c3
            EXPECT_EQ(id, Upper(raw.substr(0, 1) + raw.substr(3) + raw.substr(1, 2))) << d1;
        }
    }
}

TEST(ProjectId, NewIdAvoidsListedIdsAndGivesUpAfterTheLastAttempt) {
    SeedRandom(99);
    std::string first = GenerateProjectId();
    SeedRandom(99);
    // The first candidate is listed, so another one must come.
    std::string listed = testing::ListedText("HEADER", {"XXXXXXXX", first});
    std::optional<std::string> fresh = NewProjectId(listed);
    ASSERT_TRUE(fresh);
    EXPECT_NE(*fresh, first);
    EXPECT_EQ(listed.find(*fresh), std::string::npos);

    // A candidate inside a longer cell counts as listed too.
    SeedRandom(99);
    std::optional<std::string> again =
        NewProjectId(testing::ListedText("H", {"pre" + first + "post"}));
    ASSERT_TRUE(again);
    EXPECT_NE(*again, first);

    // The next 6000 candidates all listed: NewProjectId gives up.
    SeedRandom(4242);
    std::vector<std::string> next;
    for (int i = 0; i < kNewIdAttempts + 1; ++i)
        next.push_back(GenerateProjectId());
    std::vector<std::string> first6000(next.begin(), next.begin() + kNewIdAttempts);
    SeedRandom(4242);
    EXPECT_FALSE(NewProjectId(testing::ListedText("H", first6000)).has_value());

    // With only the first 5999 listed, the 6000th candidate is taken when it
    // is not among them.
    std::vector<std::string> first5999(next.begin(), next.begin() + kNewIdAttempts - 1);
    std::string listed5999 = testing::ListedText("H", first5999);
    SeedRandom(4242);
    std::optional<std::string> last = NewProjectId(listed5999);
    if (listed5999.find(next[kNewIdAttempts - 1]) == std::string::npos) {
        ASSERT_TRUE(last);
        EXPECT_EQ(*last, next[kNewIdAttempts - 1]);
    } else {
        EXPECT_FALSE(last);
    }
}

TEST(ProjectId, ClockSeedIsTheUtcTimeOfDayInMilliseconds) {
    using namespace std::chrono;
    sys_days day = year{2001} / 7 / 16;
    auto t = day + hours{13} + minutes{5} + seconds{42} + milliseconds{123};
    EXPECT_EQ(ClockSeed(t), ((13u * 60 + 5) * 60 + 42) * 1000 + 123);
    EXPECT_EQ(ClockSeed(sys_days{year{2026} / 12 / 8}), 0u);
    EXPECT_EQ(ClockSeed(sys_days{year{1969} / 12 / 31} + hours{23}), 23u * 3600 * 1000);
}

}  // namespace
}  // namespace shenbao
