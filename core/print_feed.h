#pragma once

// The print feed "tarvok07.zzj": the shown list handed from the main window
// to the report window, and the report window's reading of it row by row.

#include <array>
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/project_rows.h"

namespace shenbao {

inline constexpr std::string_view kPrintFeedName = "tarvok07.zzj";
// Where the printed list goes when no printer is installed.
inline constexpr std::string_view kPrintPdfName = "tarvok07.pdf";

// The feed's bytes: for every row, the cells of list columns 1..9 each
// followed by a tab, then CR LF; after the rows a closing line of nine tabs
// and CR LF. Cells are written exactly as the list holds them (GBK).
std::string PrintFeedText(const std::vector<ListRow>& rows);

// Writes the feed into `dataDir` in one piece, replacing an older one, and
// returns its path. Throws IoError.
std::filesystem::path WritePrintFeed(const std::filesystem::path& dataDir,
                                     const std::vector<ListRow>& rows);

// The feed's lines without their line ends; none when the file does not
// exist. Throws IoError.
std::vector<std::string> ReadPrintFeed(const std::filesystem::path& dataDir);

// The same into `lines`; when reading fails part-way, `lines` keeps the
// complete lines read before the failure and IoError is thrown.
void ReadPrintFeed(const std::filesystem::path& dataDir, std::vector<std::string>& lines);

// The seven printed columns of a row (feed fields 1..7), GBK.
inline constexpr std::size_t kPrintedColumnCount = 7;
using PrintedRow = std::array<std::string, kPrintedColumnCount>;

// The report window's line table and row cursor, and what its two report
// callbacks do with them.
class PrintFeedCursor {
  public:
    explicit PrintFeedCursor(std::vector<std::string> lines = {});

    const std::vector<std::string>& lines() const { return lines_; }
    std::size_t lineCount() const { return lines_.size(); }
    // The number of the line most recently handed out (from 1); 0 before.
    std::size_t cursor() const { return cursor_; }

    // Before every run: back to before line 1.
    void BeforeRun() { cursor_ = 0; }

    // Moves to the next line and puts its fields 1..7 into `fields` (empty
    // where the line has none; a line past the table is empty). True when
    // that line is to be printed now: when it is not the table's last line,
    // the feed's closing line.
    bool NeedData(PrintedRow& fields);

  private:
    std::vector<std::string> lines_;
    std::size_t cursor_ = 0;
};

}  // namespace shenbao
