#include "output/summary_chart.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QHorizontalBarSeries>
#include <QPainter>
#include <QSet>
#include <QValueAxis>
#include <algorithm>

#include "gui/fonts.h"
#include "gui/text.h"

namespace shenbao {

namespace {

constexpr double kMmPerInch = 25.4;
// The resolution the printed chart is laid out at: that of the screen the
// program was drawn for, so that its fonts keep their proportions.
constexpr double kPictureDpi = 96;

// Labels of the rows, each different: two group values may show alike
// (bytes that form no character), and the axis keeps one of equal names.
QStringList RowLabels(const SummaryTable& table) {
    QStringList labels;
    QSet<QString> used;
    for (const SummaryRow& row : table.rows) {
        QString label = FromGbk(SummaryRowCells(row)[kSummaryGroupColumn]);
        while (used.contains(label)) {
            label += QLatin1Char(' ');
        }
        used.insert(label);
        labels << label;
    }
    return labels;
}

}  // namespace

QString SummaryChartTitle(int column) {
    const QString name = FromGbk(SummaryHeader(0).at(static_cast<std::size_t>(column)));
    return column == kSummaryCountColumn ? name + QStringLiteral("（个）")
                                         : name + QStringLiteral("（万元）");
}

QChart* NewSummaryChart(const SummaryTable& table, int column) {
    auto* chart = new QChart();
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setTheme(QChart::ChartThemeLight);
    chart->setBackgroundRoundness(0);
    chart->setMargins(QMargins(4, 4, 12, 4));
    chart->legend()->hide();
    chart->setTitle(SummaryChartTitle(column));
    chart->setTitleFont(SongPointFont(10, true));

    auto* set = new QBarSet(SummaryChartTitle(column));
    // A light blue on which the black value stays legible also where Qt
    // Charts has to put it inside the bar (no room beyond its end).
    set->setColor(kBarColour);
    set->setBorderColor(kBarColour.darker(130));
    set->setLabelColor(Qt::black);
    set->setLabelFont(SongPointFont(8));
    double low = 0;
    double high = 0;
    // Horizontal bars stand from the bottom up: the rows go in backwards so
    // that the first row of the table is the top bar.
    for (auto row = table.rows.rbegin(); row != table.rows.rend(); ++row) {
        const double value = AmountToDouble(SummaryValue(*row, column));
        set->append(value);
        low = std::min(low, value);
        high = std::max(high, value);
    }
    auto* series = new QHorizontalBarSeries();
    series->append(set);
    series->setBarWidth(0.6);
    series->setLabelsVisible(true);
    series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    series->setLabelsFormat(QStringLiteral("@value"));
    // Values have at most four decimals: enough digits to show them whole.
    series->setLabelsPrecision(15);
    chart->addSeries(series);

    auto* groups = new QBarCategoryAxis();
    QStringList labels = RowLabels(table);
    std::reverse(labels.begin(), labels.end());
    groups->append(labels);
    groups->setLabelsFont(SongPointFont(9));
    groups->setGridLineVisible(false);
    chart->addAxis(groups, Qt::AlignLeft);
    series->attachAxis(groups);

    auto* values = new QValueAxis();
    // Room beyond the longest bar for its label, also in a narrow chart.
    const double margin = std::max(high - low, 1.0) * 0.3;
    if (low == 0 && high == 0) {
        values->setRange(0, 1);  // nothing to show: a plain scale, not tenths
    } else {
        values->setRange(low < 0 ? low - margin : 0, high > 0 || low == 0 ? high + margin : 0);
        values->applyNiceNumbers();
    }
    values->setLabelFormat(QStringLiteral("%.10g"));
    values->setLabelsFont(SongPointFont(8));
    chart->addAxis(values, Qt::AlignBottom);
    series->attachAxis(values);
    return chart;
}

int SummaryChartMinimumHeight(std::size_t rows) {
    // Title and value axis, then 26 pixels per group: the axis keeps a
    // label only where its share of the height holds it with room to spare.
    return 80 + 26 * static_cast<int>(rows);
}

QPicture SummaryChartPicture(const SummaryTable& table, int column, const QSizeF& sizeMm) {
    QRectF area(0, 0, sizeMm.width() / kMmPerInch * kPictureDpi,
                sizeMm.height() / kMmPerInch * kPictureDpi);
    const double needed = SummaryChartMinimumHeight(table.rows.size());
    if (area.height() < needed) {
        area.setSize(area.size() * (needed / area.height()));
    }
    QGraphicsScene scene;
    QChart* chart = NewSummaryChart(table, column);
    scene.addItem(chart);  // the scene owns it from now on
    chart->setBackgroundVisible(false);
    chart->setGeometry(area);
    chart->layout()->activate();

    QPicture picture;
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        scene.render(&painter, area, area);
    }
    picture.setBoundingRect(area.toAlignedRect());
    return picture;
}

}  // namespace shenbao
