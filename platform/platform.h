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
#include <unordered_map>
#include <vector>

namespace shenbao::platform {

namespace fs = std::filesystem;

// ---- The program's own folder and the data directory ---------------------------

// The code table the program ships beside itself (see DataDirectory).
inline constexpr std::string_view kCodeTableFileName = "_SysCode.zzj";

// Directory of the running program file (never the working directory), with a
// trailing separator. On Linux taken from /proc/self/exe.
fs::path ProgramDirectory();

// Where the store lives, with a trailing separator: the program folder, as
// long as the user can write there. An installed program keeps its store in
// the user's own folder (UserDataDirectory) instead: one in a folder the user
// cannot write, and one under /usr or /opt, where packages put programs and no
// store belongs, whoever runs it. The first call then makes that folder and
// copies the code table shipped beside the program into it unless one is
// there; a failure there shows later as a missing code table or a store that
// cannot be written.
fs::path DataDirectory();

// The data directory of a program in `programDir`, without making anything.
fs::path DataDirectoryFor(const fs::path& programDir);

// The user's own data folder by the XDG rules: $XDG_DATA_HOME/shenbao when
// XDG_DATA_HOME is an absolute path, otherwise ~/.local/share/shenbao; with a
// trailing separator.
fs::path UserDataDirectory();

// Makes `dataDir` (with its parents; the folder itself private to the user)
// and copies the file `fileName` from `programDir` into it unless `dataDir`
// already holds one under any letter case. Throws IoError.
void PrepareDataDirectory(const fs::path& programDir, const fs::path& dataDir,
                          std::string_view fileName);

// ---- Files -------------------------------------------------------------------

// True when `path` names an existing regular file (following links).
bool FileExists(const fs::path& path) noexcept;

// The largest file the program reads: 64 MiB. A project file holds a few
// kilobytes and an index of 20000 IDs 200 KB; a file near this size is no
// store or exchange file, and reading it whole would only exhaust memory.
inline constexpr std::int64_t kMaxFileSize = std::int64_t{64} << 20;

// What stands under a name in a directory (the entry itself, links not
// followed).
enum class EntryKind { Regular, Directory, Link, Special /* FIFO, device, socket */ };

// The kind of the entry `path`, or nothing when there is none.
std::optional<EntryKind> EntryKindOf(const fs::path& path) noexcept;

// The errno values of the IoError thrown for an entry this layer will not
// read as a file: EISDIR (a directory), ELOOP (a symbolic link), ENXIO (a
// FIFO, device or socket), EFBIG (larger than kMaxFileSize), ENAMETOOLONG
// (a name too long for a file). Such an entry under a project's name is a
// damaged entry, not a failure of the command.
bool IsUnreadableEntry(int errorCode) noexcept;

// Throws the IoError of an entry of `kind` that is not a regular file.
[[noreturn]] void ThrowNotARegularFile(const fs::path& path, EntryKind kind);

// Whether a symbolic link at the end of a path is followed. Store and
// exchange files never are: a link in an exchange directory could lead
// anywhere. Only the code table supplied with the program may be one.
enum class Links { Refuse, Follow };

// Every read opens the file without blocking (a FIFO never hangs the
// program), takes regular files only and refuses one larger than
// kMaxFileSize, before reading anything (see IsUnreadableEntry).

// Whole content of a file. Throws IoError when it cannot be opened or read.
std::string ReadFile(const fs::path& path, Links links = Links::Refuse);

// Whole content of a file, or nothing when the file does not exist (also when
// it disappears between a directory listing and the open). Other failures
// throw IoError.
std::optional<std::string> ReadFileIfExists(const fs::path& path, Links links = Links::Refuse);

// Reads the whole of `path` into `content` (replacing what it held); false
// when the file does not exist. When a read fails part-way, `content` keeps
// the bytes read before the failure and IoError is thrown.
bool ReadFileInto(const fs::path& path, std::string& content, Links links = Links::Refuse);

// Replaces (or creates) `path` with `content` safely: the bytes go to a
// temporary file in the same directory, are flushed to disk, and the temporary
// file is then renamed over `path`. If anything fails the old file is left
// whole, the temporary file is removed and IoError is thrown. A link at
// `path` is replaced, never written through.
void ReplaceFile(const fs::path& path, std::string_view content);

// Copies `from` to `to` byte for byte, replacing `to` safely as ReplaceFile.
void CopyFileReplacing(const fs::path& from, const fs::path& to);

// Replaces or copies many files, flushing them to disk once at the end
// instead of file by file. Every file is written under a temporary name and
// renamed into place, so no name ever holds a half-written file; only the
// flush is shared. Until Commit() returns, a crash may lose files of the
// batch, so whatever refers to them (an index, a control file) is written
// after it.
class FileBatch {
  public:
    // Writes `content` as `path` (temporary file and rename, no flush yet).
    void Replace(const fs::path& path, std::string_view content);
    // Copies `from` to `to` byte for byte, as Replace.
    void Copy(const fs::path& from, const fs::path& to);
    // Flushes every file of the batch and the directories that hold them.
    // Throws IoError.
    void Commit();
    // Removes every file the batch has written (a run that failed takes its
    // files back). Never throws.
    void RemoveWritten() noexcept;
    // The files written, in order.
    const std::vector<fs::path>& written() const { return written_; }

  private:
    std::vector<fs::path> directories_;
    std::vector<fs::path> written_;
};

// Deletes a file; true when it existed and is gone. Never throws.
bool RemoveFile(const fs::path& path) noexcept;

// Removes the temporary files that replacements in `dir` left behind when
// the program was killed before renaming them (hidden files named after a
// store file: ".NAME.zzj.XXXXXX" and the like, for the endings the program
// writes), once they are a minute old: a younger one may belong to a write
// of another copy of the program that is still going on. Nothing else is
// touched. Returns how many were removed; never throws.
std::size_t RemoveStaleTemporaries(const fs::path& dir) noexcept;

// An advisory lock (flock) on an existing regular file, held while the object
// lives. Another copy of the program running at the same time can thus tell
// that the file is in use.
class FileLock {
  public:
    // Locks `path` without waiting. Nothing when the file is missing, is no
    // regular file, or another process holds the lock.
    static std::optional<FileLock> TryLock(const fs::path& path) noexcept;

    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

  private:
    explicit FileLock(int fd) : fd_(fd) {}
    int fd_ = -1;
};

// Finds `name` in `dir` as DirectoryListing::Find does: the regular file of
// that exact name, otherwise one whose name differs only in ASCII letter
// case (media written on systems that ignore case), otherwise an entry of
// another kind under the name (which a read then refuses). Nothing when
// there is none or the directory is unreadable. For one name; a command that
// looks up many names lists the directory once instead.
std::optional<fs::path> FindFile(const fs::path& dir, std::string_view name);

// Whether two names are equal when ASCII letters A-Z and a-z count alike
// (file names on systems that ignore letter case).
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);

// One entry of a directory.
struct DirectoryEntry {
    std::string name;
    EntryKind kind;
};

// When a listing reads the directory: at once, or at the first look-up that
// needs it (see ReadNamed).
enum class Listing { Now, OnDemand };

// The entries of a directory, listed once and then looked up by name with
// ASCII letter case ignored. A command that looks up many names (every
// project of the list, every file of an exchange directory) lists the
// directory once, so a missing name costs a look-up, not another listing.
class DirectoryListing {
  public:
    DirectoryListing() = default;
    // Lists `dir` ("." and ".." left out). Throws IoError when it cannot be
    // read: at once, or with `Listing::OnDemand` at the first call of
    // entries() or Find().
    explicit DirectoryListing(const fs::path& dir, Listing when = Listing::Now);

    const fs::path& directory() const { return dir_; }
    // In the order of the system's listing.
    const std::vector<DirectoryEntry>& entries() const;
    // The entry that stands for `name`: a regular file of exactly that name,
    // else a regular file whose name differs only in ASCII letter case, else
    // an entry of another kind under the name or a variant of it. Nothing
    // when there is none.
    const DirectoryEntry* Find(std::string_view name) const;
    fs::path PathOf(const DirectoryEntry& entry) const { return dir_ / entry.name; }
    // Whether the directory has been read.
    bool listed() const { return listed_; }

  private:
    void List() const;

    fs::path dir_;
    mutable bool listed_ = true;
    mutable std::vector<DirectoryEntry> entries_;
    mutable std::unordered_map<std::string, std::vector<std::size_t>> byFoldedName_;
};

// Reads the entry `entry` of `listing` as ReadFileIfExists does; an entry
// that is not a regular file is refused without being opened.
std::optional<std::string> ReadEntry(const DirectoryListing& listing, const DirectoryEntry& entry);

// Reads the file that Find(name) finds, or nothing when there is none. A
// regular file of exactly that name is read straight away while the
// directory has not been listed; the listing is made only when there is
// none (a store whose files all stand under their own names is never
// listed), and once made it answers every later name.
std::optional<std::string> ReadNamed(const DirectoryListing& listing, std::string_view name);

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

// Drive A: is the removable medium that is mounted: the floppy drive's mount
// point when something is mounted there; otherwise a medium that the desktop
// mounted for the user under /media/<user>/<label> or /run/media/<user>/<label>:
// the one chosen with ChooseDriveA, or else the only one. With no medium (or
// several and none chosen) A: is the floppy mount point, a drive without disk.
// What is mounted is read from the mount table (/proc/self/mountinfo) each
// time it is asked.

// Mount point that stands for drive A: now.
fs::path FloppyMountPoint();

// The floppy drive's own mount point. Default /media/floppy; tests point it at
// a temporary directory.
void SetFloppyMountPoint(const fs::path& path);

// Makes the medium mounted at `mountPoint` drive A: for as long as it stays
// mounted (the drive selector's choice when several are).
void ChooseDriveA(const fs::path& mountPoint);

// Tests read `mountinfo` (the form of /proc/self/mountinfo) as the mount table,
// with every mount point in it taken as lying below `root`; nothing gives the
// real table back. Either way the choice of ChooseDriveA is forgotten.
void SetMountTable(std::optional<std::string> mountinfo, const fs::path& root = "/");

// Maps a path as users and old setting files write it to a native path:
//   "A:..."  -> the mount point of drive A: (see above)
//   "C:..."  -> the user's home directory
//   "X:..."  -> /mnt/x for any other drive letter
// Backslashes after the drive become separators; "c:" alone is the drive's
// root. Any other text (a native path, a relative path) is returned unchanged.
// On Windows the text is used as it is.
fs::path MapDrivePath(std::string_view text);

// `path` as it stands on the disk when some of its folders carry names in GBK
// rather than UTF-8 (written by older systems): every name that does not
// exist as given but exists as its GBK bytes is taken in that form. A path
// that exists, or whose names exist in neither form, comes back unchanged.
fs::path FindGbkNamedPath(const fs::path& path);

// One entry of the drive selector: the drive's name ("A:", "C:", "/"), the
// native directory it opens, what the selector shows beside the name (a
// medium's label, otherwise the directory) and whether a medium is there.
struct Drive {
    std::string name;
    fs::path root;
    std::string label;
    bool ready = true;
};

// The drives the selector offers: drive A: (the mounted floppy, or each
// mounted medium of the user, or else the floppy drive without disk), C: (home)
// and the file system root.
std::vector<Drive> Drives();

// The drive entry whose root contains `path` best (longest matching root);
// the file system root when none other does.
Drive DriveOf(const fs::path& path);

}  // namespace shenbao::platform
