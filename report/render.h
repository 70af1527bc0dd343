#pragma once

// Draws laid-out report pages on a paint device. Millimetres become device
// pixels by the device's own resolution; fonts keep their point sizes, so the
// painter is never scaled.

#include <QByteArray>
#include <QImage>
#include <functional>
#include <memory>

#include "report/report.h"

class QPainter;
class QPagedPaintDevice;

namespace shenbao::report {

// Draws page `index` of `document`. The painter's origin is the sheet's
// top-left corner; `dpiX` and `dpiY` are the device's resolution.
void DrawPage(QPainter& painter, const ReportDocument& document, int index, double dpiX,
              double dpiY);

// Draws pages on a device one after another, as a run hands them on, so
// that pages already drawn need not be kept.
class PageRenderer {
  public:
    explicit PageRenderer(QPagedPaintDevice& device);
    ~PageRenderer();  // ends the painting when End() was not called
    PageRenderer(const PageRenderer&) = delete;
    PageRenderer& operator=(const PageRenderer&) = delete;

    // Draws page `index` of `document` on the next sheet; the first call
    // gives the device the document's sheet and starts painting. False when
    // painting could not start or a new sheet could not be begun.
    bool Draw(const ReportDocument& document, int index);
    // Ends the painting (a document without pages gives one empty sheet).
    // False when the device failed.
    bool End(const PageSetup& page);
    // Abandons the job: a printer's job is aborted, nothing more is drawn.
    void Abort();
    int pagesDrawn() const { return pages_; }

  private:
    bool Begin(const PageSetup& page);

    QPagedPaintDevice& device_;
    std::unique_ptr<QPainter> painter_;
    int pages_ = 0;
    bool failed_ = false;
    double dpiX_ = 0;
    double dpiY_ = 0;
};

// Gives `device` (a printer, a PDF writer, the preview's printer) the
// document's sheet and draws every page on it. `pageDone`, when given, is
// called after each page with the number of pages drawn; answering false
// stops the drawing (a printer's job is then aborted). Returns false when
// painting could not start on the device or was stopped.
bool RenderDocument(const ReportDocument& document, QPagedPaintDevice& device,
                    const std::function<bool(int pagesDone)>& pageDone = {});

// Page `index` as an image of the whole sheet at `dpi`, on white.
QImage RenderPageImage(const ReportDocument& document, int index, int dpi);

// The document as the bytes of a PDF file titled `title`. `pageDone` is
// called as by RenderDocument; the bytes are empty when the drawing was
// stopped or could not start.
QByteArray RenderPdf(const ReportDocument& document, const QString& title = QString(),
                     const std::function<bool(int pagesDone)>& pageDone = {});

}  // namespace shenbao::report
