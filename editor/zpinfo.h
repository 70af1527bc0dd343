#pragma once

// The project editor: a tabbed dialog holding one project record in its
// controls. The main window creates a fresh editor for every command, tells
// it the project ID and what it is opened for (Prepare), and runs it
// modally. When it is shown the editor fills its drop-down lists from the
// code table file, reads an existing project's two data files and, for
// viewing, locks every field. Its code:
//   zpinfo.cpp          the form: the placement table of each tab page, events
//   zpinfo_record.cpp   opening, the record in the controls, saving
//   zpinfo_input.cpp    the rules while the user types: Enter, the counter,
//                       the department fields
//   zpinfo_rules.cpp    what those rules work out, without the form

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

class TZPInfoForm : public QDialog {
    Q_OBJECT
  public:
    explicit TZPInfoForm(std::filesystem::path dataDir, QWidget* parent = nullptr);
    ~TZPInfoForm() override;

    // Before the editor is shown: the project ID (GBK, as the list holds
    // it) and what the editor is opened for. The ID field Edit29 and the
    // hidden markers Label2 (record state "new"/"old") and Label4 (access
    // mode "edit"/"read") show them; the editor never reads them back.
    void Prepare(std::string id, EditorMode mode);

    const std::filesystem::path& dataDir() const { return dataDir_; }

    // Opens on the tab of record field `field` (0..37) with the focus in its
    // control; or on the member table in cell `cell` of member row `row`
    // (1..15). Set before the editor is shown.
    void FocusFieldOnOpen(std::size_t field);
    void FocusMemberOnOpen(std::size_t row, std::size_t cell);

    // The record as the controls hold it (GBK), member row 15 included.
    TProjectRecord RecordFromControls() const;
    // Whether the fields or members differ from what was read when the
    // editor opened (from empty for a new project) or last saved; the text
    // of an open member cell counts.
    bool HasUnsavedChanges() const;
    // The department entries of the code table, in file order.
    const std::vector<std::string>& departmentTable() const { return departmentTable_; }

  public slots:
    // The three buttons of the top panel.
    void BitBtn8Click();
    void BitBtn10Click();
    void BitBtn1Click();
    // "打印申报表": the application form of the fields' values.
    void BitBtnApplicationFormClick();
    // Escape: leaves as "放弃并关闭" does; with changes that are not saved,
    // only after asking.
    void EscapeKeyDown();

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
    // zpinfo.cpp: the form.
    void BuildTopPanel();
    void BuildMemberPage();
    void BuildContentPage();

    // zpinfo_record.cpp: opening, loading and saving.
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
    QString FieldText(std::size_t field) const;
    void SetFieldText(std::size_t field, const QString& text);

    // zpinfo_input.cpp: the rules while the user types.
    void ConnectRules();
    void SetDepartmentName(const QString& name);

    std::filesystem::path dataDir_;
    std::string id_;
    EditorMode mode_ = EditorMode::Add;
    bool opened_ = false;
    std::function<void()> focusOnOpen_;
    bool settingDepartmentName_ = false;
    bool departmentEditingEnds_ = false;
    std::vector<std::string> departmentTable_;
    // The Enter chain: a field with an Enter rule and the field it passes
    // the focus to.
    std::vector<std::pair<QWidget*, QWidget*>> enterChain_;
    // The control of each record field, in field order.
    std::array<QWidget*, kFieldCount> fieldControls_{};
    // The record as it was read (empty for a new project) and each text as
    // it was put into its control: a text the user has left as it was is
    // saved with its stored bytes.
    TProjectRecord storedRecord_;
    // The record the controls held once opened, and after each save.
    TProjectRecord savedRecord_;
    std::array<QString, kFieldCount> shownFields_;
    std::array<std::array<QString, kMemberCellCount>, kMemberRowCount> shownMembers_;

    // Top panel.
    QLineEdit* Edit29 = nullptr;
    QPushButton* BitBtn8 = nullptr;
    QPushButton* BitBtn10 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtnApplicationForm = nullptr;
    QLabel* Label2 = nullptr;  // record state
    QLabel* Label4 = nullptr;  // access mode

    QTabWidget* PageControl1 = nullptr;
    // The fields of the first two tabs are fieldControls_; the two that the
    // department rules join are kept by name.
    QLineEdit* Edit13 = nullptr;
    QComboBox* ComboBox5 = nullptr;
    // Tab "主要参加人".
    TMemberGrid* StringGrid1 = nullptr;
    // Tab "主要研究内容".
    QPlainTextEdit* Memo1 = nullptr;
    QLabel* Panel6 = nullptr;
};

}  // namespace shenbao
