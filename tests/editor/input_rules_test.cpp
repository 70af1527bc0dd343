// The editor's rules while the user types: the Enter chains, Enter in the
// member grid, the research content counter and the department fields.

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QSignalSpy>
#include <QTabWidget>

#include "editor/zpinfo.h"
#include "tests/editor/editor_support.h"

namespace shenbao::testing {
namespace {

class EditorRules : public ::testing::Test {
  protected:
    void SetUp() override {
        form_ = ShowEditor(store_, "AB12CD34", EditorMode::Add);
        form_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
    }

    void ShowPage(int page) {
        Find<QTabWidget>(form_.get(), "PageControl1")->setCurrentIndex(page);
    }

    QWidget* Control(const QString& name) {
        return Find<QWidget>(form_.get(), name.toLatin1().constData());
    }

    // Focuses `from`, presses `key` and returns the name of the widget that
    // has the focus afterwards.
    QString FocusAfterKey(const QString& from, int key = Qt::Key_Return,
                          Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* start = Control(from);
        start->setFocus();
        EXPECT_EQ(QApplication::focusWidget(), start) << from.toStdString();
        QTest::keyClick(start, static_cast<Qt::Key>(key), modifiers);
        QWidget* now = QApplication::focusWidget();
        return now != nullptr ? now->objectName() : QString();
    }

    EditorStore store_;
    ModalAnswerer answerer_;
    std::unique_ptr<TZPInfoForm> form_;
};

// ---- Enter --------------------------------------------------------------------------

TEST_F(EditorRules, EnterRunsRoundTheProjectChainPastTheDepartmentCode) {
    const QStringList chain = {"Edit1",     "ComboBox1", "Edit2",     "ComboBox2", "Edit3",
                               "ComboBox3", "ComboBox4", "Edit4",     "Edit5",     "Edit6",
                               "Edit7",     "Edit8",     "Edit9",     "Edit10",    "Edit11",
                               "Edit12",    "ComboBox5", "ComboBox6", "Edit1"};
    for (qsizetype i = 0; i + 1 < chain.size(); ++i) {
        EXPECT_EQ(FocusAfterKey(chain[i]), chain[i + 1]) << chain[i].toStdString();
    }
    // The keypad's Enter and modifier keys count the same.
    EXPECT_EQ(FocusAfterKey("Edit12", Qt::Key_Enter, Qt::KeypadModifier), "ComboBox5");
    EXPECT_EQ(FocusAfterKey("Edit5", Qt::Key_Return, Qt::ShiftModifier), "Edit6");
    // The department code and the serial number have no Enter rule.
    EXPECT_EQ(FocusAfterKey("Edit13"), "Edit13");
    EXPECT_EQ(FocusAfterKey("Edit30"), "Edit30");
}

TEST_F(EditorRules, EnterRunsRoundTheUnitChain) {
    ShowPage(1);
    const QStringList chain = {"Edit14", "ComboBox7", "Edit15", "ComboBox8", "Edit16", "Edit17",
                               "Edit18", "Edit19",    "Edit20", "Edit21",    "Edit22", "Edit23",
                               "Edit24", "Edit25",    "Edit26", "Edit27",    "Edit28", "Edit14"};
    for (qsizetype i = 0; i + 1 < chain.size(); ++i) {
        EXPECT_EQ(FocusAfterKey(chain[i]), chain[i + 1]) << chain[i].toStdString();
    }
}

TEST_F(EditorRules, EnterIsNotSwallowedNorTakenByAButton) {
    QSignalSpy returnPressed(Edit(form_.get(), "Edit1"), &QLineEdit::returnPressed);
    EXPECT_EQ(FocusAfterKey("Edit1"), "ComboBox1");
    EXPECT_EQ(returnPressed.count(), 1);
    // No button of the dialog answered the key: nothing was saved or closed.
    EXPECT_TRUE(form_->isVisible());
    EXPECT_FALSE(store_.Exists("AB12CD34.zzj"));
    // Typed text in a list field is not added to its list.
    QComboBox* category = Combo(form_.get(), "ComboBox1");
    const int items = category->count();
    TypeText(category, QStringLiteral("自定类别"));
    EXPECT_EQ(FocusAfterKey("ComboBox1"), "Edit2");
    EXPECT_EQ(category->count(), items);
    EXPECT_EQ(category->currentText(), QStringLiteral("自定类别"));
}

TEST_F(EditorRules, EnterInTheMemberGridMovesAlongTheRowAndBackToItsStart) {
    ShowPage(2);
    QTableWidget* grid = Grid(form_.get());
    grid->setFocus();
    grid->setCurrentCell(3, 2);
    // With the cell editor open, Enter writes the cell and moves on.
    TypeText(QApplication::focusWidget(), QStringLiteral("1970.05"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(grid->item(3, 2)->text(), QStringLiteral("1970.05"));
    EXPECT_EQ(grid->currentRow(), 3);
    EXPECT_EQ(grid->currentColumn(), 3);

    grid->setCurrentCell(6, 5);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
    EXPECT_EQ(grid->currentRow(), 6);
    EXPECT_EQ(grid->currentColumn(), 0);

    // Also when the grid itself has the key.
    form_->StringGrid1KeyDown(Qt::Key_Return, Qt::NoModifier);
    EXPECT_EQ(grid->currentColumn(), 1);
    form_->StringGrid1KeyDown(Qt::Key_A, Qt::NoModifier);
    EXPECT_EQ(grid->currentColumn(), 1);
}

// ---- Counter ------------------------------------------------------------------------

TEST_F(EditorRules, TheCounterFollowsTheResearchContent) {
    ShowPage(3);
    auto* memo = Find<QPlainTextEdit>(form_.get(), "Memo1");
    auto* counter = Find<QLabel>(form_.get(), "Panel6");
    const auto color = [counter] { return counter->palette().color(QPalette::WindowText); };
    EXPECT_EQ(counter->text(), QStringLiteral("您输入了0个汉字"));

    memo->setPlainText(QString(120, QChar(0x7814)));  // 120 x 研
    EXPECT_EQ(counter->text(), QStringLiteral("您已经输入了约120个汉字"));
    EXPECT_EQ(color(), QColor(Qt::blue));

    memo->moveCursor(QTextCursor::End);
    TypeText(memo, QStringLiteral("a"));
    EXPECT_EQ(counter->text(), QStringLiteral("您输入的内容超过了120个汉字!"));
    EXPECT_EQ(color(), QColor(Qt::red));

    memo->setPlainText(QStringLiteral("研a"));
    EXPECT_EQ(counter->text(), QStringLiteral("您已经输入了约1个汉字"));
    EXPECT_EQ(color(), QColor(Qt::blue));

    // A line break counts as CR LF: 119 characters and one break are 240 bytes.
    memo->setPlainText(QString(119, QChar(0x7814)) + QStringLiteral("\n"));
    EXPECT_EQ(counter->text(), QStringLiteral("您已经输入了约120个汉字"));
    QTest::keyClick(memo, Qt::Key_Return);
    EXPECT_EQ(counter->text(), QStringLiteral("您输入的内容超过了120个汉字!"));
}

TEST(EditorCounter, AStoredContentIsCountedWhenOpenedAndAnEmptyOneIsNot) {
    EditorStore store;
    TProjectRecord record;
    record.Fields[Field::ResearchContent] = Gbk("三个字");
    store.AddProject("AB12CD34", record);
    store.AddProject("EMPTY001", TProjectRecord());

    ModalAnswerer answerer;
    auto counted = ShowEditor(store, "AB12CD34", EditorMode::View);
    EXPECT_EQ(Find<QLabel>(counted.get(), "Panel6")->text(),
              QStringLiteral("您已经输入了约3个汉字"));
    auto empty = ShowEditor(store, "EMPTY001", EditorMode::Modify);
    EXPECT_EQ(Find<QLabel>(empty.get(), "Panel6")->text(), QStringLiteral("您输入了0个汉字"));
}

// ---- Department code and name -------------------------------------------------------

TEST_F(EditorRules, ChoosingANamePutsItsCodeIntoTheCodeField) {
    QComboBox* names = Combo(form_.get(), "ComboBox5");
    const int index = names->findText(QStringLiteral("省教育厅"));
    ASSERT_GE(index, 0);
    names->setFocus();
    names->setCurrentIndex(index);
    // A choice by the user arrives as activated; setting the index alone is
    // the program's doing and moves nothing.
    EXPECT_TRUE(Edit(form_.get(), "Edit13")->text().isEmpty());
    emit names->activated(index);
    EXPECT_EQ(Edit(form_.get(), "Edit13")->text(), QStringLiteral("204"));

    // Choosing by keyboard in the closed list is a choice too.
    QTest::keyClick(names, Qt::Key_Down);
    EXPECT_EQ(
        Edit(form_.get(), "Edit13")->text(),
        FromGbk(*FindDepartmentCodeForName(form_->departmentTable(), ToGbk(names->currentText()))));
    EXPECT_NE(Edit(form_.get(), "Edit13")->text(), QStringLiteral("204"));

    // A choice in the opened list.
    names->showPopup();
    QAbstractItemView* list = names->view();
    list->setCurrentIndex(list->model()->index(names->findText(QStringLiteral("省农业厅")), 0));
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(Edit(form_.get(), "Edit13")->text(), QStringLiteral("205"));

    // Leaving the field, by Tab or Enter, on a name of the list is no choice:
    // a code that does not belong to it stays.
    Edit(form_.get(), "Edit13")->setText(QStringLiteral("999"));
    names->setEditText(QStringLiteral("省教育厅"));
    names->setFocus();
    QTest::keyClick(names, Qt::Key_Tab);
    names->setFocus();
    QTest::keyClick(names, Qt::Key_Return);
    EXPECT_EQ(Edit(form_.get(), "Edit13")->text(), QStringLiteral("999"));
}

TEST_F(EditorRules, TypingACodePutsTheNameIntoTheNameField) {
    QLineEdit* code = Edit(form_.get(), "Edit13");
    QComboBox* name = Combo(form_.get(), "ComboBox5");
    // Every keystroke looks the code up: "2:" is first found in "102:".
    TypeText(code, QStringLiteral("2"));
    EXPECT_EQ(name->currentText(), QStringLiteral("望川市科委"));
    TypeText(code, QStringLiteral("04"));
    EXPECT_EQ(name->currentText(), QStringLiteral("省教育厅"));

    // A code that no entry holds leaves the name.
    code->setText(QStringLiteral("999"));
    EXPECT_EQ(name->currentText(), QStringLiteral("省教育厅"));

    // A short code matches where it stands right before ":", first in file
    // order: "4:" is first found in "104:".
    code->setText(QStringLiteral("4"));
    EXPECT_EQ(name->currentText(), QStringLiteral("云岫市科委"));

    // An empty code is the key ":", which the first entry holds.
    code->clear();
    EXPECT_EQ(name->currentText(), QStringLiteral("澄阳市科委"));
}

TEST_F(EditorRules, TypingPartOfANameTakesTheFirstEntryInFileOrder) {
    QLineEdit* code = Edit(form_.get(), "Edit13");
    QComboBox* name = Combo(form_.get(), "ComboBox5");
    name->setFocus();
    // "科" stands first in "101:澄阳市科委"; the code follows, and the code
    // then replaces the fragment with that department's full name.
    TypeText(name, QStringLiteral("科"));
    EXPECT_EQ(code->text(), QStringLiteral("101"));
    EXPECT_EQ(name->currentText(), QStringLiteral("澄阳市科委"));

    // A name no entry holds leaves the code.
    name->clearEditText();
    TypeText(name, QStringLiteral("火星"));
    EXPECT_EQ(code->text(), QStringLiteral("101"));
    EXPECT_EQ(name->currentText(), QStringLiteral("火星"));

    // Emptying the name by typing finds nothing either.
    QTest::keyClick(name, Qt::Key_Backspace);
    QTest::keyClick(name, Qt::Key_Backspace);
    EXPECT_TRUE(name->currentText().isEmpty());
    EXPECT_EQ(code->text(), QStringLiteral("101"));
}

TEST_F(EditorRules, ANameSetByTheProgramDoesNotChangeTheCode) {
    QLineEdit* code = Edit(form_.get(), "Edit13");
    QComboBox* name = Combo(form_.get(), "ComboBox5");
    code->setText(QStringLiteral("204"));
    name->setEditText(QStringLiteral("省科学技术厅"));
    name->setCurrentIndex(name->findText(QStringLiteral("省农业厅")));
    EXPECT_EQ(code->text(), QStringLiteral("204"));
}

TEST(EditorDepartments, WithoutADepartmentSectionNothingFollows) {
    TempStore store;
    store.Write(kCodeTableFileName, Gbk("~~~计划类别编码\r\n01 重点科技攻关计划\r\n"));
    ModalAnswerer answerer;
    auto form = ShowEditor(store, "AB12CD34", EditorMode::Add);
    QLineEdit* code = Edit(form.get(), "Edit13");
    QComboBox* name = Combo(form.get(), "ComboBox5");
    EXPECT_EQ(name->count(), 0);
    TypeText(code, QStringLiteral("201"));
    code->clear();
    EXPECT_TRUE(name->currentText().isEmpty());
    TypeText(name, QStringLiteral("省"));
    EXPECT_TRUE(code->text().isEmpty());
    EXPECT_EQ(Combo(form.get(), "ComboBox1")->count(), 1);
    EXPECT_EQ(Combo(form.get(), "ComboBox2")->count(), 0);
}

}  // namespace
}  // namespace shenbao::testing
