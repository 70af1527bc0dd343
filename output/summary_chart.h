#pragma once

// The bar chart of the summary: one column of the table (项目数 or a sum)
// by group, on screen beside the table and on paper under it.

#include <QColor>
#include <QPicture>
#include <QSizeF>
#include <QString>

#include "core/summary.h"

class QChart;

namespace shenbao {

// The colour of the bars.
inline const QColor kBarColour(100, 149, 237);

// The chart's title for `column` (1..8): "申请经费（万元）", "项目数（个）".
QString SummaryChartTitle(int column);

// A new chart (the caller owns it) of `column` (1..8) of `table`: one
// horizontal bar per row, the first row at the top, the total row left out,
// each bar labelled with its value.
QChart* NewSummaryChart(const SummaryTable& table, int column);

// The height on the screen at which every bar of `rows` keeps a readable
// label, in pixels.
int SummaryChartMinimumHeight(std::size_t rows);

// The same chart drawn at `sizeMm` (millimetres), for printing. With many
// groups it is drawn as tall as on the screen and scaled down into the
// box, so that each bar keeps its label, in smaller print.
QPicture SummaryChartPicture(const SummaryTable& table, int column, const QSizeF& sizeMm);

}  // namespace shenbao
