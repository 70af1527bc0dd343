#pragma once

// Taking projects out of the store: one project (the delete command) and all
// of them (clearing the store). Each is one change of the store
// (StoreChange): a kill or a power cut half-way is finished at the next
// start, so the index never names a project whose files are gone.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace shenbao {

// Writes the index as `remainingIds` and removes the two files of `id`
// (trimmed, found under any letter case; a reserved ID, or one that could
// name a file outside the data directory, names none). Throws IoError.
void DeleteProject(const std::filesystem::path& dataDir,
                   const std::vector<std::string>& remainingIds, std::string_view id);

// Removes the files of every project the index names (its lines trimmed as
// the list reads them; the store's own files are no project's) and the
// index itself. False when there is no index file: nothing is removed.
// Throws IoError.
bool ClearStore(const std::filesystem::path& dataDir);

}  // namespace shenbao
