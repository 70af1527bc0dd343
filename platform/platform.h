#pragma once

// What the operating system gives the program: where the program lives, file
// and directory operations with safe replacement, free space, directory
// listings, and the mapping of DOS drive letters ("c:\", "A:\SEND\") used in
// setting files and on exchange media to native paths.
//
// Failures of operations that the caller must not ignore throw IoError;
// queries (exists, free space) answer instead of throwing.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shenbao::platform {

namespace fs = std::filesystem;

// ---- The program's own folder ------------------------------------------------

// Directory of the running program file (never the working directory), with a
// trailing separator. On Linux taken from /proc/self/exe.
fs::path DataDirectory();

// ---- Files -------------------------------------------------------------------

// True when `path` names an existing regular file (following links).
bool FileExists(const fs::path& path) noexcept;

// Whole content of a file. Throws IoError when it cannot be opened or read.
std::string ReadFile(const fs::path& path);

// Whole content of a file, or nothing when the file does not exist (also when
// it disappears between a directory listing and the open). Other failures
// throw IoError.
std::optional<std::string> ReadFileIfExists(const fs::path& path);

// Reads the whole of `path` into `content` (replacing what it held); false
// when the file does not exist. When a read fails part-way, `content` keeps
// the bytes read before the failure and IoError is thrown.
bool ReadFileInto(const fs::path& path, std::string& content);

// Replaces (or creates) `path` with `content` safely: the bytes go to a
// temporary file in the same directory, are flushed to disk, and the temporary
// file is then renamed over `path`. If anything fails the old file is left
// whole, the temporary file is removed and IoError is thrown.
void ReplaceFile(const fs::path& path, std::string_view content);

// Copies `from` to `to` byte for byte, replacing `to` safely as ReplaceFile.
void CopyFileReplacing(const fs::path& from, const fs::path& to);

// Replaces or copies many files, flushing them to disk once at the end
// instead of file by file. A file that replaces another is written to a
// temporary file and renamed into place, so the old one stays whole until
// the new one is complete; a file with a new name is written in place and
// removed again if its write fails. Only the flush is shared. Until Commit() returns, a crash may
// lose files of the batch, so whatever refers to them (an index, a control file) is written after
// it.
class FileBatch {
  public:
    // Writes `content` as `path` (temporary file and rename, no flush yet).
    void Replace(const fs::path& path, std::string_view content);
    // Copies `from` to `to` byte for byte, as Replace.
    void Copy(const fs::path& from, const fs::path& to);
    // Flushes every file of the batch and the directories that hold them.
    // Throws IoError.
    void Commit();

  private:
    std::vector<fs::path> directories_;
};

// Deletes a file; true when it existed and is gone. Never throws.
bool RemoveFile(const fs::path& path) noexcept;

// Finds `name` in `dir`: the exact name when it exists, otherwise a regular
// file whose name differs only in ASCII letter case (media written on systems
// that ignore case). Nothing when neither exists or the directory is unreadable.
std::optional<fs::path> FindFile(const fs::path& dir, std::string_view name);

// ---- Directories -------------------------------------------------------------

bool DirectoryExists(const fs::path& path) noexcept;

// Creates `path` with missing parents; true when it exists afterwards.
bool CreateDirectories(const fs::path& path) noexcept;

// Names of the ordinary, non-hidden files of `dir` whose names end in
// `extension` (e.g. ".zj"), letter case ignored, in the order of the system's
// directory listing. Throws IoError when the directory cannot be read.
std::vector<std::string> ListFilesWithExtension(const fs::path& dir, std::string_view extension);

// ---- Free space --------------------------------------------------------------

// Bytes available to the user on the file system holding `path`; -1 when it
// cannot be queried (no medium, no such directory).
std::int64_t FreeSpace(const fs::path& path) noexcept;

// True when a file system is mounted at `path` (or it is the root).
bool IsMountPoint(const fs::path& path) noexcept;

// Bytes available on the medium of a drive mounted at `mountPoint`; -1 when
// nothing is mounted there (a floppy drive without a disk: the bare mount
// point belongs to the file system around it) or it cannot be queried.
std::int64_t MediumFreeSpace(const fs::path& mountPoint) noexcept;

// Tests replace the answer of FreeSpace and MediumFreeSpace with a fixed
// value; nothing restores the real query.
void SetFreeSpaceOverride(std::optional<std::int64_t> bytes) noexcept;

// ---- Fault injection -----------------------------------------------------------

// The file operations a fault injector can make fail.
// ReadOn is each read of a file after its first block has come in.
enum class FileOperation { Read, ReadOn, Write, Remove, List, CreateDirectory };

// Called before each file operation of this layer with the path it is about
// to touch; returns an errno value to fail the operation with, or 0 to let it
// run. Tests use it to act out a read-only directory, a full disk or a file
// that vanishes; the program never sets one.
using FaultInjector = std::function<int(FileOperation, const fs::path&)>;
void SetFaultInjector(FaultInjector injector);

// ---- Drive letters -----------------------------------------------------------

// Mount point that stands for drive A: (the floppy drive). Default
// /media/floppy; tests point it at a temporary directory.
fs::path FloppyMountPoint();
void SetFloppyMountPoint(const fs::path& path);

// Maps a path as users and old setting files write it to a native path:
//   "A:..."  -> the floppy mount point
//   "C:..."  -> the user's home directory
//   "X:..."  -> /mnt/x for any other drive letter
// Backslashes after the drive become separators; "c:" alone is the drive's
// root. Any other text (a native path, a relative path) is returned unchanged.
// On Windows the text is used as it is.
fs::path MapDrivePath(std::string_view text);

// One entry of the drive selector: the name shown ("A:", "C:", "/") and the
// native directory it opens.
struct Drive {
    std::string name;
    fs::path root;
};

// The drives the selector offers: A: (floppy), C: (home) and the file system
// root.
std::vector<Drive> Drives();

// The drive entry whose root contains `path` best (longest matching root);
// the file system root when none other does.
Drive DriveOf(const fs::path& path);

}  // namespace shenbao::platform
