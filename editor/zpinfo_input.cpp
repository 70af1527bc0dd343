// The editor's rules while the user types: Enter along the fields and in the
// member grid, the research content counter, and the department code and
// name that follow each other.

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <optional>

#include "editor/member_grid.h"
#include "editor/zpinfo.h"
#include "editor/zpinfo_rules.h"
#include "gui/look.h"
#include "gui/text.h"
#include "store/code_table.h"

namespace shenbao {

namespace {

// The Enter chains of the first two tabs: Enter in a field passes the focus
// to the next one, round each tab. The department code Edit13 and the
// serial number Edit30 are outside; Tab keeps the ordinary tab order.
constexpr std::pair<const char*, const char*> kEnterChain[] = {
    // "项目概况"
    {"Edit1", "ComboBox1"},
    {"ComboBox1", "Edit2"},
    {"Edit2", "ComboBox2"},
    {"ComboBox2", "Edit3"},
    {"Edit3", "ComboBox3"},
    {"ComboBox3", "ComboBox4"},
    {"ComboBox4", "Edit4"},
    {"Edit4", "Edit5"},
    {"Edit5", "Edit6"},
    {"Edit6", "Edit7"},
    {"Edit7", "Edit8"},
    {"Edit8", "Edit9"},
    {"Edit9", "Edit10"},
    {"Edit10", "Edit11"},
    {"Edit11", "Edit12"},
    // Past the department code to the department name: the code follows
    // from the name (ComboBox5Change).
    {"Edit12", "ComboBox5"},
    {"ComboBox5", "ComboBox6"},
    {"ComboBox6", "Edit1"},
    // "单位概况"
    {"Edit14", "ComboBox7"},
    {"ComboBox7", "Edit15"},
    {"Edit15", "ComboBox8"},
    {"ComboBox8", "Edit16"},
    {"Edit16", "Edit17"},
    {"Edit17", "Edit18"},
    {"Edit18", "Edit19"},
    {"Edit19", "Edit20"},
    {"Edit20", "Edit21"},
    {"Edit21", "Edit22"},
    {"Edit22", "Edit23"},
    {"Edit23", "Edit24"},
    {"Edit24", "Edit25"},
    {"Edit25", "Edit26"},
    {"Edit26", "Edit27"},
    {"Edit27", "Edit28"},
    {"Edit28", "Edit14"},
};

}  // namespace

void TZPInfoForm::ConnectRules() {
    for (const auto& [from, to] : kEnterChain) {
        auto* field = findChild<QWidget*>(QString::fromLatin1(from));
        field->installEventFilter(this);
        enterChain_.emplace_back(field, findChild<QWidget*>(QString::fromLatin1(to)));
    }
    StringGrid1->installEventFilter(this);

    connect(Memo1, &QPlainTextEdit::textChanged, this, &TZPInfoForm::Memo1Change);
    connect(Edit13, &QLineEdit::textChanged, this, &TZPInfoForm::Edit13Change);

    // Only what the user types or chooses; texts the program sets do not
    // come through these two signals. But the list also reports "activated"
    // when editing ends (Enter, Tab, the focus leaving) on a text that equals
    // one of its entries, which is no choice: the list does that in its own
    // slot on the line edit's editingFinished, and two slots of the form,
    // one connected before it and one after, mark that stretch.
    auto* nameEdit = new QLineEdit;
    connect(nameEdit, &QLineEdit::editingFinished, this, [this] { departmentEditingEnds_ = true; });
    ComboBox5->setLineEdit(nameEdit);
    connect(nameEdit, &QLineEdit::editingFinished, this,
            [this] { departmentEditingEnds_ = false; });
    ComboBox5->setCompleter(nullptr);
    LiftLengthLimit(nameEdit);
    connect(nameEdit, &QLineEdit::textEdited, this, &TZPInfoForm::ComboBox5Change);
    connect(ComboBox5, &QComboBox::activated, this, &TZPInfoForm::ComboBox5Change);
}

bool TZPInfoForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == StringGrid1) {
            StringGrid1KeyDown(key->key(), key->modifiers());
        } else if (IsEnterKey(key->key())) {
            for (const auto& [field, next] : enterChain_) {
                if (field == watched) {
                    next->setFocus(Qt::TabFocusReason);
                    break;
                }
            }
        }
    }
    // The key goes on to the field as well.
    return QDialog::eventFilter(watched, event);
}

void TZPInfoForm::StringGrid1KeyDown(int key, Qt::KeyboardModifiers) {
    if (!IsEnterKey(key)) {
        return;
    }
    const QModelIndex current = StringGrid1->currentIndex();
    if (!current.isValid()) {
        return;
    }
    StringGrid1->setCurrentCell(current.row(), NextMemberColumn(current.column()));
}

// ---- Counter and department rules ---------------------------------------------------

void TZPInfoForm::Memo1Change() {
    const ContentCounter counter = CountResearchContent(ResearchContentBytes().size());
    Panel6->setText(counter.text);
    SetColour(Panel6, QPalette::WindowText, counter.color);
}

void TZPInfoForm::Edit13Change() {
    std::optional<std::string> name =
        FindDepartmentNameForCode(departmentTable_, ToGbk(Edit13->text()));
    if (name && *name != ToGbk(ComboBox5->currentText())) {
        SetDepartmentName(FromGbk(*name));
    }
}

void TZPInfoForm::ComboBox5Change() {
    if (settingDepartmentName_ || departmentEditingEnds_) {
        return;
    }
    std::optional<std::string> code =
        FindDepartmentCodeForName(departmentTable_, ToGbk(ComboBox5->currentText()));
    if (code && *code != ToGbk(Edit13->text())) {
        Edit13->setText(FromGbk(*code));
    }
}

void TZPInfoForm::SetDepartmentName(const QString& name) {
    settingDepartmentName_ = true;
    ComboBox5->setEditText(name);
    settingDepartmentName_ = false;
}

}  // namespace shenbao
