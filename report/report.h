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
// A report of several kinds of rows (a form: group headings, ruled rows of
// captions and values, a table with its own headings, a text box, a block of
// signatures) has a list of detail bands instead, and its client answers
// `nextRow` with the band of each row. Such a run may be cut into sections,
// one per form: each starts on a new page with its title, numbers its pages
// from 1 and knows their count (page N of M), and hands its values to the
// title and the page footer.
//
// A run is laid out into pages (ReportDocument), measured and wrapped at
// print resolution, all in millimetres; render.h draws those pages on any
// paint device. So the preview, the paper and a PDF paginate alike. The pages
// are handed on a section at a time (StreamReport), so that a run of
// thousands of forms never holds more than one form's pages.
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
    Text,  // a fixed caption: `text`
    Data,  // the value `data` of the current row (title, column header and
           // page footer: of the section's first row)
    // The page's number in decimal; with a `text`, that text with the number
    // for "%1" and the page count of the section for "%2" ("第%1页 共%2页").
    PageNumber,
    DateTime,  // the date and time the page is produced at (DateTimeText)
    Picture,   // `picture`, scaled to fill the field's box
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
    // Picture with a `data` index: the drawing is made from that value (a QR
    // code from its text) when the field is laid out.
    std::function<QPicture(const QString& value)> makePicture;

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
    // A thin rule all round the field's box (as it has grown).
    bool frame = false;
};

struct Band {
    double height = 0;  // millimetres, before any growth
    bool ruleTop = false;
    bool ruleBottom = false;
    // Vertical rules over the band's whole height (as it has grown), at these
    // distances from its left edge in millimetres: with the rules at top and
    // bottom they make the band a row of ruled cells. A row cut at a page's
    // foot is ruled off there and continues ruled on the next page.
    std::vector<double> columnRules;
    std::vector<Field> fields;

    // The following are for the detail bands of a report with `bands`.

    // A table heading. Heading rows in a row make the heading of the table
    // that the rows after them form, up to the next heading or a standalone
    // row. The heading is kept with the start of the table's first row (both
    // go to the next page together), and is printed again at the top of
    // every further page the table continues on.
    bool heading = false;
    // Ends the table before it: no heading is repeated above it.
    bool standalone = false;
    // When the row does not fit on the page, its growing fields are cut at
    // the page's foot and continue on the next page, instead of the whole
    // row moving there.
    bool breakable = false;
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
    // The detail bands of a client that answers `nextRow` (`detail` is then
    // not used).
    std::vector<Band> bands;
};

// A row of a report with several detail bands.
struct ReportRow {
    // The index of the row's band in ReportDefinition::bands; -1: the row
    // prints nothing (a row that only begins a section).
    int band = 0;
    // The row begins a section: the section before it ends (its pages are
    // numbered out of their count and handed on), a new page opens with the
    // title band, its pages are numbered from 1, and the Data fields of the
    // title, column header and page footer show this row's values until the
    // next section.
    bool newSection = false;
    // One empty text per data index on every call.
    std::vector<QString> values;
};

struct ReportSource {
    std::function<void()> beforeRun;
    // `values` holds one empty text per data index on every call.
    std::function<bool(std::vector<QString>& values)> needData;
    // Instead of `needData`, called the same way: fills the next row and
    // answers whether there is one.
    std::function<bool(ReportRow& row)> nextRow;
    // How many sections the run will have, when the client knows (progress
    // windows count them); 0: not known.
    int sections = 0;
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
    bool frame = false;  // ruled all round `box`
    std::vector<TextLine> lines;
    QPicture picture;  // drawn into `box` when not null

    // The lines joined without breaks (what the field shows).
    QString shownText() const;
};

struct PlacedBand {
    BandKind kind = BandKind::Detail;
    int row = -1;   // detail bands: the row of the run, from 0
    int piece = 0;  // a row cut at the page's foot continues as piece 1, 2...
    int band = -1;  // detail bands of a report with `bands`: the band's index
    // A table heading printed again on a page its table continues on.
    bool repeated = false;
    QRectF rect;  // millimetres on the sheet
    bool ruleTop = false;
    bool ruleBottom = false;
    std::vector<double> columnRules;  // millimetres from the sheet's left edge
    std::vector<PlacedField> fields;

    const PlacedField* field(const QString& name) const;
};

struct ReportPage {
    int number = 1;        // within its section
    int pageCount = 1;     // pages of its section
    int section = 0;       // from 0
    QDateTime producedAt;  // what its date-and-time fields show
    std::vector<PlacedBand> bands;
};

struct ReportDocument {
    PageSetup page;
    double ruleWidth = 0.2;
    QDateTime printedAt;   // when the run started
    int rowCount = 0;      // detail rows printed
    int sectionCount = 0;  // sections begun (a run without sections has one)
    int pageCount = 0;     // pages of the whole run
    std::vector<ReportPage> pages;
};

// The resolution text is measured and wrapped at, in dots per inch.
inline constexpr int kLayoutDpi = 1200;

// The clock a run reads: once at its start and once for every page, when
// the page is begun. Empty: the system's local time.
using Clock = std::function<QDateTime()>;

// Runs the report once: calls `beforeRun`, asks for rows until `needData`
// (or `nextRow`) answers false, and lays the rows out on pages. There is
// always at least one page (with title, header and footer) even when no row
// is printed.
ReportDocument LayOutReport(const ReportDefinition& definition, const ReportSource& source,
                            const Clock& clock = {});

// Receives the pages of a run, a section at a time: `section.pages` holds
// the section's pages only, numbered out of their count (the receiver may
// take them); the other members tell the run so far. Answering false stops
// the run.
using SectionSink = std::function<bool(ReportDocument& section)>;

// Runs the report as LayOutReport does but keeps no page: each section's
// pages go to `sink` once the section has ended (a run without sections is
// one section, handed on at its end). Returns the run's totals, without
// pages.
ReportDocument StreamReport(const ReportDefinition& definition, const ReportSource& source,
                            const SectionSink& sink, const Clock& clock = {});
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
