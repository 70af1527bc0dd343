// Project commands of the main window: add, modify, view, delete, refresh and
// all projects.

#include "mainwin/zmain.h"

namespace shenbao {

void TZMainForm::BitBtn1Click() {}
void TZMainForm::BitBtn7Click() {}
void TZMainForm::BitBtn10Click() {}
void TZMainForm::BitBtn2Click() {}
void TZMainForm::BitBtn9Click() {}
void TZMainForm::BitBtn11Click() {}

}  // namespace shenbao
