// The printed project list command of the main window.

#include "mainwin/zmain.h"

namespace shenbao {

void TZMainForm::N11Click() {}

}  // namespace shenbao
