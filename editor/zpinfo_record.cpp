// The editor's record: opening (the lists from the code table, a stored
// project read into the controls, view mode), the record as the controls
// hold it, and saving.

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBlock>
#include <optional>

#include "editor/member_grid.h"
#include "editor/zpinfo.h"
#include "output/application_form_report.h"
#include "editor/zpinfo_rules.h"
#include "gui/dialogs.h"
#include "gui/look.h"
#include "gui/text.h"
#include "gui/window.h"
#include "store/code_table.h"
#include "store/project_id.h"
#include "store/text.h"

namespace shenbao {

namespace {

constexpr std::array<int, kMemberCellCount> kMemberColumnWidths = {55, 30, 77, 80, 90, 200};

// A line of the research content as it was stored, kept with its line in
// the multi-line field. A line split by the user keeps it with its first
// part; lines the user makes have none.
class StoredContentLine : public QTextBlockUserData {
  public:
    explicit StoredContentLine(ContentLine line) : line(std::move(line)) {}
    const ContentLine line;
};

// The stored bytes of a text the user has left as it was shown, else the
// text as typed.
std::string KeptOrTyped(const QString& now, const QString& shown, const std::string& stored) {
    return now == shown ? stored : ToGbk(now);
}

}  // namespace

// ---- Opening ----------------------------------------------------------------------

void TZPInfoForm::FormShow() {
    SeedRandomFromClock();

    QStringList headings;
    for (std::size_t c = 0; c < kMemberCellCount; ++c) {
        headings << MemberColumnHeading(c);
        StringGrid1->setColumnWidth(static_cast<int>(c), kMemberColumnWidths[c]);
    }
    StringGrid1->setHorizontalHeaderLabels(headings);

    // The lists after the department list (ComboBox1 to ComboBox4, ComboBox6,
    // ComboBox7 and ComboBox8) from the sections of the option fields. A
    // failure leaves the lists as far as they were filled; the project itself
    // can still be read and edited.
    bool codeTableFound = true;
    RunGuarded(this, [&] {
        codeTableFound = FillDepartmentList();
        for (std::size_t i = 0; codeTableFound && i < OptionFields().size(); ++i) {
            const auto [field, section] = OptionFields()[i];
            codeTableFound =
                FillOptionList(qobject_cast<QComboBox*>(fieldControls_[field]), *section);
        }
    });
    if (!codeTableFound) {
        EndForMissingCodeTable();
        return;
    }

    PageControl1->setCurrentIndex(0);
    fieldControls_[Field::ProjectName]->setFocus();
    if (mode_ != EditorMode::Add) {
        LoadRecord();
    }
    if (mode_ == EditorMode::View) {
        EnterViewMode();
    }
    savedRecord_ = RecordFromControls();
}

bool TZPInfoForm::FillDepartmentList() {
    std::optional<std::vector<std::string>> entries =
        ReadCodeSection(dataDir_, CodeSection::Department);
    if (!entries) {
        return false;
    }
    departmentTable_ = std::move(*entries);
    ComboBox5->clear();
    ComboBox5->addItems(SortedDepartmentNames(departmentTable_));
    ComboBox5->setCurrentIndex(-1);
    FitDropDownList(ComboBox5);
    return true;
}

bool TZPInfoForm::FillOptionList(QComboBox* list, const std::string& sectionName) {
    std::optional<std::vector<std::string>> entries = ReadCodeSection(dataDir_, sectionName);
    if (!entries) {
        return false;
    }
    list->clear();
    for (const std::string& entry : *entries) {
        list->addItem(FromGbk(entry));
    }
    // Filling a list chooses nothing: the field stays empty.
    list->setCurrentIndex(-1);
    FitDropDownList(list);
    return true;
}

void TZPInfoForm::EndForMissingCodeTable() {
    SetSavingEnabled(false);
    ShowMessage(this, QStringLiteral("未找到系统编码表文件”_SysCode.ZZJ“，系统可能无法正常运行。"));
    QCoreApplication::exit(1);
    // Closed from the event loop, so that a modal run of the editor ends too.
    QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
}

void TZPInfoForm::LoadRecord() {
    const std::string& id = id_;
    const auto fileName = [this, &id](std::string_view extension) {
        std::optional<std::filesystem::path> path = ProjectFilePath(dataDir_, id, extension);
        return FromPath(path ? *path : dataDir_ / (id + std::string(extension)));
    };
    ProjectReadResult result;
    if (!RunGuarded(this, [&] { result = ReadProjectRecord(dataDir_, id); })) {
        // The fields do not hold the stored project; a save would replace it
        // with whatever they hold.
        SetSavingEnabled(false);
        return;
    }
    switch (result.status) {
        case ProjectReadStatus::MainFileMissing:
            ShowMessage(this, QStringLiteral("错误号405   未找到数据文件“") +
                                  fileName(kMainFileExtension) + QStringLiteral("”"));
            break;
        case ProjectReadStatus::MemberFileMissing:
            ShowRecord(result.record, false);
            ShowMessage(this, QStringLiteral("错误号406   未找到数据文件“") +
                                  fileName(kMemberFileExtension) + QStringLiteral("”"));
            SetSavingEnabled(false);
            break;
        case ProjectReadStatus::Complete:
            ShowRecord(result.record, true);
            break;
    }
}

void TZPInfoForm::ShowRecord(const TProjectRecord& record, bool withMembers) {
    for (std::size_t f = 0; f < kFieldCount; ++f) {
        const std::string& stored = record.Fields[f];
        storedRecord_.Fields[f] = stored;
        if (f == Field::ResearchContent) {
            // An empty content leaves the counter at its first text.
            if (!stored.empty()) {
                ShowResearchContent(stored);
            }
        } else {
            shownFields_[f] = FromGbk(stored);
            SetFieldText(f, shownFields_[f]);
        }
    }
    if (!withMembers) {
        return;
    }
    storedRecord_.Members = record.Members;
    for (std::size_t r = 0; r < kMemberRowCount; ++r) {
        for (std::size_t c = 0; c < kMemberCellCount; ++c) {
            shownMembers_[r][c] = FromGbk(record.Members[r].Cells[c]);
            StringGrid1->item(static_cast<int>(r), static_cast<int>(c))
                ->setText(shownMembers_[r][c]);
        }
    }
}

void TZPInfoForm::ShowResearchContent(std::string_view stored) {
    const std::vector<ContentLine> lines = SplitResearchContent(stored);
    Memo1->setPlainText(ShownResearchContent(stored));
    QTextBlock block = Memo1->document()->begin();
    for (const ContentLine& line : lines) {
        if (!block.isValid()) {
            break;
        }
        block.setUserData(new StoredContentLine(line));
        block = block.next();
    }
    // Counted again with the line breaks as they are stored.
    Memo1Change();
}

std::string TZPInfoForm::ResearchContentBytes() const {
    std::string content;
    const QTextDocument* document = Memo1->document();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        const auto* stored = dynamic_cast<const StoredContentLine*>(block.userData());
        const QString text = block.text();
        if (block != document->begin()) {
            content += stored != nullptr ? stored->line.breakBefore : std::string(kCrLf);
        }
        content += stored != nullptr ? KeptOrTyped(text, stored->line.shown, stored->line.stored)
                                     : StoredResearchContent(text);
    }
    return content;
}

void TZPInfoForm::EnterViewMode() {
    SetSavingEnabled(false);
    for (QWidget* control : fieldControls_) {
        if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            edit->setReadOnly(true);
        }
    }
    Memo1->setReadOnly(true);
    StringGrid1->CloseOpenEditor();
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void TZPInfoForm::SetSavingEnabled(bool enabled) {
    BitBtn8->setEnabled(enabled);
    BitBtn10->setEnabled(enabled);
}

// ---- The record in the controls ---------------------------------------------------

QString TZPInfoForm::FieldText(std::size_t field) const {
    QWidget* control = fieldControls_.at(field);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        return edit->text();
    }
    if (auto* combo = qobject_cast<QComboBox*>(control)) {
        return combo->currentText();
    }
    if (auto* memo = qobject_cast<QPlainTextEdit*>(control)) {
        return memo->toPlainText();
    }
    return QString();
}

void TZPInfoForm::SetFieldText(std::size_t field, const QString& text) {
    QWidget* control = fieldControls_.at(field);
    if (control == ComboBox5) {
        SetDepartmentName(text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(text);
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        combo->setEditText(text);
    } else if (auto* memo = qobject_cast<QPlainTextEdit*>(control)) {
        memo->setPlainText(text);
    }
}

TProjectRecord TZPInfoForm::RecordFromControls() const {
    TProjectRecord record;
    for (std::size_t f = 0; f < kFieldCount; ++f) {
        record.Fields[f] = f == Field::ResearchContent ? ResearchContentBytes()
                                                       : KeptOrTyped(FieldText(f), shownFields_[f],
                                                                     storedRecord_.Fields[f]);
    }
    for (std::size_t r = 0; r < kMemberRowCount; ++r) {
        for (std::size_t c = 0; c < kMemberCellCount; ++c) {
            const QTableWidgetItem* item =
                StringGrid1->item(static_cast<int>(r), static_cast<int>(c));
            record.Members[r].Cells[c] =
                KeptOrTyped(item != nullptr ? item->text() : QString(), shownMembers_[r][c],
                            storedRecord_.Members[r].Cells[c]);
        }
    }
    return record;
}

// ---- Saving -----------------------------------------------------------------------

bool TZPInfoForm::Save() {
    StringGrid1->CommitOpenEditor();
    const TProjectRecord record = RecordFromControls();
    // Only what the user has changed is checked: a text kept as it was
    // stored is written back as it was.
    TProjectRecord changed = record;
    for (std::size_t f = 0; f < kFieldCount; ++f) {
        if (changed.Fields[f] == storedRecord_.Fields[f]) {
            changed.Fields[f].clear();
        }
    }
    for (std::size_t r = 0; r < kMemberRowCount; ++r) {
        for (std::size_t c = 0; c < kMemberCellCount; ++c) {
            if (changed.Members[r].Cells[c] == storedRecord_.Members[r].Cells[c]) {
                changed.Members[r].Cells[c].clear();
            }
        }
    }
    if (std::optional<RecordTextViolation> violation = FindRecordTextViolation(changed)) {
        ShowMessage(this, ViolationMessage(*violation));
        return false;
    }
    if (!RunGuarded(this, [&] { WriteProjectRecord(dataDir_, id_, record); })) {
        return false;
    }
    savedRecord_ = record;
    return true;
}

bool TZPInfoForm::HasUnsavedChanges() const {
    // An open member cell is read as the save would read it.
    StringGrid1->CommitOpenEditor();
    return RecordFromControls() != savedRecord_;
}

void TZPInfoForm::BitBtn8Click() {
    if (Save()) {
        ShowMessage(this, QStringLiteral("名称为“") + FieldText(Field::ProjectName) +
                              QStringLiteral("”的项目基本信息已成功存盘！"));
    }
}

void TZPInfoForm::BitBtn10Click() {
    if (Save()) {
        accept();
    }
}

void TZPInfoForm::BitBtn1Click() {
    reject();
}

void TZPInfoForm::EscapeKeyDown() {
    // In view mode nothing can have been changed that could be saved.
    if (mode_ != EditorMode::View && HasUnsavedChanges() &&
        !AskYesNo(this, QStringLiteral("项目信息已经修改，要放弃修改并关闭吗?"), Preset::No)) {
        return;
    }
    BitBtn1Click();
}

// The application form of what the fields hold, saved or not.
void TZPInfoForm::BitBtnApplicationFormClick() {
    StringGrid1->CommitOpenEditor();
    RunGuarded(this, [this] {
        ShowEditedApplicationForm(this, dataDir_, id_, RecordFromControls());
    });
}

}  // namespace shenbao
