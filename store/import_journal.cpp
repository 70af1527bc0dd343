#include "store/import_journal.h"

#include <unordered_set>

#include "platform/io_error.h"
#include "store/index_file.h"
#include "store/project_record.h"

namespace shenbao {

namespace fs = std::filesystem;

namespace {

fs::path JournalPath(const fs::path& dataDir) {
    return dataDir / std::string(kImportJournalFileName);
}

// Removes the two files an import writes for `id`, under the exact names it
// writes them; the number removed.
std::size_t RemoveImportedFiles(const fs::path& dataDir, std::string_view id) {
    std::size_t removed = 0;
    for (std::string_view extension : {kMainFileExtension, kMemberFileExtension}) {
        std::string name(id);
        name.append(extension);
        if (std::optional<fs::path> path = FileInDirectory(dataDir, name)) {
            removed += platform::RemoveFile(*path) ? 1 : 0;
        }
    }
    return removed;
}

}  // namespace

ImportJournal::ImportJournal(const fs::path& dataDir, const std::vector<std::string>& newIds)
    : path_(JournalPath(dataDir)) {
    platform::ReplaceFile(path_, FormatIdList(newIds));
    lock_ = platform::FileLock::TryLock(path_);
}

ImportJournal::~ImportJournal() {
    platform::RemoveFile(path_);
}

RecoveredFiles RecoverInterruptedWork(const fs::path& dataDir) noexcept {
    RecoveredFiles recovered;
    recovered.temporaries = platform::RemoveStaleTemporaries(dataDir);
    const fs::path path = JournalPath(dataDir);
    // Held by another copy of the program: its import is still running.
    const std::optional<platform::FileLock> lock = platform::FileLock::TryLock(path);
    if (!lock) {
        return recovered;
    }
    try {
        const std::optional<std::string> journal = platform::ReadFileIfExists(path);
        if (!journal) {
            return recovered;
        }
        const std::vector<std::string> stored = LoadIndex(dataDir);
        const std::unordered_set<std::string> indexed(stored.begin(), stored.end());
        for (const std::string& id : ParseIdList(*journal)) {
            if (indexed.count(id) == 0 && !IsReservedId(id)) {
                recovered.importFiles += RemoveImportedFiles(dataDir, id);
            }
        }
        platform::RemoveFile(path);
    } catch (const IoError&) {
        // The index or the journal cannot be read now: nothing is removed on
        // a guess, and the next start tries again.
    }
    return recovered;
}

}  // namespace shenbao
