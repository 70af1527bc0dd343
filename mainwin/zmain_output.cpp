// The output commands of the main window: the printed project list, the
// text listing and the summary, each over the shown list.

#include "core/listing.h"
#include "core/print_feed.h"
#include "core/summary.h"
#include "gui/dialogs.h"
#include "gui/text.h"
#include "mainwin/list_model.h"
#include "mainwin/zmain.h"
#include "output/application_form_report.h"
#include "output/printa.h"
#include "output/summary_form.h"

namespace shenbao {

// The printed project list.
void TZMainForm::N11Click() {
    // The window opens only on a feed written whole.
    if (!RunGuarded([this] { WritePrintFeed(dataDir_, model_->rows()); })) {
        return;
    }
    TPrintAForm form(dataDir_, projectCount(), this);
    form.exec();
}

// The text listing.
void TZMainForm::N16Click() {
    RunGuarded([this] {
        const std::filesystem::path path = WriteListing(dataDir_, model_->rows());
        ShowMessage(this, QStringLiteral("共输出%1个项目的基本数据，输出的文本文件为“%2”")
                              .arg(model_->rowCount())
                              .arg(FromPath(path)));
    });
}

// The summary.
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

// The application form of the current project, and the forms of every shown
// project in list order.
void TZMainForm::NApplicationFormClick() {
    RunGuarded(
        [this] { ShowCurrentApplicationForm(this, dataDir_, model_->rows(), currentRow()); });
}

void TZMainForm::NApplicationFormAllClick() {
    RunGuarded([this] { ShowShownApplicationForms(this, dataDir_, model_->rows()); });
}

}  // namespace shenbao
