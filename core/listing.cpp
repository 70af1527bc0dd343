#include "core/listing.h"

#include "platform/platform.h"
#include "store/text.h"

namespace shenbao {

void AppendTabbedLine(std::string& text, const ListRow& row) {
    // Every column after the project ID's.
    for (std::size_t c = 1; c < row.size(); ++c) {
        text.append(row[c]);
        text.push_back('\t');
    }
    text.append(kCrLf);
}

std::filesystem::path WriteTabbedFile(const std::filesystem::path& dataDir, std::string_view name,
                                      std::string_view text) {
    const std::filesystem::path path = dataDir / name;
    platform::WriteFileAtomically(path, text, platform::Links::Follow);
    return path;
}

std::string ListingText(const std::vector<ListRow>& rows) {
    std::string text;
    AppendTabbedLine(text, ListHeader());
    for (const ListRow& row : rows) {
        AppendTabbedLine(text, row);
    }
    return text;
}

std::filesystem::path WriteListing(const std::filesystem::path& dataDir,
                                   const std::vector<ListRow>& rows) {
    return WriteTabbedFile(dataDir, kListingFileName, ListingText(rows));
}

}  // namespace shenbao
