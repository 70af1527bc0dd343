#include "store/project_record.h"

#include <cerrno>
#include <cstring>

#include "platform/io_error.h"
#include "platform/platform.h"
#include "store/codec.h"
#include "store/journal.h"
#include "store/text.h"

namespace shenbao {

namespace fs = std::filesystem;

std::vector<std::string> SplitFields(std::string_view text, std::string_view separator) {
    if (separator.empty()) {
        return {std::string(text)};
    }
    std::string work;
    work.reserve(text.size() + separator.size());
    work.append(text);
    work.append(separator);
    std::vector<std::string> pieces;
    std::string_view rest(work);
    for (;;) {
        std::size_t at = rest.find(separator);
        if (at == std::string_view::npos) {
            break;
        }
        pieces.emplace_back(rest.substr(0, at));
        rest.remove_prefix(at + separator.size());
    }
    return pieces;
}

std::string JoinMainText(const TProjectRecord& record) {
    std::string text;
    for (const std::string& field : record.Fields) {
        text.append(field);
        text.append(kFieldSeparator);
    }
    return text;
}

std::string JoinMemberText(const TProjectRecord& record) {
    std::string text;
    for (const TProjectMember& member : record.Members) {
        for (const std::string& cell : member.Cells) {
            text.append(cell);
            text.append(kFieldSeparator);
        }
        text.append(kRowTerminator);
    }
    return text;
}

std::array<std::string, kFieldCount> ParseMainText(std::string_view text) {
    std::array<std::string, kFieldCount> fields;
    std::vector<std::string> pieces = SplitFields(text, kFieldSeparator);
    for (std::size_t i = 0; i < kFieldCount && i < pieces.size(); ++i) {
        fields[i] = std::move(pieces[i]);
    }
    return fields;
}

std::array<TProjectMember, kMemberRowCount> ParseMemberText(std::string_view text) {
    std::array<TProjectMember, kMemberRowCount> members;
    std::vector<std::string> rows = SplitFields(text, kRowTerminator);
    for (std::size_t r = 0; r < kMemberRowCount && r < rows.size(); ++r) {
        std::vector<std::string> cells = SplitFields(rows[r], kFieldSeparator);
        for (std::size_t c = 0; c < kMemberCellCount && c < cells.size(); ++c) {
            members[r].Cells[c] = std::move(cells[c]);
        }
    }
    return members;
}

std::optional<fs::path> ProjectFilePath(const fs::path& dataDir, std::string_view id,
                                        std::string_view extension) {
    const std::string_view stem = Trim(id);
    if (stem.empty()) {
        return std::nullopt;
    }
    return platform::FileIn(dataDir, stem, extension);
}

platform::DirectoryListing StoreListing(const fs::path& dataDir, platform::Listing when) {
    return platform::DirectoryListing(dataDir, when, platform::Links::Follow);
}

namespace {

// Where a record is written: over the file it is stored in, whatever the
// letter case of its name, or under the exact name for a new one.
fs::path RequireProjectFile(const fs::path& dataDir, std::string_view id,
                            std::string_view extension) {
    std::optional<fs::path> path = ProjectFilePath(dataDir, id, extension);
    if (!path) {
        throw IoError(dataDir / (std::string(id) + std::string(extension)), EINVAL,
                      "项目ID不能作为数据目录中的文件名");
    }
    return platform::FindFile(dataDir, path->filename().string(), platform::Links::Follow)
        .value_or(*path);
}

}  // namespace

std::string StoredLine(std::string_view joined) {
    std::string line = EncodeField(joined);
    line.append(kCrLf);
    return line;
}

std::string DecodeStoredText(const std::string& content) {
    // A stored file is one line; only a file broken into several lines needs
    // its lines joined first.
    std::string_view line = WithoutByteOrderMark(content);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.remove_suffix(1);
    }
    if (std::memchr(line.data(), '\r', line.size()) == nullptr &&
        std::memchr(line.data(), '\n', line.size()) == nullptr) {
        return DecodeField(line);
    }
    return DecodeField(JoinLines(content));
}

namespace {

// The decoded text of the file `id` + `extension`, or nothing when it is
// missing. The exact name is tried first; other letter cases only when it
// is not there.
std::optional<std::string> ReadStoredText(const fs::path& dataDir, std::string_view id,
                                          std::string_view extension) {
    const std::optional<fs::path> path = ProjectFilePath(dataDir, id, extension);
    if (!path) {
        return std::nullopt;
    }
    std::optional<std::string> content = platform::ReadFileIfExists(*path, platform::Links::Follow);
    if (!content) {
        const std::optional<fs::path> other =
            platform::FindFile(dataDir, path->filename().string(), platform::Links::Follow);
        if (other && *other != *path) {
            content = platform::ReadFileIfExists(*other, platform::Links::Follow);
        }
    }
    if (!content) {
        return std::nullopt;
    }
    return DecodeStoredText(*content);
}

}  // namespace

void WriteProjectRecord(const fs::path& dataDir, std::string_view id,
                        const TProjectRecord& record) {
    StoreChange change(dataDir);
    change.Write(RequireProjectFile(dataDir, id, kMainFileExtension),
                 StoredLine(JoinMainText(record)));
    change.Write(RequireProjectFile(dataDir, id, kMemberFileExtension),
                 StoredLine(JoinMemberText(record)));
    change.Commit();
}

namespace {

// The name of a project's file in the listed directory; nothing when the ID
// names no file there. Throws when no file can have such a name.
std::optional<std::string> ProjectEntryName(const platform::DirectoryListing& listing,
                                            std::string_view id, std::string_view extension) {
    const std::optional<fs::path> path = ProjectFilePath(listing.directory(), id, extension);
    if (!path) {
        return std::nullopt;
    }
    std::string name = path->filename().string();
    if (name.size() > kMaxFileNameLength) {
        // No file can have such a name: the ID cannot be a project's.
        IoError::ThrowCode(*path, ENAMETOOLONG);
    }
    return name;
}

}  // namespace

const platform::DirectoryEntry* FindProjectEntry(const platform::DirectoryListing& listing,
                                                 std::string_view id, std::string_view extension) {
    const std::optional<std::string> name = ProjectEntryName(listing, id, extension);
    return name ? listing.Find(*name) : nullptr;
}

platform::EntryRead ReadProjectEntry(const platform::DirectoryListing& listing,
                                     std::string_view id, std::string_view extension) {
    const std::optional<fs::path> path = ProjectFilePath(listing.directory(), id, extension);
    if (!path) {
        return {};
    }
    return platform::ReadNamed(listing, path->filename().string());
}

std::array<std::string, kFieldCount> MainFieldsOf(const std::string& content) {
    return ParseMainText(DecodeStoredText(content));
}

ProjectReadResult ReadProjectRecord(const fs::path& dataDir, std::string_view id) {
    ProjectReadResult result;
    std::optional<std::string> mainText = ReadStoredText(dataDir, id, kMainFileExtension);
    if (!mainText) {
        result.status = ProjectReadStatus::MainFileMissing;
        return result;
    }
    result.record.Fields = ParseMainText(*mainText);
    std::optional<std::string> memberText = ReadStoredText(dataDir, id, kMemberFileExtension);
    if (!memberText) {
        result.status = ProjectReadStatus::MemberFileMissing;
        return result;
    }
    result.record.Members = ParseMemberText(*memberText);
    result.status = ProjectReadStatus::Complete;
    return result;
}

std::optional<std::array<std::string, kFieldCount>> ReadMainFields(const fs::path& dataDir,
                                                                   std::string_view id) {
    std::optional<std::string> text = ReadStoredText(dataDir, id, kMainFileExtension);
    if (!text) {
        return std::nullopt;
    }
    return ParseMainText(*text);
}

namespace {

// What in `text` would make it split elsewhere when stored before a "~@~":
// the separator itself, or a trailing "~@" that joins with the separator
// into "~@~@~" and is cut off there.
std::optional<std::string> ForbiddenBeforeSeparator(std::string_view text) {
    if (text.find(kFieldSeparator) != std::string_view::npos) {
        return std::string(kFieldSeparator);
    }
    if (text.ends_with(kFieldSeparator.substr(0, 2))) {
        return std::string(kFieldSeparator.substr(0, 2));
    }
    return std::nullopt;
}

}  // namespace

std::optional<RecordTextViolation> FindRecordTextViolation(const TProjectRecord& record) {
    for (std::size_t f = 0; f < kFieldCount; ++f) {
        const std::string& text = record.Fields[f];
        if (std::optional<std::string> forbidden = ForbiddenBeforeSeparator(text)) {
            return RecordTextViolation{f, 0, 0, *forbidden};
        }
        if (f != Field::ResearchContent && text.find('\t') != std::string::npos) {
            return RecordTextViolation{f, 0, 0, "\t"};
        }
    }
    for (std::size_t r = 0; r < kMemberRowCount; ++r) {
        for (std::size_t c = 0; c < kMemberCellCount; ++c) {
            const std::string& text = record.Members[r].Cells[c];
            if (text.find(kRowTerminator) != std::string::npos) {
                return RecordTextViolation{std::nullopt, r + 1, c, std::string(kRowTerminator)};
            }
            if (std::optional<std::string> forbidden = ForbiddenBeforeSeparator(text)) {
                return RecordTextViolation{std::nullopt, r + 1, c, *forbidden};
            }
        }
    }
    return std::nullopt;
}

}  // namespace shenbao
