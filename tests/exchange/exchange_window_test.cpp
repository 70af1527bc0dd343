// The exchange commands of the main window: the progress panel, the floppy
// checks, failures that stop a run, and what the list shows afterwards.

#include <gtest/gtest.h>

#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <cstdlib>

#include "exchange/transfer.h"
#include "mainwin/list_model.h"
#include "platform/gui/text.h"
#include "platform/platform.h"
#include "store/store.h"
#include "tests/support/main_form.h"
#include "tests/support/modal.h"
#include "tests/support/temp_store.h"

namespace shenbao {
namespace {

using testing::Cell;
using testing::Gbk;
using testing::ModalAnswerer;
using testing::SampleRecord;
using testing::TempStore;
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

    void Start() { form_ = testing::StartMainForm(store_, answers_); }
    template <typename T>
    T* Find(const char* name) {
        return form_->findChild<T*>(QString::fromLatin1(name));
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
    EXPECT_EQ(Panel()->size(), QSize(549, 273));
    form_->N31Click();
    ASSERT_TRUE(Panel()->isVisible());
    auto* grid = Find<QTableView>("StringGrid1");
    EXPECT_EQ(Panel()->pos(), QPoint((grid->width() - 549) / 2, (grid->height() - 273) / 2));
    EXPECT_FALSE(CommandsAvailable());
    EXPECT_EQ(Label(), QStringLiteral("成功导出3个项目的数据"));
    EXPECT_EQ(Log().size(), 3);
    EXPECT_EQ(Log()[0], QStringLiteral("项目“科技项目甲”导出完毕。"));
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

TEST_F(ExchangeCommands, ExportAfterAQueryTakesOnlyTheShownProjects) {
    WritePathSetting(store_.dir(), kExportPathFileName, out_.dir().string());
    Start();
    form_->RunQuery(2, Gbk("科技"), "");
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
}  // namespace shenbao
