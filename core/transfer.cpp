#include "core/transfer.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <system_error>
#include <unordered_set>

#include "platform/gbk.h"
#include "platform/io_error.h"
#include "platform/platform.h"
#include "platform/workers.h"
#include "store/index_file.h"
#include "store/journal.h"
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

// The entry `name` of `parent` (a directory, or a link where one is
// expected), also when the medium holds it in another letter case; the exact
// path when there is none.
fs::path SubdirectoryIgnoringCase(const fs::path& parent, const std::string& name) {
    fs::path exact = parent / name;
    if (platform::EntryKindOf(exact)) {
        return exact;
    }
    try {
        const platform::DirectoryListing listing(parent);
        const platform::DirectoryEntry* link = nullptr;
        for (const platform::DirectoryEntry& entry : listing.entries()) {
            if (!platform::EqualIgnoringAsciiCase(entry.name, name)) {
                continue;
            }
            if (entry.kind == platform::EntryKind::Directory) {
                return listing.PathOf(entry);
            }
            if (entry.kind == platform::EntryKind::Link && link == nullptr) {
                link = &entry;
            }
        }
        if (link != nullptr) {
            return listing.PathOf(*link);
        }
    } catch (const IoError&) {
        // No medium, or an unreadable one: the exact name.
    }
    return exact;
}

void Log(ExchangeResult& result, const LogSink& sink, std::string line) {
    if (sink) {
        sink(line);
    }
    result.log.push_back(std::move(line));
}

// `id` as a log line names it: an ID too long to read whole (an index line
// of a megabyte) is cut after 60 bytes, at a character's end.
std::string ShortenedId(const std::string& id) {
    constexpr std::size_t kShown = 60;
    if (id.size() <= kShown + 4) {
        return id;
    }
    std::size_t end = 0;
    while (end < kShown) {
        const auto byte = static_cast<unsigned char>(id[end]);
        end += byte >= 0x81 ? 2 : 1;  // a GBK lead byte takes its trail byte along
    }
    return id.substr(0, std::min(end, id.size())) + Utf8ToGbk("……");
}

// Fixed texts of the log are written here in UTF-8 and stored as GBK.
std::string G(std::string_view utf8) {
    return Utf8ToGbk(utf8);
}

// The entry of `id` + `extension` in the exchange directory `listing`,
// found also under another letter case; null when the ID could name a file
// outside the directory or no such entry is there. IDs are GBK text: the
// name is looked for with the ID's own bytes, as export writes it, and then
// in UTF-8, as a medium mounted with a converting character set shows it.
const platform::DirectoryEntry* SourceEntry(const platform::DirectoryListing& listing,
                                            std::string_view id, std::string_view extension) {
    for (const std::string& stem : {std::string(id), GbkToUtf8(id)}) {
        const std::optional<fs::path> path = platform::FileIn(listing.directory(), stem, extension);
        if (!path) {
            return nullptr;
        }
        const std::string name = path->filename().string();
        if (name.size() > kMaxFileNameLength) {
            continue;  // no file has such a name
        }
        if (const platform::DirectoryEntry* entry = listing.Find(name)) {
            return entry;
        }
    }
    return nullptr;
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

bool IsValidPathText(std::string_view pathText) {
    for (char c : pathText) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 32 || byte == 127) {
            return false;
        }
    }
    return true;
}

std::string ReadPathSetting(const fs::path& dataDir, std::string_view fileName) {
    std::optional<std::string> content =
        platform::ReadFileIfExists(dataDir / std::string(fileName), platform::Links::Follow);
    if (!content) {
        return std::string(kDefaultExchangePath);
    }
    std::vector<std::string> lines = SplitLines(*content);
    return lines.empty() ? std::string() : lines.front();
}

void WritePathSetting(const fs::path& dataDir, std::string_view fileName,
                      std::string_view pathText) {
    const fs::path path = dataDir / std::string(fileName);
    if (!IsValidPathText(pathText)) {
        throw IoError(path, EINVAL, "路径中不能有换行符、制表符等控制字符");
    }
    std::string content(pathText);
    content.append(kCrLf);
    platform::WriteFileAtomically(path, content, platform::Links::Follow);
}

fs::path ExchangeDirectory(std::string_view pathText, const fs::path& origin) {
    if (pathText.empty()) {
        throw IoError(origin, 0, "设定的数据转移路径为空");
    }
    return platform::FindGbkNamedPath(platform::MapDrivePath(GbkToUtf8(pathText)));
}

// ---- The floppy ------------------------------------------------------------------

fs::path FloppySendDirectory() {
    fs::path send = WithoutTrailingSeparator(platform::MapDrivePath(kFloppyExchangePath));
    return SubdirectoryIgnoringCase(send.parent_path(), send.filename().string());
}

namespace {

// The message that stops a floppy command while several media could be A:
// and none has been chosen in the path dialog named `dialog` (UTF-8).
std::string ChooseAMediumFirst(std::string_view dialog) {
    return G("电脑上插着多个可移动磁盘，不知道用哪一个作为驱动器A：。\n请先在“设置”菜单的“") +
           G(dialog) + G("”中，从驱动器列表里选择要用的那一个。");
}

}  // namespace

std::vector<std::string> CheckFloppyForExport() {
    if (platform::SeveralMediaNoneChosen()) {
        return {ChooseAMediumFirst("设置数据导出路径")};
    }
    std::vector<std::string> problems;
    const fs::path drive = platform::MapDrivePath("A:\\");
    const std::int64_t free = platform::MediumFreeSpace(drive);
    if (free < kFloppyMinimumFreeSpace) {
        problems.push_back(G("软盘上仅有") + std::to_string(free / 1000) +
                           G("K的空间，请换一片空软盘作为数据导出盘!"));
    }
    // The drive's root cannot be made; SEND only on a medium that is there,
    // never in the bare mount point. A SEND that is a link is not used: it
    // could lead anywhere off the disk.
    const fs::path send = FloppySendDirectory();
    const std::optional<platform::EntryKind> kind = platform::EntryKindOf(send);
    const bool ready =
        kind ? kind == platform::EntryKind::Directory
             : free >= 0 && platform::DirectoryExists(drive) && platform::CreateDirectories(send);
    if (!ready) {
        problems.push_back(G("在A：上创建\\Send失败！"));
    }
    return problems;
}

std::vector<std::string> CheckFloppyForImport() {
    if (platform::SeveralMediaNoneChosen()) {
        return {ChooseAMediumFirst("设置数据引入路径")};
    }
    if (platform::MediumFreeSpace(platform::MapDrivePath("A:\\")) < 0) {
        return {G("驱动器A：中没有软盘，请插入数据盘后再引入！")};
    }
    return {};
}

fs::path FloppyImportDirectory(std::string* refusal) {
    fs::path send = FloppySendDirectory();
    const std::optional<platform::EntryKind> kind = platform::EntryKindOf(send);
    if (kind == platform::EntryKind::Directory) {
        return send;
    }
    if (kind == platform::EntryKind::Link && refusal != nullptr) {
        *refusal = G("A:\\SEND是一个符号链接，不从中引入；改从A:\\引入。");
    }
    return platform::MapDrivePath("A:\\");
}

// ---- Export ------------------------------------------------------------------------

namespace {

// Projects copied at a time: their files are read and staged on every core,
// then logged in list order before the next ones are read. The contents of
// no more than these are held in memory at once.
constexpr std::size_t kProjectsPerRound = 2048;

// What copying the files of one project gave: its main data file read (or
// missing, or refused), the staged copies, and the member file's refusal.
struct ProjectCopy {
    platform::EntryRead::Outcome main = platform::EntryRead::Outcome::Missing;
    std::optional<IoError> mainRefusal;
    std::optional<IoError> memberRefusal;
    std::vector<platform::FileBatch::Staged> staged;
};

// Why an entry was refused, for a log line (GBK).
std::string RefusalText(const std::optional<IoError>& refusal) {
    return Utf8ToGbk(refusal ? refusal->reason() : std::string());
}

// How the log speaks of a copy: the error number of a project whose data
// file was not copied, and the verb (UTF-8).
struct CopyWording {
    std::string_view error;
    std::string_view verb;
};
constexpr CopyWording kExportWording{"421", "导出"};
constexpr CopyWording kImportWording{"432", "引入"};

// Takes a copied project: its ID `id` into `result`, its staged files to
// `adopt`, and a line for a member file left behind. A project whose data
// file is missing or was refused is only said in the log. `name` names the
// project in the lines. True when the project was taken.
template <class Adopt>
bool TakeCopy(ProjectCopy& slot, const std::string& name, const std::string& id,
              const CopyWording& words, ExchangeResult& result, const LogSink& sink,
              const Adopt& adopt) {
    const std::string error = G("错误号:") + std::string(words.error) + "  ";
    if (slot.main == platform::EntryRead::Outcome::Missing) {
        Log(result, sink, error + G("未找到项目“") + name + G("”的数据文件！"));
        return false;
    }
    if (slot.main == platform::EntryRead::Outcome::Refused) {
        Log(result, sink,
            error + G("项目“") + name + G("”的数据文件未") + G(words.verb) + G("（") +
                RefusalText(slot.mainRefusal) + G("）！"));
        return false;
    }
    result.ids.push_back(id);
    ++result.count;
    for (platform::FileBatch::Staged& file : slot.staged) {
        adopt(std::move(file));
    }
    slot.staged.clear();
    if (slot.memberRefusal) {
        Log(result, sink,
            G("项目“") + name + G("”的成员文件未") + G(words.verb) + G("（") +
                RefusalText(slot.memberRefusal) + G("）。"));
    }
    return true;
}

// When the copied slots are handed on: after each round (their contents
// are gone by then; only outcomes and staged names stay), or all of them
// once every round has been copied.
enum class Taking { EachRound, AtEnd };

// Copies the projects [0, count) of a run with `copy` (which reads the
// source files and stages their copies into the slot it gets) on every core,
// a round at a time, and hands each copied slot, in order, to `take`. On a
// failure the files staged by every slot not taken go to `cleanup` (so that
// none is left) and the failure is thrown; the slots before the failing one
// have been taken.
template <typename Copy, typename Take, typename Cleanup>
void CopyInRounds(std::size_t count, const Copy& copy, const Take& take, const Cleanup& cleanup,
                  Taking taking = Taking::EachRound) {
    std::vector<ProjectCopy> slots;  // slots[i] is project `base + i`
    std::size_t base = 0;
    const auto takeAll = [&](std::size_t end) {
        for (std::size_t p = base; p < end; ++p) {
            take(p, slots[p - base]);
        }
    };
    for (std::size_t first = 0; first < count; first += kProjectsPerRound) {
        const std::size_t size = std::min(kProjectsPerRound, count - first);
        if (taking == Taking::EachRound) {
            slots.clear();
            base = first;
        }
        slots.resize(first + size - base);
        std::size_t failedAt = size;
        try {
            platform::ForEachIndex(
                size, [&](std::size_t i) { copy(first + i, slots[first - base + i]); }, &failedAt);
        } catch (...) {
            takeAll(first + failedAt);
            for (ProjectCopy& slot : slots) {
                for (platform::FileBatch::Staged& file : slot.staged) {
                    cleanup(std::move(file));
                }
                slot.staged.clear();
            }
            throw;
        }
        if (taking == Taking::EachRound) {
            takeAll(first + size);
        }
    }
    if (taking == Taking::AtEnd) {
        takeAll(count);
    }
}

// The names a directory holds, listed once, to tell which files about to be
// written there are new: those need no look at what stands at their names.
// Without a listing (a directory that can be written but not read) every
// name is looked at.
class FreeNames {
  public:
    explicit FreeNames(const std::optional<std::vector<std::string>>& names) {
        if (names) {
            present_.insert(names->begin(), names->end());
            listed_ = true;
        }
    }
    platform::Target TargetOf(const std::string& name) const {
        return listed_ && present_.count(name) == 0 ? platform::Target::New
                                                    : platform::Target::MayExist;
    }

  private:
    std::unordered_set<std::string> present_;
    bool listed_ = false;
};

// The names of the entries of `dir`, or nothing when it cannot be listed.
std::optional<std::vector<std::string>> NamesIn(const fs::path& dir, platform::Links links) {
    try {
        const platform::DirectoryListing listing(dir, platform::Listing::Now, links);
        std::vector<std::string> names;
        for (const platform::DirectoryEntry& entry : listing.entries()) {
            names.push_back(entry.name);
        }
        return names;
    } catch (const IoError&) {
        return std::nullopt;
    }
}

}  // namespace

ExchangeResult RunExport(const fs::path& dataDir, const std::vector<ListRow>& rows,
                         const fs::path& destination, const LogSink& sink,
                         const ExportReview& review) {
    platform::RequireDirectory(destination);
    std::error_code ec;
    if (fs::equivalent(destination, dataDir, ec)) {
        // The control file would take the place of the store's own index.
        throw IoError(destination / std::string(kIndexFileName), 0,
                      "导出路径不能是本系统的数据目录");
    }
    // Temporaries of an export that was killed here earlier go (a young one
    // may belong to an export of another copy of the program still running).
    // Only a copy that replaces a file the destination holds takes that
    // file's mode; the others need no look for one.
    const FreeNames free(
        platform::RemoveStaleTemporariesListingOthers(destination, std::chrono::minutes(1)));
    const auto stage = [&](const std::string& name, const std::string& content) {
        return platform::StageFile(destination / name, content, platform::Links::Refuse,
                                   free.TargetOf(name));
    };
    // Files under their own names are read without listing the store.
    const platform::DirectoryListing store = StoreListing(dataDir, platform::Listing::OnDemand);
    ExchangeResult result;
    platform::FileBatch batch;
    const auto copy = [&](std::size_t r, ProjectCopy& slot) {
        const std::string id(Trim(rows[r][ListColumn::Id]));
        if (IsReservedId(id)) {
            return;
        }
        platform::EntryRead main = ReadProjectEntry(store, id, kMainFileExtension);
        slot.main = main.outcome;
        if (!main.read()) {
            slot.mainRefusal = std::move(main.refusal);
            return;
        }
        slot.staged.push_back(stage(main.name, main.content));
        const platform::EntryRead member = ReadProjectEntry(store, id, kMemberFileExtension);
        if (member.read()) {
            slot.staged.push_back(stage(member.name, member.content));
        } else {
            slot.memberRefusal = member.refusal;
        }
        if (review.look) {
            review.look(r, main.content, member);
        }
    };
    // A staged copy is renamed into place with the others, or removed.
    const auto adopt = [&](platform::FileBatch::Staged file) { batch.Adopt(std::move(file)); };
    const auto take = [&](std::size_t r, ProjectCopy& slot) {
        const std::string id(Trim(rows[r][ListColumn::Id]));
        // A row whose fields could not be read names its project by its ID.
        const std::string name = rows[r][ListColumn::ProjectName].empty()
                                     ? ShortenedId(id)
                                     : rows[r][ListColumn::ProjectName];
        if (!TakeCopy(slot, name, id, kExportWording, result, sink, adopt)) {
            return;
        }
        Log(result, sink, G("项目“") + name + G("”导出完毕。"));
        if (review.note) {
            if (std::string line = review.note(r); !line.empty()) {
                Log(result, sink, line);
            }
        }
    };
    // With a review every project is looked at before the first line.
    CopyInRounds(rows.size(), copy, take, adopt,
                 review.note ? Taking::AtEnd : Taking::EachRound);
    // Every file is on the disk before it takes its name. An earlier control
    // file goes before any name changes: until the new one is written last
    // (under the name the old one had), the directory has none, so no
    // importer takes a half-replaced set for a whole one.
    // A temporary that has gone meanwhile fails its rename, before the
    // control file is written.
    batch.Flush(platform::TemporaryCheck::AtRename);
    fs::path control = destination / std::string(kIndexFileName);
    if (std::optional<fs::path> found = platform::FindFile(destination, kIndexFileName);
        found && platform::EntryKindOf(*found) == platform::EntryKind::Regular) {
        control = *found;
        if (!platform::RemoveFile(control)) {
            IoError::ThrowErrno(control);
        }
        platform::FlushDirectory(destination);
    }
    batch.Rename();
    platform::WriteFileAtomically(control, FormatIdList(result.ids));
    return result;
}

// ---- Import ------------------------------------------------------------------------

namespace {

std::vector<std::string> CollectSourceIds(const platform::DirectoryListing& media) {
    if (const platform::DirectoryEntry* control = media.Find(kIndexFileName)) {
        // A control file that is no regular file stops the import.
        const platform::EntryRead read = platform::ReadEntry(media, control);
        if (read.refusal) {
            throw *read.refusal;
        }
        if (read.read()) {
            return ParseIdList(read.content);
        }
    }
    std::vector<std::string> ids;
    for (const platform::DirectoryEntry& entry : media.entries()) {
        std::string_view name(entry.name);
        if (name.front() == '.' || entry.kind == platform::EntryKind::Directory ||
            name.size() < kMemberFileExtension.size() ||
            !platform::EqualIgnoringAsciiCase(
                name.substr(name.size() - kMemberFileExtension.size()), kMemberFileExtension)) {
            continue;  // hidden, a directory, or no member file's name
        }
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

}  // namespace

std::vector<std::string> CollectSourceIds(const fs::path& source) {
    return CollectSourceIds(platform::DirectoryListing(source));
}

ExchangeResult RunImport(const fs::path& dataDir, std::string listed, const fs::path& source,
                         const LogSink& sink, const IdGenerator& generate) {
    platform::RequireDirectory(source);
    const platform::DirectoryListing media(source);
    const std::vector<std::string> sourceIds = CollectSourceIds(media);

    // A project named twice (the same ID, or another spelling of it that
    // finds the same main data file) is taken once.
    std::vector<bool> repeated(sourceIds.size(), false);
    {
        std::unordered_set<std::string_view> ids;
        std::unordered_set<const platform::DirectoryEntry*> files;
        for (std::size_t i = 0; i < sourceIds.size(); ++i) {
            const platform::DirectoryEntry* main =
                SourceEntry(media, sourceIds[i], kMainFileExtension);
            repeated[i] =
                !ids.insert(sourceIds[i]).second || (main != nullptr && !files.insert(main).second);
        }
    }

    // New IDs for all source IDs first, each tested against the list and the
    // IDs drawn before it (added to the list's text as the list would hold them).
    TakenIds taken(std::move(listed));
    std::vector<std::optional<std::string>> newIds(sourceIds.size());
    for (std::size_t i = 0; i < sourceIds.size(); ++i) {
        if (repeated[i]) {
            continue;
        }
        for (int attempt = 0; attempt < kImportIdAttempts; ++attempt) {
            std::string candidate = generate ? generate() : GenerateProjectId();
            if (ProjectFilePath(dataDir, candidate, kMainFileExtension) &&
                !IsReservedId(candidate) && !taken.Contains(candidate)) {
                taken.Add(candidate);
                newIds[i] = std::move(candidate);
                break;
            }
        }
    }

    // The files and the index lines of the new projects are one change of the
    // store: a run killed half-way leaves the store as before, or (once its
    // journal is on the disk) is finished at the next start.
    // The files are read and staged on every core, a round of projects at a
    // time, and logged in order.
    ExchangeResult result;
    StoreChange change(dataDir);
    // The store is this program's alone while it runs: a new project's file
    // name that its listing does not show stays free.
    const FreeNames free(NamesIn(dataDir, platform::Links::Follow));
    const auto stage = [&](const std::string& newId, std::string_view extension,
                           const std::string& content) {
        const fs::path path = *ProjectFilePath(dataDir, newId, extension);
        return platform::StageFile(path, content, platform::Links::Follow,
                                   free.TargetOf(path.filename().string()));
    };
    const auto copy = [&](std::size_t i, ProjectCopy& slot) {
        const std::string& sourceId = sourceIds[i];
        if (repeated[i] || !newIds[i] || IsReservedId(sourceId)) {
            return;
        }
        platform::EntryRead main =
            platform::ReadEntry(media, SourceEntry(media, sourceId, kMainFileExtension));
        slot.main = main.outcome;
        if (!main.read()) {
            slot.mainRefusal = std::move(main.refusal);
            return;
        }
        slot.staged.push_back(stage(*newIds[i], kMainFileExtension, main.content));
        main.content = std::string();
        const platform::EntryRead member =
            platform::ReadEntry(media, SourceEntry(media, sourceId, kMemberFileExtension));
        if (member.read()) {
            slot.staged.push_back(stage(*newIds[i], kMemberFileExtension, member.content));
        } else {
            slot.memberRefusal = member.refusal;
        }
    };
    // A staged copy is renamed into place with the others, or removed.
    const auto adopt = [&](platform::FileBatch::Staged file) { change.Adopt(std::move(file)); };
    const auto take = [&](std::size_t i, ProjectCopy& slot) {
        const std::string& sourceId = sourceIds[i];
        if (repeated[i]) {
            Log(result, sink, G("项目“") + sourceId + G("”在引入的目录中重复出现，只引入一次。"));
            return;
        }
        if (!newIds[i]) {
            Log(result, sink,
                G("错误号:408   未能为项目“") + sourceId + G("”产生一个唯一的ID号，未引入！"));
            return;
        }
        const std::string& newId = *newIds[i];
        if (!TakeCopy(slot, sourceId, newId, kImportWording, result, sink, adopt)) {
            return;
        }
        Log(result, sink, G("ID号为“") + newId + G("”的项目引入完毕。"));
    };
    CopyInRounds(sourceIds.size(), copy, take, adopt);
    if (result.count > 0) {
        change.Write(IndexFilePath(dataDir), AppendedIndexText(dataDir, result.ids));
        change.Commit();
    }
    // A failure before the commit leaves nothing: the staged files are
    // removed with the change.
    return result;
}

}  // namespace shenbao
