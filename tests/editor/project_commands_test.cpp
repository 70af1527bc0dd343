// The project commands of the main window: add, modify, view, delete,
// refresh and all projects, with the editor answered as a user would.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolTip>
#include <functional>

#include "editor/zpinfo.h"
#include "gui/text.h"
#include "mainwin/guide.h"
#include "mainwin/list_model.h"
#include "mainwin/zmain.h"
#include "tests/editor/editor_support.h"
#include "tests/support/main_form.h"

namespace shenbao::testing {
namespace {

// Projects P0000001.. with the given names, listed in that order.
std::vector<std::string> FillStore(const TempStore& store, const std::vector<std::string>& names) {
    std::vector<std::string> ids;
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::string id = "P000000" + std::to_string(i + 1);
        store.AddProject(id, SampleRecord(names[i], std::to_string(i + 1)));
        ids.push_back(id);
    }
    SaveIndex(store.dir(), ids);
    return ids;
}

// What the editor showed when it opened.
struct EditorSeen {
    QString id;
    QString state;
    QString mode;
    QString name;
    bool savable = false;
};

// An answer for the editor: note what it shows, run `act` on it, then leave
// by `button` (BitBtn10 saves and closes, BitBtn1 leaves without saving).
ModalAnswerer::Action AnswerEditor(EditorSeen& seen, const char* button,
                                   std::function<void(TZPInfoForm*)> act = {}) {
    return [&seen, button, act](QWidget* widget) {
        auto* editor = qobject_cast<TZPInfoForm*>(widget);
        ASSERT_NE(editor, nullptr) << widget->metaObject()->className();
        seen.id = Edit(editor, "Edit29")->text();
        seen.state = Find<QLabel>(editor, "Label2")->text();
        seen.mode = Find<QLabel>(editor, "Label4")->text();
        seen.name = Edit(editor, "Edit1")->text();
        seen.savable = Button(editor, "BitBtn10")->isEnabled();
        if (act) {
            act(editor);
        }
        Button(editor, button)->click();
        if (editor->isVisible()) {
            editor->reject();
        }
    };
}

bool IsProjectId(const QString& id) {
    if (id.size() != 8) {
        return false;
    }
    for (QChar c : id) {
        if (!((c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
              (c >= QLatin1Char('0') && c <= QLatin1Char('9')))) {
            return false;
        }
    }
    return true;
}

// ---- Add ------------------------------------------------------------------------------

TEST(AddCommand, OnAnEmptyStoreMakesRowOneAndOpensTheEditorForIt) {
    EditorStore store;
    ModalAnswerer answerer;
    auto form = StartMainForm(store, answerer);
    ASSERT_EQ(form->projectCount(), 0);

    EditorSeen seen;
    std::vector<std::string> indexWhileOpen;
    answerer.Then(AnswerEditor(seen, "BitBtn10", [&](TZPInfoForm* editor) {
        indexWhileOpen = LoadIndex(store.dir());
        TypeText(Edit(editor, "Edit1"), QStringLiteral("水稻新品种选育"));
        TypeText(Edit(editor, "Edit14"), QStringLiteral("省农业科学院"));
    }));
    Button(form.get(), "BitBtn1")->click();
    EXPECT_EQ(answerer.pending(), 0u);

    ASSERT_EQ(form->projectCount(), 1);
    const QString id = Cell(*form, 1, 0);
    EXPECT_TRUE(IsProjectId(id)) << id.toStdString();
    EXPECT_EQ(seen.id, id);
    EXPECT_EQ(seen.state, QStringLiteral("new"));
    EXPECT_EQ(seen.mode, QStringLiteral("edit"));
    EXPECT_TRUE(seen.name.isEmpty());
    // The index held the new ID before the editor saved anything.
    EXPECT_EQ(indexWhileOpen, std::vector<std::string>{ToGbk(id)});
    // The row shows what was saved.
    EXPECT_EQ(Cell(*form, 1, 2), QStringLiteral("水稻新品种选育"));
    EXPECT_EQ(Cell(*form, 1, 3), QStringLiteral("省农业科学院"));
    EXPECT_EQ(form->currentRow(), 1);
    EXPECT_EQ(form->statusText(), QStringLiteral("库中共有 1 个项目，当前为第 1 个"));
    EXPECT_TRUE(store.Exists(ToGbk(id) + ".zzj"));
    EXPECT_TRUE(store.Exists(ToGbk(id) + ".zj"));
}

TEST(AddCommand, LeavingTheEditorKeepsTheIdInTheIndexWithoutFiles) {
    EditorStore store;
    ModalAnswerer answerer;
    auto form = StartMainForm(store, answerer);
    EditorSeen seen;
    answerer.Then(AnswerEditor(seen, "BitBtn1", [](TZPInfoForm* editor) {
        TypeText(Edit(editor, "Edit1"), QStringLiteral("不存了"));
    }));
    Button(form.get(), "BitBtn1")->click();

    ASSERT_EQ(form->projectCount(), 1);
    const std::string id = ToGbk(Cell(*form, 1, 0));
    EXPECT_EQ(LoadIndex(store.dir()), std::vector<std::string>{id});
    for (int c = 1; c < kListColumnCount; ++c) {
        EXPECT_TRUE(Cell(*form, 1, c).isEmpty()) << c;
    }
    EXPECT_FALSE(store.Exists(id + ".zzj"));
    EXPECT_FALSE(store.Exists(id + ".zj"));
}

TEST(AddCommand, AfterASortTheNewRowComesLastAndTheSortedOrderIsStored) {
    EditorStore store;
    FillStore(store, {"乙", "甲", "丙"});
    ModalAnswerer answerer;
    auto form = StartMainForm(store, answerer);
    ChooseSortKey(*form, 2);  // by name
    ASSERT_EQ(Cell(*form, 1, 0), QStringLiteral("P0000003"));

    EditorSeen seen;
    answerer.Then(AnswerEditor(seen, "BitBtn1"));
    Button(form.get(), "BitBtn1")->click();

    ASSERT_EQ(form->projectCount(), 4);
    const std::string id = ToGbk(Cell(*form, 4, 0));
    EXPECT_EQ(seen.id, Cell(*form, 4, 0));
    EXPECT_EQ(form->currentRow(), 4);
    EXPECT_EQ(LoadIndex(store.dir()),
              (std::vector<std::string>{"P0000003", "P0000002", "P0000001", id}));
}

TEST(AddCommand, NoUniqueIdGives408AndChangesNothing) {
    TempStore store;
    // Every candidate the generator will draw is already listed.
    SeedRandom(4711);
    std::vector<std::string> taken;
    for (int i = 0; i < kNewIdAttempts; ++i) {
        taken.push_back(GenerateProjectId());
    }
    SaveIndex(store.dir(), taken);
    const std::string index = store.Read(kIndexFileName);
    TZMainForm form(FromPath(store.dir()));
    form.LoadAndSortAtStartUp();
    SeedRandom(4711);

    ModalAnswerer answerer;
    answerer.Ok();
    form.BitBtn1Click();
    EXPECT_EQ(answerer.messages(),
              QStringList({QStringLiteral("错误号:408   未能成功产生一个唯一的ID号。")}));
    EXPECT_EQ(form.projectCount(), kNewIdAttempts);
    EXPECT_EQ(store.Read(kIndexFileName), index);
}

// ---- Modify and view ------------------------------------------------------------------

TEST(ModifyCommand, EditsTheCurrentProjectAndShowsItsNewValues) {
    EditorStore store;
    FillStore(store, {"甲项目", "乙项目", "丙项目"});
    ModalAnswerer answerer;
    auto form = StartMainForm(store, answerer);
    form->setCurrentRow(2);

    EditorSeen seen;
    answerer.Then(AnswerEditor(seen, "BitBtn10", [](TZPInfoForm* editor) {
        Edit(editor, "Edit1")->setText(QStringLiteral("乙项目（修订）"));
        Edit(editor, "Edit8")->setText(QStringLiteral("30"));
    }));
    Button(form.get(), "BitBtn7")->click();

    EXPECT_EQ(seen.id, QStringLiteral("P0000002"));
    EXPECT_EQ(seen.state, QStringLiteral("old"));
    EXPECT_EQ(seen.mode, QStringLiteral("edit"));
    EXPECT_EQ(seen.name, QStringLiteral("乙项目"));
    EXPECT_EQ(Cell(*form, 2, 2), QStringLiteral("乙项目（修订）"));
    EXPECT_EQ(Cell(*form, 2, 7), QStringLiteral("30"));
    EXPECT_EQ(Cell(*form, 1, 2), QStringLiteral("甲项目"));
    EXPECT_EQ(ReadMainFields(store.dir(), "P0000002")->at(Field::ProjectName),
              Gbk("乙项目（修订）"));
}

TEST(ModifyCommand, AProjectWhoseFilesAreGoneShows405AndThenItsIdAlone) {
    EditorStore store;
    FillStore(store, {"甲项目", "乙项目"});
    ModalAnswerer answerer;
    auto form = StartMainForm(store, answerer);
    std::filesystem::remove(store.path("P0000002.zzj"));
    std::filesystem::remove(store.path("P0000002.zj"));
    form->setCurrentRow(2);

    EditorSeen seen;
    answerer.Ok().Then(AnswerEditor(seen, "BitBtn1"));
    Button(form.get(), "BitBtn7")->click();

    EXPECT_EQ(answerer.messages(),
              QStringList({MissingFileMessage(405, store.path("P0000002.zzj"))}));
    EXPECT_TRUE(seen.savable);
    EXPECT_EQ(Cell(*form, 2, 0), QStringLiteral("P0000002"));
    EXPECT_TRUE(Cell(*form, 2, 2).isEmpty());
}

TEST(ViewCommand, ShowsTheProjectWithNothingToSave) {
    EditorStore store;
    FillStore(store, {"甲项目", "乙项目"});
    const std::string mainBefore = store.Read("P0000001.zzj");
    ModalAnswerer answerer;
    auto form = StartMainForm(store, answerer);
    form->setCurrentRow(1);

    EditorSeen seen;
    bool readOnly = false;
    answerer.Then(AnswerEditor(seen, "BitBtn1", [&readOnly](TZPInfoForm* editor) {
        readOnly = Edit(editor, "Edit1")->isReadOnly();
    }));
    Button(form.get(), "BitBtn10")->click();

    EXPECT_EQ(seen.id, QStringLiteral("P0000001"));
    EXPECT_EQ(seen.state, QStringLiteral("old"));
    EXPECT_EQ(seen.mode, QStringLiteral("read"));
    EXPECT_EQ(seen.name, QStringLiteral("甲项目"));
    EXPECT_FALSE(seen.savable);
    EXPECT_TRUE(readOnly);
    EXPECT_EQ(store.Read("P0000001.zzj"), mainBefore);
}

TEST(ProjectCommands, DoNothingOnAnEmptyList) {
    EditorStore store;
    ModalAnswerer answerer;
    auto form = StartMainForm(store, answerer);
    for (const char* name : {"BitBtn7", "BitBtn10", "BitBtn2"}) {
        Button(form.get(), name)->click();
    }
    QTest::qWait(50);
    EXPECT_EQ(answerer.unexpected(), 0);
    EXPECT_EQ(form->projectCount(), 0);
}

// ---- Delete ---------------------------------------------------------------------------

TEST(DeleteCommand, AMiddleRowLeavesTheListTheIndexAndTheStore) {
    TempStore store;
    FillStore(store, {"一号", "二号", "三号", "四号"});
    ModalAnswerer answerer;
    auto form = StartMainForm(store, answerer);
    form->setCurrentRow(2);

    answerer.Yes();
    Button(form.get(), "BitBtn2")->click();

    EXPECT_EQ(answerer.messages(), QStringList({QStringLiteral("您真的删除项目“二号”吗?")}));
    EXPECT_EQ(answerer.icons(), QList<QMessageBox::Icon>({QMessageBox::Question}));
    ASSERT_EQ(form->projectCount(), 3);
    EXPECT_EQ(Cell(*form, 1, 0), QStringLiteral("P0000001"));
    EXPECT_EQ(Cell(*form, 2, 0), QStringLiteral("P0000003"));
    EXPECT_EQ(Cell(*form, 3, 0), QStringLiteral("P0000004"));
    EXPECT_EQ(Cell(*form, 3, 2), QStringLiteral("四号"));
    EXPECT_EQ(LoadIndex(store.dir()),
              (std::vector<std::string>{"P0000001", "P0000003", "P0000004"}));
    EXPECT_FALSE(store.Exists("P0000002.zzj"));
    EXPECT_FALSE(store.Exists("P0000002.zj"));
    EXPECT_TRUE(store.Exists("P0000003.zzj"));
}

TEST(DeleteCommand, AnsweringNoChangesNothing) {
    TempStore store;
    FillStore(store, {"一号", "二号"});
    ModalAnswerer answerer;
    auto form = StartMainForm(store, answerer);
    form->setCurrentRow(1);
    answerer.No();
    Button(form.get(), "BitBtn2")->click();
    EXPECT_EQ(form->projectCount(), 2);
    EXPECT_EQ(LoadIndex(store.dir()).size(), 2u);
    EXPECT_TRUE(store.Exists("P0000001.zzj"));
}

TEST(DeleteCommand, TheOnlyProjectLeavesAnEmptyListAndIndex) {
    TempStore store;
    store.AddProject("Q1W2E3R4", TProjectRecord());  // a project without a name
    SaveIndex(store.dir(), {"Q1W2E3R4"});
    ModalAnswerer answerer;
    auto form = StartMainForm(store, answerer);
    answerer.Yes();
    Button(form.get(), "BitBtn2")->click();

    EXPECT_EQ(answerer.messages(), QStringList({QStringLiteral("您真的删除项目“”吗?")}));
    EXPECT_EQ(form->projectCount(), 0);
    EXPECT_EQ(form->statusText(), QStringLiteral("库中共有 0 个项目，当前为第 0 个"));
    EXPECT_EQ(store.Read(kIndexFileName), "");
    EXPECT_FALSE(store.Exists("Q1W2E3R4.zzj"));
    EXPECT_FALSE(store.Exists("Q1W2E3R4.zj"));
}

TEST(DeleteCommand, AnIdThatReachesOutsideTheDataDirectoryDeletesNothing) {
    TempStore store;
    TempStore elsewhere;
    elsewhere.Write("victim.zzj", "keep");
    elsewhere.Write("victim.zj", "keep");
    std::filesystem::create_directory(store.path("sub"));
    store.Write("sub/victim.zzj", "keep");
    const std::string outside =
        "../" + elsewhere.dir().parent_path().filename().string() + "/victim";
    SaveIndex(store.dir(), {outside, "sub/victim"});

    ModalAnswerer answerer;
    auto form = StartMainForm(store, answerer);
    ASSERT_EQ(form->projectCount(), 2);
    answerer.Yes().Yes();
    Button(form.get(), "BitBtn2")->click();
    Button(form.get(), "BitBtn2")->click();

    EXPECT_EQ(answerer.messages().size(), 2);
    EXPECT_EQ(form->projectCount(), 0);
    EXPECT_TRUE(LoadIndex(store.dir()).empty());
    EXPECT_EQ(elsewhere.Read("victim.zzj"), "keep");
    EXPECT_EQ(elsewhere.Read("victim.zj"), "keep");
    EXPECT_EQ(store.Read("sub/victim.zzj"), "keep");
}

// ---- Refresh and all projects --------------------------------------------------------

TEST(RefreshCommand, ReloadsTheStoreInIndexOrder) {
    TempStore store;
    FillStore(store, {"乙", "甲"});
    ModalAnswerer answerer;
    auto form = StartMainForm(store, answerer);
    auto* sortKey = Combo(form.get(), "ComboBox1");
    ChooseSortKey(*form, 2);
    ASSERT_EQ(Cell(*form, 1, 0), QStringLiteral("P0000002"));
    store.AddProject("NEW00001", SampleRecord("丙"));
    SaveIndex(store.dir(), {"P0000001", "P0000002", "NEW00001"});

    Button(form.get(), "BitBtn9")->click();
    ASSERT_EQ(form->projectCount(), 3);
    EXPECT_EQ(Cell(*form, 1, 0), QStringLiteral("P0000001"));
    EXPECT_EQ(Cell(*form, 3, 2), QStringLiteral("丙"));
    EXPECT_EQ(sortKey->currentIndex(), 2);
}

TEST(AllProjectsCommand, BringsBackTheWholeListAndTheCommands) {
    TempStore store;
    FillStore(store, {"甲", "乙", "丙"});
    ModalAnswerer answerer;
    auto form = StartMainForm(store, answerer);
    // The state a query leaves: a narrowed list, three commands disabled.
    form->listModel()->setRows({form->listModel()->row(1)});
    for (const char* name : {"BitBtn1", "BitBtn2", "BitBtn9"}) {
        Button(form.get(), name)->setEnabled(false);
    }
    Button(form.get(), "BitBtn11")->setEnabled(true);

    Button(form.get(), "BitBtn11")->click();
    EXPECT_EQ(form->projectCount(), 3);
    for (const char* name : {"BitBtn1", "BitBtn2", "BitBtn9", "BitBtn11", "BitBtn7", "BitBtn10"}) {
        EXPECT_TRUE(Button(form.get(), name)->isEnabled()) << name;
    }
}

// ---- Keys and the mouse ---------------------------------------------------------------

// What a modal window is, as the key tables name it: the editor with its ID
// and access mode, the usage guide, or a box's text. Closes it: the editor
// without saving, a box with No where it has one.
QString DescribeAndClose(QWidget* window) {
    if (auto* editor = qobject_cast<TZPInfoForm*>(window)) {
        const QString seen = QStringLiteral("editor ") + Edit(editor, "Edit29")->text() +
                             QStringLiteral(" ") + Find<QLabel>(editor, "Label4")->text();
        Button(editor, "BitBtn1")->click();
        return seen;
    }
    if (auto* guide = qobject_cast<TGuideForm*>(window)) {
        guide->reject();
        return QStringLiteral("guide");
    }
    if (auto* box = qobject_cast<QMessageBox*>(window)) {
        const QString seen = box->text();
        QAbstractButton* no = box->button(QMessageBox::No);
        (no != nullptr ? no : box->button(QMessageBox::Ok))->click();
        return seen;
    }
    ADD_FAILURE() << window->metaObject()->className();
    window->close();
    return QString();
}

// The keys users reach for on the list run the commands of the buttons they
// stand for, on the row clicked or current, and nothing where the button
// could not be pressed.
TEST(Keys, OnTheListRunTheCommandsOfTheirButtons) {
    const auto doubleClick = [](int r) {
        return [r](TZMainForm& form) {
            auto* grid = Find<QTableView>(&form, "StringGrid1");
            const QPoint at = grid->visualRect(grid->model()->index(r - 1, 2)).center();
            // As the window system reports a double-click: the second press
            // comes with it.
            QWidget* cells = grid->viewport();
            QTest::mouseClick(cells, Qt::LeftButton, Qt::NoModifier, at);
            QTest::mousePress(cells, Qt::LeftButton, Qt::NoModifier, at);
            QTest::mouseDClick(cells, Qt::LeftButton, Qt::NoModifier, at);
            QTest::mouseRelease(cells, Qt::LeftButton, Qt::NoModifier, at);
        };
    };
    const auto onList = [](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        return [key, modifiers](TZMainForm& form) {
            auto* grid = Find<QTableView>(&form, "StringGrid1");
            grid->setFocus();
            QTest::keyClick(grid, key, modifiers);
        };
    };
    const auto inWindow = [](const QKeySequence& key) {
        return [key](TZMainForm& form) { QTest::keySequence(&form, key); };
    };
    const QKeySequence f1(Qt::Key_F1);
    const QKeySequence ctrlQ(Qt::CTRL | Qt::Key_Q);
    struct Row {
        const char* what;
        int projects;  // stored projects: 甲项目, 乙项目, 丙项目 up to this number
        std::function<void(TZMainForm&)> press;
        QString expected;  // the window or question that comes; empty: nothing
        bool query = false;        // the list shows a query's result (乙)
        bool queryPanel = false;   // the query panel is open
    };
    const QString deleteSecond = QStringLiteral("您真的删除项目“乙项目”吗?");
    const QString quit = QStringLiteral("您真的要退出本系统吗?");
    const Row rows[] = {
        {"double-click on row 3", 3, doubleClick(3), QStringLiteral("editor P0000003 edit")},
        {"double-click on row 1", 3, doubleClick(1), QStringLiteral("editor P0000001 edit")},
        {"double-click after a query", 3, doubleClick(1), QStringLiteral("editor P0000002 edit"),
         true},
        {"Enter on row 2", 3, onList(Qt::Key_Return), QStringLiteral("editor P0000002 edit")},
        {"keypad Enter on row 2", 3, onList(Qt::Key_Enter, Qt::KeypadModifier),
         QStringLiteral("editor P0000002 edit")},
        {"Enter on an empty list", 0, onList(Qt::Key_Return), QString()},
        {"Delete on row 2", 3, onList(Qt::Key_Delete), deleteSecond},
        {"Delete on an empty list", 0, onList(Qt::Key_Delete), QString()},
        // Delete is disabled after a query.
        {"Delete after a query", 3, onList(Qt::Key_Delete), QString(), true},
        {"F1", 3, inWindow(f1), QStringLiteral("guide")},
        {"F1 on an empty list", 0, inWindow(f1), QStringLiteral("guide")},
        {"Ctrl+Q", 3, inWindow(ctrlQ), quit},
        {"Ctrl+Q after a query", 3, inWindow(ctrlQ), quit, true},
        // The panel closes the menus and the tool row to the user.
        {"F1 with the query panel open", 3, inWindow(f1), QString(), false,
         true},
        {"Ctrl+Q with the query panel open", 3, inWindow(ctrlQ), QString(), false,
         true},
    };
    for (const Row& row : rows) {
        EditorStore store;
        const std::vector<std::string> names = {"甲项目", "乙项目", "丙项目"};
        FillStore(store, std::vector<std::string>(names.begin(), names.begin() + row.projects));
        const std::string index = store.Read(kIndexFileName);
        ModalAnswerer answerer;
        auto form = StartMainForm(store, answerer);
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get())) << row.what;
        if (row.query) {
            form->RunQuery(ListColumn::ProjectName, Gbk("乙"), "");
            ASSERT_EQ(form->projectCount(), 1) << row.what;
        } else if (row.projects >= 2) {
            form->setCurrentRow(2);
        }
        if (row.queryPanel) {
            Trigger(form.get(), "N12");
        }
        QString seen;
        if (!row.expected.isEmpty()) {
            answerer.Then([&seen](QWidget* window) { seen = DescribeAndClose(window); });
        }
        row.press(*form);
        QTest::qWait(50);
        EXPECT_EQ(seen, row.expected) << row.what;
        EXPECT_EQ(answerer.pending(), 0u) << row.what;
        EXPECT_EQ(answerer.unexpected(), 0) << row.what;
        // Answered No or left without saving: nothing changed.
        EXPECT_TRUE(form->isVisible()) << row.what;
        EXPECT_EQ(store.Read(kIndexFileName), index) << row.what;
    }
}

// Escape in the editor leaves it as "放弃并关闭" does; what has been changed
// and not saved is dropped only after a question whose preset answer is No.
TEST(Keys, EscapeInTheEditorAsksOnlyWhenSomethingWouldBeLost) {
    using Change = std::function<void(TZPInfoForm*, ModalAnswerer&)>;
    const Change typeName = [](TZPInfoForm* editor, ModalAnswerer&) {
        TypeText(Edit(editor, "Edit1"), QStringLiteral("（修订）"));
    };
    const Change typeMember = [](TZPInfoForm* editor, ModalAnswerer&) {
        Grid(editor)->item(3, 0)->setText(QStringLiteral("张三"));
    };
    const Change typeAndUndo = [](TZPInfoForm* editor, ModalAnswerer&) {
        QLineEdit* name = Edit(editor, "Edit1");
        const QString before = name->text();
        TypeText(name, QStringLiteral("x"));
        name->setText(before);
    };
    const Change saveAfterTyping = [typeName](TZPInfoForm* editor, ModalAnswerer& answerer) {
        typeName(editor, answerer);
        answerer.Ok();  // "存盘" says so and keeps the editor open
        Button(editor, "BitBtn8")->click();
    };
    struct Row {
        const char* what;
        EditorMode mode;
        Change change;  // none: nothing is changed
        QMessageBox::StandardButton answer;  // to the question; NoButton: none comes
        bool closed;
    };
    const Row rows[] = {
        {"modify, unchanged", EditorMode::Modify, {}, QMessageBox::NoButton, true},
        {"modify, name typed, No", EditorMode::Modify, typeName, QMessageBox::No, false},
        {"modify, name typed, Yes", EditorMode::Modify, typeName, QMessageBox::Yes, true},
        {"modify, member typed, No", EditorMode::Modify, typeMember, QMessageBox::No, false},
        {"modify, typed and undone", EditorMode::Modify, typeAndUndo, QMessageBox::NoButton, true},
        {"modify, saved after typing", EditorMode::Modify, saveAfterTyping, QMessageBox::NoButton,
         true},
        {"add, unchanged", EditorMode::Add, {}, QMessageBox::NoButton, true},
        {"add, name typed, No", EditorMode::Add, typeName, QMessageBox::No, false},
        {"view", EditorMode::View, {}, QMessageBox::NoButton, true},
    };
    for (const Row& row : rows) {
        EditorStore store;
        FillStore(store, {"甲项目"});
        const std::string stored = store.Read("P0000001.zzj");
        ModalAnswerer answerer;
        auto editor = ShowEditor(store, row.mode == EditorMode::Add ? "NEW00001" : "P0000001",
                                 row.mode);
        if (row.change) {
            row.change(editor.get(), answerer);
        }
        const std::string before = store.Read("P0000001.zzj");
        QString asked;
        QMessageBox::StandardButton preset = QMessageBox::NoButton;
        if (row.answer != QMessageBox::NoButton) {
            answerer.Then([&](QWidget* window) {
                auto* box = qobject_cast<QMessageBox*>(window);
                ASSERT_NE(box, nullptr);
                asked = box->text();
                preset = box->standardButton(box->defaultButton());
                box->button(row.answer)->click();
            });
        }
        QTest::keyClick(Edit(editor.get(), "Edit1"), Qt::Key_Escape);
        QTest::qWait(50);
        EXPECT_EQ(answerer.pending(), 0u) << row.what;
        EXPECT_EQ(answerer.unexpected(), 0) << row.what;
        if (row.answer != QMessageBox::NoButton) {
            EXPECT_EQ(asked, QStringLiteral("项目信息已经修改，要放弃修改并关闭吗?")) << row.what;
            EXPECT_EQ(preset, QMessageBox::No) << row.what;
        }
        EXPECT_EQ(editor->isVisible(), !row.closed) << row.what;
        if (row.closed) {
            EXPECT_EQ(editor->result(), QDialog::Rejected) << row.what;
        }
        // Escape itself never saves.
        EXPECT_EQ(store.Read("P0000001.zzj"), before) << row.what;
        EXPECT_FALSE(store.Exists("NEW00001.zzj")) << row.what;
        if (row.change == nullptr) {
            EXPECT_EQ(store.Read("P0000001.zzj"), stored) << row.what;
        }
    }
}

}  // namespace
}  // namespace shenbao::testing
