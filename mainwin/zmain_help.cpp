// The help menu's usage guide.

#include "mainwin/guide.h"
#include "mainwin/zmain.h"

namespace shenbao {

void TZMainForm::N17Click() {
    TGuideForm guide(dataDir_, this);
    guide.exec();
}

}  // namespace shenbao
