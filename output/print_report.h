#pragma once

// The layout of the printed project list: landscape A4, a title on the first
// page, seven column captions on every page, one line per project (only the
// undertaking organisation wraps onto further lines), and a footer with the
// page number and the date and time of printing.

#include <vector>

#include "report/report.h"

namespace shenbao {

// Names of the report's fields, for finding them in the laid-out pages.
// Captions and detail fields are numbered by printed column, 1..7.
QString PrintTitleField();
QString PrintCaptionField(int column);
QString PrintDetailField(int column);
QString PrintPageNumberField();
QString PrintDateTimeField();

// The report of the printed project list. Detail field n shows value n - 1
// of the row (feed field n).
report::ReportDefinition ProjectListReport();

// What the program's other printouts take over from the list, so that all
// look alike: the page (landscape A4, 10 mm margins), the title band with
// `text` (field PrintTitleField()), and the page footer with the page number
// and the moment the page is produced.
report::PageSetup ListPage();
report::Band ListTitleBand(const QString& text);
report::Band ListPageFooter();
// A text in `font` in the box at `left`, `top` of its band, `width` wide and
// `height` high (millimetres).
report::Field TextField(const QString& name, const QString& text, double left, double top,
                        double width, double height, const QFont& font);
// A text of one line in `font`, sized to the text, at `left` and `top` of its
// band (millimetres).
report::Field FittedField(const QString& name, const QString& text, double left, double top,
                          const QFont& font);
// The same in 宋体 at `points`.
report::Field FittedField(const QString& name, const QString& text, double left, double top,
                          int points);
// `field` made to show value `data` of its row instead of a text of its own.
report::Field DataField(report::Field field, int data);
// A cell of the list's rows and captions: `text` in 宋体 at 9 points, at
// `left` and `width` (millimetres), one line high.
report::Field CellTextField(const QString& name, const QString& text, double left, double width);

// A column of a list printout: its caption, and where the caption and the
// row's value stand in their bands (millimetres from the left edge). A value
// that `grows` wraps onto further lines and makes its row taller; the others
// keep to one line.
struct PrintedColumn {
    QString caption;
    double headerLeft = 0;
    double headerWidth = 0;
    double detailLeft = 0;
    double detailWidth = 0;
    bool grows = false;
};

// A list printout called `name` as the project list is laid out: its page,
// title band and page footer, a ruled band of the column captions on every
// page and a detail band of one line per row. Column n (1..) has the caption
// field PrintCaptionField(n) and the detail field PrintDetailField(n), which
// shows value n - 1 of the row.
report::ReportDefinition ListReport(const QString& name, const std::vector<PrintedColumn>& columns);

}  // namespace shenbao
