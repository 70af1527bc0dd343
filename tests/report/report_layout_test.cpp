#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <QImage>

#include "gui/fonts.h"
#include "report/report.h"
#include "tests/report/report_support.h"

namespace shenbao::testing {
namespace {

using report::BandKind;
using report::Field;
using report::FieldKind;

// Portrait A4 with 10 mm margins: 277 mm of height for the bands. The first
// page holds 237 mm of detail rows (23 rows of 10 mm), the others 257 mm (25).
report::ReportDefinition Sample() {
    report::ReportDefinition definition;
    definition.page.orientation = QPageLayout::Portrait;

    report::Band title;
    title.height = 20;
    Field heading = FieldAt(QStringLiteral("Title"), QStringLiteral("标题"), {0, 2, 0, 0}, 16);
    heading.centred = true;
    title.fields.push_back(heading);
    definition.title = title;

    report::Band header;
    header.height = 10;
    header.ruleTop = header.ruleBottom = true;
    const Field caption =
        FieldAt(QStringLiteral("Caption"), QStringLiteral("名称"), {0, 1, 100, 5});
    header.fields.push_back(caption);
    definition.columnHeader = header;

    report::Band detail;
    detail.height = 10;
    Field name = caption;
    name.name = QStringLiteral("Name");
    name.kind = FieldKind::Data;
    name.data = 0;
    detail.fields.push_back(name);
    Field unit = name;
    unit.name = QStringLiteral("Unit");
    unit.data = 1;
    unit.left = 110;
    unit.width = 40;
    unit.grows = true;
    detail.fields.push_back(unit);
    definition.detail = detail;

    report::Band footer = PageNumberFooter();
    Field printedAt = footer.fields.front();
    printedAt.name = QStringLiteral("At");
    printedAt.kind = FieldKind::DateTime;
    printedAt.left = 100;
    printedAt.font = SongPointFont(8);
    footer.fields.push_back(printedAt);
    definition.pageFooter = footer;
    return definition;
}

TableSource Rows(int count) {
    return NumberedRows(count, QStringLiteral("项目%1"), {QStringLiteral("单位")});
}

// Millimetres of one line of `font` as the layout measures it.
double LineHeight(const QFont& font) {
    QImage device(1, 1, QImage::Format_RGB32);
    const int dotsPerMeter = qRound(report::kLayoutDpi / 0.0254);
    device.setDotsPerMeterX(dotsPerMeter);
    device.setDotsPerMeterY(dotsPerMeter);
    return QFontMetricsF(QFont(font, &device), &device).height() * 25.4 / report::kLayoutDpi;
}

QString Joined(const std::vector<const report::PlacedField*>& pieces) {
    QString text;
    for (const report::PlacedField* piece : pieces) {
        text += piece->shownText();
    }
    return text;
}

class ReportLayout : public ::testing::Test {
  protected:
    void SetUp() override { ExpectSongFace(SongPointFont(9)); }
    const QDateTime printedAt{QDate(2001, 7, 16), QTime(14, 3, 5)};
};

TEST_F(ReportLayout, RowsFillPagesInOrderWithTitleOnceAndHeaderAndFooterEverywhere) {
    struct Case {
        int rows;
        int pages;
    };
    for (const Case c : {Case{0, 1}, Case{23, 1}, Case{24, 2}, Case{48, 2}, Case{49, 3}}) {
        SCOPED_TRACE(c.rows);
        TableSource table = Rows(c.rows);
        const report::ReportDocument document =
            report::LayOutReport(Sample(), table.Source(), printedAt);
        ASSERT_EQ(static_cast<int>(document.pages.size()), c.pages);
        EXPECT_EQ(document.rowCount, c.rows);

        const auto rows = DetailRows(document);
        ASSERT_EQ(static_cast<int>(rows.size()), c.rows);
        for (int i = 0; i < c.rows; ++i) {
            EXPECT_EQ(rows[static_cast<std::size_t>(i)].second, i);
            EXPECT_EQ(rows[static_cast<std::size_t>(i)].first, i < 23 ? 1 : 2 + (i - 23) / 25);
        }

        for (const report::ReportPage& page : document.pages) {
            SCOPED_TRACE(page.number);
            const PageFrame frame = FrameBands(page);
            ASSERT_TRUE(frame.header && frame.footer);
            // Title and header from the top margin down; the footer on the
            // bottom margin.
            EXPECT_DOUBLE_EQ(frame.header->rect.top(), page.number == 1 ? 30.0 : 10.0);
            EXPECT_DOUBLE_EQ(frame.footer->rect.top(), 277.0);
            EXPECT_EQ(frame.footer->field(QStringLiteral("Page"))->shownText(),
                      QString::number(page.number));
            EXPECT_EQ(frame.header->field(QStringLiteral("Caption"))->shownText(),
                      QStringLiteral("名称"));
            for (const report::PlacedBand& band : page.bands) {
                if (band.kind == BandKind::Detail) {
                    EXPECT_LE(band.rect.bottom(), 277.0 + 1e-9);
                }
            }
        }
        const report::PlacedField* heading =
            Bands(document.pages[0], BandKind::Title)[0]->field(QStringLiteral("Title"));
        ASSERT_NE(heading, nullptr);
        EXPECT_NEAR(heading->box.center().x(), 105.0, 1e-9);
        EXPECT_DOUBLE_EQ(heading->box.top(), 12.0);
    }
}

TEST_F(ReportLayout, EveryPageShowsTheMomentItIsProduced) {
    // A clock that moves on a minute at every reading.
    QDateTime now = printedAt;
    const report::Clock clock = [&now] { return now = now.addSecs(60); };
    TableSource table = Rows(49);
    const report::ReportDocument document = report::LayOutReport(Sample(), table.Source(), clock);
    ASSERT_EQ(document.pages.size(), 3u);
    EXPECT_EQ(document.printedAt, printedAt.addSecs(60));
    for (const report::ReportPage& page : document.pages) {
        SCOPED_TRACE(page.number);
        EXPECT_EQ(page.producedAt, printedAt.addSecs(60 * (page.number + 1)));
        EXPECT_EQ(Bands(page, BandKind::PageFooter)[0]->field(QStringLiteral("At"))->shownText(),
                  report::DateTimeText(page.producedAt));
    }
}

TEST_F(ReportLayout, NeedDataIsAskedBeforeTheFirstRowAndAfterEachPrintedRow) {
    TableSource table = Rows(5);
    report::LayOutReport(Sample(), table.Source(), printedAt);
    EXPECT_EQ(table.beforeRuns, 1);
    EXPECT_EQ(table.needDataCalls, 6);

    // Each call starts from empty values, one per data index.
    std::vector<std::size_t> sizes;
    bool allEmpty = true;
    report::ReportSource source;
    int calls = 0;
    source.needData = [&](std::vector<QString>& values) {
        sizes.push_back(values.size());
        for (const QString& value : values) {
            allEmpty = allEmpty && value.isEmpty();
        }
        for (QString& value : values) {
            value = QStringLiteral("x");
        }
        return ++calls < 3;
    };
    const report::ReportDocument document = report::LayOutReport(Sample(), source, printedAt);
    EXPECT_EQ(sizes, (std::vector<std::size_t>{2, 2, 2}));
    EXPECT_TRUE(allEmpty);
    EXPECT_EQ(document.rowCount, 2);
}

TEST_F(ReportLayout, AGrowingFieldMakesItsRowTallerAndOthersShowWhatFits) {
    const QString longUnit =
        QStringLiteral("澄川大学机械工程学院流体机械研究所暨省重点实验室联合研究中心");
    const QString longName = QString(QStringLiteral("很长的项目名称")).repeated(8);
    TableSource table;
    table.rows = {{QStringLiteral("短"), longUnit},
                  {longName, QStringLiteral("短单位")},
                  {QStringLiteral("后"), QStringLiteral("后")}};
    const report::ReportDocument document =
        report::LayOutReport(Sample(), table.Source(), printedAt);
    const auto details = Bands(document.pages[0], BandKind::Detail);
    ASSERT_EQ(details.size(), 3u);

    const double line = LineHeight(SongPointFont(9));
    const report::PlacedField* unit = details[0]->field(QStringLiteral("Unit"));
    ASSERT_GE(unit->lines.size(), 3u);
    EXPECT_EQ(unit->shownText(), longUnit);
    EXPECT_NEAR(unit->box.height(), line * static_cast<double>(unit->lines.size()), 1e-6);
    // The band grows by what the field grew beyond its 5 mm.
    EXPECT_NEAR(details[0]->rect.height(), 10 + unit->box.height() - 5, 1e-9);
    EXPECT_DOUBLE_EQ(details[1]->rect.top(), details[0]->rect.bottom());

    // A long name keeps its height and its row; it shows one line that ends
    // in an ellipsis.
    const report::PlacedField* name = details[1]->field(QStringLiteral("Name"));
    EXPECT_DOUBLE_EQ(details[1]->rect.height(), 10.0);
    EXPECT_DOUBLE_EQ(name->box.height(), 5.0);
    ASSERT_EQ(name->lines.size(), 1u);
    EXPECT_TRUE(name->lines[0].text.endsWith(QChar(0x2026)));
    EXPECT_TRUE(longName.startsWith(name->lines[0].text.chopped(1)));
}

TEST_F(ReportLayout, WrapsChineseAnywhereLatinAtBlanksAndOverlongWordsAnywhere) {
    QImage device(1, 1, QImage::Format_RGB32);
    const int dotsPerMeter = qRound(report::kLayoutDpi / 0.0254);
    device.setDotsPerMeterX(dotsPerMeter);
    device.setDotsPerMeterY(dotsPerMeter);
    const QFontMetricsF metrics(QFont(SongPointFont(9), &device), &device);
    const double fieldPx = 40 * report::kLayoutDpi / 25.4;

    const QString latin = QStringLiteral(
        "School of Electrical Engineering and Automation of the Chengchuan Institute");
    const QString word = QStringLiteral("Pneumonoultramicroscopicsilicovolcanoconiosis");
    // Ten ideographs fill 31.75 mm; the comma after them may not begin a line.
    const QString chinese =
        QStringLiteral("一二三四五六七八九十一二，三四五六七八九十一二三四五六。七八九十");
    TableSource table;
    table.rows = {{QString(), latin}, {QString(), word}, {QString(), chinese}};
    const report::ReportDocument document =
        report::LayOutReport(Sample(), table.Source(), printedAt);
    const auto details = Bands(document.pages[0], BandKind::Detail);
    ASSERT_EQ(details.size(), 3u);

    const report::PlacedField* latinField = details[0]->field(QStringLiteral("Unit"));
    ASSERT_GT(latinField->lines.size(), 1u);
    QStringList words;
    for (const report::TextLine& line : latinField->lines) {
        EXPECT_LE(metrics.horizontalAdvance(line.text.trimmed()), fieldPx);
        words += line.text.trimmed().split(QLatin1Char(' '));
    }
    EXPECT_EQ(words, latin.split(QLatin1Char(' ')));

    const report::PlacedField* wordField = details[1]->field(QStringLiteral("Unit"));
    ASSERT_EQ(wordField->lines.size(), 2u);
    EXPECT_EQ(wordField->shownText(), word);
    EXPECT_LE(metrics.horizontalAdvance(wordField->lines[0].text), fieldPx);

    const report::PlacedField* chineseField = details[2]->field(QStringLiteral("Unit"));
    ASSERT_GT(chineseField->lines.size(), 2u);
    EXPECT_EQ(chineseField->shownText(), chinese);
    for (const report::TextLine& line : chineseField->lines) {
        EXPECT_FALSE(line.text.startsWith(QStringLiteral("，")));
        EXPECT_FALSE(line.text.startsWith(QStringLiteral("。")));
        EXPECT_LE(metrics.horizontalAdvance(line.text), fieldPx);
    }
    // Without the punctuation rule the first line would hold twelve.
    EXPECT_EQ(chineseField->lines[0].text.size(), 11);
}

TEST_F(ReportLayout, ARowTallerThanAPageContinuesOnTheNextPagesWithNothingLost) {
    const QString huge = QStringLiteral("超长的承担单位名称").repeated(130);
    TableSource table;
    table.rows = {{QStringLiteral("前"), QStringLiteral("前")},
                  {QStringLiteral("巨"), huge},
                  {QStringLiteral("后"), QStringLiteral("后")}};
    const report::ReportDocument document =
        report::LayOutReport(Sample(), table.Source(), printedAt);
    ASSERT_EQ(document.pages.size(), 3u);
    EXPECT_EQ(document.rowCount, 3);

    std::vector<const report::PlacedField*> pieces;
    int lastPiece = -1;
    for (const report::ReportPage& page : document.pages) {
        EXPECT_EQ(Bands(page, BandKind::PageFooter).size(), 1u);
        for (const report::PlacedBand* band : Bands(page, BandKind::Detail)) {
            EXPECT_LE(band->rect.bottom(), 277.0 + 1e-9);
            if (band->row != 1) {
                continue;
            }
            EXPECT_EQ(band->piece, lastPiece + 1);
            lastPiece = band->piece;
            // The row's other fields print with its first piece only.
            EXPECT_EQ(band->field(QStringLiteral("Name")) != nullptr, band->piece == 0);
            pieces.push_back(band->field(QStringLiteral("Unit")));
        }
    }
    EXPECT_EQ(Joined(pieces), huge);
    // The huge row starts on a fresh page, fills it and ends on the next one,
    // where the following row comes right after it.
    const auto rows = DetailRows(document);
    EXPECT_EQ(rows.front(), std::make_pair(1, 0));
    EXPECT_EQ(rows[1], std::make_pair(2, 1));
    EXPECT_EQ(rows[2], std::make_pair(3, 1));
    EXPECT_EQ(rows.back(), std::make_pair(3, 2));
    const auto last = Bands(document.pages[2], BandKind::Detail);
    EXPECT_DOUBLE_EQ(last[1]->rect.top(), last[0]->rect.bottom());
    EXPECT_DOUBLE_EQ(Bands(document.pages[1], BandKind::Detail)[0]->rect.bottom(), 277.0);
}

TEST_F(ReportLayout, ARowThatCannotBeCutTakesAPageOfItsOwnAndTheRunEnds) {
    report::ReportDefinition definition = Sample();
    definition.detail->height = 300;
    definition.detail->fields[1].grows = false;
    TableSource table = Rows(3);
    const report::ReportDocument document =
        report::LayOutReport(definition, table.Source(), printedAt);
    EXPECT_EQ(document.rowCount, 3);
    ASSERT_EQ(document.pages.size(), 3u);
    for (const report::ReportPage& page : document.pages) {
        EXPECT_EQ(Bands(page, BandKind::Detail).size(), 1u);
    }
}

// A report of several bands in sections (a form per section), on portrait
// A4 with 10 mm margins: a 20 mm title on each section's first page showing
// the section's name, a 10 mm footer "page/pages". Bands: 0 a table heading,
// 1 a ruled row whose cell grows, 2 a breakable box, 3 a standalone block.
// Room below the title 247 mm, on the other pages 267.
report::ReportDefinition Sectioned() {
    report::ReportDefinition definition = Sample();
    definition.columnHeader.reset();
    definition.detail.reset();
    definition.title->fields[0].kind = FieldKind::Data;
    definition.title->fields[0].data = 0;
    definition.pageFooter->fields.resize(1);
    definition.pageFooter->fields[0].text = QStringLiteral("%1/%2");

    report::Band heading;
    heading.height = 10;
    heading.heading = heading.ruleTop = heading.ruleBottom = true;
    heading.columnRules = {0, 190};
    heading.fields.push_back(FieldAt(QStringLiteral("Heading"), QString(), {1, 2, 100, 5}));
    heading.fields.back().kind = FieldKind::Data;
    heading.fields.back().data = 0;
    report::Band row = heading;
    row.heading = row.ruleTop = false;
    row.columnRules = {0, 40, 190};
    row.fields[0].name = QStringLiteral("Cell");
    row.fields[0].left = 41;
    row.fields[0].grows = true;
    report::Band box = row;
    box.height = 20;
    box.breakable = true;
    box.fields[0].name = QStringLiteral("Box");
    box.fields[0].height = 16;
    report::Band block;
    block.height = 30;
    block.standalone = true;
    definition.bands = {heading, row, box, block};
    return definition;
}

// The outline of a run, a page at a time: "page/pages", then its bands: T:name
// the title, H a heading (H' repeated), r a row (r3: its cell of 3 lines),
// b the box, s the block; a continued piece ends in "+", and n equal bands in
// a row are written x*n.
QString Outline(const report::ReportDocument& document) {
    QStringList pages;
    for (const report::ReportPage& page : document.pages) {
        QStringList tokens;
        for (const report::PlacedBand& band : page.bands) {
            QString token;
            if (band.kind == BandKind::Title) {
                token = QStringLiteral("T:") + band.fields[0].shownText();
            } else if (band.kind == BandKind::Detail) {
                token = QString(QLatin1Char("Hrbs"[band.band]));
                if (band.repeated) {
                    token += QLatin1Char('\'');
                }
                const report::PlacedField* cell = band.field(QStringLiteral("Cell"));
                if (cell != nullptr && cell->lines.size() > 1) {
                    token += QString::number(cell->lines.size());
                }
                if (band.piece > 0) {
                    token += QLatin1Char('+');
                }
            } else {
                continue;
            }
            if (!tokens.isEmpty() && tokens.back().section(QLatin1Char('*'), 0, 0) == token) {
                const int n = tokens.back().section(QLatin1Char('*'), 1).toInt();
                tokens.back() = token + QLatin1Char('*') + QString::number(std::max(n, 1) + 1);
            } else {
                tokens << token;
            }
        }
        const auto footer = Bands(page, BandKind::PageFooter);
        pages << (footer.size() == 1 ? footer[0]->field(QStringLiteral("Page"))->shownText()
                                     : QStringLiteral("?")) +
                     QLatin1Char(' ') + tokens.join(QLatin1Char(' '));
    }
    return pages.join(QStringLiteral(" | "));
}

TEST_F(ReportLayout, SectionsHeadingsAndGrowingCellsFollowTheirRules) {
    // A script is written as an outline: S:name begins a section, then H, r,
    // b, s rows, x*n n of them; r=long is a row whose cell holds 3 lines,
    // b=long a box of 40 lines.
    struct Case {
        const char* rule;
        const char* script;
        const char* outline;
    };
    const Case cases[] = {
        {"a long value wraps and grows its cell and row", "S:A H r=long r", "1/1 T:A H r3 r"},
        {"a table continued on the next page repeats its heading", "S:A H r*30",
         "1/2 T:A H r*23 | 2/2 H' r*7"},
        {"a heading goes to the next page with its first row", "S:A r*24 H r",
         "1/2 T:A r*24 | 2/2 H r"},
        {"a breakable box is cut at the foot and continues under the heading", "S:A H r*20 b=long",
         "1/2 T:A H r*20 b | 2/2 H' b+"},
        {"a standalone block moves whole and repeats no heading", "S:A H r*23 s",
         "1/2 T:A H r*23 | 2/2 s"},
        {"every section starts a new page with its title and counts its own pages",
         "S:A H r*30 S:B H r", "1/2 T:A H r*23 | 2/2 H' r*7 | 1/1 T:B H r"},
        {"a heading without rows is printed on its own", "S:A H S:B", "1/1 T:A H | 1/1 T:B"},
        {"rows before any section make one section", "r*2", "1/1 T: r*2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        std::vector<std::pair<report::ReportRow, QString>> rows;
        for (const QString& step : QString::fromUtf8(c.script).split(QLatin1Char(' '))) {
            report::ReportRow row;
            row.newSection = step.startsWith(QLatin1Char('S'));
            row.band = row.newSection
                           ? -1
                           : static_cast<int>(QByteArray("Hrbs").indexOf(step[0].toLatin1()));
            QString text = row.newSection ? step.mid(2) : QStringLiteral("x");
            if (step == QStringLiteral("r=long")) {
                text = QString(QStringLiteral("项")).repeated(70);  // 31 a line
            } else if (step == QStringLiteral("b=long")) {
                text = QString(QStringLiteral("第一行\n")).repeated(40);
            }
            const int count =
                step.contains(QLatin1Char('*')) ? step.section(QLatin1Char('*'), 1).toInt() : 1;
            for (int i = 0; i < count; ++i) {
                rows.emplace_back(row, text);
            }
        }
        std::size_t next = 0;
        report::ReportSource source;
        source.nextRow = [&](report::ReportRow& row) {
            if (next == rows.size()) {
                return false;
            }
            row.band = rows[next].first.band;
            row.newSection = rows[next].first.newSection;
            row.values[0] = rows[next++].second;
            return true;
        };
        const report::ReportDocument document =
            report::LayOutReport(Sectioned(), source, printedAt);
        EXPECT_EQ(Outline(document).toStdString(), c.outline);

        // Nothing overlaps, nothing runs into the footer, and a grown row is
        // as much taller as its cell grew.
        for (const report::ReportPage& page : document.pages) {
            double bottom = 10;
            for (const report::PlacedBand& band : page.bands) {
                if (band.kind == BandKind::PageFooter) {
                    EXPECT_DOUBLE_EQ(band.rect.top(), 277.0);
                    continue;
                }
                EXPECT_NEAR(band.rect.top(), bottom, 1e-9);
                bottom = band.rect.bottom();
                EXPECT_LE(bottom, 277.0 + 1e-9);
                const report::PlacedField* cell = band.field(QStringLiteral("Cell"));
                if (cell != nullptr && band.piece == 0) {
                    const double lines =
                        static_cast<double>(std::max<std::size_t>(1, cell->lines.size()));
                    EXPECT_NEAR(band.rect.height(),
                                10 + std::max(0.0, lines * LineHeight(SongPointFont(9)) - 5), 1e-6);
                }
            }
        }
    }
}

TEST(ReportDateTime, ShortDateBlankLongTimeAndOnlyTheDateAtMidnight) {
    const QLocale china(QLocale::Chinese, QLocale::China);
    const QDate date(2001, 7, 16);
    EXPECT_EQ(report::DateTimeText(QDateTime(date, QTime(14, 3, 5)), china),
              QStringLiteral("2001/7/16 14:03:05"));
    EXPECT_EQ(report::DateTimeText(QDateTime(date, QTime(0, 0)), china),
              QStringLiteral("2001/7/16"));
    EXPECT_EQ(report::DateTimeText(QDateTime(date, QTime(0, 0, 0, 1)), china),
              QStringLiteral("2001/7/16 00:00:00"));
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(report::DateTimeText(QDateTime(date, QTime(9, 5, 0)), us),
              QStringLiteral("7/16/01 9:05:00 AM"));

    // The user's locale, but the Chinese form where no language is set.
    EXPECT_EQ(report::DateTimeLocale(us), us);
    EXPECT_EQ(
        report::DateTimeText(QDateTime(date, QTime(9, 5, 0)), report::DateTimeLocale(QLocale::c())),
        QStringLiteral("2001/7/16 09:05:00"));
    EXPECT_EQ(report::DateTimeLocale(QLocale(QStringLiteral("POSIX"))).language(),
              QLocale::Chinese);
}

}  // namespace
}  // namespace shenbao::testing
