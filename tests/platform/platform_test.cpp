#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/resource.h>
#include <unistd.h>
#include <optional>
#include <random>

#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <random>

#include "platform/gbk.h"
#include "platform/io_error.h"
#include "platform/platform.h"
#include "tests/support/temp_store.h"

namespace shenbao::platform {
namespace {

using shenbao::testing::ScopedEnv;
using shenbao::testing::TempStore;
namespace fs = std::filesystem;

// Lowers the process's file size limit to `bytes` (writes beyond it fail
// with EFBIG instead of raising SIGXFSZ) until destroyed.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigaction(SIGXFSZ, &ignore, &savedAction_);
        getrlimit(RLIMIT_FSIZE, &savedLimit_);
        rlimit small = savedLimit_;
        small.rlim_cur = bytes;
        active_ = setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &savedLimit_);
        sigaction(SIGXFSZ, &savedAction_, nullptr);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool active() const { return active_; }

  private:
    struct sigaction savedAction_ {};
    rlimit savedLimit_{};
    bool active_ = false;
};

// What a read of an entry gave, in one word for the tables: the content,
// nothing, or "refused" and the reason's errno.
std::optional<std::string> Outcome(const EntryRead& read) {
    if (read.read()) {
        return read.content;
    }
    if (read.refusal) {
        return "refused " + std::to_string(read.refusal->errorCode());
    }
    return std::nullopt;
}

// The number of entries of `dir`.
int EntryCount(const fs::path& dir) {
    int entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir)) {
        ++entries;
    }
    return entries;
}

TEST(DataDirectory, IsTheProgramFilesFolderNotTheWorkingDirectory) {
    fs::path exe = fs::read_symlink("/proc/self/exe");
    fs::path old = fs::current_path();
    fs::current_path("/");
    fs::path dir = DataDirectory();
    fs::current_path(old);
    EXPECT_EQ(dir, exe.parent_path() / "");
    EXPECT_TRUE(dir.string().ends_with("/"));
}

TEST(DataDirectory, AnInstalledProgramKeepsTheStoreInTheUsersOwnFolder) {
    TempStore program, home;
    ScopedEnv homeVariable("HOME", home.dir().c_str());
    ScopedEnv xdgVariable("XDG_DATA_HOME", nullptr);
    const fs::path own = home.dir() / ".local" / "share" / "shenbao" / "";
    struct Row {
        const char* xdgDataHome;  // nullptr: not set
        fs::path programDir;
        fs::path expected;
    };
    const Row rows[] = {
        // A folder the user can write stays the data directory.
        {nullptr, program.dir(), program.dir()},
        {"/srv/data", program.dir(), program.dir()},
        {nullptr, program.path("sub/.."), program.dir()},
        // Packages' folders never hold a store, even for root, who could write there.
        {nullptr, "/usr/bin/", own},
        {nullptr, "/usr/local/bin", own},
        {nullptr, "/opt", own},
        // A folder that is not there cannot be written either.
        {nullptr, program.path("missing"), own},
        // XDG_DATA_HOME counts only as an absolute path.
        {"/srv/data", "/usr/lib/shenbao/", "/srv/data/shenbao/"},
        {"/srv/data/", "/opt/shenbao", "/srv/data/shenbao/"},
        {"relative/data", "/usr/lib/shenbao", own},
        {"", "/usr/lib/shenbao", own},
    };
    for (const Row& row : rows) {
        xdgVariable.Set(row.xdgDataHome);
        EXPECT_EQ(DataDirectoryFor(row.programDir), row.expected)
            << row.programDir << " XDG_DATA_HOME=" << (row.xdgDataHome ? row.xdgDataHome : "unset");
    }
    if (geteuid() != 0) {
        fs::permissions(program.dir(), fs::perms::owner_write, fs::perm_options::remove);
        EXPECT_EQ(DataDirectoryFor(program.dir()), own);
        fs::permissions(program.dir(), fs::perms::owner_write, fs::perm_options::add);
    }
}

TEST(DataDirectory, TheUsersFolderGetsTheShippedCodeTableOnceAtFirstStart) {
    TempStore program, home;
    program.Write("_SYSCODE.ZZJ", "shipped\r\n");
    const fs::path data = home.path("share/shenbao/");
    PrepareDataDirectory(program.dir(), data, "_SysCode.zzj");
    EXPECT_EQ(ReadFile(data / "_SysCode.zzj"), "shipped\r\n");
    EXPECT_EQ(fs::status(data).permissions() & fs::perms::all, fs::perms::owner_all);

    // A table already there stays as it is, under any letter case.
    program.Write("_SYSCODE.ZZJ", "a newer one\r\n");
    PrepareDataDirectory(program.dir(), data, "_SysCode.zzj");
    EXPECT_EQ(ReadFile(data / "_SysCode.zzj"), "shipped\r\n");
    ASSERT_TRUE(RemoveFile(data / "_SysCode.zzj"));
    WriteFileAtomically(data / "_syscode.zzj", "the user's own\r\n");
    PrepareDataDirectory(program.dir(), data, "_SysCode.zzj");
    EXPECT_EQ(EntryCount(data), 1);
    EXPECT_EQ(ReadFile(data / "_syscode.zzj"), "the user's own\r\n");

    // Nothing shipped: the folder is made and nothing else happens.
    TempStore bare;
    PrepareDataDirectory(bare.dir(), home.path("other/"), "_SysCode.zzj");
    EXPECT_TRUE(DirectoryExists(home.path("other")));
    EXPECT_EQ(EntryCount(home.path("other")), 0);

    // A file in the way of the folder.
    home.Write("blocked", "x");
    EXPECT_THROW(PrepareDataDirectory(program.dir(), home.path("blocked/shenbao/"), "_SysCode.zzj"),
                 IoError);
}

TEST(WriteFileAtomically, CreatesAndReplacesWithoutLeavingTemporaryFiles) {
    TempStore store;
    WriteFileAtomically(store.path("a.txt"), "first");
    EXPECT_EQ(ReadFile(store.path("a.txt")), "first");
    WriteFileAtomically(store.path("a.txt"), std::string("second\0with nul", 15));
    EXPECT_EQ(ReadFile(store.path("a.txt")), std::string("second\0with nul", 15));
    const int entries = EntryCount(store.dir());
    EXPECT_EQ(entries, 1);

    // A new file takes the mode the user's umask gives; a replaced file keeps
    // its own.
    const mode_t mask = ::umask(027);
    WriteFileAtomically(store.path("new.txt"), "new");
    fs::permissions(store.path("a.txt"), fs::perms::owner_read | fs::perms::owner_write |
                                             fs::perms::others_read);
    WriteFileAtomically(store.path("a.txt"), "replaced");
    ::umask(mask);
    EXPECT_EQ(fs::status(store.path("new.txt")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(fs::status(store.path("a.txt")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
}

TEST(FileBatch, StagedFilesTakeTheirNamesOnlyAtTheCommitAndNeverThroughAnExchangeLink) {
    TempStore store;
    WriteFileAtomically(store.path("old.zzj"), "old content");
    {
        FileBatch batch;
        batch.Stage(store.path("new.zzj"), "new file");
        batch.Stage(store.path("old.zzj"), "replaced");
        // Staged: nothing under the final names has changed yet.
        EXPECT_FALSE(FileExists(store.path("new.zzj")));
        EXPECT_EQ(ReadFile(store.path("old.zzj")), "old content");
        ASSERT_EQ(batch.staged().size(), 2u);
        EXPECT_TRUE(IsTemporaryName(batch.staged()[0].temporary.filename().string()));
        batch.Commit();
    }
    EXPECT_EQ(ReadFile(store.path("new.zzj")), "new file");
    EXPECT_EQ(ReadFile(store.path("old.zzj")), "replaced");
    EXPECT_EQ(EntryCount(store.dir()), 2) << "no temporary files are left";

    // A batch that is not committed leaves nothing behind.
    {
        FileBatch failed;
        failed.Stage(store.path("taken-back.zzj"), "x");
    }
    EXPECT_FALSE(FileExists(store.path("taken-back.zzj")));
    EXPECT_EQ(EntryCount(store.dir()), 2);

    // A link under a written name: replaced on exchange media, written
    // through (the link stays) for the store's own files.
    TempStore outside;
    outside.Write("target", "outside");
    fs::create_symlink(outside.path("target"), store.path("link.zzj"));
    FileBatch overLink;
    overLink.Stage(store.path("link.zzj"), "inside");
    overLink.Commit();
    EXPECT_EQ(EntryKindOf(store.path("link.zzj")), EntryKind::Regular);
    EXPECT_EQ(outside.Read("target"), "outside");

    fs::create_symlink(outside.path("target"), store.path("kept.zzj"));
    WriteFileAtomically(store.path("kept.zzj"), "through", Links::Follow);
    EXPECT_EQ(EntryKindOf(store.path("kept.zzj")), EntryKind::Link);
    EXPECT_EQ(outside.Read("target"), "through");
    fs::create_symlink("loop.zzj", store.path("loop.zzj"));
    EXPECT_THROW(WriteFileAtomically(store.path("loop.zzj"), "x", Links::Follow), IoError);
}

// Every file is flushed before it is renamed and every directory after its
// renames; a flush that fails leaves every old file in place. Batches of a
// few files and of many (flushed at once) alike.
TEST(FileBatch, FlushesEachFileBeforeItsRenameAndTheDirectoryAfter) {
    for (const int files : {2, 40}) {
        SCOPED_TRACE(files);
        TempStore store;
        std::vector<std::pair<FileOperation, fs::path>> trail;
        SetFaultInjector([&trail](FileOperation operation, const fs::path& path) {
            trail.emplace_back(operation, path);
            return 0;
        });
        FileBatch batch;
        for (int i = 0; i < files; ++i) {
            batch.Stage(store.path("f" + std::to_string(i) + ".zzj"), "data");
        }
        const std::vector<FileBatch::Staged> staged = batch.staged();
        batch.Commit();
        SetFaultInjector({});
        const auto at = [&trail](FileOperation operation, const fs::path& path) {
            const auto it = std::find(trail.begin(), trail.end(), std::pair{operation, path});
            return it == trail.end() ? -1 : static_cast<int>(it - trail.begin());
        };
        int lastRename = -1;
        for (const FileBatch::Staged& file : staged) {
            const int sync = at(FileOperation::Sync, file.temporary);
            const int rename = at(FileOperation::Rename, file.target);
            ASSERT_GE(sync, 0) << file.target << " was never flushed";
            EXPECT_LT(sync, rename) << file.target << " was renamed before its flush";
            lastRename = std::max(lastRename, rename);
        }
        EXPECT_GT(at(FileOperation::Sync, store.dir().parent_path()), lastRename)
            << "the directory is flushed after the renames";
    }

    TempStore store;
    WriteFileAtomically(store.path("a.zzj"), "old a");
    SetFaultInjector([](FileOperation operation, const fs::path&) {
        return operation == FileOperation::Sync ? EIO : 0;
    });
    {
        FileBatch batch;
        batch.Stage(store.path("a.zzj"), "new a");
        batch.Stage(store.path("b.zzj"), "new b");
        EXPECT_THROW(batch.Commit(), IoError);
    }
    SetFaultInjector({});
    EXPECT_EQ(ReadFile(store.path("a.zzj")), "old a");
    EXPECT_FALSE(FileExists(store.path("b.zzj")));
    EXPECT_EQ(EntryCount(store.dir()), 1);
}

// A write that fails part-way (here: the file size limit of the process is
// hit), of one file or in a batch, leaves neither a half-written new file
// nor a damaged old one, and no temporary behind.
TEST(FileBatch, WriteFailingPartWayLeavesNoHalfFile) {
    TempStore store;
    const std::string old(3000, 'o');
    WriteFileAtomically(store.path("old.zzj"), old);

    std::optional<FileSizeLimit> limit(std::in_place, 1000);
    ASSERT_TRUE(limit->active());
    int code = 0;
    try {
        WriteFileAtomically(store.path("old.zzj"), std::string(5000, 'n'));
    } catch (const IoError& e) {
        code = e.errorCode();
    }
    EXPECT_EQ(code, EFBIG);
    FileBatch batch;
    EXPECT_THROW(batch.Stage(store.path("new.zzj"), std::string(5000, 'n')), IoError);
    EXPECT_THROW(batch.Stage(store.path("old.zzj"), std::string(5000, 'n')), IoError);
    limit.reset();

    EXPECT_FALSE(FileExists(store.path("new.zzj")));
    EXPECT_EQ(ReadFile(store.path("old.zzj")), old);
    const int entries = EntryCount(store.dir());
    EXPECT_EQ(entries, 1) << "the temporaries are removed";

    // A process killed in the middle of the write (here by the file size
    // signal) leaves at most a hidden temporary file, never a part of a file
    // under its final name.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        rlimit small{1000, RLIM_INFINITY};
        ::signal(SIGXFSZ, SIG_DFL);
        ::setrlimit(RLIMIT_FSIZE, &small);
        FileBatch killed;
        killed.Stage(store.path("new.zzj"), std::string(5000, 'n'));
        killed.Commit();
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGXFSZ);
    EXPECT_FALSE(EntryKindOf(store.path("new.zzj")));
    for (const auto& entry : fs::directory_iterator(store.dir())) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "old.zzj" || name.starts_with(".new.zzj.")) << name;
    }
}

TEST(WriteFileAtomically, ReadOnlyDirectoryThrowsAndKeepsTheFile) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root writes into read-only directories";
    }
    TempStore store;
    WriteFileAtomically(store.path("x"), "keep");
    fs::permissions(store.dir(), fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_THROW(WriteFileAtomically(store.path("x"), "new"), IoError);
    fs::permissions(store.dir(), fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(ReadFile(store.path("x")), "keep");
}

TEST(Files, ReadingMissingAndUnreadableFiles) {
    TempStore store;
    EXPECT_FALSE(ReadFileIfExists(store.path("none")).has_value());
    EXPECT_THROW(ReadFile(store.path("none")), IoError);
    EXPECT_FALSE(FileExists(store.path("none")));
    EXPECT_FALSE(EntryKindOf(store.path("none")));

    // What may stand under a file's name: each is refused before anything is
    // read (a FIFO would block the open, a sparse file of 64 GiB exhaust
    // memory), with its own reason.
    TempStore outside;
    outside.Write("secret", "not for the program");
    const std::string longName(300, 'L');
    struct Row {
        const char* name;
        std::function<void(const fs::path&)> make;
        int error;
        std::optional<EntryKind> kind;
    };
    const Row rows[] = {
        {"dir", [](const fs::path& p) { fs::create_directory(p); }, EISDIR, EntryKind::Directory},
        {"link", [&](const fs::path& p) { fs::create_symlink(outside.path("secret"), p); }, ELOOP,
         EntryKind::Link},
        {"fifo", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); }, ENXIO,
         EntryKind::Special},
        {"huge",
         [](const fs::path& p) {
             std::ofstream(p).put('x');
             fs::resize_file(p, std::uintmax_t{64} << 30);  // sparse: costs no disk
         },
         EFBIG, EntryKind::Regular},
        {"just-too-large",
         [](const fs::path& p) {
             std::ofstream(p).put('x');
             fs::resize_file(p, static_cast<std::uintmax_t>(kMaxFileSize) + 1);
         },
         EFBIG, EntryKind::Regular},
        {longName.c_str(), [](const fs::path&) {}, ENAMETOOLONG, std::nullopt},
    };
    for (const Row& row : rows) {
        const fs::path path = store.path(row.name);
        row.make(path);
        std::string content = "left over";
        try {
            ReadFileInto(path, content);
            ADD_FAILURE() << row.name << " was read";
        } catch (const IoError& error) {
            EXPECT_EQ(error.errorCode(), row.error) << row.name;
            EXPECT_TRUE(IsUnreadableEntry(error.errorCode())) << row.name;
            EXPECT_EQ(error.path(), path);
        }
        EXPECT_TRUE(content.empty()) << row.name;
        EXPECT_EQ(EntryKindOf(path), row.kind) << row.name;
    }
    EXPECT_FALSE(IsUnreadableEntry(EACCES));
    EXPECT_FALSE(IsUnreadableEntry(ENOSPC));
    // Only where links are wanted (the code table) is one followed.
    EXPECT_EQ(ReadFile(store.path("link"), Links::Follow), "not for the program");
    EXPECT_FALSE(FileExists(store.path("dir")));
    EXPECT_TRUE(DirectoryExists(store.path("dir")));
}

TEST(Files, CopyIsByteForByteAndReplaces) {
    TempStore store;
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes.push_back(static_cast<char>(i));
    WriteFileAtomically(store.path("src.zzj"), bytes);
    WriteFileAtomically(store.path("dst.zzj"), "old and longer than nothing");
    CopyFileReplacing(store.path("src.zzj"), store.path("dst.zzj"));
    EXPECT_EQ(ReadFile(store.path("dst.zzj")), bytes);
    EXPECT_THROW(CopyFileReplacing(store.path("nope"), store.path("dst2")), IoError);
    EXPECT_FALSE(FileExists(store.path("dst2")));
}

TEST(Files, RemoveFileAnswersWhetherSomethingWasRemoved) {
    TempStore store;
    WriteFileAtomically(store.path("x"), "1");
    EXPECT_TRUE(RemoveFile(store.path("x")));
    EXPECT_FALSE(RemoveFile(store.path("x")));
    fs::create_directory(store.path("d"));
    EXPECT_FALSE(RemoveFile(store.path("d")));
    EXPECT_TRUE(DirectoryExists(store.path("d")));
}

TEST(Files, FindFileAcceptsOtherLetterCaseOnlyWhenTheExactNameIsAbsent) {
    TempStore store;
    WriteFileAtomically(store.path("VEMRA.ZZJ"), "upper");
    auto found = FindFile(store.dir(), "vemra.zzj");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->filename(), "VEMRA.ZZJ");
    WriteFileAtomically(store.path("vemra.zzj"), "exact");
    EXPECT_EQ(FindFile(store.dir(), "vemra.zzj")->filename(), "vemra.zzj");
    EXPECT_FALSE(FindFile(store.dir(), "other.zzj"));
    EXPECT_FALSE(FindFile(store.path("missing"), "vemra.zzj"));

    // A listing answers the same for every name; a regular file wins over
    // an entry of another kind under the exact name, which is still found
    // (and refused by a read) when nothing else is there.
    fs::create_directory(store.path("abcd.zzj"));
    WriteFileAtomically(store.path("ABCD.ZZJ"), "file");
    fs::create_directory(store.path("DIRONLY.zzj"));
    ASSERT_EQ(::mkfifo(store.path("fifo.zj").c_str(), 0644), 0);
    // Several spellings of one name: the closest to the name looked up
    // wins, the same one whether the directory is listed or not.
    for (const char* name : {"mixed.ZZJ", "MIXED.zzj", "Pq.zj", "pQ.zj"}) {
        WriteFileAtomically(store.path(name), name);
    }
    const DirectoryListing listing(store.dir());
    EXPECT_EQ(listing.entries().size(), 10u);
    const std::map<std::string, std::optional<std::string>> lookups = {
        {"vemra.zzj", "vemra.zzj"},     {"VEMRA.ZZJ", "VEMRA.ZZJ"}, {"abcd.zzj", "ABCD.ZZJ"},
        {"dironly.ZZJ", "DIRONLY.zzj"}, {"FIFO.ZJ", "fifo.zj"},     {"none.zzj", std::nullopt},
        {"mixed.zzj", "mixed.ZZJ"},     {"MIXED.ZZJ", "MIXED.zzj"}, {"Mixed.zzj", "MIXED.zzj"},
        {"pq.zj", "Pq.zj"},             {"PQ.ZJ", "pQ.zj"},         {"pq.ZJ", "Pq.zj"},
    };
    for (const auto& [name, expected] : lookups) {
        const DirectoryEntry* entry = listing.Find(name);
        EXPECT_EQ(entry ? std::optional<std::string>(entry->name) : std::nullopt, expected) << name;
        const std::optional<fs::path> path = FindFile(store.dir(), name);
        EXPECT_EQ(path ? std::optional<std::string>(path->filename()) : std::nullopt, expected)
            << name;
    }
    // FindFile and a listing that never lists find the same without reading
    // the directory: each spelling of the name is looked up.
    SetFaultInjector([](FileOperation operation, const fs::path&) {
        return operation == FileOperation::List ? EIO : 0;
    });
    const DirectoryListing probing(store.dir(), Listing::Never);
    for (const auto& [name, expected] : lookups) {
        const std::optional<fs::path> path = FindFile(store.dir(), name);
        EXPECT_EQ(path ? std::optional<std::string>(path->filename()) : std::nullopt, expected)
            << name;
        const DirectoryEntry* entry = probing.Find(name);
        EXPECT_EQ(entry ? std::optional<std::string>(entry->name) : std::nullopt, expected) << name;
    }
    EXPECT_FALSE(probing.listed());
    SetFaultInjector({});
    // A name of more letters than are worth trying one by one is looked for
    // in a listing.
    WriteFileAtomically(store.path("ABCDEFGHIJKLMN.ZZJ"), "long");
    EXPECT_EQ(FindFile(store.dir(), "abcdefghijklmn.zzj")->filename(), "ABCDEFGHIJKLMN.ZZJ");
    EXPECT_EQ(probing.Find("abcdefghijklmn.zzj")->name, "ABCDEFGHIJKLMN.ZZJ");
    EXPECT_TRUE(probing.listed());
    fs::remove(store.path("ABCDEFGHIJKLMN.ZZJ"));
    EXPECT_EQ(listing.Find("FIFO.ZJ")->kind, EntryKind::Special);
    EXPECT_EQ(Outcome(ReadEntry(listing, listing.Find("FIFO.ZJ"))), "refused " + std::to_string(ENXIO));
    EXPECT_EQ(Outcome(ReadEntry(listing, listing.Find("abcd.zzj"))), "file");
    EXPECT_EQ(Outcome(ReadEntry(listing, nullptr)), std::nullopt);
    EXPECT_THROW(DirectoryListing(store.path("missing")), IoError);

    // Reading by name gives the file Find finds. A listing made on demand
    // reads a file under its own name without listing the directory, and
    // lists it for any other name.
    const std::map<std::string, std::optional<std::string>> reads = {
        {"vemra.zzj", "exact"}, {"VEMRA.ZZJ", "upper"}, {"abcd.zzj", "file"},
        {"none.zzj", std::nullopt}};
    for (const auto& [name, expected] : reads) {
        EXPECT_EQ(Outcome(ReadNamed(listing, name)), expected) << name;
        EXPECT_EQ(Outcome(ReadNamed(DirectoryListing(store.dir(), Listing::OnDemand), name)),
                  expected)
            << name;
    }
    EXPECT_EQ(Outcome(ReadNamed(DirectoryListing(store.dir(), Listing::OnDemand), "FIFO.ZJ")),
              "refused " + std::to_string(ENXIO));
    EXPECT_EQ(Outcome(ReadNamed(listing, std::string(300, 'x'))),
              "refused " + std::to_string(ENAMETOOLONG));
    SetFaultInjector([](FileOperation operation, const fs::path&) {
        return operation == FileOperation::List ? EIO : 0;
    });
    const DirectoryListing unlistable(store.dir(), Listing::OnDemand);
    EXPECT_EQ(Outcome(ReadNamed(unlistable, "VEMRA.ZZJ")), "upper");
    EXPECT_FALSE(unlistable.listed());
    EXPECT_THROW(ReadNamed(unlistable, "abcd.zzj"), IoError);
    EXPECT_THROW(ReadNamed(unlistable, "none.zzj"), IoError);
    SetFaultInjector({});
}

TEST(Directories, AStoreListingReadsThroughLinksAndAMediaListingRefusesThem) {
    TempStore store;
    TempStore elsewhere;
    elsewhere.Write("A.zj", "kept on another disk");
    fs::create_symlink(elsewhere.path("A.zj"), store.path("A.zj"));
    fs::create_symlink(elsewhere.path("gone.zj"), store.path("B.zj"));
    fs::create_symlink(elsewhere.dir(), store.path("C.zj"));

    const DirectoryListing followed(store.dir(), Listing::Now, Links::Follow);
    EXPECT_EQ(followed.Find("a.zj")->kind, EntryKind::Regular);
    EXPECT_EQ(Outcome(ReadNamed(followed, "A.zj")), "kept on another disk");
    EXPECT_EQ(Outcome(ReadNamed(followed, "B.zj")), std::nullopt) << "a link to nothing is no file";
    EXPECT_EQ(followed.Find("C.zj")->kind, EntryKind::Directory);

    const DirectoryListing media(store.dir());
    EXPECT_EQ(media.Find("A.zj")->kind, EntryKind::Link);
    EXPECT_EQ(Outcome(ReadNamed(media, "A.zj")), "refused " + std::to_string(ELOOP));
    EXPECT_THROW(DirectoryListing(store.path("missing")), IoError);
}

TEST(Directories, CreateWithParents) {
    TempStore store;
    EXPECT_TRUE(CreateDirectories(store.path("a") / "b" / "c"));
    EXPECT_TRUE(DirectoryExists(store.path("a") / "b" / "c"));
    WriteFileAtomically(store.path("file"), "x");
    EXPECT_FALSE(CreateDirectories(store.path("file") / "sub"));
}

TEST(FreeSpace, RealQueryAndOverride) {
    TempStore store;
    EXPECT_GT(FreeSpace(store.dir()), 0);
    EXPECT_EQ(FreeSpace(store.path("no-such-dir")), -1);
    SetFreeSpaceOverride(1399999);
    EXPECT_EQ(FreeSpace(store.dir()), 1399999);
    EXPECT_EQ(MediumFreeSpace(store.dir()), 1399999);
    SetFreeSpaceOverride(std::nullopt);
    EXPECT_NE(FreeSpace(store.dir()), 1399999);

    // A drive's medium is there only where a file system is mounted.
    EXPECT_TRUE(IsMountPoint("/"));
    EXPECT_GT(MediumFreeSpace("/"), 0);
    EXPECT_FALSE(IsMountPoint(store.dir()));
    EXPECT_EQ(MediumFreeSpace(store.dir()), -1);
    EXPECT_EQ(MediumFreeSpace(store.path("no-such-dir")), -1);
}

TEST(DrivePaths, DriveLettersMapToNativeFolders) {
    const fs::path savedFloppy = FloppyMountPoint();
    const char* home = std::getenv("HOME");
    ASSERT_NE(home, nullptr);
    SetFloppyMountPoint("/tmp/floppy");
    EXPECT_EQ(MapDrivePath("A:\\SEND\\"), fs::path("/tmp/floppy/SEND/"));
    EXPECT_EQ(MapDrivePath("a:\\"), fs::path("/tmp/floppy/"));
    EXPECT_EQ(MapDrivePath("A:"), fs::path("/tmp/floppy/"));
    EXPECT_EQ(MapDrivePath("c:\\"), fs::path(home) / "");
    EXPECT_EQ(MapDrivePath("C:\\Data\\Out"), fs::path(home) / "Data" / "Out");
    EXPECT_EQ(MapDrivePath("D:\\OUT"), fs::path("/mnt/d/OUT"));
    EXPECT_EQ(MapDrivePath("D:\\OUT\\"), fs::path("/mnt/d/OUT/"));
    EXPECT_EQ(MapDrivePath("/srv/exchange"), fs::path("/srv/exchange"));
    EXPECT_EQ(MapDrivePath("relative/dir"), fs::path("relative/dir"));
    EXPECT_EQ(MapDrivePath(""), fs::path(""));
    SetFloppyMountPoint(savedFloppy);
}

TEST(DrivePaths, DrivesAndTheDriveOfAPath) {
    const fs::path savedFloppy = FloppyMountPoint();
    SetFloppyMountPoint("/tmp/floppy");
    std::vector<Drive> drives = Drives();
    ASSERT_EQ(drives.size(), 3u);
    EXPECT_EQ(drives[0].name, "A:");
    EXPECT_EQ(drives[1].name, "C:");
    EXPECT_EQ(drives[2].name, "/");
    EXPECT_EQ(DriveOf("/tmp/floppy/SEND").name, "A:");
    EXPECT_EQ(DriveOf("/tmp/floppy").name, "A:");
    EXPECT_EQ(DriveOf("/tmp/floppyX").name, "/");
    EXPECT_EQ(DriveOf(fs::path(std::getenv("HOME")) / "x").name, "C:");
    EXPECT_EQ(DriveOf("/usr").name, "/");
    SetFloppyMountPoint(savedFloppy);
}

// A line of /proc/self/mountinfo for `point`, escaped as the kernel writes it.
std::string MountLine(int id, const std::string& point) {
    return std::to_string(id) + " 29 8:17 / " + point +
           " rw,nosuid,nodev,relatime shared:402 - vfat /dev/sdb1 rw,uid=1000\n";
}

std::string ThisUsersName() {
    const passwd* entry = ::getpwuid(::getuid());
    return entry != nullptr ? entry->pw_name : "";
}

// Drive A: as the mount table shows it. The table's mount points lie below a
// temporary folder, as the fake table puts them.
TEST(DrivePaths, DriveAIsTheMountedFloppyOrTheUsersRemovableMedium) {
    TempStore root;
    const std::string user = ThisUsersName();
    ASSERT_FALSE(user.empty());
    const fs::path floppy = root.path("media/floppy");
    const std::string media = "/media/" + user + "/";
    const std::string runMedia = "/run/media/" + user + "/";
    const auto below = [&](const std::string& point) {
        return root.dir() / fs::path(point).relative_path();
    };
    struct Row {
        const char* what;
        std::vector<std::string> mounts;
        std::string chosen;
        std::string driveA;               // mount point, "" for the floppy's
        std::vector<std::string> labels;  // the selector's A: entries
        bool ready;                       // whether those have a medium
        bool driveAReady;                 // whether A: itself has one
        bool noneChosen = false;          // several media and none chosen
    };
    const Row rows[] = {
        {"nothing mounted", {}, "", "", {floppy.string()}, false, false},
        {"the floppy", {"/media/floppy"}, "", "", {floppy.string()}, true, true},
        {"the user's stick",
         {media + "KINGSTON"},
         "",
         media + "KINGSTON",
         {"KINGSTON"},
         true,
         true},
        {"a label with blanks under /run/media",
         {runMedia + "My\\040Disk"},
         "",
         runMedia + "My Disk",
         {"My Disk"},
         true,
         true},
        {"the floppy before a stick",
         {media + "STICK", "/media/floppy"},
         "",
         "",
         {floppy.string()},
         true,
         true},
        {"two sticks, none chosen: no disk",
         {media + "A1", media + "B2"},
         "",
         "",
         {"A1", "B2"},
         true,
         false,
         true},
        {"a stick chosen that is gone, two others",
         {media + "A1", media + "C3"},
         media + "B2",
         "",
         {"A1", "C3"},
         true,
         false,
         true},
        {"two sticks and the floppy",
         {media + "A1", media + "B2", "/media/floppy"},
         "",
         "",
         {floppy.string()},
         true,
         true},
        {"two sticks, the second chosen",
         {media + "A1", media + "B2"},
         media + "B2",
         media + "B2",
         {"A1", "B2"},
         true,
         true},
        {"the chosen stick is gone",
         {media + "A1"},
         media + "B2",
         media + "A1",
         {"A1"},
         true,
         true},
        {"one stick mounted twice", {media + "S", media + "S"}, "", media + "S", {"S"}, true, true},
        {"no medium of the user's",
         {"/", "/media/other/X", "/media/" + user, media + "S/inner", "/mnt/usb", "/media/cdrom",
          "/home/" + user + "/media/" + user + "/Y"},
         "",
         "",
         {floppy.string()},
         false,
         false},
    };
    SetFloppyMountPoint(floppy);
    for (const Row& row : rows) {
        std::string table;
        int id = 30;
        for (const std::string& point : row.mounts) {
            table += MountLine(id++, point);
        }
        SetMountTable(table, root.dir());
        if (!row.chosen.empty()) {
            ChooseDriveA(below(row.chosen));
        }
        const fs::path driveA = row.driveA.empty() ? floppy : below(row.driveA);
        EXPECT_EQ(FloppyMountPoint(), driveA) << row.what;
        EXPECT_EQ(MapDrivePath("A:\\SEND\\"), driveA / "SEND" / "") << row.what;
        std::vector<std::string> labels;
        for (const Drive& drive : Drives()) {
            if (drive.name == "A:") {
                labels.push_back(drive.label);
                EXPECT_EQ(drive.ready, row.ready) << row.what << " " << drive.label;
            }
        }
        EXPECT_EQ(labels, row.labels) << row.what;
        EXPECT_EQ(DriveOf(driveA / "SEND").ready, row.driveAReady) << row.what;
        EXPECT_EQ(DriveOf(driveA / "SEND").root, driveA) << row.what;
        EXPECT_EQ(SeveralMediaNoneChosen(), row.noneChosen) << row.what;
    }

    // The floppy mount point may be a link to the folder that the table names.
    fs::create_directories(root.path("media/floppy0"));
    fs::create_directory_symlink("floppy0", floppy);
    SetMountTable(MountLine(30, "/media/floppy0") + MountLine(31, media + "S"), root.dir());
    EXPECT_EQ(FloppyMountPoint(), floppy);

    // A new table forgets the choice.
    SetMountTable(MountLine(30, media + "A1") + MountLine(31, media + "B2"), root.dir());
    ChooseDriveA(below(media + "A1"));
    EXPECT_EQ(FloppyMountPoint(), below(media + "A1"));
    SetMountTable(MountLine(30, media + "A1") + MountLine(31, media + "B2"), root.dir());
    EXPECT_EQ(FloppyMountPoint(), floppy);

    SetMountTable(std::string());
    SetFloppyMountPoint("/media/floppy");
}

TEST(Gbk, ConversionBothWaysAndBeyondGbk) {
    EXPECT_EQ(Utf8ToGbk("中"), "\xD6\xD0");
    EXPECT_EQ(GbkToUtf8("\xD6\xD0"), "中");
    EXPECT_EQ(Utf8ToGbk("abc"), "abc");
    // 𠀀 (U+20000) is not in GBK; GB18030 holds it in four bytes.
    std::string outside = Utf8ToGbk("\xF0\xA0\x80\x80");
    EXPECT_EQ(outside.size(), 4u);
    EXPECT_EQ(GbkToUtf8(outside), "\xF0\xA0\x80\x80");
    // Bytes that form no character stand for themselves as U+F7xx and come
    // back unchanged.
    EXPECT_EQ(GbkToUtf8("a\xFF"
                        "b"),
              "a\xEF\x9F\xBF"
              "b");
    EXPECT_EQ(GbkToUtf8("x\xD6"), "x\xEF\x9F\x96");
    EXPECT_EQ(Utf8ToGbk("x\xEF\x9F\x96"), "x\xD6");
    EXPECT_EQ(Utf8ToGbk("\xEF\x9E\x80\xE4\xB8\xAD"), "\x80\xD6\xD0");
    EXPECT_EQ(Utf8ToGbk("a\xC3"), "a?");

    EXPECT_TRUE(IsUtf8("abc"));
    EXPECT_TRUE(IsUtf8("项目\xF0\xA0\x80\x80"));
    EXPECT_FALSE(IsUtf8("\xCF\xEE\xC4\xBF"));  // 项目 in GBK
    EXPECT_FALSE(IsUtf8("\xC3"));
    EXPECT_FALSE(IsUtf8("\xC0\xAF"));      // overlong "/"
    EXPECT_FALSE(IsUtf8("\xED\xA0\x80"));  // a surrogate
}

TEST(Gbk, StoredTextSurvivesTheWayToTheWindowsAndBack) {
    // Text as stores hold it: ASCII, GBK characters, GB18030 four-byte
    // characters, and stray bytes (a character cut in half, 0x80, 0xFF).
    std::mt19937 random(20011016);
    const auto pick = [&random](int n) {
        return static_cast<int>(std::uniform_int_distribution<int>(0, n - 1)(random));
    };
    for (int round = 0; round < 5000; ++round) {
        std::string text;
        const int pieces = pick(12);
        for (int i = 0; i < pieces; ++i) {
            switch (pick(5)) {
                case 0:
                    text.push_back(static_cast<char>(0x20 + pick(0x5F)));
                    break;
                case 1: {
                    text.push_back(static_cast<char>(0x81 + pick(0x7E)));
                    const int trail = 0x40 + pick(0xBE);
                    text.push_back(static_cast<char>(trail == 0x7F ? 0x80 : trail));
                    break;
                }
                case 2:
                    text += Utf8ToGbk("\xF0\xA0\x80\x80");  // U+20000
                    break;
                case 3:
                    text.push_back(pick(2) == 0 ? '\x80' : '\xFF');
                    break;
                default:
                    text.push_back(static_cast<char>(0x81 + pick(0x7E)));  // a lone lead byte
                    break;
            }
        }
        ASSERT_EQ(Utf8ToGbk(GbkToUtf8(text)), text) << round;
    }
}

}  // namespace
}  // namespace shenbao::platform
