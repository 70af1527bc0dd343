#include "store/project_removal.h"

#include <optional>

#include "platform/io_error.h"
#include "platform/platform.h"
#include "store/index_file.h"
#include "store/journal.h"
#include "store/project_record.h"

namespace shenbao {

namespace fs = std::filesystem;

namespace {

// Adds the removal of the files of `id` that `listing` holds to `change`.
// Only files (or links) go: a folder under a project's name stays.
void RemoveFilesOf(StoreChange& change, const platform::DirectoryListing& listing,
                   std::string_view id) {
    if (IsReservedId(id)) {
        return;
    }
    for (std::string_view extension : {kMainFileExtension, kMemberFileExtension}) {
        const platform::DirectoryEntry* entry = nullptr;
        try {
            entry = FindProjectEntry(listing, id, extension);
        } catch (const IoError&) {
            return;  // no file can have a name that long
        }
        if (entry != nullptr && (entry->kind == platform::EntryKind::Regular ||
                                 entry->kind == platform::EntryKind::Link)) {
            change.Remove(listing.PathOf(*entry));
        }
    }
}

}  // namespace

void DeleteProject(const fs::path& dataDir, const std::vector<std::string>& remainingIds,
                   std::string_view id) {
    StoreChange change(dataDir);
    change.Write(IndexFilePath(dataDir), FormatIdList(remainingIds));
    // Two names: looked up one by one, not by a listing of the whole store.
    RemoveFilesOf(change, StoreListing(dataDir, platform::Listing::Never), id);
    change.Commit();
}

bool ClearStore(const fs::path& dataDir) {
    const fs::path index = IndexFilePath(dataDir);
    const std::optional<std::string> content =
        platform::ReadFileIfExists(index, platform::Links::Follow);
    if (!content) {
        return false;
    }
    StoreChange change(dataDir);
    const platform::DirectoryListing listing = StoreListing(dataDir);
    for (const std::string& id : ParseIdList(*content)) {
        RemoveFilesOf(change, listing, id);
    }
    change.Remove(index);
    change.Commit();
    return true;
}

}  // namespace shenbao
