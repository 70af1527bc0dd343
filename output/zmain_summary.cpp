// The summary command of the main window.

#include "core/summary.h"
#include "mainwin/list_model.h"
#include "mainwin/zmain.h"
#include "output/summary_form.h"

namespace shenbao {

void TZMainForm::NSummaryClick() {
    if (projectCount() == 0) {
        return;
    }
    // The shown projects' main data files are read here, once; the window
    // opens only on a complete reading.
    std::vector<SummaryProject> projects;
    if (!RunGuarded([&] { projects = ReadSummaryProjects(dataDir_, model_->rows()); })) {
        return;
    }
    TSummaryForm form(dataDir_, std::move(projects), this);
    form.exec();
}

}  // namespace shenbao
