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
// installed. (QPrinter::isValid() cannot tell, it answers yes without any
// printer.)
std::unique_ptr<QPrinter> DefaultPrinter();

// Tests stand in for the installed printers: DefaultPrinter answers what
// `make` gives (nullptr: no printer installed). An empty function gives the
// system's answer back.
void SetDefaultPrinterForTesting(std::function<std::unique_ptr<QPrinter>()> make);

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
