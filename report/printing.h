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
class QWidget;

namespace shenbao::report {

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
// while a progress window over `parent` counts the pages. Closing the
// progress window stops the job.
PrintResult PrintReport(QWidget* parent, const ReportDefinition& definition,
                        const ReportSource& source, QPagedPaintDevice& device);

// Runs the report into the PDF file `path`, replacing it whole, with the
// same progress window. When the job does not end as Done the file is left
// as it was. Throws IoError when the file cannot be written.
PrintResult WriteReportPdf(QWidget* parent, const ReportDefinition& definition,
                           const ReportSource& source, const std::filesystem::path& path);

}  // namespace shenbao::report
