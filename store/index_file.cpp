#include "store/index_file.h"

#include "platform/platform.h"
#include "store/text.h"

namespace shenbao {

namespace fs = std::filesystem;

std::vector<std::string> ParseIdList(std::string_view content) {
    std::vector<std::string> ids;
    for (const std::string& line : SplitLines(content)) {
        // A byte-order mark is never part of an ID, on any line: one at the
        // start of a later line comes from files joined together, and an ID
        // kept with it would lose it when it came first in the file.
        std::string_view id = Trim(line);
        while (id.starts_with(kUtf8ByteOrderMark)) {
            id = Trim(id.substr(kUtf8ByteOrderMark.size()));
        }
        if (!id.empty()) {
            ids.emplace_back(id);
        }
    }
    return ids;
}

std::string FormatIdList(const std::vector<std::string>& ids) {
    std::string text;
    std::size_t size = 0;
    for (const std::string& id : ids) {
        size += id.size() + kCrLf.size();
    }
    text.reserve(size);
    for (const std::string& id : ids) {
        text.append(id);
        text.append(kCrLf);
    }
    return text;
}

bool IsReservedId(std::string_view id) {
    const std::string_view stem = Trim(id);
    for (std::string_view reserved :
         {"vemra", "_SysCode", "_DataOut", "_DataIn", "tarvok07", "_Import", "_Journal"}) {
        if (platform::EqualIgnoringAsciiCase(stem, reserved)) {
            return true;
        }
    }
    return false;
}

fs::path IndexFilePath(const fs::path& dataDir) {
    return platform::FindFile(dataDir, kIndexFileName, platform::Links::Follow)
        .value_or(dataDir / kIndexFileName);
}

std::vector<std::string> LoadIndex(const fs::path& dataDir) {
    const fs::path path = IndexFilePath(dataDir);
    std::optional<std::string> content = platform::ReadFileIfExists(path, platform::Links::Follow);
    if (!content) {
        platform::WriteFileAtomically(path, {}, platform::Links::Follow);
        return {};
    }
    return ParseIdList(*content);
}

void SaveIndex(const fs::path& dataDir, const std::vector<std::string>& ids) {
    platform::WriteFileAtomically(IndexFilePath(dataDir), FormatIdList(ids),
                                  platform::Links::Follow);
}

std::string AppendedIndexText(const fs::path& dataDir, const std::vector<std::string>& ids) {
    std::string content = platform::ReadFileIfExists(IndexFilePath(dataDir), platform::Links::Follow)
                              .value_or(std::string());
    if (!content.empty() && content.back() != '\n' && content.back() != '\r') {
        content.append(kCrLf);
    }
    content.append(FormatIdList(ids));
    return content;
}

}  // namespace shenbao
