// The text listing command of the main window.

#include "mainwin/zmain.h"

namespace shenbao {

void TZMainForm::N16Click() {}

}  // namespace shenbao
