#pragma once

// The project editor: a tabbed dialog holding one project record in its
// controls. The main window creates a fresh editor for every command, sets
// the project ID (Edit29), the record state (Label2: "new" or "old") and the
// access mode (Label4: "edit" or "read"), and runs it modally. When it is
// shown the editor fills its drop-down lists from the code table file, reads
// an existing project's two data files and, for "read", locks every field.

#include <QDialog>
#include <QString>
#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "store/project_record.h"

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
namespace shenbao {

class TMemberGrid;

// What the editor is opened for: a new project, changing a stored one, or
// looking at a stored one.
enum class EditorMode { Add, Modify, View };

// The record state ("new"/"old") and the access mode ("edit"/"read") the
// editor keeps for `mode`.
std::pair<QString, QString> EditorModeTexts(EditorMode mode);

class TZPInfoForm : public QDialog {
    Q_OBJECT
  public:
    explicit TZPInfoForm(std::filesystem::path dataDir, QWidget* parent = nullptr);
    ~TZPInfoForm() override;

    // Sets the three inputs before the editor is shown: the project ID
    // (display text of the stored ID), "new"/"old" and "edit"/"read".
    void Prepare(const QString& id, const QString& recordState, const QString& accessMode);
    void Prepare(const QString& id, EditorMode mode);

    const std::filesystem::path& dataDir() const { return dataDir_; }

    // Opens on the tab of record field `field` (0..37) with the focus in its
    // control; or on the member table in cell `cell` of member row `row`
    // (1..15). Set before the editor is shown.
    void FocusFieldOnOpen(std::size_t field);
    void FocusMemberOnOpen(std::size_t row, std::size_t cell);

    // The record as the controls hold it (GBK), member row 15 included.
    TProjectRecord RecordFromControls() const;
    // The department entries of the code table, in file order.
    const std::vector<std::string>& departmentTable() const { return departmentTable_; }

  public slots:
    // The three buttons of the top panel.
    void BitBtn8Click();
    void BitBtn10Click();
    void BitBtn1Click();

    // Enter on the tab "项目概况".
    void Edit1KeyDown(int key, Qt::KeyboardModifiers shift);
    void ComboBox1KeyDown(int key, Qt::KeyboardModifiers shift);
    void Edit2KeyDown(int key, Qt::KeyboardModifiers shift);
    void ComboBox2KeyDown(int key, Qt::KeyboardModifiers shift);
    void Edit3KeyDown(int key, Qt::KeyboardModifiers shift);
    void ComboBox3KeyDown(int key, Qt::KeyboardModifiers shift);
    void ComboBox4KeyDown(int key, Qt::KeyboardModifiers shift);
    void Edit4KeyDown(int key, Qt::KeyboardModifiers shift);
    void Edit5KeyDown(int key, Qt::KeyboardModifiers shift);
    void Edit6KeyDown(int key, Qt::KeyboardModifiers shift);
    void Edit7KeyDown(int key, Qt::KeyboardModifiers shift);
    void Edit8KeyDown(int key, Qt::KeyboardModifiers shift);
    void Edit9KeyDown(int key, Qt::KeyboardModifiers shift);
    void Edit10KeyDown(int key, Qt::KeyboardModifiers shift);
    void Edit11KeyDown(int key, Qt::KeyboardModifiers shift);
    void Edit12KeyDown(int key, Qt::KeyboardModifiers shift);
    void ComboBox5KeyDown(int key, Qt::KeyboardModifiers shift);
    void ComboBox6KeyDown(int key, Qt::KeyboardModifiers shift);
    // Enter on the tab "单位概况".
    void Edit14KeyDown(int key, Qt::KeyboardModifiers shift);
    void ComboBox7KeyDown(int key, Qt::KeyboardModifiers shift);
    void Edit15KeyDown(int key, Qt::KeyboardModifiers shift);
    void ComboBox8KeyDown(int key, Qt::KeyboardModifiers shift);
    void Edit16KeyDown(int key, Qt::KeyboardModifiers shift);
    void Edit17KeyDown(int key, Qt::KeyboardModifiers shift);
    void Edit18KeyDown(int key, Qt::KeyboardModifiers shift);
    void Edit19KeyDown(int key, Qt::KeyboardModifiers shift);
    void Edit20KeyDown(int key, Qt::KeyboardModifiers shift);
    void Edit21KeyDown(int key, Qt::KeyboardModifiers shift);
    void Edit22KeyDown(int key, Qt::KeyboardModifiers shift);
    void Edit23KeyDown(int key, Qt::KeyboardModifiers shift);
    void Edit24KeyDown(int key, Qt::KeyboardModifiers shift);
    void Edit25KeyDown(int key, Qt::KeyboardModifiers shift);
    void Edit26KeyDown(int key, Qt::KeyboardModifiers shift);
    void Edit27KeyDown(int key, Qt::KeyboardModifiers shift);
    void Edit28KeyDown(int key, Qt::KeyboardModifiers shift);
    // Enter in the member grid.
    void StringGrid1KeyDown(int key, Qt::KeyboardModifiers shift);

    // The research content counter.
    void Memo1Change();
    // Department code to name (every change of Edit13) and name to code
    // (only the user's typing or choice in ComboBox5).
    void Edit13Change();
    void ComboBox5Change();

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    using KeyDown = void (TZPInfoForm::*)(int, Qt::KeyboardModifiers);

    void BuildTopPanel();
    void BuildProjectPage();
    void BuildUnitPage();
    void BuildMemberPage();
    void BuildContentPage();
    void ConnectRules();

    // Runs once, when the editor is first shown.
    void FormShow();
    // False (after the message) when the code table file is missing.
    bool FillDepartmentList();
    bool FillOptionList(QComboBox* list, const std::string& sectionName);
    void EndForMissingCodeTable();
    void LoadRecord();
    void ShowRecord(const TProjectRecord& record, bool withMembers);
    // Puts a stored research content into Memo1, each line with its stored
    // bytes and line break.
    void ShowResearchContent(std::string_view stored);
    // The research content as it will be stored: lines and line breaks kept
    // as stored where the user has left them, CR LF for new line breaks.
    std::string ResearchContentBytes() const;
    void EnterViewMode();
    void SetSavingEnabled(bool enabled);
    // Writes both data files from the controls; false when refused or failed
    // (the reason has been shown).
    bool Save();

    void FocusOnEnter(int key, QWidget* next);
    void SetDepartmentName(const QString& name);
    QString FieldText(std::size_t field) const;
    void SetFieldText(std::size_t field, const QString& text);

    std::filesystem::path dataDir_;
    bool opened_ = false;
    std::function<void()> focusOnOpen_;
    bool settingDepartmentName_ = false;
    bool departmentEditingEnds_ = false;
    std::vector<std::string> departmentTable_;
    std::vector<std::pair<QWidget*, KeyDown>> enterHandlers_;
    // The control of each record field, in field order.
    std::array<QWidget*, kFieldCount> fieldControls_{};
    // The record as it was read (empty for a new project) and each text as
    // it was put into its control: a text the user has left as it was is
    // saved with its stored bytes.
    TProjectRecord storedRecord_;
    std::array<QString, kFieldCount> shownFields_;
    std::array<std::array<QString, kMemberCellCount>, kMemberRowCount> shownMembers_;

    // Top panel.
    QFrame* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Edit29 = nullptr;
    QPushButton* BitBtn8 = nullptr;
    QPushButton* BitBtn10 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QLabel* Label2 = nullptr;  // record state
    QLabel* Label4 = nullptr;  // access mode

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QWidget* TabSheet3 = nullptr;
    QWidget* TabSheet4 = nullptr;

    // Tab "项目概况".
    QLineEdit* Edit1 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QComboBox* ComboBox2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QComboBox* ComboBox3 = nullptr;
    QComboBox* ComboBox4 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QLineEdit* Edit5 = nullptr;
    QLineEdit* Edit6 = nullptr;
    QLineEdit* Edit7 = nullptr;
    QLineEdit* Edit8 = nullptr;
    QLineEdit* Edit9 = nullptr;
    QLineEdit* Edit10 = nullptr;
    QLineEdit* Edit11 = nullptr;
    QLineEdit* Edit12 = nullptr;
    QLineEdit* Edit13 = nullptr;
    QComboBox* ComboBox5 = nullptr;
    QComboBox* ComboBox6 = nullptr;
    QLineEdit* Edit30 = nullptr;

    // Tab "单位概况".
    QLineEdit* Edit14 = nullptr;
    QComboBox* ComboBox7 = nullptr;
    QLineEdit* Edit15 = nullptr;
    QComboBox* ComboBox8 = nullptr;
    QLineEdit* Edit16 = nullptr;
    QLineEdit* Edit17 = nullptr;
    QLineEdit* Edit18 = nullptr;
    QLineEdit* Edit19 = nullptr;
    QLineEdit* Edit20 = nullptr;
    QLineEdit* Edit21 = nullptr;
    QLineEdit* Edit22 = nullptr;
    QLineEdit* Edit23 = nullptr;
    QLineEdit* Edit24 = nullptr;
    QLineEdit* Edit25 = nullptr;
    QLineEdit* Edit26 = nullptr;
    QLineEdit* Edit27 = nullptr;
    QLineEdit* Edit28 = nullptr;

    // Tab "主要参加人".
    TMemberGrid* StringGrid1 = nullptr;

    // Tab "主要研究内容".
    QPlainTextEdit* Memo1 = nullptr;
    QLabel* Panel6 = nullptr;
};

}  // namespace shenbao
