#include "output/listing.h"

#include "platform/platform.h"
#include "store/text.h"

namespace shenbao {

void AppendTabbedLine(std::string& text, const ListRow& row) {
    for (int c = ListColumn::SerialNumber; c < kListColumnCount; ++c) {
        text.append(row[static_cast<std::size_t>(c)]);
        text.push_back('\t');
    }
    text.append(kCrLf);
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
    const std::filesystem::path path = dataDir / kListingFileName;
    platform::ReplaceFile(path, ListingText(rows));
    return path;
}

}  // namespace shenbao
