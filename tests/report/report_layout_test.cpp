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
