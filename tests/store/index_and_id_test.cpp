#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <random>
#include <set>
#include <thread>

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
    // Saved by a Windows text editor: the byte-order mark hides no project.
    store.Write("vemra.zzj", std::string(kUtf8ByteOrderMark) + "AAAA1111\r\nBBBB2222\r\n");
    EXPECT_EQ(LoadIndex(store.dir()), (V{"AAAA1111", "BBBB2222"}));
    // Two such files joined: the mark of the second is no part of its first
    // ID either, so the IDs read the same after they are written back in
    // another order (a mark at the start of the file is dropped).
    const std::string mark(kUtf8ByteOrderMark);
    const std::string nul(1, '\0');
    store.Write("vemra.zzj",
                mark + "AAAA1111\r\n" + mark + "BBBB2222\r\n" + nul + mark + nul + "\r\n");
    EXPECT_EQ(LoadIndex(store.dir()), (V{"AAAA1111", "BBBB2222"}));
    SaveIndex(store.dir(), V{"BBBB2222", "AAAA1111"});
    EXPECT_EQ(LoadIndex(store.dir()), (V{"BBBB2222", "AAAA1111"}));
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
        EXPECT_EQ(AppendedIndexText(store.dir(), {"CCCC3333"}),
                  "AAAA1111\r\nBBBB2222\r\nCCCC3333\r\n")
            << name;
        EXPECT_EQ(store.Read(name), "AAAA1111\r\nBBBB2222\r\n") << name;
        EXPECT_FALSE(store.Exists("vemra.zzj")) << name;
        EXPECT_EQ(IndexFilePath(store.dir()), store.path(name));
    }
}

TEST(IndexFile, StemsOfTheStoresOwnFilesAreNoProjectIds) {
    for (const char* id : {"vemra", "VEMRA", " _syscode ", "_DataOut", "_DATAIN", "Tarvok07",
                           "_import", "_journal"}) {
        EXPECT_TRUE(IsReservedId(id)) << id;
    }
    for (const char* id : {"vemra1", "_Sys", "TARVOK08", "AAAA1111", "vemra.zzj"}) {
        EXPECT_FALSE(IsReservedId(id)) << id;
    }
}

TEST(IndexFile, AppendKeepsTheLastStoredIdOnItsOwnLine) {
    TempStore store;
    EXPECT_EQ(AppendedIndexText(store.dir(), {"NEW00001"}), "NEW00001\r\n");
    store.Write("vemra.zzj", "HANDMADE");  // edited by hand, no final line end
    EXPECT_EQ(ParseIdList(AppendedIndexText(store.dir(), {"NEW00004"})),
              (V{"HANDMADE", "NEW00004"}));
}

// ---- Commands of several files, killed at any point ---------------------------------

// One command that changes several store files, and what the store may look
// like after it was killed and the next start tidied up: as before, or as after.
struct KilledCommand {
    const char* name;
    std::function<void(const TempStore&)> setup;
    std::function<void(const fs::path&)> run;
    std::function<::testing::AssertionResult(const TempStore&)> beforeOrAfter;
};

TProjectRecord BigRecord(const char* name, char filler) {
    TProjectRecord record = SampleRecord(name, "1");
    record.Fields[Field::ResearchContent] = std::string(2 << 20, filler);
    record.Members[0].Cells[MemberCell::Name] = name;
    return record;
}

std::vector<KilledCommand> KilledCommands() {
    static const TProjectRecord oldRecord = BigRecord("old", 'o');
    static const TProjectRecord newRecord = BigRecord("new", 'n');
    const auto projects = [](int n) {
        V ids;
        for (int i = 0; i < n; ++i) {
            char id[16];
            std::snprintf(id, sizeof id, "K%07d", i);
            ids.emplace_back(id);
        }
        return ids;
    };
    return {
        {"save of a project with a 2 MB research text",
         [](const TempStore& store) {
             store.AddProject("SAVE0001", oldRecord);
             SaveIndex(store.dir(), {"SAVE0001"});
         },
         [](const fs::path& dir) { WriteProjectRecord(dir, "SAVE0001", newRecord); },
         [](const TempStore& store) {
             const ProjectReadResult read = ReadProjectRecord(store.dir(), "SAVE0001");
             if (read.status == ProjectReadStatus::Complete &&
                 (read.record == oldRecord || read.record == newRecord)) {
                 return ::testing::AssertionSuccess();
             }
             return ::testing::AssertionFailure() << "a mix of the old and the new project";
         }},
        {"delete of the middle project",
         [projects](const TempStore& store) {
             for (const std::string& id : projects(3)) {
                 store.AddProject(id, SampleRecord(id));
             }
             SaveIndex(store.dir(), projects(3));
         },
         [projects](const fs::path& dir) {
             V rest = projects(3);
             rest.erase(rest.begin() + 1);
             DeleteProject(dir, rest, projects(3)[1]);
         },
         [projects](const TempStore& store) {
             const V index = LoadIndex(store.dir());
             const bool files = store.Exists("K0000001.zzj") && store.Exists("K0000001.zj");
             const bool noFiles = !store.Exists("K0000001.zzj") && !store.Exists("K0000001.zj");
             if ((index == projects(3) && files) || (index.size() == 2 && noFiles)) {
                 return ::testing::AssertionSuccess();
             }
             return ::testing::AssertionFailure() << index.size() << " IDs, files " << files;
         }},
        {"clearing of 300 projects",
         [projects](const TempStore& store) {
             for (const std::string& id : projects(300)) {
                 store.AddProject(id, SampleRecord(id));
             }
             SaveIndex(store.dir(), projects(300));
         },
         [](const fs::path& dir) { ClearStore(dir); },
         [projects](const TempStore& store) {
             int files = 0;
             for (const std::string& id : projects(300)) {
                 files += store.Exists(id + ".zzj") + store.Exists(id + ".zj");
             }
             const bool whole =
                 store.Exists("vemra.zzj") && LoadIndex(store.dir()).size() == 300 && files == 600;
             if (whole || (!store.Exists("vemra.zzj") && files == 0)) {
                 return ::testing::AssertionSuccess();
             }
             return ::testing::AssertionFailure() << files << " project files left";
         }},
    };
}

// The names in `dir` that are the program's temporaries or journal.
V Leftovers(const fs::path& dir) {
    V names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (platform::IsTemporaryName(name) || name == kJournalFileName) {
            names.push_back(name);
        }
    }
    return names;
}

// Runs `command` in a child process that is killed at the `stopAt`-th file
// operation (counting from 1), or after `delay` when `stopAt` is 0.
void RunKilled(const KilledCommand& command, const fs::path& dir, int stopAt,
               std::chrono::microseconds delay) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int seen = 0;
        platform::SetFaultInjector(
            [&seen, stopAt](platform::FileOperation operation, const fs::path&) {
                const bool changes = operation != platform::FileOperation::Read &&
                                     operation != platform::FileOperation::ReadOn &&
                                     operation != platform::FileOperation::List;
                if (changes && ++seen == stopAt) {
                    ::raise(SIGKILL);
                }
                return 0;
            });
        command.run(dir);
        ::_exit(0);
    }
    if (stopAt == 0) {
        std::this_thread::sleep_for(delay);
        ::kill(child, SIGKILL);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
}

// Each command killed before each of its file operations in turn, and at
// random moments in between (kill -9), leaves after the next start's
// recovery either the store before or the store after: never a mix, never
// a temporary or a journal.
TEST(StoreChange, ACommandKilledAtAnyPointLeavesTheStoreBeforeOrAfter) {
    std::mt19937 random(20);
    for (const KilledCommand& command : KilledCommands()) {
        SCOPED_TRACE(command.name);
        // How many file operations the command makes, and how long it takes.
        int operations = 0;
        std::chrono::microseconds duration{};
        {
            TempStore store;
            command.setup(store);
            platform::SetFaultInjector(
                [&operations](platform::FileOperation operation, const fs::path&) {
                    operations += operation != platform::FileOperation::Read &&
                                  operation != platform::FileOperation::ReadOn &&
                                  operation != platform::FileOperation::List;
                    return 0;
                });
            const auto start = std::chrono::steady_clock::now();
            command.run(store.dir());
            duration = std::chrono::duration_cast<std::chrono::microseconds>(
                std::chrono::steady_clock::now() - start);
            platform::SetFaultInjector({});
            EXPECT_TRUE(command.beforeOrAfter(store));
        }
        // About 24 stops pass each stage of a long command (staging, the
        // journal, the renames, the removals) several times.
        const int step = std::max(1, operations / 24);
        std::vector<int> stops;
        for (int stop = 1; stop <= operations; stop += step) {
            stops.push_back(stop);
        }
        for (int i = 0; i < 6; ++i) {
            stops.push_back(0);  // a kill at a random moment
        }
        for (const int stop : stops) {
            SCOPED_TRACE(stop);
            TempStore store;
            command.setup(store);
            const auto delay = std::chrono::microseconds(
                std::uniform_int_distribution<long>(0, duration.count())(random));
            RunKilled(command, store.dir(), stop, delay);
            RecoverInterruptedWork(store.dir());
            EXPECT_TRUE(command.beforeOrAfter(store));
            EXPECT_EQ(Leftovers(store.dir()), V{});
        }
    }
}

// A change counts once its journal is on the disk: every file it names is
// flushed before the journal, and the journal before the first rename.
TEST(StoreChange, TheJournalIsWrittenAfterItsFilesAndBeforeAnyRename) {
    TempStore store;
    store.AddProject("SAVE0001", SampleRecord("old"));
    std::vector<std::pair<platform::FileOperation, std::string>> trail;
    platform::SetFaultInjector([&trail](platform::FileOperation operation, const fs::path& path) {
        trail.emplace_back(operation, path.filename().string());
        return 0;
    });
    WriteProjectRecord(store.dir(), "SAVE0001", SampleRecord("new"));
    platform::SetFaultInjector({});
    const auto at = [&trail](platform::FileOperation operation, auto matches) {
        return static_cast<int>(std::find_if(trail.begin(), trail.end(),
                                             [&](const auto& step) {
                                                 return step.first == operation &&
                                                        matches(step.second);
                                             }) -
                                trail.begin());
    };
    const auto isJournal = [](const std::string& name) { return name == kJournalFileName; };
    const auto isProjectFile = [](const std::string& name) { return name.starts_with("SAVE0001"); };
    const auto isProjectTemporary = [](const std::string& name) {
        return name.starts_with(".SAVE0001");
    };
    const int journalRenamed = at(platform::FileOperation::Rename, isJournal);
    ASSERT_LT(journalRenamed, static_cast<int>(trail.size()));
    EXPECT_LT(at(platform::FileOperation::Sync, isProjectTemporary), journalRenamed);
    int syncs = 0;
    for (const auto& step : trail) {
        syncs += step.first == platform::FileOperation::Sync && isProjectTemporary(step.second);
    }
    EXPECT_EQ(syncs, 2) << "both files flushed";
    EXPECT_GT(at(platform::FileOperation::Rename, isProjectFile), journalRenamed);
    EXPECT_EQ(ReadMainFields(store.dir(), "SAVE0001"), SampleRecord("new").Fields);

    // A temporary that goes between the journal and its rename fails the
    // save instead of being taken for renamed; the journal stays, and the
    // next start finishes what is left of the change.
    platform::SetFaultInjector([&](platform::FileOperation operation, const fs::path& path) {
        if (operation == platform::FileOperation::Rename &&
            isProjectFile(path.filename().string())) {
            for (const auto& entry : fs::directory_iterator(store.dir())) {
                if (isProjectTemporary(entry.path().filename().string())) {
                    fs::remove(entry.path());
                }
            }
        }
        return 0;
    });
    EXPECT_THROW(WriteProjectRecord(store.dir(), "SAVE0001", SampleRecord("newer")), IoError);
    platform::SetFaultInjector({});
    EXPECT_TRUE(store.Exists(std::string(kJournalFileName)));
    EXPECT_TRUE(RecoverInterruptedWork(store.dir()).finished);
    EXPECT_FALSE(store.Exists(std::string(kJournalFileName)));
    EXPECT_EQ(ReadMainFields(store.dir(), "SAVE0001"), SampleRecord("new").Fields);
}

// The next start finishes a recorded change, takes back an unfinished import
// of an earlier version and removes every temporary, and nothing else.
TEST(StoreChange, RecoveryAtStartUpTouchesOnlyWhatAKilledRunLeft) {
    TempStore store;
    store.AddProject("OLD00001", SampleRecord("旧"));
    SaveIndex(store.dir(), {"OLD00001"});
    // An import of an earlier version, killed before the index got its IDs.
    store.Write("NEW00001.zzj", "1");
    store.Write("NEW00001.zj", "1");
    store.Write("_Import.zzj", "NEW00001\r\nNEW00002\r\n");
    // Temporaries of writes that never took effect; hidden files of the user.
    store.Write(".NEW00009.zzj.Ab12Cd", "staged");
    store.Write(".vemra.zzj.Xy34Zw", "staged");
    store.Write(".profile", "user's");
    store.Write(".notes.txt", "user's");

    const RecoveredFiles recovered = RecoverInterruptedWork(store.dir());
    EXPECT_FALSE(recovered.finished);
    EXPECT_EQ(recovered.importFiles, 2u);
    EXPECT_EQ(recovered.temporaries, 2u);
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(store.dir())) {
        names.insert(entry.path().filename().string());
    }
    EXPECT_EQ(names, (std::set<std::string>{"OLD00001.zzj", "OLD00001.zj", "vemra.zzj", ".profile",
                                            ".notes.txt"}));
    EXPECT_EQ(LoadIndex(store.dir()), V{"OLD00001"});
}

// ---- One writer per store -----------------------------------------------------------

TEST(StoreHold, OneWriterAtATimeAndAKilledHolderBlocksNothing) {
    TempStore store;
    {
        const StoreHold first = StoreHold::Take(store.dir());
        EXPECT_EQ(first.state(), StoreHold::State::Held);
        // A second window of the same process, and a second process.
        EXPECT_EQ(StoreHold::Take(store.dir()).state(), StoreHold::State::HeldElsewhere);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::_exit(StoreHold::Take(store.dir()).state() == StoreHold::State::HeldElsewhere ? 0
                                                                                            : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(StoreHold::Take(store.dir()).state(), StoreHold::State::Held);

    // A holder killed with kill -9 leaves the store free.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        const StoreHold hold = StoreHold::Take(store.dir());
        (void)!::write(ready[1], "x", 1);
        ::pause();
        ::_exit(0);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    EXPECT_EQ(StoreHold::Take(store.dir()).state(), StoreHold::State::HeldElsewhere);
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_EQ(StoreHold::Take(store.dir()).state(), StoreHold::State::Held);
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
