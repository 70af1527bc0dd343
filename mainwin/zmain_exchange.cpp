// The formal check, export, import, the exchange path dialogs and clearing
// the store, as commands of the main window, with the progress panel that
// export and import share.

#include <QTableView>

#include "core/project_check.h"
#include "core/transfer.h"
#include "exchange/checkform.h"
#include "exchange/clearall.h"
#include "exchange/getpath.h"
#include "exchange/progress_panel.h"
#include "gui/dialogs.h"
#include "gui/text.h"
#include "mainwin/list_model.h"
#include "mainwin/zmain.h"
#include "store/text.h"

namespace shenbao {

namespace {

// The exchange directory of a run: `given` (a path text) when there is one,
// otherwise the path held in the setting file `settingFile`.
std::filesystem::path ChosenDirectory(const QString& given, const std::filesystem::path& dataDir,
                                      std::string_view settingFile) {
    if (!given.isEmpty()) {
        return ExchangeDirectory(ToGbk(given), ToPath(given));
    }
    return ExchangeDirectory(ReadPathSetting(dataDir, settingFile),
                             dataDir / std::string(settingFile));
}

// Shows each problem the floppy check found, one box each; true when there
// was none.
bool NoProblems(QWidget* parent, const std::vector<std::string>& problems) {
    for (const std::string& problem : problems) {
        ShowMessage(parent, FromGbk(problem));
    }
    return problems.empty();
}

}  // namespace

void TZMainForm::BuildProgressPanel() {
    progressPanel_ = new TProgressPanel(ListArea);
    connect(progressPanel_, &TProgressPanel::closeRequested, this, &TZMainForm::HideProgressPanel);
}

void TZMainForm::ShowProgressPanel() {
    CentreOverGrid(progressPanel_);
    progressPanel_->show();
    progressPanel_->raise();
    SetCommandsAvailable(false);
}

void TZMainForm::HideProgressPanel() {
    progressPanel_->hide();
    SetCommandsAvailable(true);
    StringGrid1->setFocus();
}

void TZMainForm::RunOnProgressPanel(const QString& doneText,
                                    const std::function<int(const LogSink&)>& run) {
    progressPanel_->BeginRun();
    ShowProgressPanel();
    progressPanel_->RedrawText();
    RunGuarded([&] {
        int count = 0;
        try {
            count = run([this](const std::string& line) { progressPanel_->AddLogLine(line); });
        } catch (...) {
            // The list comes back before the error box.
            HideProgressPanel();
            throw;
        }
        progressPanel_->EndRun(doneText.arg(count));
    });
}

// ---- Export ------------------------------------------------------------------------

void TZMainForm::ExportProjects(bool all, const QString& target) {
    progressPanel_->setText(QStringLiteral("正在导出数据，请稍候......"));
    const bool floppy = target.toUpper().startsWith(QStringLiteral("A:"));
    if (floppy && !NoProblems(this, CheckFloppyForExport())) {
        return;
    }

    RunOnProgressPanel(QStringLiteral("成功导出%1个项目的数据"), [&](const LogSink& sink) {
        const std::filesystem::path destination =
            floppy ? FloppySendDirectory() : ChosenDirectory(target, dataDir_, kExportPathFileName);
        if (all) {
            ReloadList();
        }
        // Each exported project with problems of the formal check gets a line.
        const ExportReview review = ExportProblemReview(dataDir_, model_->rows());
        return RunExport(dataDir_, model_->rows(), destination, sink, review).count;
    });
}

void TZMainForm::N7Click() {
    ExportProjects(false, QString());
}

void TZMainForm::N31Click() {
    ExportProjects(true, QString());
}

void TZMainForm::N32Click() {
    ExportProjects(false, QStringLiteral("a:\\"));
}

void TZMainForm::N41Click() {
    ExportProjects(true, QStringLiteral("a:\\"));
}

// ---- Import ------------------------------------------------------------------------

void TZMainForm::ImportProjects(const QString& source) {
    progressPanel_->setText(QStringLiteral("正在引入数据，请稍候......"));
    const bool floppy = source.toUpper().startsWith(QStringLiteral("A:"));
    // No disk: stop as export does, rather than read the bare mount point.
    if (floppy && !NoProblems(this, CheckFloppyForImport())) {
        return;
    }
    RunOnProgressPanel(QStringLiteral("成功引入%1个项目的数据"), [&](const LogSink& sink) {
        ReloadList();
        std::string refusal;
        const std::filesystem::path directory =
            floppy ? FloppyImportDirectory(&refusal)
                   : ChosenDirectory(source, dataDir_, kImportPathFileName);
        if (!refusal.empty()) {
            sink(refusal);
        }
        const ExchangeResult result =
            RunImport(dataDir_, ListedIds(model_->rows()), directory, sink);
        if (result.count > 0) {
            ReloadList();
        }
        return result.count;
    });
}

void TZMainForm::N8Click() {
    ImportProjects(QString());
}

void TZMainForm::N61Click() {
    ImportProjects(QStringLiteral("a:\\"));
}

// ---- Paths and clearing --------------------------------------------------------------

void TZMainForm::N18Click() {
    TGetPathForm dialog(dataDir_, this);
    dialog.setPathKind(TGetPathForm::PathKind::Export);
    dialog.exec();
}

void TZMainForm::N19Click() {
    TGetPathForm dialog(dataDir_, this);
    dialog.setPathKind(TGetPathForm::PathKind::Import);
    dialog.exec();
}

void TZMainForm::N21Click() {
    TClearAllForm dialog(dataDir_, this);
    dialog.exec();
    if (dialog.cleared()) {
        // The list must not keep the cleared IDs: a later Add or Delete
        // would write them into the new index.
        RunGuarded([this] { ReloadList(); });
    }
}

// The formal check of the shown projects.
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
