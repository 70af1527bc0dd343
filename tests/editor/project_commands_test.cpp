// The project commands of the main window: add, modify, view, delete,
// refresh and all projects, with the editor answered as a user would.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <functional>

#include "editor/zpinfo.h"
#include "gui/text.h"
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
              QStringList({QStringLiteral("错误号405   未找到数据文件“") +
                           FromPath(store.path("P0000002.zzj")) + QStringLiteral("”")}));
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

}  // namespace
}  // namespace shenbao::testing
