#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include "core/version.h"
#include "gui/dialogs.h"
#include "gui/text.h"
#include "mainwin/first.h"
#include "mainwin/list_model.h"
#include "mainwin/zmain.h"
#include "tests/support/main_form.h"

namespace shenbao::testing {
namespace {

// A store of projects whose names are given; IDs P0000001.. in index order.
void FillStore(const TempStore& store, const std::vector<std::string>& names) {
    std::vector<std::string> ids;
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::string number = std::to_string(i + 1);
        std::string id(8 - number.size(), '0');
        id.front() = 'P';
        id.append(number);
        store.AddProject(id, SampleRecord(names[i], number));
        ids.push_back(id);
    }
    SaveIndex(store.dir(), ids);
}

void ClickCell(TZMainForm& form, int r, int c) {
    auto* grid = Find<QTableView>(&form, "StringGrid1");
    QRect rect = grid->visualRect(grid->model()->index(r - 1, c));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
}

TEST(MainWindow, StartUpLoadsTheStoreSortedById) {
    TempStore store;
    store.AddProject("ZZZZ0001", SampleRecord("最后"));
    store.AddProject("AAAA0001", SampleRecord("最前"));
    SaveIndex(store.dir(), {"ZZZZ0001", "MISSING1", "AAAA0001"});
    ModalAnswerer answerer;
    auto form = StartMainForm(store, answerer);
    EXPECT_EQ(answerer.pending(), 0u);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("澄川省科技计划项目申报系统2001版"));
    ASSERT_EQ(form->projectCount(), 3);
    EXPECT_EQ(Cell(*form, 1, 0), "AAAA0001");
    EXPECT_EQ(Cell(*form, 1, 2), QStringLiteral("最前"));
    EXPECT_EQ(Cell(*form, 2, 0), "MISSING1");
    // The sort's exchanges leave a single blank in empty cells.
    EXPECT_EQ(Cell(*form, 2, 2), " ");
    EXPECT_EQ(Cell(*form, 3, 0), "ZZZZ0001");
    EXPECT_EQ(form->statusText(), QStringLiteral("库中共有 3 个项目，当前为第 1 个"));
    // The sort key list shows no choice.
    EXPECT_EQ(Combo(form.get(), "ComboBox1")->currentIndex(), -1);
    // The sort reorders the list only; the index keeps its order.
    EXPECT_EQ(store.Read("vemra.zzj"), "ZZZZ0001\r\nMISSING1\r\nAAAA0001\r\n");
}

TEST(MainWindow, GridLooksAsDesignedAndResetsWidthsOnReload) {
    TempStore store;
    FillStore(store, {"甲"});
    ModalAnswerer answerer;
    auto form = StartMainForm(store, answerer);
    auto* grid = Find<QTableView>(form.get(), "StringGrid1");
    ASSERT_NE(grid, nullptr);
    const int widths[] = {55, 55, 240, 240, 90, 110, 55, 90, 55, 55};
    const char* titles[] = {"项目ID号", "项目序号", "项目名称",     "承担单位", "主管部门",
                            "计划类别", "申请人",   "省拨款(万元)", "申报时间", "项目领域"};
    for (int c = 0; c < 10; ++c) {
        EXPECT_EQ(grid->columnWidth(c), widths[c]) << c;
        EXPECT_EQ(grid->model()->headerData(c, Qt::Horizontal).toString(),
                  QString::fromUtf8(titles[c]));
    }
    EXPECT_EQ(grid->verticalHeader()->defaultSectionSize(), 18);
    // No fixed column: the cells start at the frame; row heights are dragged
    // at the line under a row.
    EXPECT_FALSE(grid->verticalHeader()->isVisible());
    EXPECT_EQ(grid->viewport()->x(), grid->frameWidth());
    QWidget* cells = grid->viewport();
    const QPoint line(20, grid->rowHeight(0) - 1);
    QTest::mousePress(cells, Qt::LeftButton, Qt::NoModifier, line);
    QTest::mouseMove(cells, line + QPoint(0, 10));
    QTest::mouseRelease(cells, Qt::LeftButton, Qt::NoModifier, line + QPoint(0, 10));
    EXPECT_EQ(grid->rowHeight(0), 28);
    EXPECT_EQ(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(grid->model()->flags(grid->model()->index(0, 0)) & Qt::ItemIsEditable);
    EXPECT_EQ(grid->palette().color(QPalette::Text), QColor(0, 0, 128));
    EXPECT_EQ(grid->font().pointSize(), 9);
    grid->setColumnWidth(2, 400);
    form->ReloadList();
    EXPECT_EQ(grid->columnWidth(2), 240);
}

TEST(MainWindow, MenusInOrderWithTheirEntries) {
    TempStore store;
    TZMainForm form(FromPath(store.dir()));
    QList<QAction*> menus = form.menuBar()->actions();
    const QStringList titles = {"数据(&1)", "查询(&2)", "报表(&3)", "设置(&4)", "帮助(&5)"};
    ASSERT_EQ(menus.size(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(menus[i]->text(), titles[i]);
        EXPECT_EQ(menus[i]->menu()->objectName(), QStringLiteral("N%1").arg(i + 1));
    }
    auto entries = [](QAction* menu) {
        QStringList out;
        for (QAction* a : menu->menu()->actions()) {
            out << (a->isSeparator() ? QStringLiteral("-") : a->objectName() + ":" + a->text());
        }
        return out;
    };
    EXPECT_EQ(entries(menus[0]),
              (QStringList{"NCheck:检查项目(&C)", "-", "N7:导出所显数据到设定的路径(&1)",
                           "N31:导出全部数据到设定的路径(&2)", "-", "N32:导出所显数据到软盘(&3)",
                           "N41:导出全部数据到软盘(&4)", "-", "N8:从设定路径引入数据(&5)",
                           "N61:从软盘引入数据(&6)", "-", "N9:退出系统(&4)"}));
    EXPECT_EQ(
        entries(menus[1]),
        (QStringList{"N12:按项目名称查询(&1)", "N13:按项目申请人查询(&2)", "N6:按主管部门查询(&3)",
                     "N14:按计划类别查询(&4)", "N10:按承担单位查询(&5)", "N27:按项目领域查询(&6)",
                     "N15:按项目申报日期查询(&7)", "N71:按省拨款经费查询(&8)"}));
    EXPECT_EQ(entries(menus[2]),
              (QStringList{"N11:打印项目清单(&1)", "N16:输出至文本文件(&2)", "NSummary:汇总统计(&3)",
                           "NApplicationForm:打印申报表(&4)",
                           "NApplicationFormAll:打印全部显示项目的申报表(&5)"}));
    EXPECT_EQ(entries(menus[3]),
              (QStringList{"N18:设置数据导出路径(&1)", "N19:设置数据引入路径(&2)", "-",
                           "N21:清空数据库(&3)"}));
    EXPECT_EQ(entries(menus[4]), (QStringList{"N17:使用说明(&1)", "-", "N20:关于(&2)"}));
}

TEST(MainWindow, MenusAndMessageBoxesShowLatinAndChineseInTheSongFace) {
    TempStore store;
    TZMainForm form(FromPath(store.dir()));
    const QString song = QStringLiteral("AR PL UMing CN");
    EXPECT_EQ(QFontInfo(form.menuBar()->font()).family(), song);
    EXPECT_EQ(QFontInfo(Find<QMenu>(&form, "N1")->font()).family(), song);
    ModalAnswerer answerer;
    QString boxFace;
    answerer.Then([&boxFace](QWidget* box) {
        boxFace = QFontInfo(Find<QLabel>(box, "qt_msgbox_label")->font()).family();
        static_cast<QMessageBox*>(box)->button(QMessageBox::Ok)->click();
    });
    ShowMessage(&form, QStringLiteral("OK 0K 成功"));
    EXPECT_EQ(boxFace, song);
}

TEST(MainWindow, ToolRowCaptionsHintsAndStates) {
    TempStore store;
    TZMainForm form(FromPath(store.dir()));
    struct Expected {
        const char* name;
        const char* caption;
        const char* hint;
    };
    const Expected expected[] = {
        {"BitBtn3", "|<<", "第一个项目"},
        {"BitBtn5", "<<", "前一个项目"},
        {"BitBtn6", ">>", "下一个项目"},
        {"BitBtn4", ">>|", "最后一个项目"},
        {"BitBtn1", "添加", "添加一个新项目"},
        {"BitBtn7", "修改", "编辑当前的一个项目的基本信息"},
        {"BitBtn10", "查看", ""},
        {"BitBtn2", "删除", "删除当前的一个项目"},
        {"BitBtn9", "刷新", "重新从磁盘上读入项目信息"},
        {"BitBtn11", "全部项目", ""},
        {"BitBtn8", "退出", ""},
    };
    for (const Expected& e : expected) {
        QPushButton* button = Button(&form, e.name);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), QString::fromUtf8(e.caption)) << e.name;
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(e.hint)) << e.name;
        EXPECT_EQ(button->isEnabled(), std::string(e.name) != "BitBtn11") << e.name;
    }
    // The window fits an 800 x 600 screen: at 800 pixels every control of
    // the tool row lies whole inside it, wide enough for its caption.
    EXPECT_LE(form.minimumSizeHint().width(), 790);
    ModalAnswerer answerer;
    auto shown = StartMainForm(store, answerer);
    shown->showNormal();
    shown->resize(800, 524);
    auto* row = Find<QWidget>(shown.get(), "Panel1");
    ASSERT_EQ(row->width(), 800);
    for (QWidget* control : row->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const std::string name = control->objectName().toStdString();
        EXPECT_TRUE(row->rect().contains(control->geometry())) << name;
        int needed = control->minimumSizeHint().width();
        if (auto* button = qobject_cast<QPushButton*>(control)) {
            // Caption and icon inside the button's frame and margins.
            QStyle* style = button->style();
            needed = button->fontMetrics().horizontalAdvance(button->text()) +
                     2 * (style->pixelMetric(QStyle::PM_ButtonMargin) +
                          style->pixelMetric(QStyle::PM_DefaultFrameWidth));
            if (!button->icon().isNull()) {
                needed += button->iconSize().width() + 4;
            }
        }
        EXPECT_GE(control->width(), needed) << name;
    }
    auto* combo = Find<QComboBox>(&form, "ComboBox1");
    ASSERT_EQ(combo->count(), 9);
    EXPECT_EQ(combo->itemText(0), QStringLiteral("按项目ID号排序"));
    EXPECT_EQ(combo->itemText(8), QStringLiteral("按项目领域排序"));
    EXPECT_EQ(Find<QLabel>(&form, "Label1")->text(), QStringLiteral("排序方式"));
}

TEST(MainWindow, ACellCutByItsColumnShowsItsWholeTextAsATip) {
    TempStore store;
    const std::string longName(60, 'N');
    store.AddProject("P0000001", SampleRecord("短名称", "7", longName));
    store.AddProject("P0000002", SampleRecord("长名称" + longName, "12345678901234"));
    SaveIndex(store.dir(), {"P0000001", "P0000002"});
    ModalAnswerer answerer;
    auto form = StartMainForm(store, answerer);
    auto* grid = Find<QTableView>(form.get(), "StringGrid1");
    struct Row {
        int r, c;
        QString tip;  // empty: the cell is shown whole and has none
    };
    const QString longText = QString::fromStdString(longName);
    const Row rows[] = {
        {1, 2, QString()},
        {2, 2, QStringLiteral("长名称") + longText},
        {1, 3, longText},
        {1, 1, QString()},
        {2, 1, QStringLiteral("12345678901234")},
        {2, 3, QString()},  // empty
    };
    for (const Row& row : rows) {
        QToolTip::hideText();
        ASSERT_TRUE(WaitFor([] { return !QToolTip::isVisible(); }));
        const QPoint at = grid->visualRect(grid->model()->index(row.r - 1, row.c)).center();
        QHelpEvent help(QEvent::ToolTip, at, grid->viewport()->mapToGlobal(at));
        QApplication::sendEvent(grid->viewport(), &help);
        EXPECT_EQ(QToolTip::isVisible() ? QToolTip::text() : QString(), row.tip)
            << row.r << "," << row.c;
    }
    // A column widened to hold the text shows it whole: no tip.
    grid->setColumnWidth(2, 1200);
    QToolTip::hideText();
    ASSERT_TRUE(WaitFor([] { return !QToolTip::isVisible(); }));
    const QPoint at = grid->visualRect(grid->model()->index(1, 2)).center();
    QHelpEvent help(QEvent::ToolTip, at, grid->viewport()->mapToGlobal(at));
    QApplication::sendEvent(grid->viewport(), &help);
    EXPECT_FALSE(QToolTip::isVisible());
}

TEST(MainWindow, NavigationAndTheStatusLine) {
    TempStore store;
    FillStore(store, {"一", "二", "三", "四", "五"});
    ModalAnswerer answerer;
    auto form = StartMainForm(store, answerer);
    ClickCell(*form, 3, 2);
    EXPECT_EQ(form->currentRow(), 3);
    EXPECT_EQ(form->statusText(), QStringLiteral("库中共有 5 个项目，当前为第 3 个"));

    Button(form.get(), "BitBtn6")->click();
    EXPECT_EQ(form->statusText(), QStringLiteral("库中共有 5 个项目，当前为第 4 个"));
    Button(form.get(), "BitBtn4")->click();
    EXPECT_EQ(form->currentRow(), 5);
    // Next on the last row changes nothing, not even the status line.
    const auto markStatus = [&form] {
        Find<QStatusBar>(form.get(), "StatusBar1")
            ->findChild<QLabel*>()
            ->setText(QStringLiteral("marker"));
    };
    markStatus();
    Button(form.get(), "BitBtn6")->click();
    EXPECT_EQ(form->currentRow(), 5);
    EXPECT_EQ(form->statusText(), QStringLiteral("marker"));

    Button(form.get(), "BitBtn3")->click();
    EXPECT_EQ(form->statusText(), QStringLiteral("库中共有 5 个项目，当前为第 1 个"));
    markStatus();
    Button(form.get(), "BitBtn5")->click();
    EXPECT_EQ(form->currentRow(), 1);
    EXPECT_EQ(form->statusText(), QStringLiteral("marker"));

    // Keyboard moves update the status line too.
    auto* grid = Find<QTableView>(form.get(), "StringGrid1");
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(form->statusText(), QStringLiteral("库中共有 5 个项目，当前为第 2 个"));

    // A reload names row 1 whatever row is focused.
    form->ReloadList();
    EXPECT_EQ(form->statusText(), QStringLiteral("库中共有 5 个项目，当前为第 1 个"));
    EXPECT_EQ(form->currentRow(), 2);
}

TEST(MainWindow, NavigationOnAnEmptyList) {
    TempStore store;
    ModalAnswerer answerer;
    auto form = StartMainForm(store, answerer);
    EXPECT_EQ(form->statusText(), QStringLiteral("库中共有 0 个项目，当前为第 0 个"));
    for (const char* name : {"BitBtn3", "BitBtn5", "BitBtn6", "BitBtn4"}) {
        Button(form.get(), name)->click();
        EXPECT_EQ(form->currentRow(), 0);
    }
    EXPECT_EQ(form->statusText(), QStringLiteral("库中共有 0 个项目，当前为第 0 个"));
}

TEST(MainWindow, ChoosingASortKeySortsTheListAndLeavesTheStatusLine) {
    TempStore store;
    store.AddProject("A0000001", SampleRecord("丙", "10", "", "3"));
    store.AddProject("B0000002", SampleRecord("甲", "9", "", "abc"));
    store.AddProject("C0000003", SampleRecord("乙", "9.5", "", "12.5"));
    SaveIndex(store.dir(), {"A0000001", "B0000002", "C0000003"});
    ModalAnswerer answerer;
    auto form = StartMainForm(store, answerer);
    ClickCell(*form, 2, 0);
    auto* combo = Combo(form.get(), "ComboBox1");
    ChooseSortKey(*form, 1);  // by serial number, as numbers
    EXPECT_EQ(Cell(*form, 1, 1), "9");
    EXPECT_EQ(Cell(*form, 2, 1), "9.5");
    EXPECT_EQ(Cell(*form, 3, 1), "10");
    EXPECT_EQ(form->currentRow(), 2);
    EXPECT_EQ(form->statusText(), QStringLiteral("库中共有 3 个项目，当前为第 2 个"));
    ChooseSortKey(*form, 7);  // provincial funds: abc counts as 0
    EXPECT_EQ(Cell(*form, 1, 0), "B0000002");
    EXPECT_EQ(Cell(*form, 3, 0), "C0000003");
    // Refresh brings back the index order; the key list keeps its text.
    form->ReloadList();
    EXPECT_EQ(Cell(*form, 1, 0), "A0000001");
    EXPECT_EQ(combo->currentIndex(), 7);
    // Choosing the shown key again sorts again.
    ChooseSortKey(*form, 7);
    EXPECT_EQ(Cell(*form, 1, 0), "B0000002");
    EXPECT_EQ(Cell(*form, 3, 0), "C0000003");
}

TEST(Splash, OnlyTheBackgroundTitleAndFirstCreditLineCloseIt) {
    TFirstForm splash;
    EXPECT_EQ(splash.windowTitle(), QStringLiteral("欢迎使用"));
    ExpectLayout(&splash, {{"FirstForm", -1, -1, 524, 337}});
    EXPECT_EQ(splash.timer()->interval(), 12000);
    EXPECT_TRUE(splash.timer()->isActive());
    EXPECT_FALSE(splash.windowFlags() & Qt::WindowCloseButtonHint);
    splash.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&splash));
    auto label = [&](const char* name) { return Find<QLabel>(&splash, name); };
    EXPECT_EQ(label("Label1")->text(), QStringLiteral("澄川省科技计划项目基本信息申报系统"));
    EXPECT_EQ(label("Label1")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(label("Label5")->text(), QStringLiteral("本系统要求分辨率至少800X600"));
    EXPECT_EQ(label("Label2")->text(), QStringLiteral("2001版"));
    // The program's version, small, under the edition and inside the window.
    EXPECT_EQ(label("Label6")->text(),
              QStringLiteral("版本 ") + QString::fromStdString(std::string(ProgramVersion())));
    EXPECT_LT(label("Label6")->font().pixelSize(), label("Label2")->font().pixelSize());
    EXPECT_GE(label("Label6")->y(), label("Label2")->geometry().bottom());
    EXPECT_LE(label("Label6")->geometry().right(), splash.width() - 1);
    for (const char* name : {"Label2", "Label4", "Label5", "Label6"}) {
        QTest::mouseClick(label(name), Qt::LeftButton);
        EXPECT_TRUE(splash.isVisible()) << name;
    }
    QTest::mouseClick(Find<QWidget>(&splash, "Bevel1"), Qt::LeftButton);
    EXPECT_TRUE(splash.isVisible());
    QTest::keyClick(&splash, Qt::Key_Escape);
    EXPECT_TRUE(splash.isVisible());
    QTest::mouseClick(label("Label3"), Qt::LeftButton);
    EXPECT_FALSE(splash.isVisible());
    EXPECT_FALSE(splash.timer()->isActive());

    TFirstForm second;
    second.show();
    QTest::mouseClick(Find<QLabel>(&second, "Label1"), Qt::LeftButton);
    EXPECT_FALSE(second.isVisible());

    TFirstForm third;
    third.show();
    QTest::mouseClick(&third, Qt::LeftButton, Qt::NoModifier, QPoint(5, 200));
    EXPECT_FALSE(third.isVisible());
}

TEST(Splash, ClosesItselfWhenItsTimerRunsOut) {
    TFirstForm splash;
    splash.timer()->setInterval(30);  // the same one-shot timer, sooner
    splash.timer()->start();
    QTimer::singleShot(2000, &splash, &QDialog::reject);  // safety net
    QElapsedTimer clock;
    clock.start();
    int result = splash.exec();
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_LT(clock.elapsed(), 1500);
}

TEST(Splash, AboutShowsAFreshSplashEachTime) {
    TempStore store;
    ModalAnswerer answerer;
    auto form = StartMainForm(store, answerer);
    for (int i = 0; i < 2; ++i) {
        answerer.Then([](QWidget* w) {
            auto* splash = qobject_cast<TFirstForm*>(w);
            ASSERT_NE(splash, nullptr);
            EXPECT_EQ(splash->timer()->interval(), 12000);
            EXPECT_TRUE(splash->timer()->isActive());
            QTest::mouseClick(splash, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        });
        Trigger(form.get(), "N20");
    }
    EXPECT_EQ(answerer.pending(), 0u);
}

TEST(CloseSequence, NoKeepsEverythingAsItWas) {
    TempStore store;
    FillStore(store, {"乙", "甲"});
    ModalAnswerer answerer;
    auto form = StartMainForm(store, answerer);
    form->SortList(SortKey::ProjectName);
    const std::string index = store.Read("vemra.zzj");
    answerer.No();
    Button(form.get(), "BitBtn8")->click();
    EXPECT_EQ(answerer.messages().value(0), QStringLiteral("您真的要退出本系统吗?"));
    EXPECT_EQ(answerer.icons().value(0), QMessageBox::Question);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(Cell(*form, 1, 2), QStringLiteral("甲"));
    EXPECT_EQ(store.Read("vemra.zzj"), index);
}

TEST(CloseSequence, YesWritesTheStoredOrderNotTheSortedOrNarrowedOne) {
    TempStore store;
    FillStore(store, {"丙", "甲", "乙"});
    store.Write("vemra.zzj", "  P0000001 \r\n\r\nP0000002\nP0000003");
    ModalAnswerer answerer;
    auto form = StartMainForm(store, answerer);
    form->SortList(SortKey::ProjectName);
    form->listModel()->removeRowAt(0);  // as a narrowed list would be
    answerer.Yes();
    Trigger(form.get(), "N9");
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(store.Read("vemra.zzj"), "P0000001\r\nP0000002\r\nP0000003\r\n");
}

TEST(CloseSequence, TheCloseBoxGoesThroughTheSameQuestion) {
    TempStore store;
    ModalAnswerer answerer;
    auto form = StartMainForm(store, answerer);
    answerer.No();
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    answerer.Yes();
    EXPECT_TRUE(form->close());
    EXPECT_EQ(answerer.messages().size(), 2);
}

TEST(CloseSequence, AFileErrorKeepsTheProgramRunning) {
    TempStore store;
    FillStore(store, {"甲"});
    ModalAnswerer answerer;
    auto form = StartMainForm(store, answerer);
    // The index can no longer be read: it has become a directory.
    std::filesystem::remove(store.path("vemra.zzj"));
    std::filesystem::create_directory(store.path("vemra.zzj"));
    // Asked whether to leave all the same, the user stays.
    answerer.Yes().Ok().No();
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    ASSERT_EQ(answerer.messages().size(), 3);
    EXPECT_TRUE(answerer.messages()[1].contains(QStringLiteral("vemra.zzj")));
    EXPECT_EQ(answerer.icons()[1], QMessageBox::Critical);
    EXPECT_EQ(answerer.icons()[2], QMessageBox::Question);
    // The list keeps what it showed.
    EXPECT_EQ(form->projectCount(), 1);
    // Asked again, the user leaves; the directory is left as it was.
    answerer.Yes().Ok().Yes();
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(std::filesystem::is_directory(store.path("vemra.zzj")));
}

}  // namespace
}  // namespace shenbao::testing
