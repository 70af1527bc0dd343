#include "core/print_feed.h"

#include "core/listing.h"
#include "platform/io_error.h"
#include "platform/platform.h"
#include "store/project_record.h"
#include "store/text.h"

namespace shenbao {

std::string PrintFeedText(const std::vector<ListRow>& rows) {
    std::string text;
    for (const ListRow& row : rows) {
        AppendTabbedLine(text, row);
    }
    // The closing line: nine empty fields.
    AppendTabbedLine(text, ListRow{});
    return text;
}

std::filesystem::path WritePrintFeed(const std::filesystem::path& dataDir,
                                     const std::vector<ListRow>& rows) {
    return WriteTabbedFile(dataDir, kPrintFeedName, PrintFeedText(rows));
}

std::vector<std::string> ReadPrintFeed(const std::filesystem::path& dataDir) {
    std::vector<std::string> lines;
    ReadPrintFeed(dataDir, lines);
    return lines;
}

void ReadPrintFeed(const std::filesystem::path& dataDir, std::vector<std::string>& lines) {
    lines.clear();
    std::string content;
    try {
        if (platform::ReadFileInto(dataDir / kPrintFeedName, content, platform::Links::Follow)) {
            lines = SplitLines(content, LeadingMark::Keep);
        }
    } catch (const IoError&) {
        // Only the lines that came in whole, up to their line end.
        const std::size_t end = content.rfind('\n');
        if (end != std::string::npos) {
            content.resize(end + 1);
            lines = SplitLines(content, LeadingMark::Keep);
        }
        throw;
    }
}

PrintFeedCursor::PrintFeedCursor(std::vector<std::string> lines) : lines_(std::move(lines)) {}

bool PrintFeedCursor::NeedData(PrintedRow& fields) {
    ++cursor_;
    const std::string empty;
    const std::string& line = cursor_ <= lines_.size() ? lines_[cursor_ - 1] : empty;
    const std::vector<std::string> parts = SplitFields(line, "\t");
    for (std::size_t i = 0; i < fields.size(); ++i) {
        fields[i] = i < parts.size() ? parts[i] : std::string();
    }
    return cursor_ < lines_.size();
}

}  // namespace shenbao
