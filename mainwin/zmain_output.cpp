// The printed project list command of the main window.

#include "core/print_feed.h"
#include "mainwin/list_model.h"
#include "mainwin/zmain.h"
#include "output/printa.h"

namespace shenbao {

void TZMainForm::N11Click() {
    // The window opens only on a feed written whole.
    if (!RunGuarded([this] { WritePrintFeed(dataDir_, model_->rows()); })) {
        return;
    }
    TPrintAForm form(dataDir_, projectCount(), this);
    form.exec();
}

}  // namespace shenbao
