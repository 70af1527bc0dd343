#include "report/printing.h"

#include <dlfcn.h>
#include <sys/socket.h>

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

PrintService& ServiceOverride() {
    static PrintService service = PrintService::Answers;
    return service;
}

// The few calls of the CUPS library that ask whether its server answers,
// taken from the library that Qt's printing already loads; the program is
// not linked with it, so it runs (and says "unknown") where it is missing.
class CupsLibrary {
  public:
    static const CupsLibrary& Get() {
        static const CupsLibrary library;
        return library;
    }

    bool loaded() const { return connect_ != nullptr; }

    // Whether the server takes a connection within `timeoutMs`.
    bool ServerAnswers(int timeoutMs) const {
        // Defaults read again: the environment or client.conf may have
        // changed since the library last read them.
        setServer_(nullptr);
        const char* server = server_();
        if (server == nullptr || *server == '\0') {
            return false;
        }
        void* connection = connect_(server, port_(), nullptr, AF_UNSPEC, encryption_(), 1,
                                    timeoutMs, nullptr);
        if (connection == nullptr) {
            return false;
        }
        close_(connection);
        return true;
    }

  private:
    CupsLibrary() {
        handle_ = ::dlopen("libcups.so.2", RTLD_LAZY | RTLD_LOCAL);
        if (handle_ == nullptr) {
            return;
        }
        const auto symbol = [this](const char* name) { return ::dlsym(handle_, name); };
        setServer_ = reinterpret_cast<SetServer>(symbol("cupsSetServer"));
        server_ = reinterpret_cast<Server>(symbol("cupsServer"));
        port_ = reinterpret_cast<Port>(symbol("ippPort"));
        encryption_ = reinterpret_cast<Encryption>(symbol("cupsEncryption"));
        close_ = reinterpret_cast<Close>(symbol("httpClose"));
        auto connect = reinterpret_cast<Connect>(symbol("httpConnect2"));
        if (setServer_ != nullptr && server_ != nullptr && port_ != nullptr &&
            encryption_ != nullptr && close_ != nullptr) {
            connect_ = connect;
        }
    }

    // The library stays loaded for the life of the process, as Qt's does.
    using SetServer = void (*)(const char*);
    using Server = const char* (*)();
    using Port = int (*)();
    using Encryption = int (*)();
    // httpConnect2(host, port, addrlist, family, encryption, blocking, msec, cancel)
    using Connect = void* (*)(const char*, int, void*, int, int, int, int, int*);
    using Close = void (*)(void*);

    void* handle_ = nullptr;
    SetServer setServer_ = nullptr;
    Server server_ = nullptr;
    Port port_ = nullptr;
    Encryption encryption_ = nullptr;
    Connect connect_ = nullptr;
    Close close_ = nullptr;
};

constexpr int kPrintServiceTimeoutMs = 2000;

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

PrintService PrintServiceState() {
    if (PrinterOverride()) {
        return ServiceOverride();
    }
    const CupsLibrary& cups = CupsLibrary::Get();
    if (!cups.loaded()) {
        return PrintService::Unknown;
    }
    return cups.ServerAnswers(kPrintServiceTimeoutMs) ? PrintService::Answers
                                                      : PrintService::Silent;
}

void SetDefaultPrinterForTesting(std::function<std::unique_ptr<QPrinter>()> make,
                                 PrintService service) {
    PrinterOverride() = std::move(make);
    ServiceOverride() = service;
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
