#pragma once

// The layout of the printed project list: landscape A4, a title on the first
// page, seven column captions on every page, one line per project (only the
// undertaking organisation wraps onto further lines), and a footer with the
// page number and the date and time of printing.

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
// A text of one line in 宋体 at `points`, sized to the text, at `left` and
// `top` of its band (millimetres).
report::Field FittedField(const QString& name, const QString& text, double left, double top,
                          int points);
// A cell of the list's rows and captions: `text` in 宋体 at 9 points, at
// `left` and `width` (millimetres), one line high.
report::Field CellTextField(const QString& name, const QString& text, double left, double width);

}  // namespace shenbao
