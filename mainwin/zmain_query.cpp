// The query panel of the main window and the eight query commands.

#include <QTableView>

#include "core/query_filter.h"
#include "gui/dialogs.h"
#include "mainwin/list_model.h"
#include "mainwin/zmain.h"
#include "query/query_panel.h"

namespace shenbao {

void TZMainForm::BuildQueryPanel() {
    queryPanel_ = new TQueryPanel(ListArea);
    connect(queryPanel_, &TQueryPanel::confirmed, this, &TZMainForm::QueryConfirmed);
    connect(queryPanel_, &TQueryPanel::closeRequested, this, &TZMainForm::HideQueryPanel);
}

void TZMainForm::ShowQueryPanel() {
    CentreOverGrid(queryPanel_);
    SetCommandsAvailable(false);
    queryPanel_->Open();
}

void TZMainForm::HideQueryPanel() {
    queryPanel_->hide();
    SetCommandsAvailable(true);
    // The keys go on to the list, which the panel lay over.
    StringGrid1->setFocus();
}

void TZMainForm::OpenQuery(ListColumn column, int editWidth, bool range, const QString& prompt) {
    queryPanel_->Prepare(column, editWidth, range, prompt);
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

void TZMainForm::QueryConfirmed(ListColumn column, const std::string& low,
                                const std::string& high) {
    // A failing reload ends the command before the panel closes.
    if (RunGuarded([&] { RunQuery(column, low, high); })) {
        HideQueryPanel();
    }
}

void TZMainForm::RunQuery(ListColumn column, const std::string& low, const std::string& high) {
    ShowQueryButtons(true);
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
