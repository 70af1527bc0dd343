#pragma once

// Changes of several store files that take effect whole. A save writes a
// project's two files, a deletion rewrites the index and removes two files,
// an import writes many files and the index, a clearing removes them all: a
// kill or a power cut in the middle must leave either the store before or
// the store after, never a mix.
//
// A change stages every new file under a temporary name and flushes it, then
// writes a small journal ("_Journal.zzj") naming what is to happen: from the
// moment the journal is on the disk the change counts as made. It then gives
// the staged files their names, removes what goes, and removes the journal.
// A run killed before the journal leaves only temporaries, which the next
// start removes (the change never happened); a run killed after it is
// finished by the next start (RecoverInterruptedWork).

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace shenbao {

inline constexpr std::string_view kJournalFileName = "_Journal.zzj";

class StoreChange {
  public:
    // A change of the store in `dataDir`. A journal that an earlier change
    // of this run or a killed run left is finished first; throws IoError
    // when that fails (no new change starts on top of an unfinished one).
    explicit StoreChange(std::filesystem::path dataDir);
    StoreChange(const StoreChange&) = delete;
    StoreChange& operator=(const StoreChange&) = delete;

    // Stages `content` to become the store file `path`; a link there is
    // written through (the file it leads to is replaced). Throws IoError.
    void Write(const std::filesystem::path& path, std::string_view content);
    // Takes a file staged elsewhere for a store file (platform::StageFile
    // with Links::Follow, on any thread), as Write stages it.
    void Adopt(platform::FileBatch::Staged file) { batch_.Adopt(std::move(file)); }
    // Removes the store file `path` (a link there itself) when the change
    // is made.
    void Remove(const std::filesystem::path& path);
    // Makes the change (see above). Throws IoError: when it comes before
    // the journal is on the disk, nothing has changed; after that, the
    // journal stays and the next change or start finishes the work.
    void Commit();

    // Staged files, for a caller that reports them.
    std::size_t stagedCount() const { return batch_.staged().size(); }

  private:
    std::filesystem::path dataDir_;
    platform::FileBatch batch_;
    std::vector<std::filesystem::path> removals_;
};

struct RecoveredFiles {
    bool finished = false;         // a recorded change was finished
    std::size_t importFiles = 0;   // files of an import of an earlier version, taken back
    std::size_t temporaries = 0;   // temporary files of writes that never took effect
};

// Tidies the data directory at start-up, before anything is read: finishes a
// change whose journal is on the disk, takes back the files of an import that
// an earlier version of the program left unfinished ("_Import.zzj"), and
// removes every temporary file of a write that never took effect. Call it
// only while holding the store (StoreHold): another writer's temporaries
// would look the same. Never throws; what cannot be done now stays for the
// next start.
RecoveredFiles RecoverInterruptedWork(const std::filesystem::path& dataDir) noexcept;

}  // namespace shenbao
