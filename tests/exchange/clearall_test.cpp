// Clearing the store: the files it removes and keeps, the warning dialog's
// states, and the main window's list after a clearing.

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "exchange/clearall.h"
#include "store/project_removal.h"
#include "store/store.h"
#include "tests/support/main_form.h"

namespace shenbao {
namespace {

using testing::Find;
using testing::Gbk;
using testing::ModalAnswerer;
using testing::SampleRecord;
using testing::TempStore;
namespace fs = std::filesystem;

QColor TextColour(const QWidget* widget) {
    return widget->palette().color(QPalette::WindowText);
}

// ---- The files -------------------------------------------------------------------

TEST(ClearStore, RemovesListedProjectsAndTheIndexOnly) {
    TempStore store;
    store.InstallCodeTable();
    store.AddProject("AAAA1111", SampleRecord("甲"));
    store.AddProject("BBBB2222", SampleRecord("乙"));
    fs::remove(store.path("BBBB2222.zj"));  // a missing member file is passed over
    store.AddProject("CCCC3333", SampleRecord("未列出"));
    store.Write("_DataOut.zzj", "c:\\\r\n");
    store.Write("vemra.zzj", "AAAA1111\r\nBBBB2222\r\nGONE0000\r\n");

    EXPECT_TRUE(ClearStore(store.dir()));
    for (const char* gone : {"AAAA1111.zzj", "AAAA1111.zj", "BBBB2222.zzj", "vemra.zzj"}) {
        EXPECT_FALSE(store.Exists(gone)) << gone;
    }
    for (const char* kept : {"CCCC3333.zzj", "CCCC3333.zj", "_DataOut.zzj", "_SysCode.zzj"}) {
        EXPECT_TRUE(store.Exists(kept)) << kept;
    }
}

TEST(ClearStore, ListedProjectsAreRemovedUnderAnyLetterCase) {
    TempStore store;
    store.AddProject("AAAA1111", SampleRecord("甲"));
    fs::rename(store.path("AAAA1111.zzj"), store.path("aaaa1111.ZZJ"));
    store.Write("VEMRA.ZZJ", "AAAA1111\r\n");  // the index too
    EXPECT_TRUE(ClearStore(store.dir()));
    EXPECT_FALSE(store.Exists("aaaa1111.ZZJ"));
    EXPECT_FALSE(store.Exists("AAAA1111.zj"));
    EXPECT_FALSE(store.Exists("VEMRA.ZZJ"));
}

TEST(ClearStore, WithoutIndexDeletesNothing) {
    TempStore store;
    store.AddProject("AAAA1111", SampleRecord("甲"));
    EXPECT_FALSE(ClearStore(store.dir()));
    EXPECT_TRUE(store.Exists("AAAA1111.zzj"));
    EXPECT_TRUE(store.Exists("AAAA1111.zj"));
}

TEST(ClearStore, LinesAreTrimmedAsTheListReadsThemAndNeverLeadOutside) {
    TempStore root;
    fs::create_directory(root.path("data"));
    const fs::path data = root.path("data") / "";
    root.Write("data/AAAA1111.zzj", "the line has blanks around the ID");
    root.Write("data/.zzj", "an empty line names this");
    root.Write("data/.zj", "and this");
    root.Write("x.zzj", "outside");
    root.Write("data/_SysCode.zzj", "code table");
    root.Write("data/_DataIn.zzj", "c:\\\r\n");
    root.Write("data/tarvok07.zzj", "print feed");
    root.Write("data/BBBB2222.zj", "a padded line names it too");
    root.Write("data/CCCC3333.zzj", "and the first line after a byte-order mark");
    root.Write("data/vemra.zzj",
               "\xEF\xBB\xBF" "CCCC3333\r\n AAAA1111 \r\n\r\n\tBBBB2222\r\n../x\r\n_SysCode\r\n"
               "_DataIn\r\n/etc/x\r\nTARVOK07\r\n");
    EXPECT_TRUE(ClearStore(data));
    EXPECT_FALSE(root.Exists("data/AAAA1111.zzj"));
    EXPECT_FALSE(root.Exists("data/BBBB2222.zj"));
    EXPECT_FALSE(root.Exists("data/CCCC3333.zzj"));
    // An empty line names no project.
    EXPECT_TRUE(root.Exists("data/.zzj"));
    EXPECT_TRUE(root.Exists("data/.zj"));
    EXPECT_TRUE(root.Exists("x.zzj"));
    EXPECT_TRUE(root.Exists("data/_SysCode.zzj"));
    EXPECT_TRUE(root.Exists("data/_DataIn.zzj"));
    EXPECT_TRUE(root.Exists("data/tarvok07.zzj"));
    EXPECT_FALSE(root.Exists("data/vemra.zzj"));
}

// ---- The dialog --------------------------------------------------------------------

TEST(ClearAllForm, LooksAsDesignedAndBlinks) {
    TempStore store;
    TClearAllForm form(store.dir());
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    // 593 x 171 with the frame; the question at its place and size.
    EXPECT_EQ(form.frameGeometry().size(), QSize(593, 171));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("清空数据库"));
    EXPECT_EQ(form.palette().color(QPalette::Window), QColor(255, 0, 0));
    auto* label = Find<QLabel>(&form, "Label1");
    auto* button1 = Find<QPushButton>(&form, "Button1");
    auto* button2 = Find<QPushButton>(&form, "Button2");
    auto* timer = Find<QTimer>(&form, "Timer1");
    ASSERT_TRUE(label && button1 && button2 && timer);
    testing::ExpectLayout(&form, {{"Label1", 24, 32, 544, 29}});
    EXPECT_EQ(label->text(), QStringLiteral("你的确要删除数据库中的所有数据吗!!!"));
    EXPECT_TRUE(label->font().bold());
    EXPECT_EQ(label->font().pixelSize(), 29);
    EXPECT_EQ(button2->text(), QStringLiteral("不删除数据库，取消本次操作"));
    EXPECT_EQ(button1->text(), QStringLiteral("是的，我决定删除"));
    EXPECT_TRUE(button2->isDefault());
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 300);

    EXPECT_EQ(TextColour(label), QColor(255, 255, 0));
    QMetaObject::invokeMethod(timer, "timeout");
    EXPECT_EQ(TextColour(label), QColor(255, 0, 0));
    QMetaObject::invokeMethod(timer, "timeout");
    EXPECT_EQ(TextColour(label), QColor(255, 255, 0));
}

TEST(ClearAllForm, EnterEscapeAndTheCancelButtonChangeNoFile) {
    TempStore store;
    store.AddProject("AAAA1111", SampleRecord("甲"));
    SaveIndex(store.dir(), {"AAAA1111"});
    for (int way = 0; way < 3; ++way) {
        TClearAllForm form(store.dir());
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        if (way == 0) {
            QTest::mouseClick(Find<QPushButton>(&form, "Button2"), Qt::LeftButton);
        } else {
            QTest::keyClick(&form, way == 1 ? Qt::Key_Return : Qt::Key_Escape);
        }
        EXPECT_FALSE(form.isVisible()) << way;
        EXPECT_EQ(form.result(), QDialog::Rejected);
        EXPECT_FALSE(form.cleared());
    }
    EXPECT_EQ(store.Read("vemra.zzj"), "AAAA1111\r\n");
    EXPECT_TRUE(store.Exists("AAAA1111.zzj"));
}

TEST(ClearAllForm, MissingIndexStopsTheBlinkingAndKeepsTheDialogAsked) {
    TempStore store;
    ModalAnswerer answers;
    answers.Ok();
    TClearAllForm form(store.dir());
    form.show();
    auto* button1 = Find<QPushButton>(&form, "Button1");
    QTest::mouseClick(button1, Qt::LeftButton);
    EXPECT_EQ(answers.messages(), QStringList{QStringLiteral("未找到控制文件，清空操作失败！")});
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(Find<QTimer>(&form, "Timer1")->isActive());
    EXPECT_EQ(button1->text(), QStringLiteral("是的，我决定删除"));
    EXPECT_TRUE(Find<QPushButton>(&form, "Button2")->isEnabled());
    EXPECT_FALSE(form.cleared());
}

TEST(ClearAllForm, ClearingTurnsBlackAndTheSecondPressOnlyCloses) {
    TempStore store;
    store.AddProject("AAAA1111", SampleRecord("甲"));
    SaveIndex(store.dir(), {"AAAA1111"});
    ModalAnswerer answers;
    answers.Ok();
    TClearAllForm form(store.dir());
    form.show();
    auto* label = Find<QLabel>(&form, "Label1");
    auto* button1 = Find<QPushButton>(&form, "Button1");
    auto* button2 = Find<QPushButton>(&form, "Button2");
    QTest::mouseClick(button1, Qt::LeftButton);
    EXPECT_EQ(answers.messages(), QStringList{QStringLiteral("清空操作完成！")});
    EXPECT_FALSE(store.Exists("vemra.zzj"));
    EXPECT_FALSE(store.Exists("AAAA1111.zzj"));
    EXPECT_TRUE(form.cleared());
    EXPECT_EQ(form.palette().color(QPalette::Window), QColor(0, 0, 0));
    EXPECT_EQ(TextColour(label), QColor(255, 255, 255));
    EXPECT_EQ(label->text(), QStringLiteral("数据库中的数据已全部被清除了..."));
    EXPECT_FALSE(button2->isEnabled());
    EXPECT_EQ(button1->text(), QStringLiteral("返回主界面"));
    EXPECT_TRUE(form.isVisible());

    // A new index written meanwhile survives the second press.
    SaveIndex(store.dir(), {"NEW00001"});
    QTest::mouseClick(button1, Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(answers.messages().size(), 1);
    EXPECT_EQ(store.Read("vemra.zzj"), "NEW00001\r\n");
}

TEST(ClearAllCommand, TheMainListIsReloadedAfterAClearing) {
    TempStore store;
    store.InstallCodeTable();
    store.AddProject("AAAA1111", SampleRecord("甲"));
    store.AddProject("BBBB2222", SampleRecord("乙"));
    SaveIndex(store.dir(), {"AAAA1111", "BBBB2222"});
    ModalAnswerer answers;
    auto form = testing::StartMainForm(store, answers);
    ASSERT_EQ(form->projectCount(), 2);

    auto press = [](QWidget* dialog, const char* name) {
        QPushButton* button = testing::Button(dialog, name);
        ASSERT_NE(button, nullptr);
        QMetaObject::invokeMethod(button, "click", Qt::QueuedConnection);
    };
    QPointer<QWidget> clearing;
    answers.Then([&](QWidget* dialog) {
        EXPECT_STREQ(dialog->metaObject()->className(), "shenbao::TClearAllForm");
        clearing = dialog;
        press(dialog, "Button1");
    });
    answers.Ok();
    // Closing the cleared dialog happens after the result box.
    QTimer::singleShot(0, form.get(), [&] {
        ASSERT_TRUE(testing::WaitFor([&] {
            return clearing &&
                   Find<QPushButton>(clearing, "Button1")->text() == QStringLiteral("返回主界面");
        }));
        press(clearing, "Button1");
    });
    form->N21Click();
    EXPECT_EQ(answers.messages(), QStringList{QStringLiteral("清空操作完成！")});
    EXPECT_EQ(form->projectCount(), 0);
    EXPECT_EQ(form->statusText(), QStringLiteral("库中共有 0 个项目，当前为第 0 个"));
    // An Add or Delete now writes an index without the cleared IDs.
    EXPECT_EQ(store.Read("vemra.zzj"), "");
}

}  // namespace
}  // namespace shenbao
