// The application form commands of the main window: the form of the current
// project, and the forms of every shown project in list order.

#include "mainwin/list_model.h"
#include "mainwin/zmain.h"
#include "output/application_form_report.h"

namespace shenbao {

void TZMainForm::NApplicationFormClick() {
    RunGuarded(
        [this] { ShowCurrentApplicationForm(this, dataDir_, model_->rows(), currentRow()); });
}

void TZMainForm::NApplicationFormAllClick() {
    RunGuarded([this] { ShowShownApplicationForms(this, dataDir_, model_->rows()); });
}

}  // namespace shenbao
