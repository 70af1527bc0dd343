#include "store/journal.h"

#include <unistd.h>
#include <cerrno>

#include <cstdio>
#include <optional>
#include <unordered_set>
#include <utility>

#include "platform/io_error.h"
#include "store/codec.h"
#include "store/index_file.h"
#include "store/project_record.h"
#include "store/text.h"

namespace shenbao {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kJournalHeader = "SHENBAO-JOURNAL 1";
constexpr std::string_view kJournalEnd = "END";
// The journal of imports of earlier versions of the program.
constexpr std::string_view kOldImportJournalFileName = "_Import.zzj";

fs::path JournalPath(const fs::path& dataDir) {
    return dataDir / std::string(kJournalFileName);
}

// One step of a recorded change.
struct Step {
    bool rename = false;  // else a removal
    fs::path from;        // the temporary of a rename
    fs::path path;        // the final name, or the file removed
};

// Paths are recorded in the field codec (any bytes, one word each): a file
// of the data directory by its name alone, any other (where a link leads)
// in full.
std::string Encoded(const fs::path& dataDir, const fs::path& path) {
    const bool inside = path.parent_path() == dataDir.parent_path() && path.has_filename();
    return EncodeField(inside ? path.filename().native() : fs::absolute(path).native());
}

fs::path Decoded(const fs::path& dataDir, std::string_view word) {
    const fs::path path(DecodeField(word));
    return path.is_absolute() ? path : dataDir / path;
}

std::string JournalText(const fs::path& dataDir,
                        const std::vector<platform::FileBatch::Staged>& staged,
                        const std::vector<fs::path>& removals) {
    std::string text(kJournalHeader);
    text.append(kCrLf);
    for (const platform::FileBatch::Staged& file : staged) {
        text.append("W ").append(Encoded(dataDir, file.temporary)).append(" ");
        text.append(Encoded(dataDir, file.target)).append(kCrLf);
    }
    for (const fs::path& path : removals) {
        text.append("D ").append(Encoded(dataDir, path)).append(kCrLf);
    }
    text.append(kJournalEnd).append(kCrLf);
    return text;
}

// The steps of a journal, or nothing when it is not whole (it always is
// when the program wrote it: it gets its name only once complete).
std::optional<std::vector<Step>> ParseJournal(const fs::path& dataDir, std::string_view content) {
    const std::vector<std::string> lines = SplitLines(content);
    if (lines.size() < 2 || lines.front() != kJournalHeader || lines.back() != kJournalEnd) {
        return std::nullopt;
    }
    std::vector<Step> steps;
    for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
        const std::vector<std::string> words = SplitFields(lines[i], " ");
        if (words.size() == 3 && words[0] == "W") {
            steps.push_back({true, Decoded(dataDir, words[1]), Decoded(dataDir, words[2])});
        } else if (words.size() == 2 && words[0] == "D") {
            steps.push_back({false, {}, Decoded(dataDir, words[1])});
        } else {
            return std::nullopt;
        }
    }
    return steps;
}

void AddDirectory(std::vector<fs::path>& directories, const fs::path& file) {
    const fs::path dir = file.parent_path();
    for (const fs::path& known : directories) {
        if (known == dir) {
            return;
        }
    }
    directories.push_back(dir);
}

void RemoveForChange(const fs::path& path) {
    if (int fault = platform::InjectedFaultFor(platform::FileOperation::Remove, path)) {
        IoError::ThrowCode(path, fault);
    }
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
        IoError::ThrowErrno(path);
    }
}

// Whether the steps of a journal may have been partly carried out already.
enum class Progress { Fresh, MaybePartly };

// Carries out the steps of a journal. Of a change that may be partly made,
// a temporary that is gone was renamed already; of a fresh one, whose
// temporaries were all there when it was flushed, every one is renamed (one
// that has gone meanwhile fails its rename, and the journal stays for the
// next start). A file that is gone was removed already. Then the journal
// goes. Throws IoError.
void FinishSteps(const fs::path& dataDir, const std::vector<Step>& steps, Progress progress) {
    std::vector<fs::path> directories;
    for (const Step& step : steps) {
        if (!step.rename) {
            continue;
        }
        if (progress == Progress::Fresh || platform::EntryKindOf(step.from)) {
            if (int fault =
                    platform::InjectedFaultFor(platform::FileOperation::Rename, step.path)) {
                IoError::ThrowCode(step.path, fault);
            }
            if (::rename(step.from.c_str(), step.path.c_str()) != 0) {
                IoError::ThrowErrno(step.path);
            }
        }
        AddDirectory(directories, step.path);
    }
    for (const Step& step : steps) {
        if (!step.rename) {
            RemoveForChange(step.path);
            AddDirectory(directories, step.path);
        }
    }
    for (const fs::path& dir : directories) {
        platform::FlushDirectory(dir);
    }
    // The journal's removal needs no flush of its own: should it come back
    // after a power cut, finishing it again changes nothing, and the next
    // change's journal flushes the directory before anything else happens.
    RemoveForChange(JournalPath(dataDir));
}

// Finishes the change the journal of `dataDir` records, if there is one.
// True when there was one. A journal that is not whole is removed (its
// change never counted). Throws IoError.
bool FinishRecordedChange(const fs::path& dataDir) {
    const fs::path journal = JournalPath(dataDir);
    const std::optional<std::string> content = platform::ReadFileIfExists(journal);
    if (!content) {
        return false;
    }
    const std::optional<std::vector<Step>> steps = ParseJournal(dataDir, *content);
    if (!steps) {
        RemoveForChange(journal);
        return false;
    }
    FinishSteps(dataDir, *steps, Progress::MaybePartly);
    return true;
}

// Earlier versions kept a journal of the IDs an import was writing; their
// files go when the index does not name them.
std::size_t TakeBackOldImport(const fs::path& dataDir) {
    const fs::path path = dataDir / std::string(kOldImportJournalFileName);
    const std::optional<std::string> journal = platform::ReadFileIfExists(path);
    if (!journal) {
        return 0;
    }
    const std::vector<std::string> stored = LoadIndex(dataDir);
    const std::unordered_set<std::string> indexed(stored.begin(), stored.end());
    std::size_t removed = 0;
    for (const std::string& id : ParseIdList(*journal)) {
        if (indexed.count(id) != 0 || IsReservedId(id)) {
            continue;
        }
        for (std::string_view extension : {kMainFileExtension, kMemberFileExtension}) {
            if (std::optional<fs::path> file = ProjectFilePath(dataDir, id, extension)) {
                removed += platform::RemoveFile(*file) ? 1 : 0;
            }
        }
    }
    platform::RemoveFile(path);
    return removed;
}

}  // namespace

StoreChange::StoreChange(fs::path dataDir) : dataDir_(std::move(dataDir)) {
    FinishRecordedChange(dataDir_);
}

void StoreChange::Write(const fs::path& path, std::string_view content) {
    batch_.Stage(path, content, platform::Links::Follow);
}

void StoreChange::Remove(const fs::path& path) {
    removals_.push_back(path);
}

void StoreChange::Commit() {
    std::vector<Step> steps;
    for (const platform::FileBatch::Staged& file : batch_.staged()) {
        steps.push_back({true, file.temporary, file.target});
    }
    for (const fs::path& path : removals_) {
        steps.push_back({false, {}, path});
    }
    if (steps.empty()) {
        return;
    }
    // Every new file is on the disk before the journal counts on it, and the
    // journal before any name changes.
    batch_.Flush();
    platform::WriteFileAtomically(JournalPath(dataDir_),
                                  JournalText(dataDir_, batch_.staged(), removals_));
    // From here on the change is made; the staged files are the journal's.
    batch_.Release();
    FinishSteps(dataDir_, steps, Progress::Fresh);
}

RecoveredFiles RecoverInterruptedWork(const fs::path& dataDir) noexcept {
    RecoveredFiles recovered;
    try {
        recovered.finished = FinishRecordedChange(dataDir);
    } catch (const std::exception&) {
        // The journal stays, with its temporaries; the next change or start
        // tries again.
        return recovered;
    }
    try {
        recovered.importFiles = TakeBackOldImport(dataDir);
    } catch (const std::exception&) {
        // The index or that journal cannot be read now: nothing is removed
        // on a guess.
    }
    recovered.temporaries = platform::RemoveStaleTemporaries(dataDir, std::chrono::seconds(0));
    return recovered;
}

}  // namespace shenbao
