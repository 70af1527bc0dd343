#include "report/printing.h"

#include <QApplication>
#include <QBuffer>
#include <QPdfWriter>
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
    JobProgress progress(parent, JobName(definition));
    if (auto* printer = dynamic_cast<QPrinter*>(&device)) {
        printer->setDocName(JobName(definition));
    }
    const ReportDocument document = LayOutReport(definition, source);
    PrintResult result;
    result.pages = static_cast<int>(document.pages.size());
    progress.Start(result.pages);
    bool stopped = false;
    const bool done = RenderDocument(document, device, [&](int pagesDone) {
        stopped = !progress.Show(pagesDone);
        return !stopped;
    });
    if (!done) {
        result.status = stopped ? PrintResult::Stopped : PrintResult::Failed;
    }
    return result;
}

PrintResult WriteReportPdf(QWidget* parent, const ReportDefinition& definition,
                           const ReportSource& source, const std::filesystem::path& path) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    PrintResult result;
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(kLayoutDpi);
        writer.setTitle(JobName(definition));
        writer.setCreator(QStringLiteral("澄川省科技计划项目申报系统"));
        result = PrintReport(parent, definition, source, writer);
    }
    if (result.status == PrintResult::Done) {
        platform::ReplaceFile(path, std::string_view(buffer.data().constData(),
                                                     static_cast<std::size_t>(buffer.size())));
    }
    return result;
}

}  // namespace shenbao::report
