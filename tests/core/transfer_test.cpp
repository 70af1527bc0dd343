// Export and import runs without windows: files, control file, log lines,
// new IDs, the floppy checks and hostile exchange media.

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <map>
#include <set>

#include "core/transfer.h"
#include "platform/gbk.h"
#include "platform/platform.h"
#include "platform/workers.h"
#include "store/store.h"
#include "tests/support/temp_store.h"

namespace shenbao {
namespace {

using testing::Gbk;
using testing::SampleRecord;
using testing::TempStore;
using V = std::vector<std::string>;
namespace fs = std::filesystem;

// A record with text in every kind of place, members included.
TProjectRecord FullRecord(std::string_view name) {
    TProjectRecord record = SampleRecord(name, "7", "澄川大学", "12.5", "2001-07-16");
    record.Fields[Field::ResearchContent] = Gbk("研究内容\r\n第二行");
    record.Members[0].Cells = {Gbk("张三"), Gbk("男"),   "1960-01",
                               Gbk("大学"), Gbk("教授"), Gbk("澄川大学")};
    record.Members[14].Cells[MemberCell::Name] = Gbk("李四");
    return record;
}

ListRow Row(const std::string& id, std::string_view name) {
    ListRow row;
    row[0] = id;
    row[2] = Gbk(name);
    return row;
}

V Lines(const ExchangeResult& result) {
    V lines;
    for (const std::string& line : result.log) {
        lines.push_back(GbkToUtf8(line));
    }
    return lines;
}

std::set<std::string> Names(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// ---- Paths -------------------------------------------------------------------------

TEST(ExchangePaths, SettingFileGivesItsFirstLineUnchangedOrTheDefault) {
    TempStore store;
    EXPECT_EQ(ReadPathSetting(store.dir(), kExportPathFileName), "c:\\");
    EXPECT_FALSE(store.Exists("_DataOut.zzj"));  // only read

    store.Write("_DataIn.zzj", " D:\\IN \r\nsecond line\r\n");
    EXPECT_EQ(ReadPathSetting(store.dir(), kImportPathFileName), " D:\\IN ");
    store.Write("_DataIn.zzj", "");
    EXPECT_EQ(ReadPathSetting(store.dir(), kImportPathFileName), "");

    WritePathSetting(store.dir(), kExportPathFileName, Gbk("/tmp/导出"));
    EXPECT_EQ(store.Read("_DataOut.zzj"), Gbk("/tmp/导出") + "\r\n");
    // A path holds one line: one that would be cut when read back is refused.
    for (const char* text : {"/tmp/a\n/etc", "/tmp/a\r", "/tmp/\ta"}) {
        EXPECT_THROW(WritePathSetting(store.dir(), kExportPathFileName, text), IoError) << text;
    }
    EXPECT_EQ(store.Read("_DataOut.zzj"), Gbk("/tmp/导出") + "\r\n");
    // Saved by a Windows text editor.
    store.Write("_DataIn.zzj", std::string(kUtf8ByteOrderMark) + "D:\\IN\r\n");
    EXPECT_EQ(ReadPathSetting(store.dir(), kImportPathFileName), "D:\\IN");
}

TEST(ExchangePaths, DriveTextsMapAndAnEmptyPathNamesItsSettingFile) {
    EXPECT_EQ(ExchangeDirectory("D:\\OUT", "x") / "a", ExchangeDirectory("D:\\OUT\\", "x") / "a");
    EXPECT_EQ(ExchangeDirectory("/srv/in", "x"), fs::path("/srv/in"));
    try {
        ExchangeDirectory("", "/data/_DataOut.zzj");
        FAIL() << "an empty path must not name a directory";
    } catch (const IoError& error) {
        EXPECT_EQ(error.path(), fs::path("/data/_DataOut.zzj"));
    }
}

// ---- The floppy ----------------------------------------------------------------------

// A line of /proc/self/mountinfo for `point`.
std::string MountLine(int id, const std::string& point) {
    return std::to_string(id) + " 29 8:17 / " + point +
           " rw,nosuid,nodev,relatime shared:402 - vfat /dev/sdb1 rw,uid=1000\n";
}

class Floppy : public ::testing::Test {
  protected:
    void SetUp() override {
        old_ = platform::FloppyMountPoint();
        platform::SetFloppyMountPoint(disk_.dir());
    }
    void TearDown() override {
        platform::SetFloppyMountPoint(old_);
        platform::SetFreeSpaceOverride(std::nullopt);
    }
    TempStore disk_;
    fs::path old_;
};

TEST_F(Floppy, TooLittleSpaceIsReportedInWholeKilobytes) {
    platform::SetFreeSpaceOverride(-1);  // no disk: SEND cannot be made either
    V problems = CheckFloppyForExport();
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(GbkToUtf8(problems[0]), "软盘上仅有0K的空间，请换一片空软盘作为数据导出盘!");
    EXPECT_EQ(GbkToUtf8(problems[1]), "在A：上创建\\Send失败！");
    EXPECT_FALSE(fs::exists(disk_.path("SEND")));

    platform::SetFreeSpaceOverride(1399999);
    problems = CheckFloppyForExport();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(GbkToUtf8(problems[0]), "软盘上仅有1399K的空间，请换一片空软盘作为数据导出盘!");

    platform::SetFreeSpaceOverride(1400000);
    EXPECT_EQ(CheckFloppyForExport(), V{});
    EXPECT_TRUE(platform::DirectoryExists(disk_.path("SEND")));
    EXPECT_EQ(FloppySendDirectory(), disk_.path("SEND"));
}

TEST_F(Floppy, SendThatCannotBeCreatedIsReportedAfterTheSpace) {
    disk_.Write("SEND", "a file in the way");
    platform::SetFreeSpaceOverride(5000000);
    V problems = CheckFloppyForExport();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(GbkToUtf8(problems[0]), "在A：上创建\\Send失败！");

    platform::SetFreeSpaceOverride(1000);
    problems = CheckFloppyForExport();
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(GbkToUtf8(problems[0]), "软盘上仅有1K的空间，请换一片空软盘作为数据导出盘!");
    EXPECT_EQ(GbkToUtf8(problems[1]), "在A：上创建\\Send失败！");
}

TEST_F(Floppy, NoMediumMeansNoSendAndNothingIsCreatedOnTheRootFileSystem) {
    const fs::path missing = disk_.path("not-mounted");
    platform::SetFloppyMountPoint(missing);
    platform::SetFreeSpaceOverride(5000000);
    V problems = CheckFloppyForExport();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(GbkToUtf8(problems[0]), "在A：上创建\\Send失败！");
    EXPECT_FALSE(fs::exists(missing));
}

TEST_F(Floppy, AnEmptyMountPointIsADriveWithoutDisk) {
    // Nothing is mounted on the temporary directory: it belongs to the file
    // system around it, and SEND must not land there.
    V problems = CheckFloppyForExport();
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(GbkToUtf8(problems[0]), "软盘上仅有0K的空间，请换一片空软盘作为数据导出盘!");
    EXPECT_FALSE(fs::exists(disk_.path("SEND")));
    // Import stops there too, instead of reading stray files of the mount point.
    problems = CheckFloppyForImport();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(GbkToUtf8(problems[0]), "驱动器A：中没有软盘，请插入数据盘后再引入！");
    platform::SetFreeSpaceOverride(0);  // a full disk is still a disk
    EXPECT_EQ(CheckFloppyForImport(), V{});
}

TEST_F(Floppy, SendIsFoundInAnyLetterCaseAndImportFallsBackToTheRoot) {
    EXPECT_EQ(FloppyImportDirectory(), disk_.dir());
    fs::create_directory(disk_.path("send"));
    EXPECT_EQ(FloppySendDirectory(), disk_.path("send"));
    EXPECT_EQ(FloppyImportDirectory(), disk_.path("send"));
    platform::SetFreeSpaceOverride(1400000);
    EXPECT_EQ(CheckFloppyForExport(), V{});
    EXPECT_FALSE(fs::exists(disk_.path("SEND")));

    // A SEND that is a link could lead off the disk: export does not write
    // through it, import reads the root and says why.
    TempStore elsewhere;
    fs::remove(disk_.path("send"));
    fs::create_directory_symlink(elsewhere.dir(), disk_.path("Send"));
    EXPECT_EQ(FloppySendDirectory(), disk_.path("Send"));
    V problems = CheckFloppyForExport();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(GbkToUtf8(problems[0]), "在A：上创建\\Send失败！");
    std::string refusal;
    EXPECT_EQ(FloppyImportDirectory(&refusal), disk_.dir());
    EXPECT_EQ(GbkToUtf8(refusal), "A:\\SEND是一个符号链接，不从中引入；改从A:\\引入。");
    EXPECT_TRUE(fs::is_empty(elsewhere.dir()));
}

TEST_F(Floppy, SeveralSticksAndNoneChosenAskForAChoiceInsteadOfNamingTheFloppy) {
    const passwd* user = ::getpwuid(::getuid());
    ASSERT_NE(user, nullptr);
    TempStore root;
    const std::string media = std::string("/media/") + user->pw_name + "/";
    const fs::path stick = root.dir() / fs::path(media + "B2").relative_path();
    fs::create_directories(stick);
    platform::SetMountTable(MountLine(30, media + "A1") + MountLine(31, media + "B2"), root.dir());
    platform::SetFreeSpaceOverride(5000000);
    V problems = CheckFloppyForExport();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(GbkToUtf8(problems[0]),
              "电脑上插着多个可移动磁盘，不知道用哪一个作为驱动器A：。\n请先在“设置”菜单的“"
              "设置数据导出路径”中，从驱动器列表里选择要用的那一个。");
    problems = CheckFloppyForImport();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(GbkToUtf8(problems[0]),
              "电脑上插着多个可移动磁盘，不知道用哪一个作为驱动器A：。\n请先在“设置”菜单的“"
              "设置数据引入路径”中，从驱动器列表里选择要用的那一个。");
    // Nothing was made in the floppy's mount point meanwhile.
    EXPECT_FALSE(fs::exists(disk_.path("SEND")));

    // Once one is chosen, it is drive A:.
    platform::ChooseDriveA(stick);
    EXPECT_EQ(CheckFloppyForExport(), V{});
    EXPECT_TRUE(platform::DirectoryExists(stick / "SEND"));
    EXPECT_EQ(CheckFloppyForImport(), V{});
    platform::SetMountTable(std::string());
}

// ---- Export ------------------------------------------------------------------------

TEST(Export, CopiesFilesByteForByteAndListsOnlyExportedIds) {
    TempStore store, out;
    store.AddProject("AAAA1111", FullRecord("项目甲"));
    store.AddProject("BBBB2222", SampleRecord("项目乙"));
    fs::remove(store.path("BBBB2222.zj"));  // no member file: still exported
    // CCCC3333 has no main data file.
    V seen;
    ExchangeResult result =
        RunExport(store.dir(),
                  {Row("AAAA1111", "项目甲"), Row("CCCC3333", "项目丙"), Row("BBBB2222", "项目乙")},
                  out.dir(), [&](const std::string& line) { seen.push_back(GbkToUtf8(line)); });

    EXPECT_EQ(result.count, 2);
    EXPECT_EQ(result.ids, (V{"AAAA1111", "BBBB2222"}));
    const V expected = {"项目“项目甲”导出完毕。", "错误号:421  未找到项目“项目丙”的数据文件！",
                        "项目“项目乙”导出完毕。"};
    EXPECT_EQ(Lines(result), expected);
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(out.Read("vemra.zzj"), "AAAA1111\r\nBBBB2222\r\n");
    EXPECT_EQ(Names(out.dir()),
              (std::set<std::string>{"AAAA1111.zzj", "AAAA1111.zj", "BBBB2222.zzj", "vemra.zzj"}));
    EXPECT_EQ(out.Read("AAAA1111.zzj"), store.Read("AAAA1111.zzj"));
    EXPECT_EQ(out.Read("AAAA1111.zj"), store.Read("AAAA1111.zj"));
    EXPECT_EQ(out.Read("BBBB2222.zzj"), store.Read("BBBB2222.zzj"));
}

TEST(Export, SecondRunReplacesItsFilesKeepsOthersAndRewritesTheControlFile) {
    TempStore store, out;
    store.AddProject("AAAA1111", SampleRecord("甲"));
    store.AddProject("BBBB2222", SampleRecord("乙"));
    RunExport(store.dir(), {Row("AAAA1111", "甲")}, out.dir());
    store.AddProject("BBBB2222", SampleRecord("乙改"));
    out.Write("BBBB2222.zzj", "old copy");
    ExchangeResult second = RunExport(store.dir(), {Row("BBBB2222", "乙改")}, out.dir());
    EXPECT_EQ(second.count, 1);
    EXPECT_EQ(out.Read("vemra.zzj"), "BBBB2222\r\n");
    EXPECT_TRUE(out.Exists("AAAA1111.zzj"));
    EXPECT_EQ(out.Read("BBBB2222.zzj"), store.Read("BBBB2222.zzj"));
}

// An export over an earlier one that finds the medium full at its n-th
// write (n = 1, 2, 3 ...), or whose flush fails: every run ends with no
// control file, or with one whose every ID has its files beside it, whole.
TEST(Export, AFullMediumOrAFailingFlushNeverLeavesAControlFileNamingMissingFiles) {
    TempStore store;
    V ids;
    std::vector<ListRow> rows;
    for (int i = 0; i < 4; ++i) {
        const std::string id = "FULL000" + std::to_string(i);
        store.AddProject(id, FullRecord("满盘"));
        ids.push_back(id);
        rows.push_back(Row(id, "满盘"));
    }
    struct Fault {
        platform::FileOperation operation;
        int errorCode;
    };
    for (const Fault fault : {Fault{platform::FileOperation::Write, ENOSPC},
                              Fault{platform::FileOperation::Sync, EIO}}) {
        for (int failAt = 1;; ++failAt) {
            SCOPED_TRACE(failAt);
            TempStore out;
            RunExport(store.dir(), {rows[0], rows[1]}, out.dir());  // the earlier export
            int seen = 0;
            platform::SetFaultInjector([&](platform::FileOperation operation,
                                           const fs::path& path) {
                const bool underOut = path.string().rfind(out.dir().parent_path().string(), 0) == 0;
                return operation == fault.operation && underOut && ++seen == failAt
                           ? fault.errorCode
                           : 0;
            });
            bool failed = false;
            try {
                RunExport(store.dir(), rows, out.dir());
            } catch (const IoError& error) {
                failed = true;
                EXPECT_EQ(error.errorCode(), fault.errorCode);
            }
            platform::SetFaultInjector({});
            if (out.Exists("vemra.zzj")) {
                for (const std::string& id : ParseIdList(out.Read("vemra.zzj"))) {
                    EXPECT_EQ(out.Read(id + ".zzj"), store.Read(id + ".zzj")) << id;
                    EXPECT_EQ(out.Read(id + ".zj"), store.Read(id + ".zj")) << id;
                }
            }
            for (const std::string& name : Names(out.dir())) {
                EXPECT_FALSE(platform::IsTemporaryName(name)) << name;
            }
            if (!failed) {
                EXPECT_EQ(ParseIdList(out.Read("vemra.zzj")), ids);
                break;
            }
        }
    }
}

// A copy that replaces a file of an earlier export keeps that file's mode;
// a new one takes the user's umask. A temporary that goes before its rename
// fails the run before any control file is written.
TEST(Export, ReplacedCopiesKeepTheirModeAndAVanishedTemporaryFailsTheRun) {
    TempStore store, out;
    std::vector<ListRow> rows;  // more files than a batch flushes one by one
    for (int i = 1; i <= 10; ++i) {
        const std::string id = "MODE00" + std::string(i < 10 ? "0" : "") + std::to_string(i);
        store.AddProject(id, SampleRecord("权限"));
        rows.push_back(Row(id, "权限"));
    }
    RunExport(store.dir(), {rows[0]}, out.dir());
    const fs::perms kept = fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read;
    fs::permissions(out.path("MODE0001.zzj"), kept);
    const mode_t mask = ::umask(027);
    RunExport(store.dir(), rows, out.dir());
    ::umask(mask);
    EXPECT_EQ(fs::status(out.path("MODE0001.zzj")).permissions() & fs::perms::all, kept);
    EXPECT_EQ(fs::status(out.path("MODE0002.zzj")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    TempStore fresh;
    platform::SetFaultInjector([](platform::FileOperation operation, const fs::path& path) {
        if (operation == platform::FileOperation::Sync &&
            path.filename().string().find("MODE0007.zj.") != std::string::npos) {
            fs::remove(path);
        }
        return 0;
    });
    EXPECT_THROW(RunExport(store.dir(), rows, fresh.dir()), IoError);
    platform::SetFaultInjector({});
    EXPECT_FALSE(fresh.Exists("vemra.zzj"));
}

TEST(Export, StoredFilesAreFoundUnderAnotherLetterCase) {
    TempStore store, out;
    store.AddProject("UPPR0001", SampleRecord("大写"));
    fs::rename(store.path("UPPR0001.zzj"), store.path("uppr0001.ZZJ"));
    ListRow row;
    row[0] = "UPPR0001";
    row[2] = Gbk("大写");
    const ExchangeResult result = RunExport(store.dir(), {row}, out.dir());
    EXPECT_EQ(result.count, 1);
    EXPECT_EQ(out.Read("uppr0001.ZZJ"), store.Read("uppr0001.ZZJ"));
    EXPECT_EQ(out.Read("UPPR0001.zj"), store.Read("UPPR0001.zj"));
}

TEST(Export, AnEmptyListWritesAnEmptyControlFile) {
    TempStore store, out;
    ExchangeResult result = RunExport(store.dir(), {}, out.dir());
    EXPECT_EQ(result.count, 0);
    EXPECT_TRUE(result.log.empty());
    ASSERT_TRUE(out.Exists("vemra.zzj"));
    EXPECT_EQ(out.Read("vemra.zzj"), "");
}

TEST(Export, StopsWithAnErrorNamingAMissingDestinationBeforeCopying) {
    TempStore store;
    store.AddProject("AAAA1111", SampleRecord("甲"));
    const fs::path missing = store.path("no-such-dir");
    try {
        RunExport(store.dir(), {Row("AAAA1111", "甲")}, missing);
        FAIL() << "export into a missing directory must fail";
    } catch (const IoError& error) {
        EXPECT_EQ(error.path(), missing);
        EXPECT_EQ(error.errorCode(), ENOENT);
    }
    EXPECT_FALSE(fs::exists(missing));
}

TEST(Export, RefusesTheDataDirectoryWhoseIndexItWouldReplace) {
    TempStore store;
    store.AddProject("AAAA1111", SampleRecord("甲"));
    store.AddProject("BBBB2222", SampleRecord("乙"));
    SaveIndex(store.dir(), {"AAAA1111", "BBBB2222"});
    // The shown list after a query holds one of the two.
    EXPECT_THROW(RunExport(store.dir(), {Row("AAAA1111", "甲")}, store.dir() / "."), IoError);
    EXPECT_EQ(store.Read("vemra.zzj"), "AAAA1111\r\nBBBB2222\r\n");
}

TEST(Export, ListedIdsThatLeadOutOfTheDataDirectoryCopyNothing) {
    TempStore root;
    fs::create_directory(root.path("data"));
    fs::create_directory(root.path("out"));
    root.Write("x.zzj", "outside");
    root.Write("data/a.zzj", "not ours");
    const fs::path data = root.path("data") / "";
    ExchangeResult result = RunExport(
        data, {Row("../x", "外"), Row("data/a", "斜"), Row("C:x", "盘")}, root.path("out"));
    EXPECT_EQ(result.count, 0);
    EXPECT_EQ(result.log.size(), 3u);
    EXPECT_EQ(Names(root.path("out")), std::set<std::string>{"vemra.zzj"});
}

// ---- Import ------------------------------------------------------------------------

std::string Listed(const V& ids) {
    return ListedIds(IdRows(ids));
}

TEST(Import, EveryImportDrawsNewIdsSoTwoImportsStoreEverythingTwice) {
    TempStore store, source;
    source.AddProject("AAAA1111", FullRecord("甲"));
    source.AddProject("BBBB2222", SampleRecord("乙"));
    source.Write("vemra.zzj", "AAAA1111\r\nBBBB2222\r\n");
    store.AddProject("OLD00001", SampleRecord("旧"));
    SaveIndex(store.dir(), {"OLD00001"});

    ExchangeResult first = RunImport(store.dir(), Listed(LoadIndex(store.dir())), source.dir());
    ExchangeResult second = RunImport(store.dir(), Listed(LoadIndex(store.dir())), source.dir());
    ASSERT_EQ(first.count, 2);
    ASSERT_EQ(second.count, 2);
    const V index = LoadIndex(store.dir());
    EXPECT_EQ(index, (V{"OLD00001", first.ids[0], first.ids[1], second.ids[0], second.ids[1]}));
    EXPECT_EQ(std::set<std::string>(index.begin(), index.end()).size(), 5u);
    for (const ExchangeResult* run : {&first, &second}) {
        EXPECT_EQ(store.Read(run->ids[0] + ".zzj"), source.Read("AAAA1111.zzj"));
        EXPECT_EQ(store.Read(run->ids[0] + ".zj"), source.Read("AAAA1111.zj"));
        EXPECT_EQ(store.Read(run->ids[1] + ".zzj"), source.Read("BBBB2222.zzj"));
        EXPECT_EQ(Lines(*run), (V{"ID号为“" + run->ids[0] + "”的项目引入完毕。",
                                  "ID号为“" + run->ids[1] + "”的项目引入完毕。"}));
        for (const std::string& id : run->ids) {
            EXPECT_EQ(id.size(), 8u);
            EXPECT_EQ(id.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"),
                      std::string::npos);
        }
    }
}

TEST(Import, ControlFileBlanksAreIgnoredAndMissingProjectsGet432) {
    TempStore store, source;
    source.AddProject("AAAA1111", SampleRecord("甲"));
    source.Write("vemra.zzj", "\r\n  AAAA1111 \r\n\t\r\nGONE0000\r\n");
    ExchangeResult result = RunImport(store.dir(), Listed({}), source.dir());
    EXPECT_EQ(result.count, 1);
    ASSERT_EQ(result.log.size(), 2u);
    EXPECT_EQ(Lines(result)[1], "错误号:432  未找到项目“GONE0000”的数据文件！");
    EXPECT_EQ(store.Read("vemra.zzj"), result.ids[0] + "\r\n");
}

TEST(Import, SourceFilesAreFoundInAnotherLetterCase) {
    TempStore store, source;
    source.Write("VEMRA.ZZJ", "abcd1234\r\n");
    source.Write("ABCD1234.ZZJ", "main");
    source.Write("ABCD1234.ZJ", "members");
    ExchangeResult result = RunImport(store.dir(), Listed({}), source.dir());
    ASSERT_EQ(result.count, 1);
    EXPECT_EQ(store.Read(result.ids[0] + ".zzj"), "main");
    EXPECT_EQ(store.Read(result.ids[0] + ".zj"), "members");
}

TEST(Import, WithoutControlFileOnlyMemberFilesNameProjects) {
    TempStore store, source;
    source.Write("MAINONLY.zzj", "m1");
    source.Write("MEMBONLY.zj", "s2");
    source.Write("BOTHFILE.zzj", "m3");
    source.Write("BOTHFILE.zj", "s3");
    source.Write(".HIDDEN0.zj", "s4");
    source.Write(".HIDDEN0.zzj", "m4");
    fs::create_directory(source.path("DIRNAME.zj"));
    ExchangeResult result = RunImport(store.dir(), Listed({}), source.dir());
    EXPECT_EQ(result.count, 1);
    EXPECT_EQ(store.Read(result.ids[0] + ".zzj"), "m3");
    EXPECT_EQ(store.Read(result.ids[0] + ".zj"), "s3");
    V lines = Lines(result);
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (V{"ID号为“" + result.ids[0] + "”的项目引入完毕。",
                        "错误号:432  未找到项目“MEMBONLY”的数据文件！"}));
}

TEST(Import, NothingFoundLeavesTheIndexUntouched) {
    TempStore store, source;
    source.Write("vemra.zzj", "GONE0001\r\nGONE0002\r\n");
    store.Write("vemra.zzj", "KEEP0001");  // no final line end: must stay as it is
    ExchangeResult result = RunImport(store.dir(), Listed({"KEEP0001"}), source.dir());
    EXPECT_EQ(result.count, 0);
    EXPECT_EQ(result.log.size(), 2u);
    EXPECT_EQ(store.Read("vemra.zzj"), "KEEP0001");

    TempStore empty, fresh;
    EXPECT_EQ(RunImport(fresh.dir(), Listed({}), empty.dir()).count, 0);
    EXPECT_FALSE(fresh.Exists("vemra.zzj"));
}

TEST(Import, HostileIdsReadNothingOutsideTheSourceAndWriteNothingOutsideTheStore) {
    TempStore root;
    for (const char* dir : {"data", "media", "media/a"}) {
        fs::create_directory(root.path(dir));
    }
    root.Write("x.zzj", "outside main");
    root.Write("x.zj", "outside members");
    root.Write("media/a/b.zzj", "nested main");
    root.Write("C:x.zzj", "colon main");
    root.Write("media/vemra.zzj", "../x\r\na/b\r\nC:x\r\n..\r\n");
    const fs::path data = root.path("data") / "";
    ExchangeResult result = RunImport(data, Listed({}), root.path("media"));
    EXPECT_EQ(result.count, 0);
    EXPECT_EQ(
        Lines(result),
        (V{"错误号:432  未找到项目“../x”的数据文件！", "错误号:432  未找到项目“a/b”的数据文件！",
           "错误号:432  未找到项目“C:x”的数据文件！", "错误号:432  未找到项目“..”的数据文件！"}));
    EXPECT_TRUE(Names(data).empty());
    EXPECT_EQ(root.Read("x.zzj"), "outside main");
}

TEST(Import, FreshIdsAvoidTheListAndEachOther) {
    TempStore store, source;
    source.Write("vemra.zzj", "P1\r\nP2\r\n");
    source.Write("P1.zzj", "one");
    source.Write("P2.zzj", "two");
    // The generator offers a listed ID, then the same fresh ID twice.
    V offers = {"LISTED01", "FRESH001", "LISTED01", "FRESH001", "FRESH002"};
    std::size_t next = 0;
    ExchangeResult result = RunImport(store.dir(), Listed({"LISTED01"}), source.dir(), {}, [&] {
        return next < offers.size() ? offers[next++] : std::string("X");
    });
    EXPECT_EQ(result.ids, (V{"FRESH001", "FRESH002"}));
    EXPECT_EQ(store.Read("FRESH001.zzj"), "one");
    EXPECT_EQ(store.Read("FRESH002.zzj"), "two");
}

TEST(Import, AnIdInsideALongerListedCellIsTakenAndShorterOnesAreSearchedFor) {
    TempStore store, source;
    source.Write("vemra.zzj", "P1\r\nP2\r\nP3\r\n");
    for (const char* id : {"P1", "P2", "P3"})
        source.Write(std::string(id) + ".zzj", id);
    // The list text holds ABCDEFGH inside a longer cell, and the list's end
    // joins with nothing; "ID" occurs in the title.
    V offers = {"ABCDEFGH", "BCDEFGHy", "ID", "ZZZZ0001", "ZZZZ0001", "QQ", "ZZZZ0002"};
    std::size_t next = 0;
    ExchangeResult result = RunImport(store.dir(), Listed({"xABCDEFGHy"}), source.dir(), {}, [&] {
        return next < offers.size() ? offers[next++] : std::string("X");
    });
    EXPECT_EQ(result.ids, (V{"ZZZZ0001", "QQ", "ZZZZ0002"}));
}

TEST(Import, AProjectWithoutAFreshIdIn16000CandidatesIsReportedAndLeftOut) {
    TempStore store, source;
    source.Write("vemra.zzj", "P1\r\nP2\r\n");
    source.Write("P1.zzj", "one");
    source.Write("P2.zzj", "two");
    int calls = 0;
    // After the first ID every candidate is the one just drawn.
    ExchangeResult result = RunImport(store.dir(), Listed({}), source.dir(), {}, [&] {
        ++calls;
        return std::string("ONLY0001");
    });
    EXPECT_EQ(calls, 1 + kImportIdAttempts);
    EXPECT_EQ(result.ids, V{"ONLY0001"});
    EXPECT_EQ(Lines(result), (V{"ID号为“ONLY0001”的项目引入完毕。",
                                "错误号:408   未能为项目“P2”产生一个唯一的ID号，未引入！"}));
    EXPECT_EQ(store.Read("vemra.zzj"), "ONLY0001\r\n");
}

TEST(Import, TakesEveryProjectItsSourceNamesBeyondSixHundred) {
    TempStore store, source;
    V ids;
    for (int i = 0; i < 650; ++i) {
        char id[16];
        std::snprintf(id, sizeof id, "S%07d", i);
        ids.emplace_back(id);
        source.Write(ids.back() + ".zzj", ids.back());
    }
    source.Write("vemra.zzj", FormatIdList(ids));
    ExchangeResult result = RunImport(store.dir(), Listed({}), source.dir());
    EXPECT_EQ(result.count, 650);
    EXPECT_EQ(LoadIndex(store.dir()).size(), 650u);
    EXPECT_EQ(store.Read(result.ids[649] + ".zzj"), "S0000649");
}

TEST(Import, AMissingSourceStopsBeforeAnythingIsWritten) {
    TempStore store;
    const fs::path missing = store.path("no-such-media");
    try {
        RunImport(store.dir(), Listed({}), missing);
        FAIL() << "import from a missing directory must fail";
    } catch (const IoError& error) {
        EXPECT_EQ(error.path(), missing);
        EXPECT_EQ(error.errorCode(), ENOENT);
    }
    EXPECT_FALSE(store.Exists("vemra.zzj"));
}

TEST(RoundTrip, ExportThenImportKeepsEveryByteUnderTheNewIds) {
    TempStore first, exchange, second;
    V ids = {"AAAA1111", "BBBB2222", "CCCC3333"};
    first.AddProject(ids[0], FullRecord("第一个项目"));
    first.AddProject(ids[1], SampleRecord("第二个项目", "2"));
    first.AddProject(ids[2], FullRecord("第三个项目~含符号"));
    fs::remove(first.path("BBBB2222.zj"));
    SaveIndex(first.dir(), ids);
    second.AddProject("HOME0001", SampleRecord("本地项目"));
    SaveIndex(second.dir(), {"HOME0001"});

    ExchangeResult out = RunExport(first.dir(), ReloadList(first.dir()), exchange.dir());
    ASSERT_EQ(out.count, 3);
    ExchangeResult in =
        RunImport(second.dir(), ListedIds(ReloadList(second.dir())), exchange.dir());
    ASSERT_EQ(in.count, 3);
    for (std::size_t i = 0; i < ids.size(); ++i) {
        EXPECT_EQ(second.Read(in.ids[i] + ".zzj"), first.Read(ids[i] + ".zzj"));
        EXPECT_EQ(second.Exists(in.ids[i] + ".zj"), first.Exists(ids[i] + ".zj"));
        if (first.Exists(ids[i] + ".zj")) {
            EXPECT_EQ(second.Read(in.ids[i] + ".zj"), first.Read(ids[i] + ".zj"));
        }
        EXPECT_EQ(ReadProjectRecord(second.dir(), in.ids[i]).record,
                  ReadProjectRecord(first.dir(), ids[i]).record);
    }
    EXPECT_EQ(LoadIndex(second.dir()), (V{"HOME0001", in.ids[0], in.ids[1], in.ids[2]}));
}

TEST(RoundTrip, AnIdInChineseCharactersTravelsWithOrWithoutTheControlFile) {
    // Hand-written indexes may hold IDs that are not letters and digits.
    TempStore first, exchange, second;
    const std::string id = Gbk("项目01");
    first.AddProject(id, SampleRecord("手工编号"));
    SaveIndex(first.dir(), {id});
    ASSERT_EQ(RunExport(first.dir(), ReloadList(first.dir()), exchange.dir()).count, 1);

    ExchangeResult in = RunImport(second.dir(), Listed({}), exchange.dir());
    ASSERT_EQ(in.count, 1);
    EXPECT_EQ(second.Read(in.ids[0] + ".zzj"), first.Read(id + ".zzj"));

    fs::remove(exchange.path("vemra.zzj"));
    EXPECT_EQ(CollectSourceIds(exchange.dir()), V{id});
    in = RunImport(second.dir(), Listed({}), exchange.dir());
    ASSERT_EQ(in.count, 1);
    EXPECT_EQ(second.Read(in.ids[0] + ".zj"), first.Read(id + ".zj"));

    // A medium that shows its names in UTF-8.
    TempStore converted;
    converted.Write("项目01.zzj", first.Read(id + ".zzj"));
    converted.Write("项目01.zj", first.Read(id + ".zj"));
    EXPECT_EQ(CollectSourceIds(converted.dir()), V{id});
    in = RunImport(second.dir(), Listed({}), converted.dir());
    ASSERT_EQ(in.count, 1);
    EXPECT_EQ(second.Read(in.ids[0] + ".zzj"), first.Read(id + ".zzj"));
}

// Export and import copy on several threads at once. Whatever the number
// of threads, a run gives the same files, log and IDs as one thread, also
// across the rounds in which the copies are made; and a run that fails
// half-way leaves neither temporaries nor files under final names, with the
// log of the projects before the failing one.
TEST(RoundTrip, CopyingOnSeveralThreadsGivesWhatOneThreadGives) {
    TempStore store;
    V ids;
    std::vector<ListRow> rows;
    int withFiles = 0;
    for (int i = 0; i < 2200; ++i) {
        char id[16];
        std::snprintf(id, sizeof id, "PAR%05d", i);
        ids.emplace_back(id);
        rows.push_back(Row(id, "并行" + std::to_string(i)));
        if (i % 97 == 5) {
            continue;  // no files: 421
        }
        if (i % 101 == 7) {
            fs::create_directory(store.path(ids.back() + ".zzj"));  // refused: 421
            continue;
        }
        ++withFiles;
        store.Write(ids.back() + ".zzj", "main " + ids.back());
        if (i % 3 != 0) {
            store.Write(ids.back() + ".zj", "members " + ids.back());
        }
    }
    SaveIndex(store.dir(), ids);
    const auto contents = [](const fs::path& dir) {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::directory_iterator(dir)) {
            if (entry.is_regular_file()) {
                files[entry.path().filename().string()] = platform::ReadFile(entry.path());
            }
        }
        return files;
    };
    // New IDs drawn in the same order every run.
    const auto counter = [] {
        return [n = 0]() mutable {
            char id[16];
            std::snprintf(id, sizeof id, "NEW%05d", n++);
            return std::string(id);
        };
    };

    // A review that notes, after each copied project, whether its member
    // file came with it.
    const auto memberNotes = [&rows] {
        auto members = std::make_shared<std::vector<char>>(rows.size(), 'x');
        ExportReview review;
        review.look = [members](std::size_t r, const std::string& main,
                                const platform::EntryRead& member) {
            (*members)[r] = main.empty() ? '?' : member.read() ? 'M' : '-';
        };
        review.note = [members, &rows](std::size_t r) {
            return "note " + rows[r][0] + " " + (*members)[r];
        };
        return review;
    };

    struct Run {
        ExchangeResult exported, imported, reviewed;
        std::map<std::string, std::string> exchange, imports;
    };
    std::map<unsigned, Run> runs;
    for (const unsigned threads : {1u, 2u, 4u}) {
        SCOPED_TRACE(threads);
        platform::SetWorkerThreads(threads);
        TempStore exchange, into, reviewed;
        Run& run = runs[threads];
        run.exported = RunExport(store.dir(), rows, exchange.dir());
        run.reviewed = RunExport(store.dir(), rows, reviewed.dir(), {}, memberNotes());
        run.imported = RunImport(into.dir(), Listed({}), exchange.dir(), {}, counter());
        run.exchange = contents(exchange.dir());
        run.imports = contents(into.dir());
    }
    const Run& one = runs[1];
    EXPECT_EQ(one.exported.count, withFiles);
    // Each copied project's line is followed by its note, no other.
    V plain;
    for (std::size_t i = 0; i < one.reviewed.log.size(); ++i) {
        const std::string& line = one.reviewed.log[i];
        if (line.rfind("note ", 0) == 0) {
            const std::string id = line.substr(5, 8);
            const int n = std::stoi(id.substr(3));
            EXPECT_EQ(line.back(), n % 3 != 0 ? 'M' : '-') << line;
            EXPECT_EQ(one.reviewed.log[i - 1],
                      Gbk("项目“并行") + std::to_string(n) + Gbk("”导出完毕。"))
                << line;
        } else {
            plain.push_back(line);
        }
    }
    EXPECT_EQ(plain, one.exported.log);
    EXPECT_EQ(one.reviewed.log.size(), one.exported.log.size() + withFiles);
    EXPECT_EQ(one.imported.count, one.exported.count);
    EXPECT_EQ(one.exchange.size(), one.imports.size());
    for (const unsigned threads : {2u, 4u}) {
        SCOPED_TRACE(threads);
        const Run& run = runs[threads];
        EXPECT_EQ(run.exported.log, one.exported.log);
        EXPECT_EQ(run.reviewed.log, one.reviewed.log);
        EXPECT_EQ(run.exported.ids, one.exported.ids);
        EXPECT_EQ(run.exchange, one.exchange);
        EXPECT_EQ(run.imported.log, one.imported.log);
        EXPECT_EQ(run.imported.ids, one.imported.ids);
        EXPECT_EQ(run.imports, one.imports);
    }

    // A file that cannot be written half-way through (in the second round).
    platform::SetWorkerThreads(4);
    TempStore exchange, into;
    RunExport(store.dir(), {rows[0]}, exchange.dir());  // an earlier export
    const std::map<std::string, std::string> earlier = contents(exchange.dir());
    const V failing = {"PAR02101.zj", "NEW02054.zzj"};
    const auto failWrites = [&failing] {
        platform::SetFaultInjector(
            [&failing](platform::FileOperation operation, const fs::path& path) {
                const std::string name = path.filename().string();
                return operation == platform::FileOperation::Write &&
                               std::find(failing.begin(), failing.end(), name) != failing.end()
                           ? ENOSPC
                           : 0;
            });
    };
    const auto before = [&](const V& log, const std::string& id) {
        V kept;
        for (const std::string& line : log) {
            if (line.find(id) != std::string::npos) {
                break;
            }
            kept.push_back(line);
        }
        return kept;
    };
    V lines;
    for (const bool reviewed : {false, true}) {
        SCOPED_TRACE(reviewed);
        failWrites();
        lines.clear();
        EXPECT_THROW(RunExport(
                         store.dir(), rows, exchange.dir(),
                         [&lines](const std::string& line) { lines.push_back(line); },
                         reviewed ? memberNotes() : ExportReview()),
                     IoError);
        EXPECT_EQ(contents(exchange.dir()), earlier);
        EXPECT_EQ(Names(exchange.dir()).size(), earlier.size()) << "no temporaries are left";
        EXPECT_EQ(lines, before((reviewed ? one.reviewed : one.exported).log, Gbk("并行2101")));
    }
    lines.clear();
    TempStore fullExchange;
    platform::SetFaultInjector({});
    RunExport(store.dir(), rows, fullExchange.dir());
    failWrites();
    EXPECT_THROW(RunImport(
                     into.dir(), Listed({}), fullExchange.dir(),
                     [&lines](const std::string& line) { lines.push_back(line); }, counter()),
                 IoError);
    platform::SetFaultInjector({});
    platform::SetWorkerThreads(std::nullopt);
    EXPECT_TRUE(Names(into.dir()).empty()) << "the store is as it was";
    EXPECT_EQ(lines, before(one.imported.log, "NEW02054"));
}

}  // namespace
}  // namespace shenbao
