#pragma once

// The printed summary: landscape A4, the title "澄川省计划项目汇总表（按…）"
// on the first page, the column captions on every page, one line per group,
// then the total row and the chart, and the printed list's page footer.

#include <QString>

#include "core/summary.h"
#include "report/report.h"

namespace shenbao {

// Names of the report's fields, for finding them in the laid-out pages.
// Columns are numbered 0..9 as in the table.
QString SummaryTitleField();
QString SummaryCaptionField(int column);
QString SummaryDetailField(int column);
QString SummaryTotalField(int column);
QString SummaryChartField();

// "澄川省计划项目汇总表（按计划类别）".
QString SummaryReportTitle(int grouping);

// The report of `table` with the chart of `chartColumn` (1..8) under it.
// Detail field n shows value n of the row (column n of the table).
report::ReportDefinition SummaryReport(const SummaryTable& table, int chartColumn);

// The rows of `table` (a copy is kept), in its order, one per request.
report::ReportSource SummarySource(const SummaryTable& table);

}  // namespace shenbao
