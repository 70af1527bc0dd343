// The query panel of the main window and the queries it runs.

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

void TZMainForm::OpenQuery(ListColumn column, const char* prompt) {
    queryPanel_->Prepare(column, QString::fromUtf8(prompt));
    ShowQueryPanel();
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
