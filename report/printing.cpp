#include "report/printing.h"

#include <QApplication>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>

#include "platform/platform.h"
#include "report/render.h"

namespace shenbao::report {

namespace {

std::function<std::unique_ptr<QPrinter>()>& PrinterOverride() {
    static std::function<std::unique_ptr<QPrinter>()> make;
    return make;
}

// The progress window of a print job. It is not modal: while the job runs
// only its own painting is processed, never user input, so nothing else can
// start meanwhile; closing it by its close box stops the job.
class JobProgress {
  public:
    JobProgress(QWidget* parent, const QString& name)
        : dialog_(QStringLiteral("正在准备打印“%1”…").arg(name), QString(), 0, 1, parent) {
        dialog_.setObjectName(QStringLiteral("ReportProgress"));
        dialog_.setWindowTitle(QStringLiteral("打印"));
        dialog_.setCancelButton(nullptr);
        dialog_.setWindowModality(Qt::NonModal);
        dialog_.setMinimumDuration(0);
        dialog_.setAutoClose(false);
        dialog_.setAutoReset(false);
        dialog_.setMinimumWidth(320);
        dialog_.show();
        Pump();
    }

    void Start(int pages) {
        pages_ = pages;
        dialog_.setRange(0, pages);
        Show(0);
    }

    bool Show(int done) {
        dialog_.setValue(done);
        dialog_.setLabelText(QStringLiteral("正在打印第 %1 页，共 %2 页")
                                 .arg(std::min(done + 1, pages_))
                                 .arg(pages_));
        Pump();
        return !dialog_.wasCanceled();
    }

  private:
    static void Pump() { QApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }

    QProgressDialog dialog_;
    int pages_ = 0;
};

QString JobName(const ReportDefinition& definition) {
    return definition.name.isEmpty() ? QStringLiteral("报表") : definition.name;
}

using PageCounter = std::function<bool(int pagesDone)>;

// Lays out the report and has `draw` put its pages on a device while the
// progress window counts them; `draw` answers whether every page was drawn.
PrintResult RunJob(QWidget* parent, const ReportDefinition& definition, const ReportSource& source,
                   const std::function<bool(const ReportDocument&, const PageCounter&)>& draw) {
    JobProgress progress(parent, JobName(definition));
    const ReportDocument document = LayOutReport(definition, source);
    PrintResult result;
    result.pages = static_cast<int>(document.pages.size());
    progress.Start(result.pages);
    bool stopped = false;
    const bool done = draw(document, [&](int pagesDone) {
        stopped = !progress.Show(pagesDone);
        return !stopped;
    });
    if (!done) {
        result.status = stopped ? PrintResult::Stopped : PrintResult::Failed;
    }
    return result;
}

}  // namespace

std::unique_ptr<QPrinter> DefaultPrinter() {
    if (PrinterOverride()) {
        return PrinterOverride()();
    }
    const QList<QPrinterInfo> installed = QPrinterInfo::availablePrinters();
    if (installed.isEmpty()) {
        return nullptr;
    }
    QPrinterInfo chosen = QPrinterInfo::defaultPrinter();
    if (chosen.isNull()) {
        chosen = installed.front();
    }
    return std::make_unique<QPrinter>(chosen, QPrinter::HighResolution);
}

void SetDefaultPrinterForTesting(std::function<std::unique_ptr<QPrinter>()> make) {
    PrinterOverride() = std::move(make);
}

PrintResult PrintReport(QWidget* parent, const ReportDefinition& definition,
                        const ReportSource& source, QPagedPaintDevice& device) {
    if (auto* printer = dynamic_cast<QPrinter*>(&device)) {
        printer->setDocName(JobName(definition));
    }
    return RunJob(parent, definition, source,
                  [&device](const ReportDocument& document, const PageCounter& pageDone) {
                      return RenderDocument(document, device, pageDone);
                  });
}

PrintResult WriteReportPdf(QWidget* parent, const ReportDefinition& definition,
                           const ReportSource& source, const std::filesystem::path& path) {
    QByteArray pdf;
    const PrintResult result =
        RunJob(parent, definition, source,
               [&pdf, &definition](const ReportDocument& document, const PageCounter& pageDone) {
                   pdf = RenderPdf(document, JobName(definition), pageDone);
                   return !pdf.isEmpty();
               });
    if (result.status == PrintResult::Done) {
        platform::WriteFileAtomically(
            path, std::string_view(pdf.constData(), static_cast<std::size_t>(pdf.size())),
            platform::Links::Follow);
    }
    return result;
}

}  // namespace shenbao::report
