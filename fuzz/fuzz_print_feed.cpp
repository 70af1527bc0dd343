// The print feed reader: the feed text becomes the report window's line
// table, and the report engine's need-data callback hands out the seven
// printed fields of each line until the closing line, and lays the rows
// out on the pages of the printed list. Also a feed written from list rows
// made out of the input reads back cell for cell.

#include <fuzzer/FuzzedDataProvider.h>

#include <QDateTime>
#include <QGuiApplication>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/print_feed.h"
#include "fuzz/fuzz_support.h"
#include "gui/fonts.h"
#include "output/print_report.h"
#include "output/printa.h"
#include "store/project_record.h"
#include "store/text.h"

namespace {

namespace fs = std::filesystem;
using namespace shenbao;

const fs::path& DataDir() {
    return fuzz::ScratchDirectory("feed");
}

// Runs the callbacks as the report engine does, twice (preview, then print):
// every line is requested once per run, and only the last is not printed.
void CheckCallbacks(const std::vector<std::string>& lines) {
    PrintFeedCursor feed(lines);
    const report::ReportSource source = FeedSource(feed);
    for (int run = 0; run < 2; ++run) {
        source.beforeRun();
        FUZZ_CHECK(feed.cursor() == 0);
        std::size_t printed = 0;
        for (;;) {
            std::vector<QString> values(kPrintedColumnCount);
            const bool more = source.needData(values);
            FUZZ_CHECK(values.size() == kPrintedColumnCount);
            for (const QString& value : values) {
                FUZZ_CHECK(!value.contains(QLatin1Char('\t')));
            }
            if (!more) {
                break;
            }
            ++printed;
            FUZZ_CHECK(printed <= lines.size());
        }
        FUZZ_CHECK(printed == (lines.empty() ? 0 : lines.size() - 1));
    }
}

void CheckFields(const std::vector<std::string>& lines) {
    PrintFeedCursor feed(lines);
    feed.BeforeRun();
    for (std::size_t n = 1; n <= lines.size() + 1; ++n) {
        PrintedRow fields;
        fields.fill("stale");
        const bool print = feed.NeedData(fields);
        FUZZ_CHECK(feed.cursor() == n);
        FUZZ_CHECK(print == (n < lines.size()));
        const std::string line = n <= lines.size() ? lines[n - 1] : std::string();
        // The fields are the line's leading tab-separated parts, in order.
        std::size_t at = 0;
        for (const std::string& field : fields) {
            FUZZ_CHECK(field.find('\t') == std::string::npos);
            if (at > line.size()) {
                FUZZ_CHECK(field.empty());
                continue;
            }
            FUZZ_CHECK(line.compare(at, field.size(), field) == 0);
            FUZZ_CHECK(at + field.size() == line.size() || line[at + field.size()] == '\t');
            at += field.size() + 1;
        }
    }
}

// The report engine lays the rows out: every line but the closing one is a
// printed row, and the pages are numbered from 1 without gaps. Long feeds
// are left to the checks above to keep the runs quick.
void CheckLayout(const std::vector<std::string>& lines) {
    if (lines.size() > 40) {
        return;
    }
    static const report::ReportDefinition definition = ProjectListReport();
    static const QDateTime printedAt(QDate(2001, 7, 16), QTime(9, 30));
    PrintFeedCursor feed(lines);
    const report::ReportDocument document =
        report::LayOutReport(definition, FeedSource(feed), printedAt);
    FUZZ_CHECK(document.rowCount == static_cast<int>(lines.empty() ? 0 : lines.size() - 1));
    FUZZ_CHECK(!document.pages.empty());
    for (std::size_t i = 0; i < document.pages.size(); ++i) {
        FUZZ_CHECK(document.pages[i].number == static_cast<int>(i + 1));
    }
}

// Cell text as the list can hold it in a feed: no tab, no line break.
std::string FeedCell(std::string cell) {
    std::erase_if(cell, [](char c) { return c == '\t' || c == '\r' || c == '\n'; });
    return cell;
}

void CheckWrittenRows(FuzzedDataProvider& input) {
    std::vector<ListRow> rows(input.ConsumeIntegralInRange<std::size_t>(0, 4));
    for (ListRow& row : rows) {
        for (std::string& cell : row) {
            cell = FeedCell(input.ConsumeRandomLengthString(24));
        }
    }
    PrintFeedCursor feed(SplitLines(PrintFeedText(rows), LeadingMark::Keep));
    FUZZ_CHECK(feed.lineCount() == rows.size() + 1);
    for (const ListRow& row : rows) {
        PrintedRow fields;
        FUZZ_CHECK(feed.NeedData(fields));
        for (std::size_t i = 0; i < fields.size(); ++i) {
            FUZZ_CHECK(fields[i] == row[i + 1]);
        }
    }
    PrintedRow closing;
    FUZZ_CHECK(!feed.NeedData(closing));
    for (const std::string& field : closing) {
        FUZZ_CHECK(field.empty());
    }
}

}  // namespace

// fontconfig keeps its configuration for the life of the process.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

// The layout measures text with the program's fonts, which need a GUI
// application; the offscreen platform serves without a display.
extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    static int argc = 1;
    static char name[] = "fuzz_print_feed";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* application = new QGuiApplication(argc, argv);
    (void)application;
    InstallFontSubstitutions();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = fuzz::InputText(data, size);
    fuzz::WriteBytes(DataDir() / std::string(kPrintFeedName), text);
    const std::vector<std::string> lines = ReadPrintFeed(DataDir());
    FUZZ_CHECK(lines == SplitLines(text, LeadingMark::Keep));
    CheckCallbacks(lines);
    CheckFields(lines);
    CheckLayout(lines);

    FuzzedDataProvider input(data, size);
    CheckWrittenRows(input);
    return 0;
}
