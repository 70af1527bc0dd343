#pragma once

// The report engine: banded reports laid out on pages in millimetres.
//
// A report is a page setup and up to five bands: a title printed once at the
// top of the first page, a column header at the top of every page, a detail
// band printed once per data row, a summary printed once after the last
// row, and a page footer at the foot of every page, the last one included.
// Bands hold text fields (fixed captions, data from the current row, the
// page number, the date and time of the run) and pictures, and may carry
// thin rules along their top and bottom edges.
//
// A run asks its client for the rows: `beforeRun` once at the start, then
// `needData` once before the first detail row and once after every printed
// detail row. `needData` fills the row's values and answers true for "print
// a detail row now" or false for "the data has ended".
//
// A run is laid out once into a list of pages (ReportDocument), measured and
// wrapped at print resolution, all in millimetres; render.h draws those pages
// on any paint device. So the preview, the paper and a PDF paginate alike.
//
// Layout needs a QGuiApplication (for the fonts) but no widgets.

#include <QDateTime>
#include <QFont>
#include <QLocale>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPicture>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace shenbao::report {

// ---- Definition -----------------------------------------------------------------

struct PageSetup {
    QPageSize::PageSizeId paper = QPageSize::A4;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QMarginsF margins{10, 10, 10, 10};  // left, top, right, bottom

    // The sheet as it lies: width and height after orientation.
    QSizeF paperSize() const;
    // The area inside the margins, from the sheet's top-left corner.
    QRectF contentRect() const;
    // The sheet for a paint device: this paper and orientation, no margins of
    // the device's own (the report keeps its margins itself).
    QPageLayout deviceLayout() const;
};

enum class FieldKind {
    Text,        // a fixed caption: `text`
    Data,        // the value `data` of the current row
    PageNumber,  // the page's number in decimal
    DateTime,    // the date and time the page is produced at (DateTimeText)
    Picture,     // `picture`, scaled to fill the field's box
};

struct Field {
    QString name;  // for finding the field in the laid-out pages
    FieldKind kind = FieldKind::Text;
    QString text;   // Text: the caption
    int data = -1;  // Data: index into the row's values

    // Place and size in millimetres, from the band's left and top edges.
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;

    QFont font;  // sized in points
    // Picture: a drawing whose bounding rectangle is scaled onto the box.
    QPicture picture;

    // Sized to its text: one line, as wide and as high as the text (cut off
    // with "…" at the band's right edge); `width` and `height` are not used.
    bool autoSize = false;
    // With autoSize: centred horizontally on the band; `left` is not used.
    bool centred = false;
    // Grows downwards to hold all its wrapped lines, and the band with it.
    // A field that does not grow shows the lines that fit its height (always
    // the first), the last of them ending in "…" when text is left over.
    bool grows = false;
    // White, opaque background.
    bool opaque = true;
    // The text stands flush with the field's right edge (fields of one line
    // of a fixed size; others stay left-aligned).
    bool alignRight = false;
};

struct Band {
    double height = 0;  // millimetres, before any growth
    bool ruleTop = false;
    bool ruleBottom = false;
    std::vector<Field> fields;
};

struct ReportDefinition {
    QString name;  // the document's name: print job, PDF title, windows
    PageSetup page;
    std::optional<Band> title;
    std::optional<Band> columnHeader;
    std::optional<Band> detail;
    // Printed once after the last detail row, on a new page when it does
    // not fit on the last one; it neither grows nor is cut.
    std::optional<Band> summary;
    std::optional<Band> pageFooter;
    double ruleWidth = 0.2;  // millimetres
};

struct ReportSource {
    std::function<void()> beforeRun;
    // `values` holds one empty text per data index on every call.
    std::function<bool(std::vector<QString>& values)> needData;
};

// ---- The laid-out pages ---------------------------------------------------------

enum class BandKind { Title, ColumnHeader, Detail, Summary, PageFooter };

// One line of a field's text. `x` and `baseline` are millimetres from the
// field's box.
struct TextLine {
    QString text;
    double x = 0;
    double baseline = 0;
};

struct PlacedField {
    QString name;
    QRectF box;  // millimetres on the sheet
    QFont font;
    bool opaque = true;
    std::vector<TextLine> lines;
    QPicture picture;  // drawn into `box` when not null

    // The lines joined without breaks (what the field shows).
    QString shownText() const;
};

struct PlacedBand {
    BandKind kind = BandKind::Detail;
    int row = -1;   // detail bands: the row of the run, from 0
    int piece = 0;  // a row cut at the page's foot continues as piece 1, 2...
    QRectF rect;    // millimetres on the sheet
    bool ruleTop = false;
    bool ruleBottom = false;
    std::vector<PlacedField> fields;

    const PlacedField* field(const QString& name) const;
};

struct ReportPage {
    int number = 1;
    QDateTime producedAt;  // what its date-and-time fields show
    std::vector<PlacedBand> bands;
};

struct ReportDocument {
    PageSetup page;
    double ruleWidth = 0.2;
    QDateTime printedAt;  // when the run started
    int rowCount = 0;     // detail rows printed
    std::vector<ReportPage> pages;
};

// The resolution text is measured and wrapped at, in dots per inch.
inline constexpr int kLayoutDpi = 1200;

// The clock a run reads: once at its start and once for every page, when
// the page is begun. Empty: the system's local time.
using Clock = std::function<QDateTime()>;

// Runs the report once: calls `beforeRun`, asks for rows until `needData`
// answers false, and lays the rows out on pages. There is always at least
// one page (with title, header and footer) even when no row is printed.
ReportDocument LayOutReport(const ReportDefinition& definition, const ReportSource& source,
                            const Clock& clock = {});
// The same with every page produced at `printedAt`.
ReportDocument LayOutReport(const ReportDefinition& definition, const ReportSource& source,
                            const QDateTime& printedAt);

// The locale the date and time are written in: the user's, or Simplified
// Chinese when no language is set (the C or POSIX locale).
QLocale DateTimeLocale(const QLocale& user = QLocale::system());

// A page's date and time as a date-and-time field shows it: the locale's
// short date format, a blank and its long time format (without a time-zone
// name); only the date at exactly midnight.
QString DateTimeText(const QDateTime& moment, const QLocale& locale = DateTimeLocale());

}  // namespace shenbao::report
