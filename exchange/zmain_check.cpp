// The formal check of the shown projects, as a command of the main window.

#include "core/project_check.h"
#include "exchange/checkform.h"
#include "mainwin/list_model.h"
#include "mainwin/zmain.h"
#include "store/text.h"

namespace shenbao {

void TZMainForm::NCheckClick() {
    if (projectCount() == 0) {
        return;
    }
    // Every shown project is read once here; the window opens only on a
    // complete reading.
    const std::vector<ListRow> rows = model_->rows();
    CheckResult result;
    if (!RunGuarded([&] { result = CheckProjects(dataDir_, rows); })) {
        return;
    }
    TCheckForm form(dataDir_, rows, std::move(result), this);
    form.exec();
    // The projects changed in the window show their new values in the list.
    RunGuarded([&] {
        for (int r = 1; r <= projectCount(); ++r) {
            const std::string id = model_->row(r - 1)[ListColumn::Id];
            if (form.touchedIds().count(std::string(Trim(id))) > 0) {
                LoadProjectRow(id, r);
            }
        }
    });
}

}  // namespace shenbao
