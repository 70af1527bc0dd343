#include "output/summary_report.h"

#include <algorithm>
#include <array>
#include <memory>

#include "gui/text.h"
#include "output/print_report.h"
#include "output/summary_chart.h"

namespace shenbao {

namespace {

// Millimetres: the band is 277 wide (landscape A4 less 10 on each side).
constexpr double kBandWidth = 277;
constexpr double kGap = 0.6;
constexpr std::array<double, kSummaryColumnCount> kWidths = {52, 14, 24, 24, 24,
                                                             24, 24, 24, 24, 30};
// The note, left-aligned, keeps its distance from the right-aligned sums.
constexpr double kNoteLead = 4;

constexpr double kRowHeight = 5.56;
constexpr double kHeaderHeight = 6.35;
constexpr double kChartGap = 3;

double ColumnLeft(int column) {
    double left = 0;
    for (int c = 0; c < column; ++c) {
        left += kWidths[static_cast<std::size_t>(c)] + kGap;
    }
    return column == kSummaryNoteColumn ? left + kNoteLead : left;
}

bool IsNumberColumn(int column) {
    return column != kSummaryGroupColumn && column != kSummaryNoteColumn;
}

report::Field CellField(const QString& name, int column, const QString& text) {
    report::Field field =
        CellTextField(name, text, ColumnLeft(column), kWidths[static_cast<std::size_t>(column)]);
    field.alignRight = IsNumberColumn(column);
    return field;
}

// One text field per column, showing `cells`, named by `name`.
void AddCells(report::Band& band, QString (*name)(int), const SummaryCells& cells) {
    for (int c = 0; c < kSummaryColumnCount; ++c) {
        band.fields.push_back(CellField(name(c), c, FromGbk(cells[static_cast<std::size_t>(c)])));
    }
}

// Tall enough for a readable bar per group, within one page.
double ChartHeight(std::size_t groups) {
    return std::clamp(24.0 + 6.0 * static_cast<double>(groups), 60.0, 150.0);
}

}  // namespace

QString SummaryTitleField() {
    return PrintTitleField();
}
QString SummaryCaptionField(int column) {
    return PrintCaptionField(column);
}
QString SummaryDetailField(int column) {
    return PrintDetailField(column);
}
QString SummaryTotalField(int column) {
    return QStringLiteral("Total%1").arg(column);
}
QString SummaryChartField() {
    return QStringLiteral("Chart");
}

QString SummaryReportTitle(int grouping) {
    return QStringLiteral("澄川省计划项目汇总表（按%1）").arg(FromGbk(GroupingName(grouping)));
}

report::ReportDefinition SummaryReport(const SummaryTable& table, int chartColumn) {
    report::ReportDefinition definition;
    definition.name = SummaryReportTitle(table.grouping);
    definition.page = ListPage();

    report::Band title = ListTitleBand(definition.name);
    title.fields.push_back(FittedField(QStringLiteral("Unit"), QStringLiteral("金额单位：万元"),
                                       kBandWidth - 25, 5.5, 9));
    definition.title = title;

    report::Band header;
    header.height = kHeaderHeight;
    header.ruleTop = true;
    header.ruleBottom = true;
    report::Band detail;
    detail.height = kRowHeight;
    AddCells(header, SummaryCaptionField, SummaryHeader(table.grouping));
    for (int c = 0; c < kSummaryColumnCount; ++c) {
        report::Field data = DataField(CellField(SummaryDetailField(c), c, QString()), c);
        // A long group value wraps and makes its row taller; nothing is cut.
        data.grows = c == kSummaryGroupColumn;
        detail.fields.push_back(data);
    }
    definition.columnHeader = header;
    definition.detail = detail;

    // The total row, ruled off from the groups, and the chart under it.
    report::Band summary;
    summary.ruleTop = true;
    AddCells(summary, SummaryTotalField, SummaryRowCells(table.total));
    report::Field chart;
    chart.name = SummaryChartField();
    chart.kind = report::FieldKind::Picture;
    chart.top = kHeaderHeight + kChartGap;
    chart.width = kBandWidth;
    chart.height = ChartHeight(table.rows.size());
    chart.picture = SummaryChartPicture(table, chartColumn, QSizeF(chart.width, chart.height));
    summary.fields.push_back(chart);
    summary.height = chart.top + chart.height;
    definition.summary = summary;

    definition.pageFooter = ListPageFooter();
    return definition;
}

report::ReportSource SummarySource(const SummaryTable& table) {
    struct Run {
        SummaryTable table;
        std::size_t cursor = 0;
    };
    auto run = std::make_shared<Run>(Run{table, 0});
    report::ReportSource source;
    source.beforeRun = [run] { run->cursor = 0; };
    source.needData = [run](std::vector<QString>& values) {
        if (run->cursor >= run->table.rows.size()) {
            return false;
        }
        const SummaryCells cells = SummaryRowCells(run->table.rows[run->cursor++]);
        for (std::size_t i = 0; i < cells.size() && i < values.size(); ++i) {
            values[i] = FromGbk(cells[i]);
        }
        return true;
    };
    return source;
}

}  // namespace shenbao
