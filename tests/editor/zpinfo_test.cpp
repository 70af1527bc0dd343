#include "editor/zpinfo.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCoreApplication>
#include <QHeaderView>
#include <QRegion>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTextCursor>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "gui/text.h"
#include "platform/gbk.h"
#include "platform/platform.h"
#include "tests/editor/editor_support.h"

namespace shenbao::testing {
namespace {

const std::string kId = "AB12CD34";

std::string MainFile() {
    return "AB12CD34.zzj";
}
std::string MemberFile() {
    return "AB12CD34.zj";
}

// The fields ("16") and member cells ("m5.6", row and cell from 1) in which
// two records differ.
std::vector<std::string> Differences(const TProjectRecord& a, const TProjectRecord& b) {
    std::vector<std::string> out;
    for (std::size_t f = 0; f < kFieldCount; ++f) {
        if (a.Fields[f] != b.Fields[f]) {
            out.push_back(std::to_string(f));
        }
    }
    for (std::size_t r = 0; r < kMemberRowCount; ++r) {
        for (std::size_t c = 0; c < kMemberCellCount; ++c) {
            if (a.Members[r].Cells[c] != b.Members[r].Cells[c]) {
                out.push_back("m" + std::to_string(r + 1) + "." + std::to_string(c + 1));
            }
        }
    }
    return out;
}

QString SavedMessage(const QString& name) {
    return QStringLiteral("名称为“") + name + QStringLiteral("”的项目基本信息已成功存盘！");
}

// ---- Layout ---------------------------------------------------------------------

TEST(EditorForm, LooksAsDesigned) {
    EditorStore store;
    auto form = ShowEditor(store, kId, EditorMode::Add);

    EXPECT_EQ(form->objectName(), QStringLiteral("ZPInfoForm"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("科技发展计划项目基本信息"));
    EXPECT_EQ(form->minimumSize(), form->maximumSize());

    EXPECT_EQ(Edit(form.get(), "Edit29")->text(), QString::fromStdString(kId));
    EXPECT_TRUE(Edit(form.get(), "Edit29")->isReadOnly());
    EXPECT_EQ(Button(form.get(), "BitBtn8")->text(), QStringLiteral("存盘"));
    EXPECT_EQ(Button(form.get(), "BitBtn8")->toolTip(), QStringLiteral("保存当前所有的项目信息"));
    EXPECT_EQ(Button(form.get(), "BitBtn10")->text(), QStringLiteral("存盘并关闭"));
    EXPECT_EQ(Button(form.get(), "BitBtn1")->text(), QStringLiteral("放弃并关闭"));
    EXPECT_EQ(Button(form.get(), "BitBtnApplicationForm")->text(), QStringLiteral("打印申报表"));
    EXPECT_FALSE(Find<QLabel>(form.get(), "Label2")->isVisible());
    EXPECT_FALSE(Find<QLabel>(form.get(), "Label4")->isVisible());

    auto* pages = Find<QTabWidget>(form.get(), "PageControl1");
    ASSERT_EQ(pages->count(), 4);
    EXPECT_EQ(pages->tabText(0), QStringLiteral("项目概况"));
    EXPECT_EQ(pages->tabText(1), QStringLiteral("单位概况"));
    EXPECT_EQ(pages->tabText(2), QStringLiteral("主要参加人"));
    EXPECT_EQ(pages->tabText(3), QStringLiteral("主要研究内容"));
    EXPECT_EQ(pages->currentIndex(), 0);
    // Controls on the tabs stand relative to their tab page. The fields of
    // the first two tabs, placed from their tables, lie on their page and
    // clear of each other.
    ExpectLayout(form.get(), {{"ZPInfoForm", -1, -1, 614, 425},
                              {"PageControl1", -1, 35},
                              {"BitBtnApplicationForm", 212, 5, 100, 25},
                              {"Memo1", 36, 54, 523, 225},
                              {"Panel6", 36, 298, 523, 29},
                              {"StringGrid1", 14, 14, 571, 327}});
    for (const char* name : {"TabSheet1", "TabSheet2"}) {
        const auto* page = Find<QWidget>(form.get(), name);
        const QList<QWidget*> fields = page->findChildren<QWidget*>(
            QRegularExpression(QStringLiteral("^(Edit|ComboBox)")), Qt::FindDirectChildrenOnly);
        EXPECT_GE(fields.size(), 17);
        QRegion taken;
        for (const QWidget* field : fields) {
            EXPECT_TRUE(page->rect().contains(field->geometry()) &&
                        !taken.intersects(field->geometry()))
                << field->objectName().toStdString();
            taken += field->geometry();
        }
    }
    // The member grid: six headed columns, 14 rows shown, row 15 kept hidden.
    QTableWidget* grid = Grid(form.get());
    ASSERT_EQ(grid->rowCount(), 15);
    ASSERT_EQ(grid->columnCount(), 6);
    const QStringList headings = {QStringLiteral("姓名"),         QStringLiteral("性别"),
                                  QStringLiteral("出生年月"),     QStringLiteral("学历"),
                                  QStringLiteral("职务（职称）"), QStringLiteral("现工作单位")};
    const int widths[] = {55, 30, 77, 80, 90, 200};
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(grid->horizontalHeaderItem(c)->text(), headings[c]);
        EXPECT_EQ(grid->columnWidth(c), widths[c]);
    }
    for (int r = 0; r < 14; ++r) {
        EXPECT_FALSE(grid->isRowHidden(r)) << r;
    }
    EXPECT_TRUE(grid->isRowHidden(14));
    EXPECT_EQ(grid->verticalHeader()->defaultSectionSize(), 20);
    EXPECT_FALSE(grid->verticalHeader()->isVisible());
    EXPECT_TRUE(grid->tabKeyNavigation());

    // A new project starts empty, the counter with its first text.
    EXPECT_TRUE(Edit(form.get(), "Edit1")->text().isEmpty());
    EXPECT_TRUE(Combo(form.get(), "ComboBox1")->currentText().isEmpty());
    EXPECT_TRUE(Combo(form.get(), "ComboBox5")->currentText().isEmpty());
    EXPECT_EQ(Find<QLabel>(form.get(), "Panel6")->text(), QStringLiteral("您输入了0个汉字"));
}

TEST(EditorForm, FillsTheListsFromTheCodeTable) {
    EditorStore store;
    auto form = ShowEditor(store, kId, EditorMode::Add);

    const std::string table = platform::ReadFile(ShippedCodeTable());
    auto items = [](QComboBox* combo) {
        QStringList texts;
        for (int i = 0; i < combo->count(); ++i) {
            texts << combo->itemText(i);
        }
        return texts;
    };
    auto entries = [&table](const std::string& section) {
        QStringList texts;
        for (const std::string& entry : ParseCodeSection(table, section)) {
            texts << FromGbk(entry);
        }
        return texts;
    };
    // The classification lists in file order, each entry whole.
    EXPECT_EQ(items(Combo(form.get(), "ComboBox1")), entries(CodeSection::PlanCategory));
    EXPECT_EQ(items(Combo(form.get(), "ComboBox2")), entries(CodeSection::ProjectField));
    EXPECT_EQ(items(Combo(form.get(), "ComboBox3")), entries(CodeSection::ExpectedResultForm));
    EXPECT_EQ(items(Combo(form.get(), "ComboBox4")), entries(CodeSection::ProjectSource));
    EXPECT_EQ(items(Combo(form.get(), "ComboBox6")), entries(CodeSection::ProjectLocation));
    EXPECT_EQ(items(Combo(form.get(), "ComboBox7")), entries(CodeSection::UnitNature));
    EXPECT_EQ(items(Combo(form.get(), "ComboBox8")), entries(CodeSection::RegistrationType));
    EXPECT_FALSE(items(Combo(form.get(), "ComboBox1")).isEmpty());

    // The department names sorted, the table in file order with the codes.
    QStringList departments = items(Combo(form.get(), "ComboBox5"));
    const std::vector<std::string> expectedTable = ParseCodeSection(table, CodeSection::Department);
    EXPECT_EQ(form->departmentTable(), expectedTable);
    ASSERT_EQ(departments.size(), static_cast<qsizetype>(expectedTable.size()));
    EXPECT_TRUE(departments.contains(QStringLiteral("省科学技术厅")));
    EXPECT_FALSE(departments.contains(QStringLiteral("201:省科学技术厅")));
    QStringList fileOrder;
    for (const std::string& entry : expectedTable) {
        fileOrder << FromGbk(DepartmentName(entry));
    }
    EXPECT_NE(departments, fileOrder);
}

TEST(EditorForm, DroppedDownListsShowTheirEntriesWholeInRowsTallEnough) {
    EditorStore store;
    auto form = ShowEditor(store, kId, EditorMode::Add);
    for (const char* name : {"ComboBox1", "ComboBox2", "ComboBox3", "ComboBox4", "ComboBox5",
                             "ComboBox6", "ComboBox7", "ComboBox8"}) {
        SCOPED_TRACE(name);
        QComboBox* combo = Combo(form.get(), name);
        const int closedWidth = combo->width();
        combo->showPopup();
        QAbstractItemView* list = combo->view();
        ASSERT_TRUE(WaitFor([list] { return list->isVisible(); }));
        for (int i = 0; i < combo->count(); ++i) {
            const QModelIndex item = list->model()->index(i, 0);
            EXPECT_LE(list->sizeHintForIndex(item).width(), list->viewport()->width())
                << combo->itemText(i).toStdString();
            EXPECT_GE(list->visualRect(item).height(), list->fontMetrics().height());
        }
        combo->hidePopup();
        EXPECT_EQ(combo->width(), closedWidth);
    }
    EXPECT_EQ(Combo(form.get(), "ComboBox1")->width(), 145);
}

TEST(EditorForm, AMissingCodeTableEndsTheProgramBeforeAnythingIsRead) {
    TempStore store;
    store.AddProject("AB12CD34", FullRecord());
    ModalAnswerer answerer;
    answerer.Ok();
    TZPInfoForm form(store.dir());
    form.Prepare(kId, EditorMode::Modify);
    form.exec();
    WaitFor([&form] { return !form.isVisible(); }, 2000);

    EXPECT_EQ(answerer.messages(),
              QStringList(
                  {QStringLiteral("未找到系统编码表文件”_SysCode.ZZJ“，系统可能无法正常运行。")}));
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(Edit(&form, "Edit1")->text().isEmpty());
    EXPECT_EQ(Combo(&form, "ComboBox5")->count(), 0);

    // The program was told to end with code 1. Let an event loop take that
    // request so that the next tests run their modal loops as usual.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

// ---- Opening an existing project ------------------------------------------------

TEST(EditorRecord, ShowsEveryFieldAndMemberAndSavesThemBackByteForByte) {
    EditorStore store;
    TProjectRecord record = FullRecord();
    // Bytes that form no character (a character cut in half, 0x80, 0xFF)
    // are kept as they stand.
    record.Fields[Field::UnitAddress] += "\xD6";
    record.Fields[Field::Bank] = "A\x80" + record.Fields[Field::Bank] + "\xFF";
    record.Members[2].Cells[1] += "\xB9";
    store.AddProject("AB12CD34", record);
    const std::string mainBefore = store.Read(MainFile());
    const std::string memberBefore = store.Read(MemberFile());

    ModalAnswerer answerer;
    auto form = ShowEditor(store, kId, EditorMode::Modify);
    EXPECT_EQ(form->RecordFromControls(), record);
    EXPECT_EQ(Edit(form.get(), "Edit1")->text(), QStringLiteral("字段0"));
    EXPECT_EQ(Combo(form.get(), "ComboBox8")->currentText(), QStringLiteral("字段22"));
    EXPECT_EQ(Edit(form.get(), "Edit30")->text(), QStringLiteral("字段37"));
    // Both department fields keep their stored texts.
    EXPECT_EQ(Edit(form.get(), "Edit13")->text(), QStringLiteral("204"));
    EXPECT_EQ(Combo(form.get(), "ComboBox5")->currentText(), QStringLiteral("省科学技术厅"));
    EXPECT_EQ(Find<QPlainTextEdit>(form.get(), "Memo1")->toPlainText(),
              QStringLiteral("第一段内容\n第二段 second\n\n末段"));
    EXPECT_EQ(Grid(form.get())->item(0, 0)->text(), QStringLiteral("成员1-0"));
    EXPECT_EQ(Grid(form.get())->item(13, 5)->text(), QStringLiteral("成员14-5"));
    // Row 15 is held although it is never shown nor editable.
    EXPECT_EQ(Grid(form.get())->item(14, 3)->text(), QStringLiteral("成员15-3"));
    EXPECT_FALSE(Grid(form.get())->item(14, 3)->flags() & Qt::ItemIsEditable);

    store.Write(MainFile(), "");
    store.Write(MemberFile(), "");
    answerer.Ok();
    Button(form.get(), "BitBtn8")->click();
    EXPECT_EQ(answerer.messages(), QStringList({SavedMessage(QStringLiteral("字段0"))}));
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(store.Read(MainFile()), mainBefore);
    EXPECT_EQ(store.Read(MemberFile()), memberBefore);

    // Saving again without changes writes the same files again.
    answerer.Ok();
    Button(form.get(), "BitBtn8")->click();
    EXPECT_EQ(store.Read(MainFile()), mainBefore);
    EXPECT_EQ(store.Read(MemberFile()), memberBefore);
}

// Stored records the editor did not write itself: department code and name
// that disagree with the table, line breaks of every kind, texts longer than
// a line edit holds by default, bytes that form no character and a tab. A
// walk through every field with Enter and Tab, then a save, writes back
// every byte.
TEST(EditorRecord, AWalkThroughEveryFieldAndASaveKeepEveryStoredByte) {
    const std::string longText(40000, 'n');
    const std::string longChinese = [] {
        std::string text;
        while (text.size() < 70000) {
            text += Gbk("澄川");
        }
        return text;
    }();
    struct Case {
        const char* what;
        std::function<void(TProjectRecord&)> change;
    };
    const Case cases[] = {
        {"a code that no entry holds, with a name from the table",
         [](TProjectRecord& r) {
             r.Fields[Field::DepartmentCode] = "999";
             r.Fields[Field::DepartmentName] = Gbk("望川市科委");
         }},
        {"a short code with another department's name",
         [](TProjectRecord& r) {
             r.Fields[Field::DepartmentCode] = "10";
             r.Fields[Field::DepartmentName] = Gbk("省教育厅");
         }},
        {"no code, a name from the table",
         [](TProjectRecord& r) {
             r.Fields[Field::DepartmentCode].clear();
             r.Fields[Field::DepartmentName] = Gbk("省农业厅");
         }},
        {"lone LF, lone CR, CR LF and LF CR in the research content",
         [](TProjectRecord& r) {
             r.Fields[Field::ResearchContent] = Gbk("\n一\n二\r三\r\n四\n\r五\r\r\n\n");
         }},
        {"over 32767 characters in an edit, a list field, a member cell and the content",
         [&](TProjectRecord& r) {
             r.Fields[Field::ProjectName] = longText;
             r.Fields[Field::PlanCategory] = longChinese;
             r.Fields[Field::Bank] = longChinese;
             r.Members[4].Cells[MemberCell::Workplace] = longChinese;
             r.Fields[Field::ResearchContent] = longText + "\n" + longChinese;
         }},
        {"bytes that form no character",
         [](TProjectRecord& r) {
             r.Fields[Field::ProjectName] = "\x81" + Gbk("项目") + "\xFF";
             r.Fields[Field::ProjectField] = "\x80\xD6";
             r.Fields[Field::DepartmentName] = Gbk("省") + "\xB9";
             r.Members[0].Cells[MemberCell::Name] = "\xFE\x30";
             r.Fields[Field::ResearchContent] = "\xD6\r\n\xD6\n\x81\r";
         }},
        {"a paragraph separator (GB18030 bytes) in the content",
         [](TProjectRecord& r) {
             r.Fields[Field::ResearchContent] = "x" + ToGbk(QStringLiteral("\u2029")) + "y\nz";
         }},
        {"control characters and a tab",
         [](TProjectRecord& r) {
             r.Fields[Field::Applicant] = Gbk("张\t三");
             r.Fields[Field::Email] =
                 "a\x01"
                 "b\x1f";
             r.Members[1].Cells[MemberCell::Sex] = "\t";
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EditorStore store;
        TProjectRecord record = FullRecord();
        c.change(record);
        store.AddProject("AB12CD34", record);
        const std::string mainBefore = store.Read(MainFile());
        const std::string memberBefore = store.Read(MemberFile());

        ModalAnswerer answerer;
        auto form = ShowEditor(store, kId, EditorMode::Modify);
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        auto* pages = Find<QTabWidget>(form.get(), "PageControl1");
        const auto press = [](int key, int times) {
            for (int i = 0; i < times; ++i) {
                QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key));
            }
        };
        // Round the Enter chains, then round the tab order, on both pages.
        pages->setCurrentIndex(0);
        Edit(form.get(), "Edit1")->setFocus();
        press(Qt::Key_Return, 18);
        press(Qt::Key_Tab, 21);
        pages->setCurrentIndex(1);
        Edit(form.get(), "Edit14")->setFocus();
        press(Qt::Key_Return, 17);
        press(Qt::Key_Tab, 18);
        // Every member cell with Tab and Enter, the cell editor open in each.
        pages->setCurrentIndex(2);
        Grid(form.get())->setFocus();
        Grid(form.get())->setCurrentCell(0, 0);
        press(Qt::Key_Tab, 14 * 6);
        Grid(form.get())->setCurrentCell(0, 0);
        press(Qt::Key_Return, 6);
        pages->setCurrentIndex(3);
        Find<QPlainTextEdit>(form.get(), "Memo1")->setFocus();
        press(Qt::Key_Tab, 1);
        EXPECT_EQ(Differences(form->RecordFromControls(), record), std::vector<std::string>());

        answerer.Ok();
        Button(form.get(), "BitBtn8")->click();
        EXPECT_EQ(answerer.messages().size(), 1);
        EXPECT_TRUE(answerer.messages().value(0).startsWith(QStringLiteral("名称为“")));
        EXPECT_TRUE(store.Read(MainFile()) == mainBefore);
        EXPECT_TRUE(store.Read(MemberFile()) == memberBefore);
    }
}

TEST(EditorRecord, ABreakTheUserTypesIsCrLfAndTheStoredOnesKeepTheirForm) {
    EditorStore store;
    TProjectRecord record;
    record.Fields[Field::ResearchContent] = Gbk("一\n二三\r四\r\n五");
    store.AddProject("AB12CD34", record);
    ModalAnswerer answerer;
    auto form = ShowEditor(store, kId, EditorMode::Modify);
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    Find<QTabWidget>(form.get(), "PageControl1")->setCurrentIndex(3);
    auto* memo = Find<QPlainTextEdit>(form.get(), "Memo1");
    memo->setFocus();
    // Stored with LF, CR and CR LF: the counter counts them as stored (14
    // bytes, not 16).
    EXPECT_EQ(Find<QLabel>(form.get(), "Panel6")->text(), QStringLiteral("您已经输入了约7个汉字"));

    // A new line between 二 and 三, a line break taken away before 五, and
    // a new last line.
    QTextCursor cursor = memo->textCursor();
    cursor.setPosition(3);
    memo->setTextCursor(cursor);
    QTest::keyClick(memo, Qt::Key_Return);
    cursor.movePosition(QTextCursor::End);
    cursor.movePosition(QTextCursor::StartOfBlock);
    memo->setTextCursor(cursor);
    QTest::keyClick(memo, Qt::Key_Backspace);
    memo->moveCursor(QTextCursor::End);
    QTest::keyClick(memo, Qt::Key_Return);
    TypeText(memo, QStringLiteral("六"));

    EXPECT_EQ(form->RecordFromControls().Fields[Field::ResearchContent],
              Gbk("一\n二\r\n三\r四五\r\n六"));
}

TEST(EditorRecord, MissingMainFileGives405AndLeavesSavingPossible) {
    EditorStore store;
    ModalAnswerer answerer;
    answerer.Ok();
    auto form = ShowEditor(store, kId, EditorMode::Modify);

    EXPECT_EQ(answerer.messages(), QStringList({MissingFileMessage(405, store.path(MainFile()))}));
    EXPECT_TRUE(Edit(form.get(), "Edit1")->text().isEmpty());
    ASSERT_TRUE(Button(form.get(), "BitBtn8")->isEnabled());
    ASSERT_TRUE(Button(form.get(), "BitBtn10")->isEnabled());

    TypeText(Edit(form.get(), "Edit1"), QStringLiteral("重建的项目"));
    Button(form.get(), "BitBtn10")->click();
    EXPECT_FALSE(form->isVisible());
    ProjectReadResult saved = ReadProjectRecord(store.dir(), "AB12CD34");
    EXPECT_EQ(saved.status, ProjectReadStatus::Complete);
    EXPECT_EQ(saved.record.Fields[Field::ProjectName], Gbk("重建的项目"));
}

TEST(EditorRecord, MissingMemberFileGives406ShowsTheFieldsAndForbidsSaving) {
    EditorStore store;
    store.AddProject("AB12CD34", FullRecord());
    std::filesystem::remove(store.path(MemberFile()));
    const std::string mainBefore = store.Read(MainFile());

    ModalAnswerer answerer;
    answerer.Ok();
    auto form = ShowEditor(store, kId, EditorMode::Modify);

    EXPECT_EQ(answerer.messages(),
              QStringList({MissingFileMessage(406, store.path(MemberFile()))}));
    EXPECT_EQ(Edit(form.get(), "Edit1")->text(), QStringLiteral("字段0"));
    EXPECT_TRUE(Grid(form.get())->item(0, 0)->text().isEmpty());
    EXPECT_FALSE(Button(form.get(), "BitBtn8")->isEnabled());
    EXPECT_FALSE(Button(form.get(), "BitBtn10")->isEnabled());
    EXPECT_TRUE(Button(form.get(), "BitBtn1")->isEnabled());

    Button(form.get(), "BitBtn1")->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(store.Read(MainFile()), mainBefore);
    EXPECT_FALSE(store.Exists(MemberFile()));
}

TEST(EditorRecord, ViewModeShowsEverythingAndAllowsNoChange) {
    EditorStore store;
    store.AddProject("AB12CD34", FullRecord());
    const std::string mainBefore = store.Read(MainFile());

    ModalAnswerer answerer;
    auto form = ShowEditor(store, kId, EditorMode::View);
    EXPECT_EQ(form->RecordFromControls(), FullRecord());
    EXPECT_FALSE(Button(form.get(), "BitBtn8")->isEnabled());
    EXPECT_FALSE(Button(form.get(), "BitBtn10")->isEnabled());
    EXPECT_TRUE(Button(form.get(), "BitBtn1")->isEnabled());
    // The disabled red button looks disabled as any other.
    QPushButton* save = Button(form.get(), "BitBtn8");
    EXPECT_EQ(save->palette().color(QPalette::Disabled, QPalette::ButtonText),
              QApplication::palette(save).color(QPalette::Disabled, QPalette::ButtonText));
    for (int n = 1; n <= 30; ++n) {
        if (n == 29) {
            continue;
        }
        const std::string name = "Edit" + std::to_string(n);
        EXPECT_TRUE(Edit(form.get(), name.c_str())->isReadOnly()) << name;
    }
    auto* memo = Find<QPlainTextEdit>(form.get(), "Memo1");
    EXPECT_TRUE(memo->isReadOnly());
    EXPECT_EQ(Grid(form.get())->editTriggers(), QAbstractItemView::NoEditTriggers);

    QTest::keyClicks(Edit(form.get(), "Edit1"), QStringLiteral("x"));
    QTest::keyClicks(memo, QStringLiteral("x"));
    EXPECT_EQ(Edit(form.get(), "Edit1")->text(), QStringLiteral("字段0"));
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("第一段内容\n第二段 second\n\n末段"));

    Button(form.get(), "BitBtn1")->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(store.Read(MainFile()), mainBefore);
}

// ---- Saving ---------------------------------------------------------------------

TEST(EditorSave, ANewProjectTypedInIsWrittenAndTheEditorCloses) {
    EditorStore store;
    ModalAnswerer answerer;
    auto form = ShowEditor(store, kId, EditorMode::Add);

    TypeText(Edit(form.get(), "Edit1"), QStringLiteral("新型节水灌溉设备"));
    QComboBox* category = Combo(form.get(), "ComboBox1");
    category->setCurrentIndex(2);
    TypeText(Edit(form.get(), "Edit3"), QStringLiteral("2001-07-16"));
    TypeText(Edit(form.get(), "Edit8"), QStringLiteral("12.5"));
    TypeText(Edit(form.get(), "Edit30"), QStringLiteral("7"));
    QTableWidget* grid = Grid(form.get());
    grid->item(1, 0)->setText(QStringLiteral("王芳"));
    Find<QPlainTextEdit>(form.get(), "Memo1")->setPlainText(QStringLiteral("甲\n乙"));

    Button(form.get(), "BitBtn10")->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(answerer.messages().isEmpty());

    ProjectReadResult saved = ReadProjectRecord(store.dir(), "AB12CD34");
    ASSERT_EQ(saved.status, ProjectReadStatus::Complete);
    TProjectRecord expected;
    expected.Fields[Field::ProjectName] = Gbk("新型节水灌溉设备");
    expected.Fields[Field::PlanCategory] = ToGbk(category->itemText(2));
    expected.Fields[Field::ApplicationDate] = "2001-07-16";
    expected.Fields[Field::FundsProvincial] = "12.5";
    expected.Fields[Field::SerialNumber] = "7";
    expected.Fields[Field::ResearchContent] = Gbk("甲\r\n乙");
    expected.Members[1].Cells[MemberCell::Name] = Gbk("王芳");
    EXPECT_EQ(saved.record, expected);
}

TEST(EditorSave, LeavingWithoutSavingWritesNothing) {
    EditorStore store;
    ModalAnswerer answerer;
    auto form = ShowEditor(store, kId, EditorMode::Add);
    TypeText(Edit(form.get(), "Edit1"), QStringLiteral("不要了"));
    Button(form.get(), "BitBtn1")->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(store.Exists(MainFile()));
    EXPECT_FALSE(store.Exists(MemberFile()));
}

TEST(EditorSave, ACharacterOutsideGbkSurvivesSaveAndReload) {
    EditorStore store;
    // U+20000, a rare name character that GBK lacks; then one GBK has.
    const QString rare = QString::fromUcs4(U"\U00020000") + QStringLiteral("华");
    {
        ModalAnswerer answerer;
        auto form = ShowEditor(store, kId, EditorMode::Add);
        Edit(form.get(), "Edit4")->setText(rare);
        Grid(form.get())->item(0, 0)->setText(rare);
        Button(form.get(), "BitBtn10")->click();
    }
    ProjectReadResult saved = ReadProjectRecord(store.dir(), "AB12CD34");
    // Four GB18030 bytes for the rare one, the two GBK bytes of 华.
    EXPECT_EQ(saved.record.Fields[Field::Applicant], "\x95\x32\x82\x36\xbb\xaa");
    EXPECT_EQ(saved.record.Members[0].Cells[0], "\x95\x32\x82\x36\xbb\xaa");

    ModalAnswerer answerer;
    auto form = ShowEditor(store, kId, EditorMode::Modify);
    EXPECT_EQ(Edit(form.get(), "Edit4")->text(), rare);
    EXPECT_EQ(Grid(form.get())->item(0, 0)->text(), rare);
}

// A save that cannot be done, because the files cannot be written or a
// text would split the record, is said; the editor stays open and nothing
// is written.
TEST(EditorSave, WhatCannotBeSavedIsSaidAndNothingWritten) {
    EditorStore store;
    // A folder where the main data file should go cannot be replaced.
    std::filesystem::create_directory(store.path(MainFile()));
    ModalAnswerer answerer;
    auto form = ShowEditor(store, kId, EditorMode::Add);
    Edit(form.get(), "Edit1")->setText(QStringLiteral("写不进去"));
    answerer.Ok();
    Button(form.get(), "BitBtn10")->click();
    EXPECT_TRUE(form->isVisible());
    ASSERT_EQ(answerer.icons().size(), 1);
    EXPECT_EQ(answerer.icons()[0], QMessageBox::Critical);
    EXPECT_FALSE(store.Exists(MemberFile()));
    std::filesystem::remove(store.path(MainFile()));

    Edit(form.get(), "Edit1")->setText(QStringLiteral("甲~@~乙"));
    answerer.Ok();
    Button(form.get(), "BitBtn10")->click();
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(store.Exists(MainFile()));

    Edit(form.get(), "Edit1")->setText(QStringLiteral("甲乙"));
    Grid(form.get())->item(2, 4)->setText(QStringLiteral("教授^#^"));
    answerer.Ok();
    Button(form.get(), "BitBtn8")->click();
    EXPECT_FALSE(store.Exists(MainFile()));

    Grid(form.get())->item(2, 4)->setText(QStringLiteral("教授"));
    Edit(form.get(), "Edit22")->setText(QStringLiteral("a@b.cn\t"));
    answerer.Ok();
    Button(form.get(), "BitBtn8")->click();
    EXPECT_FALSE(store.Exists(MainFile()));
    EXPECT_FALSE(store.Exists(MemberFile()));

    ASSERT_EQ(answerer.messages().size(), 4);
    EXPECT_TRUE(
        answerer.messages()[1].startsWith(QStringLiteral("“项目名称”中含有不允许的文字“~@~”")));
    EXPECT_TRUE(answerer.messages()[2].startsWith(
        QStringLiteral("主要参加人第3行的“职务（职称）”中含有不允许的文字“^#^”")));
    EXPECT_TRUE(answerer.messages()[3].contains(QStringLiteral("“E-Mail地址”")));
    EXPECT_TRUE(answerer.messages()[3].contains(QStringLiteral("Tab 制表符")));

    // Once mended, the project saves.
    Edit(form.get(), "Edit22")->setText(QStringLiteral("a@b.cn"));
    answerer.Ok();
    Button(form.get(), "BitBtn8")->click();
    EXPECT_EQ(answerer.messages().last(), SavedMessage(QStringLiteral("甲乙")));
    EXPECT_TRUE(store.Exists(MainFile()));
}

TEST(EditorSave, AnOpenCellEditorIsSavedWithTheRest) {
    EditorStore store;
    ModalAnswerer answerer;
    auto form = ShowEditor(store, kId, EditorMode::Add);
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    Find<QTabWidget>(form.get(), "PageControl1")->setCurrentIndex(2);
    QTableWidget* grid = Grid(form.get());
    grid->setFocus();
    grid->setCurrentCell(0, 1);
    TypeText(QApplication::focusWidget(), QStringLiteral("女"));
    ASSERT_NE(QApplication::focusWidget(), grid);  // the cell editor is open

    Button(form.get(), "BitBtn10")->click();
    ProjectReadResult saved = ReadProjectRecord(store.dir(), "AB12CD34");
    EXPECT_EQ(saved.record.Members[0].Cells[MemberCell::Sex], Gbk("女"));
}

}  // namespace
}  // namespace shenbao::testing
