#pragma once

// Export and import of projects through an exchange directory, without any
// window: the runs copy project data files byte for byte, write or read the
// control file and report one log line per project (GBK) and the count. The
// main window's progress panel only shows what they report.
//
// Path texts ("c:\", "A:\SEND\", "D:\OUT", a native path) are GBK as the
// setting files hold them; they reach the file system through the platform
// layer's drive mapping. All file failures throw IoError.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/project_rows.h"
#include "platform/platform.h"

namespace shenbao {

// The setting files of the two exchange paths, in the data directory.
inline constexpr std::string_view kExportPathFileName = "_DataOut.zzj";
inline constexpr std::string_view kImportPathFileName = "_DataIn.zzj";
// The path used while a setting file does not exist.
inline constexpr std::string_view kDefaultExchangePath = "c:\\";
// The exchange directory of the floppy commands.
inline constexpr std::string_view kFloppyExchangePath = "A:\\SEND\\";
// An export to the floppy needs at least this much free space on A:.
inline constexpr std::int64_t kFloppyMinimumFreeSpace = 1400000;
// Candidates an import tries for the new ID of one project.
inline constexpr int kImportIdAttempts = 16000;

// The first line of a path setting file in `dataDir`, unchanged (GBK), or
// "c:\" when the file does not exist. Only reads.
std::string ReadPathSetting(const std::filesystem::path& dataDir, std::string_view fileName);

// Whether `pathText` can be a path setting: one line, without control
// characters (a newline would cut it when read back).
bool IsValidPathText(std::string_view pathText);

// Writes a path setting file: `pathText` followed by CR LF. Throws IoError
// (EINVAL) for a text that IsValidPathText refuses.
void WritePathSetting(const std::filesystem::path& dataDir, std::string_view fileName,
                      std::string_view pathText);

// The native directory a path text names. Throws IoError naming `origin`
// (the setting file the text came from) when the text is empty.
std::filesystem::path ExchangeDirectory(std::string_view pathText,
                                        const std::filesystem::path& origin);

// ---- The floppy ------------------------------------------------------------------

// A:\SEND\ on the floppy, under the letter case the medium holds it in when
// a directory (or a link) of that name exists in another case.
std::filesystem::path FloppySendDirectory();

// The messages (GBK) that stop an export to the floppy: too little free
// space on A:, and a SEND directory that is missing and cannot be created
// (or is a link, which is never written through). Both may come. Empty: go
// ahead; the SEND directory then exists. While several removable media are
// mounted and none is chosen, only the message that asks to choose one.
std::vector<std::string> CheckFloppyForExport();

// The message (GBK) that stops an import from the floppy: nothing is mounted
// at the drive (no disk), or several removable media are and none is
// chosen. Empty: go ahead.
std::vector<std::string> CheckFloppyForImport();

// Where the floppy import reads: A:\SEND\ when it is a directory, otherwise
// A:\. A SEND that is a link is not followed; `refusal` then gets the log
// line (GBK) that says so.
std::filesystem::path FloppyImportDirectory(std::string* refusal = nullptr);

// ---- The runs --------------------------------------------------------------------

// Receives each log line (GBK) as soon as the run writes it.
using LogSink = std::function<void(const std::string&)>;
// A look at what an export copies, for a further log line after each copied
// project. `look` gets the position of a copied row, the bytes of its main
// data file and what reading its member file gave, from any thread, once for
// each copied row; `note` is then asked in list order for the line that
// follows a copied project's own (empty for none). The lines of a run are
// written once every project has been copied and looked at (the notes of a
// run that fails half-way may miss what the projects not copied would have
// told).
struct ExportReview {
    std::function<void(std::size_t row, const std::string& main, const platform::EntryRead& member)>
        look;
    std::function<std::string(std::size_t row)> note;
};
// Returns one candidate project ID per call.
using IdGenerator = std::function<std::string()>;

struct ExchangeResult {
    // Every log line, in order (GBK).
    std::vector<std::string> log;
    // Projects exported or imported.
    int count = 0;
    // Export: the IDs listed in the control file. Import: the new IDs
    // appended to the index file. In order.
    std::vector<std::string> ids;
};

// Copies the project data files of `rows` (ID in column 0, name in column 2)
// from `dataDir` into `destination`, replacing files of the same name, and
// writes the control file listing the exported IDs, last. Every file is
// written under a temporary name and flushed before it is renamed, so no name
// holds half a file; an earlier control file is removed before the first
// rename, so the directory names no set of projects while it is half
// replaced.
// A project without its main data file (or with a reserved ID) gets the 421
// log line and is left out; one whose main data file is no regular file or
// too large gets a 421 line saying so and is left out; a member file of that
// kind is left out with a line of its own. `review`, when given, may add one
// line after the line of each exported project. Throws IoError when the
// destination is no directory, is the data directory itself, or a file
// cannot be read or written; files copied until then stay.
ExchangeResult RunExport(const std::filesystem::path& dataDir, const std::vector<ListRow>& rows,
                         const std::filesystem::path& destination, const LogSink& sink = {},
                         const ExportReview& review = {});

// The source IDs of an exchange directory: the trimmed non-empty lines of its
// control file (in any letter case), or without one the stems of the visible
// entries named "*.zj" that are not directories, in listing order. Throws
// IoError when the directory cannot be read or the control file is no
// regular file or too large.
std::vector<std::string> CollectSourceIds(const std::filesystem::path& source);

// Takes the projects of `source` into `dataDir` under new IDs: each new ID is
// drawn with `generate` until it occurs neither in `listed` (the list's ID
// column as ListedIds gives it) nor among the IDs drawn before (and is no
// reserved ID); the files are copied under it and the new IDs are appended
// to the index file. The source directory is listed once. A source ID that
// repeats an earlier one (or finds the same main data file) gets a log line
// and is taken once, drawing no ID. A source ID that names no file inside
// `source`, is reserved or whose main data file is missing gets the 432 log
// line; one whose main data file is no regular file (a link, directory, FIFO,
// device, socket) or too large gets a 432 line saying so; one for which no
// new ID turns up within 16000 candidates gets a log line of its own; none
// of them is imported. A member file of that kind is left out with a line.
// The new files and the index lines are one change of the store
// (StoreChange). Throws IoError when the source is no directory or a file
// cannot be read or written; the store then stays as it was.
ExchangeResult RunImport(const std::filesystem::path& dataDir, std::string listed,
                         const std::filesystem::path& source, const LogSink& sink = {},
                         const IdGenerator& generate = {});

}  // namespace shenbao
