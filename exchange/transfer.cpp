#include "exchange/transfer.h"

#include <cerrno>
#include <optional>
#include <system_error>
#include <unordered_set>

#include "platform/gbk.h"
#include "platform/platform.h"
#include "store/index_file.h"
#include "store/io_error.h"
#include "store/project_id.h"
#include "store/project_record.h"
#include "store/text.h"

namespace shenbao {

namespace fs = std::filesystem;

namespace {

// `dir` without a trailing separator (the root stays "/").
fs::path WithoutTrailingSeparator(const fs::path& dir) {
    if (dir.has_filename() || !dir.has_relative_path()) {
        return dir;
    }
    return dir.parent_path();
}

// The subdirectory `name` of `parent`, or one whose name differs only in
// letter case when that exists instead.
fs::path SubdirectoryIgnoringCase(const fs::path& parent, const std::string& name) {
    fs::path exact = parent / name;
    if (platform::DirectoryExists(exact)) {
        return exact;
    }
    std::error_code ec;
    for (fs::directory_iterator it(parent, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string entry = it->path().filename().string();
        if (EqualIgnoringAsciiCase(entry, name) && platform::DirectoryExists(it->path())) {
            return it->path();
        }
    }
    return exact;
}

void RequireDirectory(const fs::path& dir) {
    if (platform::DirectoryExists(dir)) {
        return;
    }
    IoError::ThrowCode(dir, platform::FileExists(dir) ? ENOTDIR : ENOENT);
}

void Log(ExchangeResult& result, const LogSink& sink, std::string line) {
    if (sink) {
        sink(line);
    }
    result.log.push_back(std::move(line));
}

// Fixed texts of the log are written here in UTF-8 and stored as GBK.
std::string G(std::string_view utf8) {
    return Utf8ToGbk(utf8);
}

// The file `id` + `extension` in the exchange directory `dir`, found also
// under another letter case; nothing when the ID could name a file outside
// the directory or no such file is there. IDs are GBK text: the name is
// looked for with the ID's own bytes, as export writes it, and then in
// UTF-8, as a medium mounted with a converting character set shows it.
std::optional<fs::path> SourceFile(const fs::path& dir, std::string_view id,
                                   std::string_view extension) {
    for (std::string name : {std::string(id), GbkToUtf8(id)}) {
        name.append(extension);
        if (!FileInDirectory(dir, name)) {
            return std::nullopt;
        }
        if (std::optional<fs::path> found = platform::FindFile(dir, name)) {
            return found;
        }
    }
    return std::nullopt;
}

// The list's ID column as text, answering whether a candidate ID occurs in it
// as a run of bytes. Candidates of the usual ID length are looked up among
// the text's 8-byte windows that hold no line break, which answers exactly
// as a search of the text would; others are searched for.
class TakenIds {
  public:
    explicit TakenIds(std::string text) : text_(std::move(text)) { AddWindows(0); }

    bool Contains(std::string_view candidate) const {
        if (candidate.size() == kWindow && !HasLineBreak(candidate)) {
            return windows_.count(std::string(candidate)) != 0;
        }
        return text_.find(candidate) != std::string::npos;
    }

    // Adds a cell to the text, followed by CR LF.
    void Add(std::string_view id) {
        // Windows that begin up to 7 bytes before the new cell reach into it.
        const std::size_t start = text_.size() >= kWindow ? text_.size() - kWindow + 1 : 0;
        text_.append(id);
        text_.append(kCrLf);
        AddWindows(start);
    }

  private:
    static constexpr std::size_t kWindow = kProjectIdLength;

    static bool HasLineBreak(std::string_view text) {
        return text.find_first_of("\r\n") != std::string_view::npos;
    }

    void AddWindows(std::size_t from) {
        for (std::size_t p = from; p + kWindow <= text_.size(); ++p) {
            std::string_view window(text_.data() + p, kWindow);
            if (!HasLineBreak(window)) {
                windows_.emplace(window);
            }
        }
    }

    std::string text_;
    std::unordered_set<std::string> windows_;
};

}  // namespace

std::string ReadPathSetting(const fs::path& dataDir, std::string_view fileName) {
    std::optional<std::string> content =
        platform::ReadFileIfExists(dataDir / std::string(fileName));
    if (!content) {
        return std::string(kDefaultExchangePath);
    }
    std::vector<std::string> lines = SplitLines(*content);
    return lines.empty() ? std::string() : lines.front();
}

void WritePathSetting(const fs::path& dataDir, std::string_view fileName,
                      std::string_view pathText) {
    std::string content(pathText);
    content.append(kCrLf);
    platform::ReplaceFile(dataDir / std::string(fileName), content);
}

fs::path ExchangeDirectory(std::string_view pathText, const fs::path& origin) {
    if (pathText.empty()) {
        throw IoError(origin, 0, "设定的数据转移路径为空");
    }
    return platform::MapDrivePath(GbkToUtf8(pathText));
}

// ---- The floppy ------------------------------------------------------------------

fs::path FloppySendDirectory() {
    fs::path send = WithoutTrailingSeparator(platform::MapDrivePath(kFloppyExchangePath));
    return SubdirectoryIgnoringCase(send.parent_path(), send.filename().string());
}

std::vector<std::string> CheckFloppyForExport() {
    std::vector<std::string> problems;
    const fs::path drive = platform::MapDrivePath("A:\\");
    const std::int64_t free = platform::MediumFreeSpace(drive);
    if (free < kFloppyMinimumFreeSpace) {
        problems.push_back(G("软盘上仅有") + std::to_string(free / 1000) +
                           G("K的空间，请换一片空软盘作为数据导出盘!"));
    }
    // The drive's root cannot be made; SEND only on a medium that is there,
    // never in the bare mount point.
    const fs::path send = FloppySendDirectory();
    if (!platform::DirectoryExists(send) &&
        !(free >= 0 && platform::DirectoryExists(drive) && platform::CreateDirectories(send))) {
        problems.push_back(G("在A：上创建\\Send失败！"));
    }
    return problems;
}

fs::path FloppyImportDirectory() {
    fs::path send = FloppySendDirectory();
    if (platform::DirectoryExists(send)) {
        return send;
    }
    return platform::MapDrivePath("A:\\");
}

// ---- Export ------------------------------------------------------------------------

ExchangeResult RunExport(const fs::path& dataDir, const std::vector<ListRow>& rows,
                         const fs::path& destination, const LogSink& sink) {
    RequireDirectory(destination);
    std::error_code ec;
    if (fs::equivalent(destination, dataDir, ec)) {
        // The control file would take the place of the store's own index.
        throw IoError(destination / std::string(kIndexFileName), 0,
                      "导出路径不能是本系统的数据目录");
    }
    ExchangeResult result;
    platform::FileBatch batch;
    for (const ListRow& row : rows) {
        const std::string id(Trim(row[0]));
        const std::string& name = row[2];
        std::optional<fs::path> main = FindProjectFile(dataDir, id, kMainFileExtension);
        if (!main) {
            Log(result, sink, G("错误号:421  未找到项目“") + name + G("”的数据文件！"));
            continue;
        }
        result.ids.push_back(id);
        ++result.count;
        batch.Copy(*main, destination / main->filename());
        if (std::optional<fs::path> member = FindProjectFile(dataDir, id, kMemberFileExtension)) {
            batch.Copy(*member, destination / member->filename());
        }
        Log(result, sink, G("项目“") + name + G("”导出完毕。"));
    }
    // The control file names only projects whose files are on the disk.
    batch.Commit();
    platform::ReplaceFile(destination / std::string(kIndexFileName), FormatIdList(result.ids));
    return result;
}

// ---- Import ------------------------------------------------------------------------

std::vector<std::string> CollectSourceIds(const fs::path& source) {
    if (std::optional<fs::path> control = platform::FindFile(source, kIndexFileName)) {
        return ParseIdList(platform::ReadFile(*control));
    }
    std::vector<std::string> ids;
    for (const std::string& name : platform::ListFilesWithExtension(source, kMemberFileExtension)) {
        std::string_view trimmed = Trim(name);
        std::string_view stem = trimmed.substr(0, trimmed.find('.'));
        if (!stem.empty()) {
            // A name in UTF-8 holds the ID converted; any other name holds
            // the ID's own bytes.
            ids.push_back(IsUtf8(stem) ? Utf8ToGbk(stem) : std::string(stem));
        }
    }
    return ids;
}

ExchangeResult RunImport(const fs::path& dataDir, std::string listed, const fs::path& source,
                         const LogSink& sink, const IdGenerator& generate) {
    RequireDirectory(source);
    const std::vector<std::string> sourceIds = CollectSourceIds(source);

    // New IDs for all source IDs first, each tested against the list and the
    // IDs drawn before it (added to the list's text as the list would hold them).
    TakenIds taken(std::move(listed));
    std::vector<std::optional<std::string>> newIds;
    newIds.reserve(sourceIds.size());
    for (std::size_t i = 0; i < sourceIds.size(); ++i) {
        std::optional<std::string> fresh;
        for (int attempt = 0; attempt < kImportIdAttempts; ++attempt) {
            std::string candidate = generate ? generate() : GenerateProjectId();
            if (FileInDirectory(dataDir, candidate) && !taken.Contains(candidate)) {
                taken.Add(candidate);
                fresh = std::move(candidate);
                break;
            }
        }
        newIds.push_back(std::move(fresh));
    }

    ExchangeResult result;
    platform::FileBatch batch;
    for (std::size_t i = 0; i < sourceIds.size(); ++i) {
        const std::string& sourceId = sourceIds[i];
        if (!newIds[i]) {
            Log(result, sink,
                G("错误号:408   未能为项目“") + sourceId + G("”产生一个唯一的ID号，未引入！"));
            continue;
        }
        const std::string& newId = *newIds[i];
        std::optional<fs::path> main = SourceFile(source, sourceId, kMainFileExtension);
        if (!main) {
            Log(result, sink, G("错误号:432  未找到项目“") + sourceId + G("”的数据文件！"));
            continue;
        }
        result.ids.push_back(newId);
        ++result.count;
        batch.Copy(*main, dataDir / (newId + std::string(kMainFileExtension)));
        if (std::optional<fs::path> member = SourceFile(source, sourceId, kMemberFileExtension)) {
            batch.Copy(*member, dataDir / (newId + std::string(kMemberFileExtension)));
        }
        Log(result, sink, G("ID号为“") + newId + G("”的项目引入完毕。"));
    }
    if (result.count > 0) {
        // The index names the new projects only once their files are on the disk.
        batch.Commit();
        AppendIndex(dataDir, result.ids);
    }
    return result;
}

}  // namespace shenbao
