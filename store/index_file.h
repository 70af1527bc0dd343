#pragma once

// The index file "vemra.zzj": the project IDs of the store, one per line in
// list order, CR LF after every line. The same form serves as the control
// file of an exchange directory.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace shenbao {

inline constexpr std::string_view kIndexFileName = "vemra.zzj";

// The IDs of an index or control file's content: every line trimmed, empty
// lines skipped, file order kept. Duplicates and odd IDs are taken as they
// come.
std::vector<std::string> ParseIdList(std::string_view content);

// Every ID line of `ids` followed by CR LF, texts unchanged.
std::string FormatIdList(const std::vector<std::string>& ids);

// Whether `id` (trimmed, letter case ignored) is the stem of one of the
// store's own files: vemra, _SysCode, _DataOut, _DataIn, tarvok07, _Journal
// (and _Import, the journal of earlier versions). Such an ID
// is never a project's: its files would be the index, the code table, a path
// setting or the print feed. It is not listed, deleted, exported or imported.
bool IsReservedId(std::string_view id);

// The index file of `dataDir`: "vemra.zzj", or the file of that name in
// another letter case when the store holds it so (a store copied from a
// system that ignores case). It is read and written under that name.
std::filesystem::path IndexFilePath(const std::filesystem::path& dataDir);

// The index file is read through a link and written where the link leads.

// Reads the index file of `dataDir`. A missing file is created empty and
// gives an empty list. Every ID in the file is returned; there is no cap.
std::vector<std::string> LoadIndex(const std::filesystem::path& dataDir);

// Replaces the index file with `ids`, each unchanged and followed by CR LF.
void SaveIndex(const std::filesystem::path& dataDir, const std::vector<std::string>& ids);

// The index file's content with `ids` appended (each followed by CR LF). A
// file whose last line lacks its line end gets one first, so an appended ID
// never joins the last stored one; a missing file counts as empty.
std::string AppendedIndexText(const std::filesystem::path& dataDir,
                              const std::vector<std::string>& ids);

}  // namespace shenbao
