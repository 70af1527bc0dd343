// The query panel of the main window and the eight query commands.

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "mainwin/list_model.h"
#include "mainwin/zmain.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/input_method.h"
#include "platform/gui/text.h"
#include "query/query_filter.h"
#include "store/text.h"

namespace shenbao {

namespace {

// The criterion column travels with the confirm button, as its Tag.
constexpr char kTagProperty[] = "Tag";

bool TrimmedEmpty(const QLineEdit* edit) {
    return Trim(ToGbk(edit->text())).empty();
}

}  // namespace

void TZMainForm::BuildQueryPanel() {
    Panel3 = new QFrame(ListArea);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setFrameShape(QFrame::Panel);
    Panel3->setFrameShadow(QFrame::Raised);
    Panel3->setLineWidth(1);
    Panel3->setAutoFillBackground(true);
    Panel3->setFixedSize(289, 165);
    Panel3->hide();

    Bevel1 = new QFrame(Panel3);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::Box);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(14, 18, 261, 85);

    Label2 = new QLabel(QStringLiteral("请输入您要查询的"), Panel3);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->move(24, 36);

    Edit1 = new QLineEdit(Panel3);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(28, 58, 225, 20);
    Edit1->installEventFilter(this);

    Label3 = new QLabel(QStringLiteral("至"), Panel3);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->move(130, 64);

    Edit2 = new QLineEdit(Panel3);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setGeometry(150, 58, 107, 20);

    AskForChineseInput(Edit1);
    AskForChineseInput(Edit2);

    Button1 = new QPushButton(QStringLiteral("确认"), Panel3);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(44, 120, 75, 25);
    Button1->setProperty(kTagProperty, 0);
    Button2 = new QPushButton(QStringLiteral("放弃"), Panel3);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setGeometry(170, 120, 75, 25);
    connect(Button1, &QPushButton::clicked, this, &TZMainForm::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TZMainForm::Button2Click);
}

void TZMainForm::ShowQueryPanel() {
    CentreOverGrid(Panel3);
    Edit1->clear();
    Edit2->clear();
    Panel3->show();
    Panel3->raise();
    SetCommandsAvailable(false);
    Edit1->setFocus();
}

void TZMainForm::HideQueryPanel() {
    Panel3->hide();
    SetCommandsAvailable(true);
}

void TZMainForm::OpenQuery(int column, int editWidth, bool range, const QString& prompt) {
    Edit1->resize(editWidth, Edit1->height());
    Label3->setHidden(!range);
    Edit2->setHidden(!range);
    Button1->setProperty(kTagProperty, column);
    Label2->setText(prompt);
    Label2->adjustSize();
    ShowQueryPanel();
}

void TZMainForm::N12Click() {
    OpenQuery(ListColumn::ProjectName, 225, false,
              QStringLiteral("请输入您要查询的项目名称（支持模糊查询）"));
}
void TZMainForm::N13Click() {
    OpenQuery(ListColumn::Applicant, 225, false,
              QStringLiteral("请输入您要查询的项目申请人（支持模糊查询）"));
}
void TZMainForm::N6Click() {
    OpenQuery(ListColumn::DepartmentName, 225, false,
              QStringLiteral("请输入您要查询的主管部门（支持模糊查询）"));
}
void TZMainForm::N14Click() {
    OpenQuery(ListColumn::PlanCategory, 225, false,
              QStringLiteral("请输入您要查询的计划类别（支持模糊查询）"));
}
void TZMainForm::N10Click() {
    OpenQuery(ListColumn::UnitName, 225, false,
              QStringLiteral("请输入您要查询的单位名称（支持模糊查询）"));
}
void TZMainForm::N27Click() {
    OpenQuery(ListColumn::ProjectField, 225, false, QStringLiteral("请输入您要查询的项目领域"));
}
void TZMainForm::N15Click() {
    OpenQuery(ListColumn::ApplicationDate, 90, true, QStringLiteral("请输入您要查询的日期范围"));
}
void TZMainForm::N71Click() {
    OpenQuery(ListColumn::FundsProvincial, 90, true, QStringLiteral("请输入您要查询的金额范围"));
}

void TZMainForm::Button1Click() {
    const bool range = !Edit2->isHidden();
    const bool invalid = range ? (TrimmedEmpty(Edit2) || TrimmedEmpty(Edit1)) : TrimmedEmpty(Edit1);
    if (invalid) {
        ShowInformation(this, QStringLiteral("您没有输入有效内容！"));
    } else {
        const int column = Button1->property(kTagProperty).toInt();
        const std::string low = ToGbk(Edit1->text());
        const std::string high =
            (column == ListColumn::FundsProvincial || column == ListColumn::ApplicationDate)
                ? ToGbk(Edit2->text())
                : std::string();
        // A failing reload ends the command before the panel closes.
        if (!RunGuarded([&] { RunQuery(column, low, high); })) {
            return;
        }
    }
    HideQueryPanel();
}

void TZMainForm::Button2Click() {
    HideQueryPanel();
}

void TZMainForm::Edit1KeyDown(int key) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        Button1Click();
    }
}

void TZMainForm::RunQuery(int column, const std::string& low, const std::string& high) {
    BitBtn1->setEnabled(false);
    BitBtn2->setEnabled(false);
    BitBtn9->setEnabled(false);
    BitBtn11->setEnabled(true);
    ReloadList();
    std::vector<ListRow> matches = FilterRows(model_->rows(), column, low, high);
    const bool none = matches.empty();
    ReplaceRows(std::move(matches));
    if (none) {
        ShowMessage(this, QStringLiteral("对不起，未检索到任何符合条件的项目！"));
        ReloadList();
    }
}

}  // namespace shenbao
