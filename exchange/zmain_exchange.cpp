// Export, import, the exchange path dialogs and clearing the store, as
// commands of the main window, with the progress panel they share.

#include "mainwin/zmain.h"

namespace shenbao {

void TZMainForm::BuildProgressPanel() {}
void TZMainForm::ShowProgressPanel() {}
void TZMainForm::HideProgressPanel() {}
void TZMainForm::ExportProjects(bool, const QString&) {}
void TZMainForm::ImportProjects(const QString&) {}
void TZMainForm::N7Click() {}
void TZMainForm::N31Click() {}
void TZMainForm::N32Click() {}
void TZMainForm::N41Click() {}
void TZMainForm::N8Click() {}
void TZMainForm::N61Click() {}
void TZMainForm::N18Click() {}
void TZMainForm::N19Click() {}
void TZMainForm::N21Click() {}
void TZMainForm::Button3Click() {}

}  // namespace shenbao
