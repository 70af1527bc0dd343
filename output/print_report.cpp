#include "output/print_report.h"

#include <array>

#include "gui/fonts.h"

namespace shenbao {

namespace {

struct Column {
    const char16_t* caption;
    double headerLeft;
    double headerWidth;
    double detailLeft;
    double detailWidth;
};

// Millimetres from the band's left edge.
constexpr std::array<Column, 7> kColumns = {{
    {u"序号", 0.00, 7.67, 0.00, 7.67},
    {u"项目名称", 10.58, 109.27, 10.58, 109.27},
    {u"承担单位", 123.30, 60.59, 123.30, 60.59},
    {u"主管部门", 188.38, 24.61, 188.38, 24.61},
    {u"计划类别", 218.02, 21.43, 218.02, 21.43},
    {u"申请人", 245.00, 13.49, 245.53, 13.49},
    {u"省拨款", 262.47, 12.96, 262.47, 13.49},
}};

// The column whose detail field grows with its text: the organisation.
constexpr std::size_t kGrowingColumn = 3;

}  // namespace

QString PrintTitleField() {
    return QStringLiteral("Title");
}
QString PrintCaptionField(int column) {
    return QStringLiteral("Caption%1").arg(column);
}
QString PrintDetailField(int column) {
    return QStringLiteral("Detail%1").arg(column);
}
QString PrintPageNumberField() {
    return QStringLiteral("PageNumber");
}
QString PrintDateTimeField() {
    return QStringLiteral("PrintedAt");
}

report::PageSetup ListPage() {
    report::PageSetup page;
    page.paper = QPageSize::A4;
    page.orientation = QPageLayout::Landscape;
    page.margins = QMarginsF(10, 10, 10, 10);
    return page;
}

report::Band ListTitleBand(const QString& text) {
    report::Band title;
    title.height = 10.58;
    report::Field heading = FittedField(PrintTitleField(), text, 0, 2.12, 16);
    heading.centred = true;
    title.fields.push_back(heading);
    return title;
}

report::Band ListPageFooter() {
    report::Band footer;
    footer.height = 6.88;
    footer.ruleTop = true;
    footer.fields.push_back(FittedField(PrintPageNumberField(), QString(), 4.76, 1.59, 9));
    footer.fields.back().kind = report::FieldKind::PageNumber;
    footer.fields.push_back(FittedField(PrintDateTimeField(), QString(), 225.95, 1.06, 8));
    footer.fields.back().kind = report::FieldKind::DateTime;
    return footer;
}

report::Field TextField(const QString& name, const QString& text, double left, double top,
                        double width, double height, const QFont& font) {
    report::Field field;
    field.name = name;
    field.text = text;
    field.left = left;
    field.top = top;
    field.width = width;
    field.height = height;
    field.font = font;
    return field;
}

report::Field FittedField(const QString& name, const QString& text, double left, double top,
                          const QFont& font) {
    report::Field field = TextField(name, text, left, top, 0, 0, font);
    field.autoSize = true;
    return field;
}

report::Field FittedField(const QString& name, const QString& text, double left, double top,
                          int points) {
    return FittedField(name, text, left, top, SongPointFont(points));
}

report::Field CellTextField(const QString& name, const QString& text, double left, double width) {
    return TextField(name, text, left, 0.53, width, 4.50, SongPointFont(9));
}

report::Field DataField(report::Field field, int data) {
    field.kind = report::FieldKind::Data;
    field.data = data;
    return field;
}

report::ReportDefinition ListReport(const QString& name,
                                    const std::vector<PrintedColumn>& columns) {
    report::ReportDefinition definition;
    definition.name = name;
    definition.page = ListPage();
    definition.title = ListTitleBand(definition.name);

    report::Band header;
    header.height = 6.35;
    header.ruleTop = true;
    header.ruleBottom = true;
    report::Band detail;
    detail.height = 5.56;
    for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
        const PrintedColumn& column = columns[static_cast<std::size_t>(i)];
        header.fields.push_back(CellTextField(PrintCaptionField(i + 1), column.caption,
                                              column.headerLeft, column.headerWidth));
        report::Field data = DataField(CellTextField(PrintDetailField(i + 1), QString(),
                                                     column.detailLeft, column.detailWidth),
                                       i);
        data.grows = column.grows;
        detail.fields.push_back(data);
    }
    definition.columnHeader = header;
    definition.detail = detail;

    definition.pageFooter = ListPageFooter();
    return definition;
}

report::ReportDefinition ProjectListReport() {
    std::vector<PrintedColumn> columns;
    for (std::size_t i = 0; i < kColumns.size(); ++i) {
        const Column& column = kColumns[i];
        columns.push_back({QString::fromUtf16(column.caption), column.headerLeft,
                           column.headerWidth, column.detailLeft, column.detailWidth,
                           i + 1 == kGrowingColumn});
    }
    return ListReport(QStringLiteral("澄川省计划项目清单"), columns);
}

}  // namespace shenbao
