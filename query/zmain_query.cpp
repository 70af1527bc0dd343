// The query panel of the main window and the eight query commands.

#include "mainwin/zmain.h"

namespace shenbao {

void TZMainForm::BuildQueryPanel() {}
void TZMainForm::ShowQueryPanel() {}
void TZMainForm::HideQueryPanel() {}
void TZMainForm::OpenQuery(int, int, bool, const QString&) {}
void TZMainForm::RunQuery(int, const std::string&, const std::string&) {}
void TZMainForm::N12Click() {}
void TZMainForm::N13Click() {}
void TZMainForm::N6Click() {}
void TZMainForm::N14Click() {}
void TZMainForm::N10Click() {}
void TZMainForm::N27Click() {}
void TZMainForm::N15Click() {}
void TZMainForm::N71Click() {}
void TZMainForm::Button1Click() {}
void TZMainForm::Button2Click() {}
void TZMainForm::Edit1KeyDown(int) {}

}  // namespace shenbao
