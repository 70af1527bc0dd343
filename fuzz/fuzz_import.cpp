// The import of an exchange directory. The input makes a source directory:
// a control file (under either letter case) or none, and a few files,
// directories, FIFOs and links out of the directory, with names from the
// input. CollectSourceIds must take the control file's IDs or the member
// entries' stems; RunImport into a fresh scratch data directory must read
// only from the two directories (never through a link), write only into the
// data directory, leave the source as it was, take a project named twice
// once, and leave the data directory holding just the imported projects and
// the index.

#include <fuzzer/FuzzedDataProvider.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/transfer.h"
#include "fuzz/fuzz_support.h"
#include "platform/gbk.h"
#include "platform/io_error.h"
#include "platform/platform.h"
#include "store/journal.h"
#include "store/index_file.h"
#include "store/project_id.h"
#include "store/project_record.h"
#include "store/text.h"

namespace {

namespace fs = std::filesystem;
using namespace shenbao;

const fs::path& SourceDir() {
    return fuzz::ScratchDirectory("source");
}

const fs::path& DataDir() {
    return fuzz::ScratchDirectory("target");
}

// A name that stays inside the source directory when joined to it.
bool SafeName(const std::string& name) {
    return !name.empty() && name.size() <= 200 && name != "." && name != ".." &&
           name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

// "/" makes a directory, "@" a link to a file outside, "|" a FIFO, each
// under a main data file's name ("@" and "|" also under a member file's).
constexpr const char* kExtensions[] = {".zj", ".zzj", ".ZJ", ".Zzj", "",
                                       "/",   "@",    "|",   "@zj",  "|zj"};

// A file outside the source that no import may read.
constexpr std::string_view kSecret = "outside the exchange directory";
const fs::path& SecretFile() {
    static const fs::path path = [] {
        const fs::path dir = fuzz::MakeScratchDirectory("outside");
        fuzz::WriteBytes(dir / "secret", kSecret);
        return dir / "secret";
    }();
    return path;
}

bool EndsWithIgnoringCase(std::string_view text, std::string_view tail) {
    if (text.size() < tail.size()) {
        return false;
    }
    text = text.substr(text.size() - tail.size());
    return std::equal(text.begin(), text.end(), tail.begin(), [](char a, char b) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
        return lower(a) == lower(b);
    });
}

struct Source {
    bool controlFile = false;
    std::string controlText;
    // Regular files: name -> content.
    std::vector<std::pair<std::string, std::string>> files;
    // Links and FIFOs.
    std::vector<std::string> others;
};

Source MakeSource(FuzzedDataProvider& input, std::uint8_t flags) {
    fuzz::EmptyDirectory(SourceDir());
    Source source;
    const std::size_t count = input.ConsumeIntegralInRange<std::size_t>(0, 6);
    for (std::size_t i = 0; i < count; ++i) {
        std::string name = input.ConsumeRandomLengthString(24);
        const std::string extension =
            kExtensions[input.ConsumeIntegralInRange<std::size_t>(0, std::size(kExtensions) - 1)];
        std::string content = input.ConsumeRandomLengthString(4096);
        if (!SafeName(name)) {
            continue;
        }
        if (extension == "/") {
            // A directory where a main data file or the control file could be.
            ::mkdir((SourceDir() / (name + std::string(kMainFileExtension))).c_str(), 0755);
            continue;
        }
        if (extension.front() == '@' || extension.front() == '|') {
            const std::string_view tail =
                extension.size() > 1 ? kMemberFileExtension : kMainFileExtension;
            const fs::path entry = SourceDir() / (name + std::string(tail));
            if (SafeName(entry.filename().string()) &&
                !(entry.filename().string().size() == kIndexFileName.size() &&
                  EndsWithIgnoringCase(entry.filename().string(), kIndexFileName)) &&
                !fs::exists(fs::symlink_status(entry))) {
                if (extension.front() == '@') {
                    ::symlink(SecretFile().c_str(), entry.c_str());
                } else {
                    ::mkfifo(entry.c_str(), 0644);
                }
                source.others.push_back(entry.filename().string());
            }
            continue;
        }
        name.append(extension);
        // Control files come only from the flags below.
        if (!SafeName(name) ||
            (name.size() == kIndexFileName.size() && EndsWithIgnoringCase(name, kIndexFileName)) ||
            fs::exists(fs::symlink_status(SourceDir() / name))) {
            continue;
        }
        fuzz::WriteBytes(SourceDir() / name, content);
        source.files.emplace_back(name, std::move(content));
    }
    const std::string controlName = (flags & 2) ? "VEMRA.ZZJ" : std::string(kIndexFileName);
    source.controlFile =
        (flags & 1) == 0 && !fs::exists(fs::symlink_status(SourceDir() / controlName));
    if (source.controlFile) {
        source.controlText = input.ConsumeRemainingBytesAsString();
        fuzz::WriteBytes(SourceDir() / controlName, source.controlText);
        // The control file can be named as a project's main data file too.
        source.files.emplace_back(controlName, source.controlText);
    }
    return source;
}

// The IDs the source should give: the control file's lines, or the stems of
// the visible member entries that are no directories.
std::vector<std::string> ExpectedSourceIds(const Source& source) {
    if (source.controlFile) {
        return ParseIdList(source.controlText);
    }
    std::vector<std::string> names = source.others;
    for (const auto& [name, content] : source.files) {
        names.push_back(name);
    }
    std::vector<std::string> ids;
    for (const std::string& name : names) {
        if (name.front() == '.' || !EndsWithIgnoringCase(name, kMemberFileExtension)) {
            continue;
        }
        std::string_view trimmed = Trim(name);
        std::string_view stem = trimmed.substr(0, trimmed.find('.'));
        if (!stem.empty()) {
            ids.push_back(IsUtf8(stem) ? Utf8ToGbk(stem) : std::string(stem));
        }
    }
    return ids;
}

// What each log line stands for, found by walking the source IDs in order:
// a source ID gives one line, or a member file's line before its imported
// line. Repeats and member files' lines draw no new ID.
enum class Line { Draws, Repeat, Member };

std::vector<Line> ClassifyLines(const std::vector<std::string>& sourceIds,
                                const ExchangeResult& result) {
    const std::vector<std::string>& log = result.log;
    std::vector<Line> lines;
    std::size_t j = 0;
    for (const std::string& id : sourceIds) {
        FUZZ_CHECK(j < log.size());
        if (log[j] ==
            Utf8ToGbk("项目“") + id + Utf8ToGbk("”在引入的目录中重复出现，只引入一次。")) {
            lines.push_back(Line::Repeat);
            ++j;
            continue;
        }
        if (log[j].starts_with(Utf8ToGbk("项目“") + id + Utf8ToGbk("”的成员文件未引入（")) &&
            log[j].ends_with(Utf8ToGbk("）。")) && j + 1 < log.size() &&
            log[j + 1].starts_with(Utf8ToGbk("ID号为“"))) {
            lines.push_back(Line::Member);
            ++j;
        }
        lines.push_back(Line::Draws);
        ++j;
    }
    FUZZ_CHECK(j == log.size());
    return lines;
}

// Replays the drawing of new IDs over the candidates the run was offered,
// with a plain search of the list text: each source ID named for the first
// time takes the first candidate that names a file in the data directory,
// is no reserved ID and occurs nowhere in the list or among the IDs taken
// before it, within kImportIdAttempts. (The draws all come before the copies;
// the log keeps the order of the source IDs.)
void CheckNewIds(const std::string& listed, const std::vector<std::string>& offered,
                 const ExchangeResult& result, const std::vector<Line>& kinds) {
    std::string text = listed;
    std::size_t k = 0;
    const std::string imported = Utf8ToGbk("ID号为“");
    for (std::size_t j = 0; j < result.log.size(); ++j) {
        const std::string& line = result.log[j];
        if (kinds[j] != Line::Draws) {
            continue;
        }
        std::optional<std::string> fresh;
        for (int attempt = 0; attempt < kImportIdAttempts && k < offered.size(); ++attempt) {
            const std::string& candidate = offered[k++];
            if (ProjectFilePath(DataDir(), candidate, kMainFileExtension) && !IsReservedId(candidate) &&
                text.find(candidate) == std::string::npos) {
                text.append(candidate);
                text.append(kCrLf);
                fresh = candidate;
                break;
            }
        }
        if (!fresh) {
            FUZZ_CHECK(line.starts_with(Utf8ToGbk("错误号:408")));
        } else if (line.starts_with(imported)) {
            FUZZ_CHECK(line == imported + *fresh + Utf8ToGbk("”的项目引入完毕。"));
        }
    }
    FUZZ_CHECK(k == offered.size());
}

bool Inside(const fs::path& dir, const fs::path& path) {
    return path.parent_path() == dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::uint8_t flags = input.ConsumeIntegral<std::uint8_t>();
    // A few candidate IDs out of the input come before the real generator.
    std::vector<std::string> candidates((flags >> 4) & 3);
    for (std::string& candidate : candidates) {
        candidate = input.ConsumeRandomLengthString(16);
    }
    std::string listed = (flags & 4) ? input.ConsumeRandomLengthString(64) : std::string();
    const Source source = MakeSource(input, flags);

    // A directory under the control file's name (and no control file beside
    // it): the import is refused before anything is written.
    bool controlIsDirectory = false;
    for (const auto& entry : fs::directory_iterator(SourceDir())) {
        controlIsDirectory =
            controlIsDirectory ||
            (!source.controlFile && entry.is_directory() &&
             entry.path().filename().string().size() == kIndexFileName.size() &&
             EndsWithIgnoringCase(entry.path().filename().string(), kIndexFileName));
    }
    if (controlIsDirectory) {
        fuzz::EmptyDirectory(DataDir());
        int refusals = 0;
        try {
            CollectSourceIds(SourceDir());
        } catch (const IoError& error) {
            refusals += error.errorCode() == EISDIR ? 1 : 0;
        }
        try {
            RunImport(DataDir(), listed, SourceDir());
        } catch (const IoError& error) {
            refusals += error.errorCode() == EISDIR ? 1 : 0;
        }
        FUZZ_CHECK(refusals == 2);
        FUZZ_CHECK(fuzz::Snapshot(DataDir()).empty());
        return 0;
    }

    const std::vector<std::string> inOrder = CollectSourceIds(SourceDir());
    std::vector<std::string> sourceIds = inOrder;
    std::vector<std::string> expected = ExpectedSourceIds(source);
    std::sort(sourceIds.begin(), sourceIds.end());
    std::sort(expected.begin(), expected.end());
    FUZZ_CHECK(sourceIds == expected);

    fuzz::EmptyDirectory(DataDir());
    const auto sourceBefore = fuzz::Snapshot(SourceDir());
    SeedRandom(20010716);
    std::size_t next = 0;
    // With flag 8 they are all it ever offers, so that every candidate may be
    // refused; each source ID then costs kImportIdAttempts draws, so only
    // for a few.
    const bool cycle = (flags & 8) != 0 && !candidates.empty() && sourceIds.size() <= 2;
    std::vector<std::string> offered;
    auto generate = [&]() {
        if (cycle && next == candidates.size()) {
            next = 0;  // only ever the input's candidates: all may be refused
        }
        offered.push_back(next < candidates.size() ? candidates[next++] : GenerateProjectId());
        return offered.back();
    };
    platform::SetFaultInjector([](platform::FileOperation operation, const fs::path& path) {
        switch (operation) {
            case platform::FileOperation::Read:
            case platform::FileOperation::ReadOn:
                FUZZ_CHECK(Inside(SourceDir(), path) || Inside(DataDir(), path));
                break;
            case platform::FileOperation::Write:
            case platform::FileOperation::Sync:
            case platform::FileOperation::Rename:
                // The store's files, and the directories whose entries a
                // change flushes.
                FUZZ_CHECK(Inside(DataDir(), path) || path == DataDir() ||
                           path == DataDir().parent_path());
                break;
            case platform::FileOperation::List:
                FUZZ_CHECK(path == SourceDir() || path == DataDir());
                break;
            case platform::FileOperation::Remove:
                // Only the import's own journal, once the import has ended.
                FUZZ_CHECK(path == DataDir() / std::string(kJournalFileName));
                break;
            case platform::FileOperation::CreateDirectory:
                FUZZ_CHECK(false);
        }
        return 0;
    });
    const ExchangeResult result = RunImport(DataDir(), listed, SourceDir(), {}, generate);
    platform::SetFaultInjector({});
    if (std::getenv("SHENBAO_FUZZ_VERBOSE") != nullptr) {
        std::fprintf(stderr, "control file: %d, source IDs: %zu, imported: %d\n",
                     source.controlFile ? 1 : 0, sourceIds.size(), result.count);
        for (const std::string& line : result.log) {
            std::fprintf(stderr, "  %s\n", GbkToUtf8(line).c_str());
        }
    }

    FUZZ_CHECK(fuzz::Snapshot(SourceDir()) == sourceBefore);
    // One line per source ID, and a line per member file refused.
    const std::vector<Line> kinds = ClassifyLines(inOrder, result);
    CheckNewIds(listed, offered, result, kinds);
    // A project named twice comes in once.
    FUZZ_CHECK(result.count <=
               static_cast<int>(std::set<std::string>(sourceIds.begin(), sourceIds.end()).size()));
    FUZZ_CHECK(result.count == static_cast<int>(result.ids.size()));
    FUZZ_CHECK(std::set<std::string>(result.ids.begin(), result.ids.end()).size() ==
               result.ids.size());

    // The data directory holds the index and the files of the new IDs only.
    std::set<std::string> allowed;
    if (result.count > 0) {
        allowed.insert(std::string(kIndexFileName));
    }
    for (const std::string& id : result.ids) {
        FUZZ_CHECK(ProjectFilePath(DataDir(), id, kMainFileExtension).has_value());
        FUZZ_CHECK(listed.find(id) == std::string::npos);
        // Under the names the store gives them (an offered candidate may
        // carry blanks or control bytes at its ends, which a name drops).
        for (std::string_view extension : {kMainFileExtension, kMemberFileExtension}) {
            allowed.insert(ProjectFilePath(DataDir(), id, extension)->filename().string());
        }
    }
    const auto after = fuzz::Snapshot(DataDir());
    for (const auto& [name, content] : after) {
        FUZZ_CHECK(allowed.count(name) == 1);
        FUZZ_CHECK(content != kSecret);
    }
    if (candidates.empty()) {
        // Real IDs: every one is listed in the index and has its main file,
        // a copy of one of the source's main data files.
        FUZZ_CHECK(LoadIndex(DataDir()) == result.ids);
        for (const std::string& id : result.ids) {
            const auto main = after.find(id + std::string(kMainFileExtension));
            FUZZ_CHECK(main != after.end());
            FUZZ_CHECK(std::any_of(source.files.begin(), source.files.end(), [&](const auto& file) {
                return EndsWithIgnoringCase(file.first, kMainFileExtension) &&
                       file.second == main->second;
            }));
        }
    }
    return 0;
}
