// The exchange commands of the main window: the progress panel, the floppy
// checks, failures that stop a run, and what the list shows afterwards.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <set>

#include "core/transfer.h"
#include "gui/text.h"
#include "mainwin/list_model.h"
#include "platform/platform.h"
#include "store/store.h"
#include "tests/support/main_form.h"

namespace shenbao::testing {
namespace {

namespace fs = std::filesystem;

class ExchangeCommands : public ::testing::Test {
  protected:
    void SetUp() override {
        store_.InstallCodeTable();
        store_.AddProject("AAAA1111", SampleRecord("科技项目甲"));
        store_.AddProject("BBBB2222", SampleRecord("农业项目乙"));
        store_.AddProject("CCCC3333", SampleRecord("科技项目丙"));
        SaveIndex(store_.dir(), {"AAAA1111", "BBBB2222", "CCCC3333"});
        oldFloppy_ = platform::FloppyMountPoint();
        platform::SetFloppyMountPoint(floppy_.dir());
    }
    void TearDown() override {
        platform::SetFloppyMountPoint(oldFloppy_);
        platform::SetFreeSpaceOverride(std::nullopt);
    }

    void Start() { form_ = StartMainForm(store_, answers_); }
    template <typename T>
    T* Find(const char* name) {
        return testing::Find<T>(form_.get(), name);
    }
    QFrame* Panel() { return Find<QFrame>("Panel4"); }
    QString Label() { return Find<QLabel>("Label4")->text(); }
    QStringList Log() {
        QString text = Find<QPlainTextEdit>("Memo1")->toPlainText();
        return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    }
    bool CommandsAvailable() {
        bool menus = true;
        for (const char* name : {"N1", "N2", "N3", "N4", "N5"}) {
            menus = menus && Find<QMenu>(name)->isEnabled();
        }
        return menus && Find<QWidget>("Panel1")->isEnabled() &&
               Find<QTableView>("StringGrid1")->isVisible();
    }

    TempStore store_, out_, floppy_;
    fs::path oldFloppy_;
    ModalAnswerer answers_;
    std::unique_ptr<TZMainForm> form_;
};

TEST_F(ExchangeCommands, ProgressPanelLiesOverTheGridAndButton3GivesTheListBack) {
    WritePathSetting(store_.dir(), kExportPathFileName, out_.dir().string());
    Start();
    ASSERT_FALSE(Panel()->isVisible());
    ExpectLayout(Panel(), {{"Panel4", -1, -1, 549, 273}});
    form_->N31Click();
    ASSERT_TRUE(Panel()->isVisible());
    auto* grid = Find<QTableView>("StringGrid1");
    EXPECT_EQ(Panel()->pos(), QPoint((grid->width() - 549) / 2, (grid->height() - 273) / 2));
    EXPECT_FALSE(CommandsAvailable());
    EXPECT_EQ(Label(), QStringLiteral("成功导出3个项目的数据"));
    // Each project's line, and the check's word on its problems (the
    // sample records hold only a few fields).
    EXPECT_EQ(Log().size(), 6);
    EXPECT_EQ(Log()[0], QStringLiteral("项目“科技项目甲”导出完毕。"));
    EXPECT_EQ(Log()[1], QStringLiteral("项目“科技项目甲”有8处问题，请用“检查项目”查看"));
    auto* button = Find<QPushButton>("Button3");
    EXPECT_TRUE(button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_FALSE(Panel()->isVisible());
    EXPECT_TRUE(CommandsAvailable());
    EXPECT_EQ(out_.Read("vemra.zzj"), "AAAA1111\r\nBBBB2222\r\nCCCC3333\r\n");
}

TEST_F(ExchangeCommands, SetPathWithoutTrailingSeparatorAndWithoutSettingFile) {
    // "D:\OUT" style: the set path has no trailing separator.
    std::string plain = out_.dir().string();
    plain.pop_back();
    WritePathSetting(store_.dir(), kExportPathFileName, plain);
    Start();
    form_->N31Click();
    EXPECT_EQ(Label(), QStringLiteral("成功导出3个项目的数据"));
    EXPECT_TRUE(out_.Exists("CCCC3333.zzj"));
    QTest::mouseClick(Find<QPushButton>("Button3"), Qt::LeftButton);

    // Without a setting file the export goes to "c:\", and writes no file.
    fs::remove(store_.path("_DataOut.zzj"));
    TempStore home;
    const std::string oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::setenv("HOME", home.dir().c_str(), 1);
    form_->N31Click();
    ::setenv("HOME", oldHome.c_str(), 1);
    EXPECT_TRUE(home.Exists("vemra.zzj"));
    EXPECT_FALSE(store_.Exists("_DataOut.zzj"));
}

TEST_F(ExchangeCommands, AFailureClosesThePanelAndShowsTheErrorBoxNamingThePath) {
    const fs::path missing = out_.path("gone");
    WritePathSetting(store_.dir(), kExportPathFileName, missing.string());
    Start();
    answers_.Ok();
    form_->N7Click();
    ASSERT_EQ(answers_.messages().size(), 1);
    EXPECT_TRUE(answers_.messages()[0].contains(FromPath(missing)));
    EXPECT_EQ(answers_.icons()[0], QMessageBox::Critical);
    EXPECT_FALSE(Panel()->isVisible());
    EXPECT_TRUE(CommandsAvailable());

    // An empty set path names the setting file; nothing is written anywhere.
    WritePathSetting(store_.dir(), kExportPathFileName, "");
    answers_.Ok();
    form_->N7Click();
    ASSERT_EQ(answers_.messages().size(), 2);
    EXPECT_TRUE(answers_.messages()[1].contains(QStringLiteral("_DataOut.zzj")));
    EXPECT_FALSE(Panel()->isVisible());

    // The same for import.
    WritePathSetting(store_.dir(), kImportPathFileName, missing.string());
    answers_.Ok();
    form_->N8Click();
    ASSERT_EQ(answers_.messages().size(), 3);
    EXPECT_TRUE(answers_.messages()[2].contains(FromPath(missing)));
    EXPECT_FALSE(Panel()->isVisible());
    EXPECT_TRUE(CommandsAvailable());
    EXPECT_EQ(store_.Read("vemra.zzj"), "AAAA1111\r\nBBBB2222\r\nCCCC3333\r\n");
}

TEST_F(ExchangeCommands, FloppyExportNeedsFreeSpaceAndSend) {
    Start();
    platform::SetFreeSpaceOverride(1399999);
    answers_.Ok();
    form_->N41Click();
    EXPECT_EQ(answers_.messages(),
              QStringList{QStringLiteral("软盘上仅有1399K的空间，请换一片空软盘作为数据导出盘!")});
    EXPECT_FALSE(Panel()->isVisible());
    EXPECT_FALSE(floppy_.Exists("SEND/vemra.zzj"));

    platform::SetFreeSpaceOverride(1400000);
    form_->N41Click();
    EXPECT_TRUE(Panel()->isVisible());
    EXPECT_EQ(Label(), QStringLiteral("成功导出3个项目的数据"));
    EXPECT_EQ(floppy_.Read("SEND/vemra.zzj"), "AAAA1111\r\nBBBB2222\r\nCCCC3333\r\n");
    EXPECT_EQ(floppy_.Read("SEND/BBBB2222.zj"), store_.Read("BBBB2222.zj"));
    QTest::mouseClick(Find<QPushButton>("Button3"), Qt::LeftButton);
}

TEST_F(ExchangeCommands, BothFloppyMessagesComeOneAfterTheOther) {
    floppy_.Write("SEND", "a file in the way");
    platform::SetFreeSpaceOverride(2500);
    Start();
    answers_.Ok().Ok();
    form_->N32Click();
    EXPECT_EQ(answers_.messages(),
              (QStringList{QStringLiteral("软盘上仅有2K的空间，请换一片空软盘作为数据导出盘!"),
                           QStringLiteral("在A：上创建\\Send失败！")}));
    EXPECT_FALSE(Panel()->isVisible());
    EXPECT_TRUE(CommandsAvailable());
}

TEST_F(ExchangeCommands, AnExportPathOnDriveAIsUsedWithoutTheFloppyChecks) {
    WritePathSetting(store_.dir(), kExportPathFileName, "A:\\");
    platform::SetFreeSpaceOverride(0);
    Start();
    form_->N31Click();
    EXPECT_EQ(Label(), QStringLiteral("成功导出3个项目的数据"));
    EXPECT_TRUE(floppy_.Exists("vemra.zzj"));
    EXPECT_FALSE(floppy_.Exists("SEND"));
}

TEST_F(ExchangeCommands, ImportAppendsNewProjectsToTheListAndKeepsQueryButtons) {
    TempStore media;
    media.AddProject("XXXX0001", SampleRecord("引入项目一"));
    media.AddProject("XXXX0002", SampleRecord("引入项目二"));
    media.Write("vemra.zzj", "XXXX0001\r\nMISSING0\r\nXXXX0002\r\n");
    WritePathSetting(store_.dir(), kImportPathFileName, media.dir().string());
    Start();
    form_->listModel()->setRows({form_->listModel()->row(1)});  // a narrowed list
    form_->N8Click();
    EXPECT_EQ(Label(), QStringLiteral("成功引入2个项目的数据"));
    const QStringList log = Log();
    ASSERT_EQ(log.size(), 3);
    EXPECT_EQ(log[1], QStringLiteral("错误号:432  未找到项目“MISSING0”的数据文件！"));
    ASSERT_EQ(form_->projectCount(), 5);  // the whole store, imports last
    EXPECT_EQ(Cell(*form_, 4, 2), QStringLiteral("引入项目一"));
    EXPECT_EQ(Cell(*form_, 5, 2), QStringLiteral("引入项目二"));
    EXPECT_EQ(log[0], QStringLiteral("ID号为“%1”的项目引入完毕。").arg(Cell(*form_, 4, 0)));
    const std::vector<std::string> index = LoadIndex(store_.dir());
    ASSERT_EQ(index.size(), 5u);
    EXPECT_EQ(FromGbk(index[4]), Cell(*form_, 5, 0));
}

TEST_F(ExchangeCommands, FloppyImportReadsSendOrElseTheRoot) {
    floppy_.AddProject("ROOT0001", SampleRecord("软盘根目录项目"));
    Start();
    // Nothing mounted at the drive: the files lying in the bare mount point
    // are not the disk's, and the import stops as export does.
    answers_.Ok();
    form_->N61Click();
    EXPECT_EQ(answers_.messages(),
              QStringList{QStringLiteral("驱动器A：中没有软盘，请插入数据盘后再引入！")});
    EXPECT_FALSE(Panel()->isVisible());
    EXPECT_EQ(form_->projectCount(), 3);

    platform::SetFreeSpaceOverride(1400000);  // a disk is in the drive
    form_->N61Click();
    EXPECT_EQ(Label(), QStringLiteral("成功引入1个项目的数据"));
    EXPECT_EQ(Cell(*form_, 4, 2), QStringLiteral("软盘根目录项目"));
    QTest::mouseClick(Find<QPushButton>("Button3"), Qt::LeftButton);

    fs::create_directory(floppy_.path("SEND"));
    WriteProjectRecord(floppy_.path("SEND"), "SEND0001", SampleRecord("软盘发送目录项目"));
    form_->N61Click();
    EXPECT_EQ(Label(), QStringLiteral("成功引入1个项目的数据"));
    EXPECT_EQ(Cell(*form_, 5, 2), QStringLiteral("软盘发送目录项目"));
}

// Hostile entries of an import directory, one row each, through the real
// command: what the user is shown and what the store holds afterwards.
// Nothing is read through a link, nothing hangs on a FIFO or exhausts the
// memory, and a project named twice comes in once.
TEST_F(ExchangeCommands, HostileEntriesOfTheImportDirectory) {
    TempStore outside;
    outside.Write("passwd", "root:x:0:0:outside");
    const std::string main = store_.Read("AAAA1111.zzj");
    const std::string members = store_.Read("AAAA1111.zj");
    const auto project = [&](TempStore& media, const std::string& id) {
        media.Write(id + ".zzj", main);
        media.Write(id + ".zj", members);
    };
    const auto link = [&](TempStore& media, const std::string& name) {
        fs::create_symlink(outside.path("passwd"), media.path(name));
    };
    const QString done = QStringLiteral("ID号为“NEW”的项目引入完毕。");
    struct Row {
        const char* what;
        std::function<void(TempStore&)> make;
        QStringList log;  // new IDs written as NEW
        int imported;
        int memberFiles;
        QString error;  // instead of a log: the error box holds this
    };
    const std::vector<Row> rows = {
        {"main data file and member file are links out of the directory",
         [&](TempStore& m) {
             link(m, "EVIL0001.zzj");
             link(m, "EVIL0001.zj");
             project(m, "GOOD0001");
             m.Write("vemra.zzj", "EVIL0001\r\nGOOD0001\r\n");
         },
         {QStringLiteral("错误号:432  项目“EVIL0001”的数据文件未引入（这是一个符号链接，不是普通文件）！"), done},
         1,
         1,
         {}},
        {"only the member file is a link",
         [&](TempStore& m) {
             m.Write("LINK0001.zzj", main);
             link(m, "LINK0001.zj");
             m.Write("vemra.zzj", "LINK0001\r\n");
         },
         {QStringLiteral("项目“LINK0001”的成员文件未引入（这是一个符号链接，不是普通文件）。"), done},
         1,
         0,
         {}},
        {"a FIFO, a directory and a sparse 64 GiB file as main data files",
         [&](TempStore& m) {
             ASSERT_EQ(::mkfifo(m.path("FIFO0001.zzj").c_str(), 0644), 0);
             fs::create_directory(m.path("DIRS0001.zzj"));
             std::ofstream(m.path("HUGE0001.zzj")).put('x');
             fs::resize_file(m.path("HUGE0001.zzj"), std::uintmax_t{64} << 30);
             project(m, "GOOD0001");
             m.Write("vemra.zzj", "FIFO0001\r\nDIRS0001\r\nHUGE0001\r\nGOOD0001\r\n");
         },
         {QStringLiteral("错误号:432  项目“FIFO0001”的数据文件未引入（这不是普通文件，而是管道、设备或套接字）！"),
          QStringLiteral("错误号:432  项目“DIRS0001”的数据文件未引入（这是一个文件夹，不是文件）！"),
          QStringLiteral("错误号:432  项目“HUGE0001”的数据文件未引入（文件太大，超过64MB）！"), done},
         1,
         1,
         {}},
        {"one project named again and again, also in another letter case",
         [&](TempStore& m) {
             project(m, "ONCE0001");
             std::string control;
             for (int i = 0; i < 1000; ++i) {
                 control += "ONCE0001\r\n";
             }
             m.Write("vemra.zzj", "once0001\r\n" + control);
         },
         [] {
             QStringList log{QStringLiteral("ID号为“NEW”的项目引入完毕。")};
             for (int i = 0; i < 1000; ++i) {
                 log << QStringLiteral("项目“ONCE0001”在引入的目录中重复出现，只引入一次。");
             }
             return log;
         }(),
         1,
         1,
         {}},
        {"the store's own files named as projects",
         [&](TempStore& m) {
             m.Write("_SysCode.zzj", "not a project");
             m.Write("tarvok07.zzj", "not a project");
             m.Write("vemra.zzj", "vemra\r\n_SYSCODE\r\ntarvok07\r\n");
         },
         {QStringLiteral("错误号:432  未找到项目“vemra”的数据文件！"),
          QStringLiteral("错误号:432  未找到项目“_SYSCODE”的数据文件！"),
          QStringLiteral("错误号:432  未找到项目“tarvok07”的数据文件！")},
         0,
         0,
         {}},
        {"without a control file, two member files of one stem",
         [&](TempStore& m) {
             project(m, "STEM0001");
             m.Write("STEM0001.old.zj", members);
         },
         {QStringLiteral("项目“STEM0001”在引入的目录中重复出现，只引入一次。"), done},
         1,
         1,
         {}},
        {"the control file is a link",
         [&](TempStore& m) {
             project(m, "GOOD0001");
             link(m, "VEMRA.ZZJ");
         },
         {},
         0,
         0,
         QStringLiteral("这是一个符号链接，不是普通文件")},
        {"the control file is a directory",
         [&](TempStore& m) {
             project(m, "GOOD0001");
             fs::create_directory(m.path("Vemra.zzj"));
         },
         {},
         0,
         0,
         QStringLiteral("这是一个文件夹，不是文件")},
        {"the control file is a FIFO",
         [&](TempStore& m) {
             project(m, "GOOD0001");
             ASSERT_EQ(::mkfifo(m.path("vemra.zzj").c_str(), 0644), 0);
         },
         {},
         0,
         0,
         QStringLiteral("这不是普通文件，而是管道、设备或套接字")},
    };

    Start();
    const QRegularExpression newId(QStringLiteral("ID号为“[0-9A-Z]{8}”"));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TempStore media;
        row.make(media);
        WritePathSetting(store_.dir(), kImportPathFileName, media.dir().string());
        const std::vector<std::string> indexBefore = LoadIndex(store_.dir());
        std::set<std::string> filesBefore;
        for (const auto& entry : fs::directory_iterator(store_.dir())) {
            filesBefore.insert(entry.path().filename().string());
        }
        const qsizetype boxes = answers_.messages().size();
        if (!row.error.isEmpty()) {
            answers_.Ok();
        }
        form_->N8Click();
        if (row.error.isEmpty()) {
            EXPECT_EQ(Label(), QStringLiteral("成功引入%1个项目的数据").arg(row.imported));
            QStringList log = Log();
            for (QString& line : log) {
                line.replace(newId, QStringLiteral("ID号为“NEW”"));
            }
            QStringList expected = row.log;
            if (std::string_view(row.what).starts_with("without a control file")) {
                log.sort();  // in the order of the directory listing
                expected.sort();
            }
            EXPECT_EQ(log, expected);
            EXPECT_EQ(answers_.messages().size(), boxes);
            QTest::mouseClick(Find<QPushButton>("Button3"), Qt::LeftButton);
        } else {
            ASSERT_EQ(answers_.messages().size(), boxes + 1);
            EXPECT_TRUE(answers_.messages().last().contains(row.error))
                << answers_.messages().last().toStdString();
            EXPECT_TRUE(answers_.messages().last().contains(QStringLiteral("vemra.zzj"),
                                                            Qt::CaseInsensitive));
        }
        EXPECT_FALSE(Panel()->isVisible());
        // On the disk: the index gained the imported projects, the store
        // their files (copies of the source's regular files), nothing else.
        const std::vector<std::string> indexAfter = LoadIndex(store_.dir());
        EXPECT_EQ(indexAfter.size(), indexBefore.size() + static_cast<std::size_t>(row.imported));
        int mains = 0, memberFiles = 0;
        for (const auto& entry : fs::directory_iterator(store_.dir())) {
            const std::string name = entry.path().filename().string();
            if (filesBefore.count(name) != 0 || name == "vemra.zzj") {
                continue;
            }
            const std::string content = store_.Read(name);
            EXPECT_EQ(entry.symlink_status().type(), fs::file_type::regular) << name;
            if (name.ends_with(".zzj")) {
                ++mains;
                EXPECT_EQ(content, main) << name;
            } else {
                ++memberFiles;
                EXPECT_EQ(content, members) << name;
            }
        }
        EXPECT_EQ(mains, row.imported);
        EXPECT_EQ(memberFiles, row.memberFiles);
        EXPECT_EQ(form_->projectCount(), static_cast<int>(indexAfter.size()));
    }
    EXPECT_EQ(outside.Read("passwd"), "root:x:0:0:outside");
    EXPECT_EQ(answers_.unexpected(), 0);
}

TEST_F(ExchangeCommands, ExportAfterAQueryTakesOnlyTheShownProjects) {
    WritePathSetting(store_.dir(), kExportPathFileName, out_.dir().string());
    Start();
    form_->RunQuery(ListColumn::ProjectName, Gbk("科技"), "");
    ASSERT_EQ(form_->projectCount(), 2);
    form_->N7Click();
    EXPECT_EQ(Label(), QStringLiteral("成功导出2个项目的数据"));
    EXPECT_EQ(out_.Read("vemra.zzj"), "AAAA1111\r\nCCCC3333\r\n");
    EXPECT_FALSE(out_.Exists("BBBB2222.zzj"));
    QTest::mouseClick(Find<QPushButton>("Button3"), Qt::LeftButton);
    EXPECT_EQ(form_->projectCount(), 2);

    // Export of all projects brings the whole store back; the query view's
    // buttons keep their state.
    form_->N31Click();
    EXPECT_EQ(form_->projectCount(), 3);
    EXPECT_EQ(out_.Read("vemra.zzj"), "AAAA1111\r\nBBBB2222\r\nCCCC3333\r\n");
    QTest::mouseClick(Find<QPushButton>("Button3"), Qt::LeftButton);
    EXPECT_FALSE(Find<QPushButton>("BitBtn1")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>("BitBtn11")->isEnabled());
}

}  // namespace
}  // namespace shenbao::testing
