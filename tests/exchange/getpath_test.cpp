// The path dialog: the default setting file, following the directory list,
// confirming, cancelling, a missing export folder, and a setting file that
// cannot be written.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <cstdlib>

#include <pwd.h>
#include <unistd.h>

#include "core/transfer.h"
#include "exchange/getpath.h"
#include "gui/text.h"
#include "platform/platform.h"
#include "tests/support/main_form.h"

namespace shenbao {
namespace {

using testing::Find;
using testing::Gbk;
using testing::ModalAnswerer;
using testing::TempStore;
using Kind = TGetPathForm::PathKind;
namespace fs = std::filesystem;

// A data directory and a home directory ("c:\") of the test's own.
class PathDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* home = std::getenv("HOME");
        oldHome_ = home != nullptr ? home : "";
        ::setenv("HOME", Plain(home_.dir()).c_str(), 1);
        oldCwd_ = fs::current_path();
    }
    void TearDown() override {
        ::setenv("HOME", oldHome_.c_str(), 1);
        fs::current_path(oldCwd_);
    }
    static std::string Plain(const fs::path& dir) {
        std::string text = dir.string();
        while (text.size() > 1 && text.back() == '/') {
            text.pop_back();
        }
        return text;
    }

    std::unique_ptr<TGetPathForm> Open(TGetPathForm::PathKind kind) {
        auto form = std::make_unique<TGetPathForm>(data_.dir());
        form->setPathKind(kind);
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        return form;
    }
    static QLineEdit* Edit(TGetPathForm& form) { return Find<QLineEdit>(&form, "Edit1"); }
    static TDirectoryListBox* List(TGetPathForm& form) {
        return Find<TDirectoryListBox>(&form, "DirectoryListBox1");
    }
    static void Press(TGetPathForm& form, const char* name) {
        QTest::mouseClick(testing::Button(&form, name), Qt::LeftButton);
    }

    TempStore data_, home_;
    std::string oldHome_;
    fs::path oldCwd_;
};

TEST_F(PathDialog, FirstOpeningWritesTheDefaultAndShowsHomeAsTheListHasIt) {
    auto form = Open(Kind::Export);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("数据导出路径设置"));
    testing::ExpectLayout(form.get(), {{"GetPathForm", -1, -1, 385, 238}});
    EXPECT_EQ(data_.Read("_DataOut.zzj"), "c:\\\r\n");
    EXPECT_FALSE(data_.Exists("_DataIn.zzj"));
    EXPECT_EQ(Edit(*form)->text(), QString::fromStdString(Plain(home_.dir())));
    EXPECT_EQ(List(*form)->directory(), fs::path(Plain(home_.dir())));
    EXPECT_EQ(Find<QComboBox>(form.get(), "DriveComboBox1")->currentText().left(2),
              QStringLiteral("C:"));

    // Cancelling keeps the file just written.
    Press(*form, "Button2");
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->result(), QDialog::Rejected);
    EXPECT_EQ(data_.Read("_DataOut.zzj"), "c:\\\r\n");
}

TEST_F(PathDialog, ChoosingADirectoryStoresItsFullPathAndTheNextOpeningShowsIt) {
    fs::create_directories(home_.path("exchange/sub"));
    {
        auto form = Open(Kind::Export);
        TDirectoryListBox* list = List(*form);
        QList<QListWidgetItem*> items =
            list->findItems(QStringLiteral("exchange"), Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1);
        // One click selects the folder; the list and the field stay.
        const QPoint where = list->visualItemRect(items[0]).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, where);
        QTest::qWait(50);
        EXPECT_EQ(list->currentItem(), items[0]);
        EXPECT_EQ(list->directory(), fs::path(Plain(home_.dir())));
        EXPECT_EQ(Edit(*form)->text(), QString::fromStdString(Plain(home_.dir())));
        // A double-click opens it.
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, where);
        ASSERT_TRUE(testing::WaitFor([&] { return list->directory().filename() == "exchange"; }));
        const QString chosen = QString::fromStdString(Plain(home_.path("exchange")));
        EXPECT_EQ(Edit(*form)->text(), chosen);
        Press(*form, "Button1");
        EXPECT_EQ(form->result(), QDialog::Accepted);
        EXPECT_EQ(data_.Read("_DataOut.zzj"), Plain(home_.path("exchange")) + "\r\n");
    }
    // Wherever the process stands now, the stored directory comes back.
    fs::current_path("/");
    auto again = Open(Kind::Export);
    EXPECT_EQ(Edit(*again)->text(), QString::fromStdString(Plain(home_.path("exchange"))));
    // The list holds the way up and the way down.
    EXPECT_EQ(List(*again)->findItems(QStringLiteral("sub"), Qt::MatchExactly).size(), 1);
    EXPECT_EQ(List(*again)->currentItem()->text(), QStringLiteral("exchange"));
}

TEST_F(PathDialog, EnterInTheListOpensTheEntryWithoutConfirming) {
    fs::create_directories(home_.path("in"));
    auto form = Open(Kind::Import);
    TDirectoryListBox* list = List(*form);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    ASSERT_EQ(list->currentItem()->text(), QStringLiteral("in"));
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_TRUE(testing::WaitFor([&] { return list->directory().filename() == "in"; }));
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(Edit(*form)->text(), QString::fromStdString(Plain(home_.path("in"))));
    EXPECT_EQ(data_.Read("_DataIn.zzj"), "c:\\\r\n");
    // Going up by the open folder above it.
    QTest::keyClick(list, Qt::Key_Up);
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_TRUE(
        testing::WaitFor([&] { return list->directory() == fs::path(Plain(home_.dir())); }));
    // A folder whose name on the disk is GBK, not UTF-8, opens as well.
    const fs::path gbk = fs::path(Plain(home_.dir())) / "\xd6\xd0\xce\xc4";
    fs::create_directory(gbk);
    ASSERT_TRUE(list->setDirectory(gbk.parent_path()));
    QTest::keyClick(list, Qt::Key_End);
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_TRUE(testing::WaitFor([&] { return list->directory() == gbk; }));
    // Its name reads as Chinese, is stored as those GBK bytes and leads back
    // to the same folder.
    EXPECT_EQ(Edit(*form)->text(), QString::fromStdString(Plain(home_.dir())) + "/中文");
    Press(*form, "Button1");
    EXPECT_EQ(data_.Read("_DataIn.zzj"), gbk.native() + "\r\n");
    EXPECT_EQ(ExchangeDirectory(gbk.native(), data_.path("_DataIn.zzj")), gbk);
    auto again = Open(Kind::Import);
    EXPECT_EQ(List(*again)->directory(), gbk);
}

TEST_F(PathDialog, TypedTextIsStoredAsTypedAndAMissingDirectoryShowsTheListsOwn) {
    fs::current_path(home_.dir());
    {
        auto form = Open(Kind::Import);
        EXPECT_EQ(form->windowTitle(), QStringLiteral("数据引入路径设置"));
        Edit(*form)->setText(QStringLiteral("D:\\不存在的目录"));
        Press(*form, "Button1");
        EXPECT_EQ(data_.Read("_DataIn.zzj"), Gbk("D:\\不存在的目录") + "\r\n");
        EXPECT_FALSE(data_.Exists("_DataOut.zzj"));
    }
    fs::create_directory(home_.path("here"));
    fs::current_path(home_.path("here"));
    auto again = Open(Kind::Import);
    EXPECT_EQ(Edit(*again)->text(), QString::fromStdString(Plain(home_.path("here"))));
    Press(*again, "Button2");
    EXPECT_EQ(data_.Read("_DataIn.zzj"), Gbk("D:\\不存在的目录") + "\r\n");
}

// The export path dialog asks before it makes a folder that is not there,
// instead of storing a path that an export would fail on.
TEST_F(PathDialog, AMissingExportFolderIsMadeOnlyWhenTheUserSaysSo) {
    const std::string home = Plain(home_.dir());
    home_.Write("afile", "in the way");
    fs::create_directory(home_.path("there"));
    const QString question = QStringLiteral("文件夹不存在，要创建吗?");
    struct Row {
        const char* what;
        std::string typed;
        QMessageBox::StandardButton answer;  // to the question; NoButton: none comes
        bool errorBox;                       // then the standard error box
        bool stored;                         // the path is stored and the dialog closes
        std::string made;                    // a folder that is there afterwards
    };
    const Row rows[] = {
        {"missing, Yes", home + "/new/deeper", QMessageBox::Yes, false, true, home + "/new/deeper"},
        {"missing, No", home + "/other", QMessageBox::No, false, false, ""},
        {"missing, Yes, but a file is in the way of its parent", home + "/afile/sub",
         QMessageBox::Yes, true, false, ""},
        {"a file under the name", home + "/afile", QMessageBox::NoButton, true, false, ""},
        {"there", home + "/there", QMessageBox::NoButton, false, true, home + "/there"},
        {"the home drive, as old files write it", "c:\\there", QMessageBox::NoButton, false, true,
         home + "/there"},
        // A path on a drive without disk is made by the export when the disk is in.
        {"on drive A: without disk", "A:\\OUT", QMessageBox::NoButton, false, true, ""},
        {"empty", "", QMessageBox::NoButton, false, true, ""},
    };
    for (const Row& row : rows) {
        data_.Write("_DataOut.zzj", "c:\\\r\n");
        auto form = Open(Kind::Export);
        ModalAnswerer answers;
        if (row.answer != QMessageBox::NoButton) {
            answers.Press(row.answer);
        }
        if (row.errorBox) {
            answers.Ok();
        }
        Edit(*form)->setText(QString::fromStdString(row.typed));
        Press(*form, "Button1");
        EXPECT_EQ(answers.pending(), 0u) << row.what;
        EXPECT_EQ(answers.unexpected(), 0) << row.what;
        int box = 0;
        if (row.answer != QMessageBox::NoButton) {
            EXPECT_EQ(answers.messages().value(box), question) << row.what;
            EXPECT_EQ(answers.icons().value(box++), QMessageBox::Question) << row.what;
        }
        if (row.errorBox) {
            EXPECT_EQ(answers.icons().value(box), QMessageBox::Critical) << row.what;
            EXPECT_TRUE(answers.messages().value(box).contains(QStringLiteral("原因")))
                << row.what;
        }
        EXPECT_EQ(form->isVisible(), !row.stored) << row.what;
        EXPECT_EQ(data_.Read("_DataOut.zzj"), (row.stored ? row.typed : "c:\\") + "\r\n")
            << row.what;
        if (!row.made.empty()) {
            EXPECT_TRUE(platform::DirectoryExists(row.made)) << row.what;
        }
    }
    EXPECT_FALSE(fs::exists(home_.path("other")));
    EXPECT_FALSE(fs::exists(platform::MapDrivePath("A:\\OUT")));
}

TEST_F(PathDialog, ADriveOfTheSelectorMovesTheList) {
    auto form = Open(Kind::Import);
    auto* drives = Find<QComboBox>(form.get(), "DriveComboBox1");
    ASSERT_EQ(drives->count(), 3);
    EXPECT_TRUE(drives->itemText(0).startsWith(QStringLiteral("A:")));
    EXPECT_TRUE(drives->itemText(1).startsWith(QStringLiteral("C:")));
    EXPECT_EQ(drives->itemText(2), QStringLiteral("/"));
    drives->setCurrentIndex(2);
    emit drives->activated(2);
    EXPECT_EQ(Edit(*form)->text(), QStringLiteral("/"));
    EXPECT_EQ(List(*form)->directory(), fs::path("/"));
}

// Drive A: is whatever medium is mounted; the selector names each medium by
// its label and never opens a drive without disk.
class PathDialogMedia : public PathDialog {
  protected:
    void SetUp() override {
        PathDialog::SetUp();
        const passwd* entry = ::getpwuid(::getuid());
        ASSERT_NE(entry, nullptr);
        media_ = "/media/" + std::string(entry->pw_name) + "/";
        platform::SetFloppyMountPoint(root_.path("media/floppy"));
        fs::create_directories(root_.path("media/floppy"));
    }
    void TearDown() override {
        platform::SetMountTable(std::string());
        platform::SetFloppyMountPoint("/media/floppy");
        PathDialog::TearDown();
    }
    // Mounts the media named by their mount points (in the fake table only).
    void Mount(const std::vector<std::string>& points) {
        std::string table;
        int id = 40;
        for (const std::string& point : points) {
            fs::create_directories(Below(point));
            std::string escaped;  // as the kernel writes a blank
            for (char c : point) {
                escaped += c == ' ' ? std::string("\\040") : std::string(1, c);
            }
            table += std::to_string(id++) + " 29 8:17 / " + escaped +
                     " rw,nosuid,nodev shared:1 - vfat /dev/sdb1 rw\n";
        }
        platform::SetMountTable(table, root_.dir());
    }
    fs::path Below(const std::string& point) {
        return root_.dir() / fs::path(point).relative_path();
    }
    QComboBox* Drives(TGetPathForm& form) { return Find<QComboBox>(&form, "DriveComboBox1"); }

    TempStore root_;
    std::string media_;
};

TEST_F(PathDialogMedia, AFloppyDriveWithoutDiskIsNotOpened) {
    data_.Write("_DataIn.zzj", "A:\\\r\n");
    fs::current_path(home_.dir());
    auto form = Open(Kind::Import);
    // The stored path on A: cannot be opened: the field shows the list's own.
    EXPECT_EQ(Edit(*form)->text(), QString::fromStdString(Plain(home_.dir())));
    ModalAnswerer answers;
    answers.Ok();
    ASSERT_EQ(Drives(*form)->count(), 3);
    emit Drives(*form)->activated(0);
    ASSERT_EQ(answers.messages().size(), 1);
    EXPECT_EQ(answers.messages()[0], QStringLiteral("驱动器A:没有准备好！"));
    EXPECT_EQ(List(*form)->directory(), fs::path(Plain(home_.dir())));
    EXPECT_TRUE(Drives(*form)->currentText().startsWith(QStringLiteral("C:")));
    // Nor is the bare mount point reached through the root drive.
    EXPECT_FALSE(List(*form)->setDirectory(root_.path("media/floppy")));
}

TEST_F(PathDialogMedia, EachStickIsNamedByItsLabelAndTheChosenOneBecomesDriveA) {
    Mount({media_ + "KINGSTON", media_ + "U DISK"});
    fs::create_directory(Below(media_ + "U DISK/SEND"));
    EXPECT_EQ(platform::FloppyMountPoint(), root_.path("media/floppy"));
    auto form = Open(Kind::Export);
    QComboBox* drives = Drives(*form);
    ASSERT_EQ(drives->count(), 4);
    EXPECT_EQ(drives->itemText(0), QStringLiteral("A:  [KINGSTON]"));
    EXPECT_EQ(drives->itemText(1), QStringLiteral("A:  [U DISK]"));
    emit drives->activated(1);
    EXPECT_EQ(List(*form)->directory(), Below(media_ + "U DISK"));
    EXPECT_EQ(Edit(*form)->text(), QString::fromStdString(Below(media_ + "U DISK").string()));
    EXPECT_EQ(drives->currentIndex(), 1);
    EXPECT_EQ(List(*form)->findItems(QStringLiteral("SEND"), Qt::MatchExactly).size(), 1);
    // From now on A: is that stick, for the floppy commands too.
    EXPECT_EQ(platform::FloppyMountPoint(), Below(media_ + "U DISK"));
    EXPECT_EQ(platform::MapDrivePath("A:\\SEND\\"), Below(media_ + "U DISK") / "SEND" / "");
}

TEST_F(PathDialog, ASettingFileThatCannotBeWrittenKeepsTheDialogOpen) {
    // A directory in the place of the setting file refuses every write.
    fs::create_directory(data_.path("_DataOut.zzj"));
    auto form = Open(Kind::Export);
    ModalAnswerer answers;
    answers.Ok();
    Edit(*form)->setText(QStringLiteral("/tmp"));
    Press(*form, "Button1");
    ASSERT_EQ(answers.messages().size(), 1);
    EXPECT_TRUE(answers.messages()[0].contains(QStringLiteral("_DataOut.zzj")));
    EXPECT_EQ(answers.icons()[0], QMessageBox::Critical);
    EXPECT_TRUE(form->isVisible());

    // A path with a line break in it is refused before anything is written.
    answers.Ok();
    Edit(*form)->setText(QStringLiteral("/tmp/a\n/etc"));
    Press(*form, "Button1");
    ASSERT_EQ(answers.messages().size(), 2);
    EXPECT_TRUE(answers.messages()[1].contains(QStringLiteral("换行符")));
    EXPECT_TRUE(form->isVisible());
    Press(*form, "Button2");
    EXPECT_FALSE(form->isVisible());
}

TEST_F(PathDialog, TheSettingsMenuOpensTheDialogForEachPath) {
    data_.InstallCodeTable();
    ModalAnswerer answers;
    auto main = testing::StartMainForm(data_, answers);
    QStringList captions;
    for (int i = 0; i < 2; ++i) {
        answers.Then([&](QWidget* dialog) {
            captions << Find<QLabel>(dialog, "Label1")->text();
            QMetaObject::invokeMethod(Find<QPushButton>(dialog, "Button2"), "click",
                                      Qt::QueuedConnection);
        });
    }
    main->N18Click();
    main->N19Click();
    EXPECT_EQ(captions,
              (QStringList{QStringLiteral("数据导出路径"), QStringLiteral("数据引入路径")}));
    EXPECT_EQ(data_.Read("_DataOut.zzj"), "c:\\\r\n");
    EXPECT_EQ(data_.Read("_DataIn.zzj"), "c:\\\r\n");
}

}  // namespace
}  // namespace shenbao
