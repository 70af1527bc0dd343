#pragma once

// The tab-separated text listing of the shown projects, "tarvok07.txt" in
// the data directory, for spreadsheets and other tools.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/project_rows.h"

namespace shenbao {

inline constexpr std::string_view kListingFileName = "tarvok07.txt";

// Appends the line that both the listing and the print feed give a row:
// the cells of list columns 1..9, each followed by a tab, then CR LF.
void AppendTabbedLine(std::string& text, const ListRow& row);

// Writes `text` into `dataDir` as the file `name` in one piece, replacing an
// older one, and returns its path. Throws IoError.
std::filesystem::path WriteTabbedFile(const std::filesystem::path& dataDir, std::string_view name,
                                      std::string_view text);

// The listing's bytes: the titles of list columns 1..9, then the cells of
// columns 1..9 of every row, each field followed by a tab, every line by
// CR LF. Cells are written exactly as the list holds them.
std::string ListingText(const std::vector<ListRow>& rows);

// Writes the listing into `dataDir` in one piece, replacing an older one, and
// returns its path. Throws IoError.
std::filesystem::path WriteListing(const std::filesystem::path& dataDir,
                                   const std::vector<ListRow>& rows);

}  // namespace shenbao
