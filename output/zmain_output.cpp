// The two output commands of the main window: the printed project list and
// the text listing.

#include "mainwin/zmain.h"

namespace shenbao {

void TZMainForm::N11Click() {}
void TZMainForm::N16Click() {}

}  // namespace shenbao
