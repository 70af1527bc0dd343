// The help menu's usage guide.

#include "mainwin/zmain.h"

namespace shenbao {

void TZMainForm::N17Click() {}

}  // namespace shenbao
