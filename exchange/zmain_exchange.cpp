// Export, import, the exchange path dialogs and clearing the store, as
// commands of the main window, with the progress panel they share.

#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStringList>

#include "exchange/clearall.h"
#include "exchange/getpath.h"
#include "exchange/transfer.h"
#include "mainwin/list_model.h"
#include "mainwin/zmain.h"
#include "platform/gui/dialogs.h"
#include "platform/gui/fonts.h"
#include "platform/gui/look.h"
#include "platform/gui/text.h"
#include "platform/io_error.h"

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

}  // namespace

void TZMainForm::BuildProgressPanel() {
    Panel4 = new QFrame(ListArea);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    Panel4->setFrameShape(QFrame::Panel);
    Panel4->setFrameShadow(QFrame::Raised);
    Panel4->setLineWidth(1);
    Panel4->setAutoFillBackground(true);
    SetColour(Panel4, QPalette::Window, kTeal);
    Panel4->setFixedSize(549, 273);
    Panel4->hide();

    Label4 = new QLabel(QStringLiteral("正在工作......"), Panel4);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setFont(SongPixelFont(14));
    Label4->setWordWrap(true);
    SetColour(Label4, QPalette::WindowText, kYellow);
    Label4->setGeometry(20, 16, 323, 16);
    Label4->setMinimumHeight(16);

    Memo1 = new QPlainTextEdit(Panel4);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(16, 40, 513, 187);
    Memo1->setReadOnly(true);
    Memo1->setFont(SongPixelFont(12));
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    QPalette memo = Memo1->palette();
    memo.setColor(QPalette::Base, kSilver);
    memo.setColor(QPalette::Text, kBlue);
    Memo1->setPalette(memo);

    Button3 = new QPushButton(QStringLiteral("确认"), Panel4);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setGeometry(234, 236, 75, 25);
    // Yellow on the usual grey face would hardly read; the face takes the
    // panel's colour.
    QPalette face = Button3->palette();
    face.setColor(QPalette::ButtonText, kYellow);
    face.setColor(QPalette::Button, kTeal.darker(115));
    Button3->setPalette(face);
    connect(Button3, &QPushButton::clicked, this, &TZMainForm::Button3Click);
}

void TZMainForm::ShowProgressPanel() {
    CentreOverGrid(Panel4);
    Panel4->show();
    Panel4->raise();
    SetCommandsAvailable(false);
}

void TZMainForm::HideProgressPanel() {
    Panel4->hide();
    SetCommandsAvailable(true);
}

void TZMainForm::Button3Click() {
    HideProgressPanel();
}

void TZMainForm::RunOnProgressPanel(const QString& doneText,
                                    const std::function<int(const LogSink&)>& run) {
    Memo1->clear();
    Button3->setEnabled(false);
    ShowProgressPanel();
    Label4->repaint();
    // Lines reach the log in blocks: a control file naming one project a
    // hundred thousand times gives as many lines. A line naming an ID or a
    // name of megabytes is shortened for the eye.
    QStringList pending;
    const auto flush = [this, &pending] {
        if (!pending.isEmpty()) {
            Memo1->appendPlainText(pending.join(QLatin1Char('\n')));
            pending.clear();
        }
    };
    const auto show = [&pending, &flush](const std::string& line) {
        pending.append(ShortenedText(FromGbk(std::string_view(line).substr(0, 4096)), 300));
        if (pending.size() >= 1000) {
            flush();
        }
    };
    try {
        const int count = run(show);
        flush();
        Label4->setText(doneText.arg(count));
        Label4->repaint();
    } catch (const IoError& error) {
        HideProgressPanel();
        ShowIoError(this, error);
        ReportDamagedEntries();
        return;
    } catch (const std::exception& error) {
        HideProgressPanel();
        ShowException(this, error);
        ReportDamagedEntries();
        return;
    }
    Button3->setEnabled(true);
    ReportDamagedEntries();
}

// ---- Export ------------------------------------------------------------------------

void TZMainForm::ExportProjects(bool all, const QString& target) {
    Label4->setText(QStringLiteral("正在导出数据，请稍候......"));
    const bool floppy = target.toUpper().startsWith(QStringLiteral("A:"));
    if (floppy) {
        const std::vector<std::string> problems = CheckFloppyForExport();
        for (const std::string& problem : problems) {
            ShowMessage(this, FromGbk(problem));
        }
        if (!problems.empty()) {
            return;
        }
    }

    RunOnProgressPanel(QStringLiteral("成功导出%1个项目的数据"), [&](const LogSink& sink) {
        const std::filesystem::path destination =
            floppy ? FloppySendDirectory() : ChosenDirectory(target, dataDir_, kExportPathFileName);
        if (all) {
            ReloadList();
        }
        return RunExport(dataDir_, model_->rows(), destination, sink).count;
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
    Label4->setText(QStringLiteral("正在引入数据，请稍候......"));
    const bool floppy = source.toUpper().startsWith(QStringLiteral("A:"));
    if (floppy) {
        // No disk: stop as export does, rather than read the bare mount point.
        const std::vector<std::string> problems = CheckFloppyForImport();
        for (const std::string& problem : problems) {
            ShowMessage(this, FromGbk(problem));
        }
        if (!problems.empty()) {
            return;
        }
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
    dialog.setPathCaption(QStringLiteral("数据导出路径"));
    dialog.exec();
}

void TZMainForm::N19Click() {
    TGetPathForm dialog(dataDir_, this);
    dialog.setPathCaption(QStringLiteral("数据引入路径"));
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

}  // namespace shenbao
