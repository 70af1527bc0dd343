#pragma once

// The journal of an import. While an import copies project files into the
// data directory, a small file names the new IDs it may write; the index
// names the new projects only when every file is copied, so a run that is
// killed half-way (a power cut, kill -9) would leave files that no index
// line names. The next start reads the journal and removes them.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace shenbao {

inline constexpr std::string_view kImportJournalFileName = "_Import.zzj";

// The journal of one import, held while the object lives.
class ImportJournal {
  public:
    // Writes the journal of an import that is about to write the files of
    // `newIds` (one ID a line, CR LF after each) and holds it, so that
    // another copy of the program does not take it for a left-over. Throws
    // IoError: an import that cannot keep its journal does not start.
    ImportJournal(const std::filesystem::path& dataDir, const std::vector<std::string>& newIds);
    // Removes the journal: the import has ended, its IDs in the index or its
    // files taken back.
    ~ImportJournal();
    ImportJournal(const ImportJournal&) = delete;
    ImportJournal& operator=(const ImportJournal&) = delete;

  private:
    std::filesystem::path path_;
    std::optional<platform::FileLock> lock_;
};

struct RecoveredFiles {
    std::size_t importFiles = 0;  // files of IDs the index never received
    std::size_t temporaries = 0;  // temporary files of unfinished replacements
};

// Tidies the data directory after a run that was killed: removes the project
// files of journal IDs that the index does not hold, then the journal, and
// the temporary files of replacements that were never renamed. Files the
// index names are never touched; a journal another copy of the program holds
// is left alone, and when the index cannot be read the journal is kept for
// the next start. Never throws.
RecoveredFiles RecoverInterruptedWork(const std::filesystem::path& dataDir) noexcept;

}  // namespace shenbao
