#pragma once

// Printing a report: to the default printer with a progress window, or into
// a PDF file when there is no printer to print on.

#include <QString>
#include <filesystem>
#include <functional>
#include <memory>

#include "report/report.h"

class QPagedPaintDevice;
class QPrinter;
class QProgressDialog;
class QWidget;

namespace shenbao::report {

// The progress window of a run that counts its sections (forms; see
// ReportSource::sections): "正在处理第 k 份，共 n 份" with a cancel button.
// It shows itself only once the run takes longer than a moment, and while
// it is up it is modal, so that nothing else can start meanwhile.
class SectionProgress {
  public:
    SectionProgress(QWidget* parent, const QString& title, int sections);
    ~SectionProgress();
    SectionProgress(const SectionProgress&) = delete;
    SectionProgress& operator=(const SectionProgress&) = delete;

    // Section `done` (from 1) is finished; false once the user has cancelled.
    bool Show(int done);

  private:
    std::unique_ptr<QProgressDialog> dialog_;
    int sections_ = 0;
};

// The printer a report goes to: the system's default printer, or the first
// installed one when none is marked as default; nothing when no printer is
// installed or none can be reached. (QPrinter::isValid() cannot tell, it
// answers yes without any printer.)
std::unique_ptr<QPrinter> DefaultPrinter();

// Whether the printing system answers. Without a printer, that tells "no
// printer installed" from "the print service (CUPS) is not running": the list
// of printers is empty either way.
enum class PrintService {
    Answers,  // the CUPS server takes a connection
    Silent,   // it does not: not running, or not reachable
    Unknown,  // no CUPS library to ask with
};

// Asks the CUPS server that the CUPS library would use (CUPS_SERVER,
// client.conf, the local socket, localhost) for a connection, waiting at
// most two seconds.
PrintService PrintServiceState();

// Tests stand in for the printing system: DefaultPrinter answers what `make`
// gives (nullptr: no printer installed) and PrintServiceState `service`. An
// empty function gives the system's answers back.
void SetDefaultPrinterForTesting(std::function<std::unique_ptr<QPrinter>()> make,
                                 PrintService service = PrintService::Answers);

struct PrintResult {
    enum Status {
        Done,     // every page went to the device
        Stopped,  // the user closed the progress window
        Failed,   // the device could not be painted on
    };
    Status status = Done;
    int pages = 0;  // pages of the run
};

// Runs the report and draws its pages on `device` (a printer, a PDF writer)
// as they are laid out, while a progress window over `parent` counts the
// pages (closing it stops the job), or the sections of a run that counts
// them (SectionProgress; cancelling stops the job). A failure of the report's
// client (an IoError of its reading) aborts the job and is thrown on.
PrintResult PrintReport(QWidget* parent, const ReportDefinition& definition,
                        const ReportSource& source, QPagedPaintDevice& device);

// Runs the report into the PDF file `path`, replacing it whole, with the
// same progress window. The pages go to a temporary file beside it as they
// are drawn (a PDF of thousands of pages is never held in memory), which is
// flushed to disk and renamed over `path` once the job is Done; otherwise
// it is removed and the file is left as it was. Throws IoError when the file
// cannot be written.
PrintResult WriteReportPdf(QWidget* parent, const ReportDefinition& definition,
                           const ReportSource& source, const std::filesystem::path& path);

}  // namespace shenbao::report
