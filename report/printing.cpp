#include "report/printing.h"


#include <QApplication>
#include <QFile>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <cerrno>
#include <optional>

#include "platform/io_error.h"
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

// Lays out the report and draws its pages on `device` as they come, a
// section at a time, while a progress window counts them.
PrintResult RunJob(QWidget* parent, const ReportDefinition& definition, const ReportSource& source,
                   QPagedPaintDevice& device) {
    std::optional<JobProgress> pages;
    std::optional<SectionProgress> sections;
    if (source.sections > 0) {
        sections.emplace(parent, QStringLiteral("打印“%1”").arg(JobName(definition)),
                         source.sections);
    } else {
        pages.emplace(parent, JobName(definition));
    }
    PageRenderer renderer(device);
    PrintResult result;
    bool stopped = false;
    bool failed = false;
    try {
        const ReportDocument run =
            StreamReport(definition, source, [&](const ReportDocument& section) {
                const int count = static_cast<int>(section.pages.size());
                if (pages) {
                    pages->Start(count);
                }
                for (int i = 0; i < count; ++i) {
                    if (!renderer.Draw(section, i)) {
                        failed = true;
                        return false;
                    }
                    if (pages && !pages->Show(i + 1)) {
                        stopped = true;
                        return false;
                    }
                }
                if (sections && !sections->Show(section.sectionCount)) {
                    stopped = true;
                    return false;
                }
                return true;
            });
        result.pages = run.pageCount;
    } catch (...) {
        renderer.Abort();
        throw;
    }
    if (stopped || failed) {
        renderer.Abort();
        result.status = stopped ? PrintResult::Stopped : PrintResult::Failed;
    } else if (!renderer.End(definition.page)) {
        result.status = PrintResult::Failed;
    }
    return result;
}

}  // namespace

SectionProgress::SectionProgress(QWidget* parent, const QString& title, int sections)
    : dialog_(std::make_unique<QProgressDialog>(QString(), QStringLiteral("取消"), 0, sections,
                                                parent)),
      sections_(sections) {
    dialog_->setObjectName(QStringLiteral("SectionProgress"));
    dialog_->setWindowTitle(title);
    dialog_->setWindowModality(Qt::ApplicationModal);
    dialog_->setMinimumDuration(500);
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    dialog_->setMinimumWidth(320);
    dialog_->setLabelText(QStringLiteral("正在处理第 1 份，共 %1 份").arg(sections));
    dialog_->setValue(0);
}

SectionProgress::~SectionProgress() = default;

bool SectionProgress::Show(int done) {
    dialog_->setLabelText(QStringLiteral("正在处理第 %1 份，共 %2 份")
                              .arg(std::min(done + 1, sections_))
                              .arg(sections_));
    // Lets the window appear (once the run has taken long enough) and take
    // the click on its button; its modality keeps every other window still.
    dialog_->setValue(std::min(done, sections_));
    QApplication::processEvents();
    return !dialog_->wasCanceled();
}

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
    return RunJob(parent, definition, source, device);
}

PrintResult WriteReportPdf(QWidget* parent, const ReportDefinition& definition,
                           const ReportSource& source, const std::filesystem::path& path) {
    if (platform::EntryKindOf(path) == platform::EntryKind::Directory) {
        IoError::ThrowCode(path, EISDIR);
    }
    // The pages go to a temporary file as they are drawn; it takes the
    // file's name only once whole.
    platform::StreamedFile target(path, platform::Links::Follow);
    QFile file;
    if (!file.open(target.descriptor(), QIODevice::WriteOnly, QFileDevice::DontCloseHandle)) {
        throw IoError(path, EIO, "不能写入PDF文件");
    }
    PrintResult result;
    {
        QPdfWriter writer(&file);
        writer.setResolution(kLayoutDpi);
        writer.setTitle(JobName(definition));
        writer.setCreator(QStringLiteral("澄川省科技计划项目申报系统"));
        result = RunJob(parent, definition, source, writer);
    }
    if (result.status == PrintResult::Done) {
        if (!file.flush() || file.error() != QFileDevice::NoError) {
            throw IoError(path, ENOSPC, ReasonText(ENOSPC));
        }
        file.close();
        target.Commit();
    }
    return result;
}

}  // namespace shenbao::report
