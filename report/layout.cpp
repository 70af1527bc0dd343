// Lays a run of a report out on pages. Text is measured and wrapped at
// kLayoutDpi on an image of that resolution, and everything is kept in
// millimetres, so every device draws the same lines at the same places.

#include <QFontMetricsF>
#include <QImage>
#include <QTextLayout>
#include <QTextOption>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>
#include <optional>

#include "report/report.h"

namespace shenbao::report {

namespace {

constexpr double kMmPerInch = 25.4;
// Lengths closer than this count as equal (rounding of millimetre sums).
constexpr double kEpsilon = 1e-6;

double PxToMm(double px) {
    return px * kMmPerInch / kLayoutDpi;
}
double MmToPx(double mm) {
    return mm * kLayoutDpi / kMmPerInch;
}

// A line of a field with its extent, millimetres from the field's box top.
struct LaidLine {
    TextLine line;
    qsizetype start = 0;  // where the line begins in the field's text
    double top = 0;
    double bottom = 0;
};

struct LaidField {
    const Field* field = nullptr;
    QRectF box;  // millimetres from the band's top-left corner
    std::vector<LaidLine> lines;
    // A picture made from the row's value (a QPicture is costly to make, so
    // fields without one keep none).
    std::optional<QPicture> picture;
};

struct LaidBand {
    BandKind kind = BandKind::Detail;
    const Band* band = nullptr;
    int index = -1;  // in ReportDefinition::bands
    double height = 0;
    bool ruleTop = false;
    bool ruleBottom = false;
    int piece = 0;
    std::vector<LaidField> fields;
};

// The font of a field at the layout resolution, with its metrics.
struct MeasuredFont {
    QFont font;
    QFontMetricsF metrics;
};

QString DisplayText(QString text) {
    text.replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    text.replace(QLatin1Char('\r'), QChar::LineSeparator);
    return text;
}

// Removes the time-zone name ("t" outside quotes) and the blank beside it
// from a time format.
QString WithoutTimeZone(const QString& format) {
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
            out.append(c);
            continue;
        }
        if (quoted || c != QLatin1Char('t')) {
            out.append(c);
            continue;
        }
        while (i + 1 < format.size() && format.at(i + 1) == QLatin1Char('t')) {
            ++i;
        }
        if (i + 1 < format.size() && format.at(i + 1) == QLatin1Char(' ')) {
            ++i;
        } else if (out.endsWith(QLatin1Char(' '))) {
            out.chop(1);
        }
    }
    return out.trimmed();
}

class Layouter {
  public:
    explicit Layouter(const ReportDefinition& definition) : device_(1, 1, QImage::Format_RGB32) {
        const int dotsPerMeter = qRound(kLayoutDpi / (kMmPerInch / 1000.0));
        device_.setDotsPerMeterX(dotsPerMeter);
        device_.setDotsPerMeterY(dotsPerMeter);
        bandWidth_ = definition.page.contentRect().width();
    }

    // The moment the date-and-time fields show from now on.
    void SetPageTime(const QDateTime& moment) { dateTime_ = DateTimeText(moment); }

    LaidBand LayOutBand(BandKind kind, const Band& band, const std::vector<QString>& values,
                        int pageNumber, int pageCount = 0) {
        LaidBand out;
        out.kind = kind;
        out.band = &band;
        out.height = band.height;
        out.ruleTop = band.ruleTop;
        out.ruleBottom = band.ruleBottom;
        out.fields.reserve(band.fields.size());
        for (const Field& field : band.fields) {
            LaidField laid = LayOutField(field, FieldText(field, values, pageNumber, pageCount));
            if (field.grows) {
                out.height = std::max(out.height, band.height + laid.box.height() - field.height);
            }
            out.fields.push_back(std::move(laid));
        }
        return out;
    }

  private:
    QString FieldText(const Field& field, const std::vector<QString>& values, int pageNumber,
                      int pageCount) const {
        const auto value = [&]() -> QString {
            if (field.data >= 0 && static_cast<std::size_t>(field.data) < values.size()) {
                return values[static_cast<std::size_t>(field.data)];
            }
            return QString();
        };
        switch (field.kind) {
            case FieldKind::Text:
                return field.text;
            case FieldKind::Data:
            case FieldKind::Picture:
                return value();
            case FieldKind::PageNumber:
                if (field.text.isEmpty()) {
                    return QString::number(pageNumber);
                }
                return field.text.arg(QString::number(pageNumber), QString::number(pageCount));
            case FieldKind::DateTime:
                return dateTime_;
        }
        return QString();
    }

    const MeasuredFont& Font(const QFont& font) {
        for (const auto& known : fonts_) {
            if (known->font == font) {
                return *known;
            }
        }
        const QFont atLayout(font, &device_);
        fonts_.push_back(
            std::make_unique<MeasuredFont>(MeasuredFont{font, QFontMetricsF(atLayout, &device_)}));
        return *fonts_.back();
    }

    LaidLine SingleLine(const QString& text, const QFontMetricsF& metrics) const {
        LaidLine line;
        line.line.text = text;
        line.line.baseline = PxToMm(metrics.ascent());
        line.top = 0;
        line.bottom = PxToMm(metrics.height());
        return line;
    }

    std::vector<LaidLine> Wrap(const QString& text, const Field& field, const MeasuredFont& font,
                               double widthPx) const {
        std::vector<LaidLine> lines;
        if (text.isEmpty()) {
            return lines;
        }
        if (!text.contains(QChar::LineSeparator) &&
            font.metrics.horizontalAdvance(text) <= widthPx) {
            lines.push_back(SingleLine(text, font.metrics));
            return lines;
        }
        QTextLayout layout(text, field.font, &device_);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.setCacheEnabled(false);
        layout.beginLayout();
        double y = 0;
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(widthPx);
            line.setPosition(QPointF(0, y));
            LaidLine laid;
            QString piece = text.mid(line.textStart(), line.textLength());
            if (piece.endsWith(QChar::LineSeparator)) {
                piece.chop(1);
            }
            laid.line.text = piece;
            laid.start = line.textStart();
            laid.line.x = PxToMm(line.x());
            laid.line.baseline = PxToMm(y + line.ascent());
            laid.top = PxToMm(y);
            laid.bottom = PxToMm(y + line.height());
            lines.push_back(std::move(laid));
            y += line.height();
        }
        layout.endLayout();
        return lines;
    }

    LaidField LayOutField(const Field& field, const QString& rawText) {
        const MeasuredFont& font = Font(field.font);
        const QString text = DisplayText(rawText);
        LaidField laid;
        laid.field = &field;

        if (field.kind == FieldKind::Picture) {
            laid.box = QRectF(field.left, field.top, field.width, field.height);
            if (field.data >= 0 && field.makePicture) {
                laid.picture = field.makePicture(rawText);
            }
            return laid;
        }
        if (field.autoSize) {
            QString line = text;
            line.replace(QChar::LineSeparator, QLatin1Char(' '));
            const double limitPx = MmToPx(field.centred ? bandWidth_ : bandWidth_ - field.left);
            double widthPx = font.metrics.horizontalAdvance(line);
            if (widthPx > limitPx) {
                line = font.metrics.elidedText(line, Qt::ElideRight, limitPx);
                widthPx = std::min(font.metrics.horizontalAdvance(line), limitPx);
            }
            const double width = PxToMm(widthPx);
            const double left = field.centred ? (bandWidth_ - width) / 2 : field.left;
            laid.box = QRectF(left, field.top, width, PxToMm(font.metrics.height()));
            if (!line.isEmpty()) {
                laid.lines.push_back(SingleLine(line, font.metrics));
            }
            return laid;
        }

        const double widthPx = MmToPx(field.width);
        const double lineHeight = PxToMm(font.metrics.height());
        if (!field.grows && field.height < 2 * lineHeight - kEpsilon &&
            !text.contains(QChar::LineSeparator)) {
            // Room for one line: the text, cut off with "…" when too wide.
            laid.box = QRectF(field.left, field.top, field.width, field.height);
            if (!text.isEmpty()) {
                laid.lines.push_back(
                    SingleLine(font.metrics.horizontalAdvance(text) <= widthPx
                                   ? text
                                   : font.metrics.elidedText(text, Qt::ElideRight, widthPx),
                               font.metrics));
                if (field.alignRight) {
                    TextLine& line = laid.lines.back().line;
                    line.x = std::max(
                        0.0, field.width - PxToMm(font.metrics.horizontalAdvance(line.text)));
                }
            }
            return laid;
        }
        laid.lines = Wrap(text, field, font, widthPx);
        double height = field.height;
        if (field.grows) {
            if (!laid.lines.empty()) {
                height = std::max(height, laid.lines.back().bottom);
            }
        } else if (laid.lines.size() > 1) {
            // Keep the lines that fit the field's height, the first always.
            std::size_t shown = 1;
            while (shown < laid.lines.size() &&
                   laid.lines[shown].bottom <= field.height + kEpsilon) {
                ++shown;
            }
            if (shown < laid.lines.size()) {
                LaidLine& last = laid.lines[shown - 1];
                QString rest = text.mid(last.start);
                rest.replace(QChar::LineSeparator, QLatin1Char(' '));
                last.line.text = font.metrics.elidedText(rest, Qt::ElideRight, widthPx);
                laid.lines.resize(shown);
            }
        }
        laid.box = QRectF(field.left, field.top, field.width, height);
        return laid;
    }

    QImage device_;
    QString dateTime_;
    double bandWidth_ = 0;
    std::vector<std::unique_ptr<MeasuredFont>> fonts_;
};

// Cuts a band that does not fit in `room` millimetres: the head holds what
// fits, the rest continues the growing fields' lines. Every growing field
// with lines left gives the head at least one line, so cutting always ends.
std::pair<LaidBand, std::optional<LaidBand>> CutBand(const LaidBand& band, double room) {
    // A ruled row is ruled off at the page's foot and continues ruled.
    const bool ruled = !band.band->columnRules.empty();
    LaidBand head = band;
    LaidBand rest = band;
    rest.fields.clear();
    rest.piece = band.piece + 1;
    rest.ruleTop = ruled;
    rest.height = 0;
    head.ruleBottom = ruled;
    head.height = std::min(band.height, std::max(room, 0.0));

    double headBottom = 0;
    for (LaidField& field : head.fields) {
        if (!field.field->grows || field.lines.empty()) {
            headBottom = std::max(headBottom, field.box.bottom());
            continue;
        }
        const double top = field.box.top();
        std::size_t kept = 0;
        while (kept < field.lines.size() && top + field.lines[kept].bottom <= room + kEpsilon) {
            ++kept;
        }
        kept = std::max<std::size_t>(kept, 1);
        if (kept < field.lines.size()) {
            LaidField tail;
            tail.field = field.field;
            const double shift = field.lines[kept].top;
            for (std::size_t i = kept; i < field.lines.size(); ++i) {
                LaidLine line = field.lines[i];
                line.top -= shift;
                line.bottom -= shift;
                line.line.baseline -= shift;
                tail.lines.push_back(std::move(line));
            }
            tail.box = QRectF(field.box.left(), top, field.box.width(), tail.lines.back().bottom);
            const Field& definition = *field.field;
            const double gap =
                std::max(0.0, band.band->height - definition.top - definition.height);
            rest.height = std::max(rest.height, tail.box.bottom() + gap);
            rest.fields.push_back(std::move(tail));
            field.lines.resize(kept);
        }
        const double linesBottom = field.lines.back().bottom;
        field.box.setHeight(std::max(linesBottom, std::min(field.box.height(), room - top)));
        headBottom = std::max(headBottom, field.box.bottom());
    }
    head.height = std::max(head.height, headBottom);
    if (rest.fields.empty()) {
        head.height = band.height;
        head.ruleBottom = band.ruleBottom;
        return {std::move(head), std::nullopt};
    }
    return {std::move(head), std::move(rest)};
}

class Paginator {
  public:
    Paginator(const ReportDefinition& definition, Layouter& layouter, const Clock& clock,
              ReportDocument& run, const SectionSink& sink)
        : definition_(definition),
          layouter_(layouter),
          clock_(clock),
          run_(run),
          sink_(sink),
          content_(definition.page.contentRect()) {
        footerHeight_ = definition.pageFooter ? definition.pageFooter->height : 0;
        section_.page = run.page;
        section_.ruleWidth = run.ruleWidth;
    }

    bool stopped() const { return stopped_; }

    // Ends the section before (if any) and opens the first page of a new
    // one, whose title, header and footer show `values`.
    void BeginSection(const std::vector<QString>& values) {
        if (pageOpen_) {
            PlacePendingHeading();
            EndSection();
            if (stopped_) {
                return;
            }
        }
        sectionValues_ = values;
        heading_.clear();
        inHeading_ = false;
        ++run_.sectionCount;
        OpenPage();
    }

    void AddBand(const Band& band, int index, const std::vector<QString>& values, int row) {
        EnsurePage();
        LaidBand laid = Lay(band, index, values);
        if (band.heading) {
            if (!inHeading_) {
                PlacePendingHeading();
                heading_.clear();
                headingShown_ = false;
            }
            inHeading_ = true;
            heading_.push_back({std::move(laid), row});
            headingPlaced_ = false;
            return;
        }
        inHeading_ = false;
        if (band.standalone) {
            PlacePendingHeading();
            heading_.clear();
        }
        PlaceRow(band, index, values, std::move(laid), row);
    }

    // After the last row: a heading left without rows, the summary, and the
    // last section's pages.
    void Finish() {
        if (stopped_) {
            return;
        }
        EnsurePage();
        PlacePendingHeading();
        if (definition_.summary) {
            AddSummary(*definition_.summary);
        }
        EndSection();
    }

  private:
    struct HeadingRow {
        LaidBand band;
        int row = -1;
    };

    LaidBand Lay(const Band& band, int index, const std::vector<QString>& values) {
        LaidBand laid = layouter_.LayOutBand(BandKind::Detail, band, values, page_number());
        laid.index = index;
        return laid;
    }

    void EnsurePage() {
        if (!pageOpen_) {
            ++run_.sectionCount;
            OpenPage();
        }
    }

    void OpenPage() {
        ReportPage page;
        page.number = static_cast<int>(section_.pages.size()) + 1;
        page.section = run_.sectionCount - 1;
        page.producedAt = clock_();
        layouter_.SetPageTime(page.producedAt);
        section_.pages.push_back(std::move(page));
        ++run_.pageCount;
        pageOpen_ = true;
        y_ = content_.top();
        contentOnPage_ = 0;
        headingPlaced_ = false;
        if (page_number() == 1 && definition_.title) {
            Place(layouter_.LayOutBand(BandKind::Title, *definition_.title, sectionValues_, 1), -1);
        }
        if (definition_.columnHeader) {
            Place(layouter_.LayOutBand(BandKind::ColumnHeader, *definition_.columnHeader,
                                       sectionValues_, page_number()),
                  -1);
        }
    }

    // Numbers the section's pages out of their count, puts the footers on,
    // and hands the pages on.
    void EndSection() {
        const int count = static_cast<int>(section_.pages.size());
        for (ReportPage& page : section_.pages) {
            page.pageCount = count;
            if (definition_.pageFooter) {
                layouter_.SetPageTime(page.producedAt);
                const LaidBand footer =
                    layouter_.LayOutBand(BandKind::PageFooter, *definition_.pageFooter,
                                         sectionValues_, page.number, count);
                PlaceOn(page, footer, content_.bottom() - footer.height, -1, false);
            }
        }
        section_.printedAt = run_.printedAt;
        section_.rowCount = run_.rowCount;
        section_.sectionCount = run_.sectionCount;
        section_.pageCount = run_.pageCount;
        if (sink_ && !sink_(section_)) {
            stopped_ = true;
        }
        section_.pages.clear();
        pageOpen_ = false;
    }

    void PlaceRow(const Band& band, int index, const std::vector<QString>& values, LaidBand laid,
                  int row) {
        for (;;) {
            const double room = Room() - (HeadingPending() ? HeadingHeight() : 0);
            if (laid.height <= room + kEpsilon) {
                PlaceContent(laid, row);
                return;
            }
            if (band.breakable || contentOnPage_ == 0) {
                auto [head, rest] = CutBand(laid, room);
                if (contentOnPage_ == 0 || head.height <= room + kEpsilon) {
                    PlaceContent(head, row);
                    if (!rest) {
                        return;
                    }
                    laid = std::move(*rest);
                    OpenPage();
                    continue;
                }
            }
            OpenPage();
            if (laid.piece == 0) {
                laid = Lay(band, index, values);
            }
        }
    }

    void PlaceContent(const LaidBand& band, int row) {
        PlaceHeadingIfPending();
        Place(band, row);
        ++contentOnPage_;
    }

    bool HeadingPending() const { return !heading_.empty() && !headingPlaced_; }

    double HeadingHeight() const {
        double height = 0;
        for (const HeadingRow& heading : heading_) {
            height += heading.band.height;
        }
        return height;
    }

    void PlaceHeadingIfPending() {
        if (!HeadingPending()) {
            return;
        }
        for (const HeadingRow& heading : heading_) {
            PlaceOn(section_.pages.back(), heading.band, y_, heading.row, headingShown_);
            y_ += heading.band.height;
        }
        headingPlaced_ = true;
        headingShown_ = true;
    }

    // A heading whose table has no row is printed once, on its own.
    void PlacePendingHeading() {
        if (!HeadingPending() || headingShown_) {
            return;
        }
        if (HeadingHeight() > Room() + kEpsilon && contentOnPage_ > 0) {
            OpenPage();
        }
        PlaceHeadingIfPending();
    }

    // The summary after the last row: on this page when it fits below
    // what the page holds, else on the next.
    void AddSummary(const Band& summary) {
        const std::vector<QString> none;
        LaidBand band = layouter_.LayOutBand(BandKind::Summary, summary, none, page_number());
        if (band.height > Room() + kEpsilon && contentOnPage_ > 0) {
            OpenPage();
            band = layouter_.LayOutBand(BandKind::Summary, summary, none, page_number());
        }
        Place(band, -1);
    }

    int page_number() const { return section_.pages.empty() ? 1 : section_.pages.back().number; }

    double Room() const { return content_.bottom() - footerHeight_ - y_; }

    void Place(const LaidBand& band, int row) {
        PlaceOn(section_.pages.back(), band, y_, row, false);
        y_ += band.height;
    }

    void PlaceOn(ReportPage& page, const LaidBand& band, double top, int row, bool repeated) {
        PlacedBand placed;
        placed.kind = band.kind;
        placed.row = row;
        placed.piece = band.piece;
        placed.band = band.index;
        placed.repeated = repeated;
        placed.rect = QRectF(content_.left(), top, content_.width(), band.height);
        placed.ruleTop = band.ruleTop;
        placed.ruleBottom = band.ruleBottom;
        placed.columnRules.reserve(band.band->columnRules.size());
        for (const double x : band.band->columnRules) {
            placed.columnRules.push_back(content_.left() + x);
        }
        placed.fields.reserve(band.fields.size());
        for (const LaidField& field : band.fields) {
            PlacedField out;
            out.name = field.field->name;
            out.box = field.box.translated(content_.left(), top);
            out.font = field.field->font;
            out.opaque = field.field->opaque;
            out.frame = field.field->frame;
            out.picture = field.picture ? *field.picture : field.field->picture;
            out.lines.reserve(field.lines.size());
            for (const LaidLine& line : field.lines) {
                out.lines.push_back(line.line);
            }
            placed.fields.push_back(std::move(out));
        }
        page.bands.push_back(std::move(placed));
    }

    const ReportDefinition& definition_;
    Layouter& layouter_;
    const Clock& clock_;
    ReportDocument& run_;
    const SectionSink& sink_;
    QRectF content_;
    double footerHeight_ = 0;

    ReportDocument section_;  // the pages of the section being laid out
    std::vector<QString> sectionValues_;
    bool pageOpen_ = false;
    bool stopped_ = false;
    double y_ = 0;
    int contentOnPage_ = 0;  // rows and pieces, repeated headings not counted

    // The heading of the table being printed, and whether it stands on the
    // page (and has stood on any).
    std::vector<HeadingRow> heading_;
    bool inHeading_ = false;
    bool headingPlaced_ = false;
    bool headingShown_ = false;
};

std::size_t ValueCount(const ReportDefinition& definition) {
    int count = 0;
    const auto count_band = [&count](const Band& band) {
        for (const Field& field : band.fields) {
            if (field.kind == FieldKind::Data || field.kind == FieldKind::Picture) {
                count = std::max(count, field.data + 1);
            }
        }
    };
    for (const auto* band : {&definition.title, &definition.columnHeader, &definition.detail,
                             &definition.summary, &definition.pageFooter}) {
        if (*band) {
            count_band(**band);
        }
    }
    for (const Band& band : definition.bands) {
        count_band(band);
    }
    return static_cast<std::size_t>(count);
}

}  // namespace

QSizeF PageSetup::paperSize() const {
    const QSizeF size = QPageSize(paper).size(QPageSize::Millimeter);
    return orientation == QPageLayout::Landscape ? size.transposed() : size;
}

QRectF PageSetup::contentRect() const {
    const QSizeF size = paperSize();
    return QRectF(margins.left(), margins.top(), size.width() - margins.left() - margins.right(),
                  size.height() - margins.top() - margins.bottom());
}

QPageLayout PageSetup::deviceLayout() const {
    QPageLayout layout(QPageSize(paper), orientation, QMarginsF(0, 0, 0, 0),
                       QPageLayout::Millimeter);
    layout.setMode(QPageLayout::FullPageMode);
    return layout;
}

QString PlacedField::shownText() const {
    QString text;
    for (const TextLine& line : lines) {
        text += line.text;
    }
    return text;
}

const PlacedField* PlacedBand::field(const QString& name) const {
    for (const PlacedField& placed : fields) {
        if (placed.name == name) {
            return &placed;
        }
    }
    return nullptr;
}

QLocale DateTimeLocale(const QLocale& user) {
    if (user.language() == QLocale::C) {
        return QLocale(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China);
    }
    return user;
}

QString DateTimeText(const QDateTime& moment, const QLocale& locale) {
    const QString date = locale.toString(moment.date(), QLocale::ShortFormat);
    if (moment.time() == QTime(0, 0)) {
        return date;
    }
    const QString format = WithoutTimeZone(locale.timeFormat(QLocale::LongFormat));
    return date + QLatin1Char(' ') + locale.toString(moment.time(), format);
}

ReportDocument LayOutReport(const ReportDefinition& definition, const ReportSource& source,
                            const QDateTime& printedAt) {
    return LayOutReport(definition, source, [printedAt] { return printedAt; });
}

ReportDocument LayOutReport(const ReportDefinition& definition, const ReportSource& source,
                            const Clock& clock) {
    std::vector<ReportPage> pages;
    ReportDocument document = StreamReport(
        definition, source,
        [&pages](ReportDocument& section) {
            std::move(section.pages.begin(), section.pages.end(), std::back_inserter(pages));
            return true;
        },
        clock);
    document.pages = std::move(pages);
    return document;
}

ReportDocument StreamReport(const ReportDefinition& definition, const ReportSource& source,
                            const SectionSink& sink, const Clock& clock) {
    const Clock now = clock ? clock : Clock([] { return QDateTime::currentDateTime(); });
    ReportDocument run;
    run.page = definition.page;
    run.ruleWidth = definition.ruleWidth;
    run.printedAt = now();

    if (source.beforeRun) {
        source.beforeRun();
    }
    Layouter layouter(definition);
    Paginator paginator(definition, layouter, now, run, sink);
    if (source.nextRow && !definition.bands.empty()) {
        ReportRow row;
        row.values.resize(ValueCount(definition));
        while (!paginator.stopped()) {
            row.band = 0;
            row.newSection = false;
            std::fill(row.values.begin(), row.values.end(), QString());
            if (!source.nextRow(row)) {
                break;
            }
            if (row.newSection) {
                paginator.BeginSection(row.values);
            }
            if (row.band >= 0 && static_cast<std::size_t>(row.band) < definition.bands.size() &&
                !paginator.stopped()) {
                paginator.AddBand(definition.bands[static_cast<std::size_t>(row.band)], row.band,
                                  row.values, run.rowCount);
                ++run.rowCount;
            }
        }
    } else if (definition.detail && source.needData) {
        std::vector<QString> values(ValueCount(definition));
        for (;;) {
            std::fill(values.begin(), values.end(), QString());
            if (!source.needData(values)) {
                break;
            }
            paginator.AddBand(*definition.detail, -1, values, run.rowCount);
            ++run.rowCount;
        }
    }
    paginator.Finish();
    return run;
}

}  // namespace shenbao::report
