#pragma once

// Helpers for tests of reports: a table of rows as a report's client, the
// detail rows of laid-out pages, and reading PDF files with poppler-utils.

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "gui/fonts.h"
#include "report/report.h"

namespace shenbao::testing {

// A report client over fixed rows, counting how it is called.
struct TableSource {
    std::vector<std::vector<QString>> rows;
    int beforeRuns = 0;
    int needDataCalls = 0;
    std::size_t cursor = 0;

    report::ReportSource Source() {
        report::ReportSource source;
        source.beforeRun = [this] {
            ++beforeRuns;
            cursor = 0;
        };
        source.needData = [this](std::vector<QString>& values) {
            ++needDataCalls;
            if (cursor >= rows.size()) {
                return false;
            }
            const std::vector<QString>& row = rows[cursor++];
            for (std::size_t i = 0; i < values.size() && i < row.size(); ++i) {
                values[i] = row[i];
            }
            return true;
        };
        return source;
    }
};

// `count` rows: `first` with the row number (1..count) for %1, then `rest`.
inline TableSource NumberedRows(int count, const QString& first, const QStringList& rest = {}) {
    TableSource table;
    for (int i = 1; i <= count; ++i) {
        table.rows.push_back(std::vector<QString>{first.arg(i)});
        table.rows.back().insert(table.rows.back().end(), rest.begin(), rest.end());
    }
    return table;
}

// A text field at `box` (millimetres) in 宋体 at `points`; an empty box
// makes a field sized to its text at the box's corner.
inline report::Field FieldAt(const QString& name, const QString& text, const QRectF& box,
                             int points = 9) {
    report::Field field;
    field.name = name;
    field.text = text;
    field.left = box.left();
    field.top = box.top();
    field.width = box.width();
    field.height = box.height();
    field.font = SongPointFont(points);
    field.autoSize = box.isEmpty();
    return field;
}

// A 10 mm page footer, ruled above, with the page number ("Page") at 5, 2.
inline report::Band PageNumberFooter() {
    report::Band footer;
    footer.height = 10;
    footer.ruleTop = true;
    footer.fields.push_back(FieldAt(QStringLiteral("Page"), QString(), QRectF(5, 2, 0, 0)));
    footer.fields.back().kind = report::FieldKind::PageNumber;
    return footer;
}

// (page number, row) of every detail band, in page order; pieces of a cut
// row count once per piece.
inline std::vector<std::pair<int, int>> DetailRows(const report::ReportDocument& document) {
    std::vector<std::pair<int, int>> out;
    for (const report::ReportPage& page : document.pages) {
        for (const report::PlacedBand& band : page.bands) {
            if (band.kind == report::BandKind::Detail) {
                out.emplace_back(page.number, band.row);
            }
        }
    }
    return out;
}

inline std::vector<const report::PlacedBand*> Bands(const report::ReportPage& page,
                                                    report::BandKind kind) {
    std::vector<const report::PlacedBand*> out;
    for (const report::PlacedBand& band : page.bands) {
        if (band.kind == kind) {
            out.push_back(&band);
        }
    }
    return out;
}

// The column header and the page footer of `page`, which every page has
// once; the title band stands on page 1 only. Otherwise the test fails and
// both are nullptr.
struct PageFrame {
    const report::PlacedBand* header = nullptr;
    const report::PlacedBand* footer = nullptr;
};
inline PageFrame FrameBands(const report::ReportPage& page) {
    const auto headers = Bands(page, report::BandKind::ColumnHeader);
    const auto footers = Bands(page, report::BandKind::PageFooter);
    EXPECT_EQ(Bands(page, report::BandKind::Title).size(), page.number == 1 ? 1u : 0u);
    EXPECT_EQ(headers.size(), 1u);
    EXPECT_EQ(footers.size(), 1u);
    return headers.size() == 1 && footers.size() == 1 ? PageFrame{headers[0], footers[0]}
                                                      : PageFrame{};
}

// Output of a command line, or nothing when it could not run.
inline std::optional<std::string> CommandOutput(const std::string& command) {
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return std::nullopt;
    }
    std::string out;
    char buffer[4096];
    std::size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        out.append(buffer, n);
    }
    if (pclose(pipe) != 0) {
        return std::nullopt;
    }
    return out;
}

inline bool HavePdfTools() {
    return CommandOutput("pdfinfo -v 2>&1 >/dev/null; command -v pdftotext >/dev/null").has_value();
}

// The text of a PDF file, pages separated by form feeds; with `layout` the
// lines keep the page's columns side by side.
inline QString PdfText(const std::filesystem::path& pdf, bool layout = false) {
    const auto out = CommandOutput(std::string("pdftotext -enc UTF-8 ") +
                                   (layout ? "-layout '" : "'") + pdf.string() + "' - 2>/dev/null");
    return out ? QString::fromStdString(*out) : QString();
}

inline QStringList PdfPages(const std::filesystem::path& pdf, bool layout = false) {
    QStringList pages = PdfText(pdf, layout).split(QChar(u'\f'));
    if (!pages.isEmpty() && pages.back().trimmed().isEmpty()) {
        pages.removeLast();
    }
    return pages;
}

// pdfinfo's value for `key` ("Pages", "Page size").
inline QString PdfInfo(const std::filesystem::path& pdf, const QString& key) {
    const auto out = CommandOutput("pdfinfo '" + pdf.string() + "' 2>/dev/null");
    if (!out) {
        return QString();
    }
    for (const QString& line : QString::fromStdString(*out).split(QLatin1Char('\n'))) {
        if (line.startsWith(key + QLatin1Char(':'))) {
            return line.mid(key.size() + 1).trimmed();
        }
    }
    return QString();
}

// Page counts and line breaks depend on the face; the program maps 宋体 to
// AR PL UMing CN, and the tests expect that face.
inline void ExpectSongFace(const QFont& font) {
    EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("AR PL UMing CN"));
}

}  // namespace shenbao::testing
