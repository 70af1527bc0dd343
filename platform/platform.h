#pragma once

// What the operating system gives the program: where the program lives, file
// and directory operations with safe replacement, free space, directory
// listings, and the mapping of DOS drive letters ("c:\", "A:\SEND\") used in
// setting files and on exchange media to native paths.
//
// Failures of operations that the caller must not ignore throw IoError;
// queries (exists, free space) answer instead of throwing.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/io_error.h"

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

// Why the user's own data folder could not be made or given its code table
// when DataDirectory() first tried (with the real reason: a read-only file
// system, a name too long ...); nothing when it could.
const std::optional<IoError>& DataDirectoryError();

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

// The kind of an entry from the mode that stat or lstat gave.
EntryKind KindOfMode(unsigned mode) noexcept;
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

// Whether a symbolic link at the end of a path is followed. Files of exchange
// media never are: a link there could lead anywhere. The store's own files
// in the data directory are: a user may keep them on another disk.
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

// Replaces (or creates) `path` with `content` whole or not at all: the bytes
// go to a temporary file in the same directory, are flushed to the disk, the
// temporary file is renamed over `path` and the directory is flushed. If
// anything fails the old file is left whole, the temporary file is removed
// and IoError is thrown. With Links::Refuse a link at `path` is replaced,
// never written through (exchange media); with Links::Follow the file the
// link leads to is replaced and the link stays (the store's own files, which
// users may keep on another disk).
void WriteFileAtomically(const fs::path& path, std::string_view content,
                         Links links = Links::Refuse);

// Copies `from` to `to` byte for byte, replacing `to` as WriteFileAtomically.
void CopyFileReplacing(const fs::path& from, const fs::path& to);

// Where a write through `path` lands with `links`: `path` itself, or with
// Links::Follow the end of the chain of links that starts there (a link's
// target relative to the link's folder). Throws IoError (ELOOP) for a chain
// of more than 40 links.
fs::path WriteTarget(const fs::path& path, Links links);

// Writes many files so that none is ever seen half-written and every file is
// on the disk before it gets its final name. Stage() writes each file under a
// temporary name beside its final one; Flush() brings the data of every
// staged file to the disk at once; Rename() gives each its final name and
// then flushes the directories. A crash before Rename() leaves only hidden
// temporaries (see RemoveStaleTemporaries); whatever refers to the files (an
// index, a control file) is written after Commit(). Temporaries not renamed
// are removed when the batch goes.
// Whether a file may already stand where a staged file will be renamed to:
// the copy of one that is there takes its mode; a caller that has just
// listed the directory may say that nothing is, which spares a look-up per
// file.
enum class Target { MayExist, New };

// Whether a flush first makes sure that every temporary of a large batch is
// still there, a regular file. A journal that is written after the flush
// needs it (it takes a temporary that is gone for one renamed already); a
// batch whose renames alone decide (a missing temporary fails its rename)
// does not.
enum class TemporaryCheck { EachFile, AtRename };

class FileBatch {
  public:
    struct Staged {
        fs::path temporary;
        fs::path target;  // the final name (a link's target with Links::Follow)
    };

    FileBatch() = default;
    FileBatch(const FileBatch&) = delete;
    FileBatch& operator=(const FileBatch&) = delete;
    ~FileBatch();

    // Writes `content` under a temporary name for `path` (StageFile).
    // Throws IoError (the temporary is then removed; files staged before
    // stay staged).
    void Stage(const fs::path& path, std::string_view content, Links links = Links::Refuse);
    // Flushes the data of every staged file. Throws IoError.
    void Flush(TemporaryCheck check = TemporaryCheck::EachFile);
    // Renames the staged files onto their final names in order, then
    // flushes their directories. Throws IoError at the first failure.
    void Rename();
    // Flush() then Rename().
    void Commit();
    // Removes the temporaries not renamed yet. Never throws.
    void Discard() noexcept;
    // Forgets the temporaries not renamed yet without removing them: a
    // journal has taken them over.
    void Release() noexcept { renamed_ = staged_.size(); }
    // Takes a temporary written elsewhere into the batch.
    void Adopt(Staged file) { staged_.push_back(std::move(file)); }

    const std::vector<Staged>& staged() const { return staged_; }

  private:
    std::vector<Staged> staged_;
    std::size_t renamed_ = 0;
};

// Writes `content` into a new temporary file beside the file a write of
// `path` lands on, for a batch to take (FileBatch::Adopt); any thread may
// stage files at once. Throws IoError (no temporary is left then).
FileBatch::Staged StageFile(const fs::path& path, std::string_view content,
                            Links links = Links::Refuse, Target target = Target::MayExist);

// A file written in pieces (a PDF as its pages are drawn) and then put in
// place whole, as WriteFileAtomically puts a file written at once: until
// Commit() it is a temporary beside its final name, removed if the object
// goes first.
class StreamedFile {
  public:
    // Creates the temporary for `path`. Throws IoError.
    StreamedFile(const fs::path& path, Links links = Links::Refuse);
    StreamedFile(const StreamedFile&) = delete;
    StreamedFile& operator=(const StreamedFile&) = delete;
    ~StreamedFile();

    // Where the pieces go; the file stays open until Commit().
    int descriptor() const { return fd_; }
    // Closes the file, flushes it, gives it its final name and flushes the
    // directory. Throws IoError.
    void Commit();

  private:
    fs::path path_;
    FileBatch::Staged file_;
    int fd_ = -1;
};

// Flushes the directory `dir` (after renames or removals in it). Throws IoError.
void FlushDirectory(const fs::path& dir);

// Deletes a file; true when it existed and is gone. Never throws.
bool RemoveFile(const fs::path& path) noexcept;

// Whether `name` is one a write makes for a temporary file: "." + the final
// name + "." + six letters or digits, for the endings the program writes
// (".zzj", ".zj", ".txt", ".pdf").
bool IsTemporaryName(std::string_view name);

// Removes the temporary files that writes in `dir` left behind when the
// program was killed before renaming them, when they are at least
// `minimumAge` old. Nothing else is touched. Returns how many were removed;
// never throws.
std::size_t RemoveStaleTemporaries(const fs::path& dir, std::chrono::seconds minimumAge) noexcept;
// The same in the one pass over `dir`, giving the names of its entries that
// are no temporaries; nothing when `dir` cannot be read.
std::optional<std::vector<std::string>> RemoveStaleTemporariesListingOthers(
    const fs::path& dir, std::chrono::seconds minimumAge);

// An advisory lock (flock) on a regular file, held while the object lives
// and released by the system when the process ends, however it ends.
class FileLock {
  public:
    enum class Outcome {
        Locked,
        HeldElsewhere,  // another open of the file holds it (this process or another)
        Unavailable,    // the file cannot be made or the file system takes no locks
    };
    // Creates `path` when missing and locks it without waiting. A link at
    // `path` is not followed. `lock` gets the lock when the outcome is
    // Locked; `error` the errno of an Unavailable outcome.
    static Outcome TryLock(const fs::path& path, std::optional<FileLock>& lock,
                           int* error = nullptr) noexcept;

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
// there is none or the directory is unreadable. With Links::Follow a link
// that leads to a regular file counts as one.
// The directory is not listed: the exact name is looked up, then each of
// its spellings in other letter cases (a name of 8 letters has 255), so a
// look-up costs the same in a directory of ten files or of 200000. Only a
// name of more than 12 letters lists the directory. A command that looks
// up many names lists the directory once instead (DirectoryListing).
std::optional<fs::path> FindFile(const fs::path& dir, std::string_view name,
                                 Links links = Links::Refuse);

// Whether two names are equal when ASCII letters A-Z and a-z count alike
// (file names on systems that ignore letter case).
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);

// One entry of a directory.
struct DirectoryEntry {
    std::string name;
    EntryKind kind;
};

// When a listing reads the directory: at once; at the first look-up that
// needs it (see ReadNamed), for a command that looks up many names; or
// never for a look-up, which then tries the name's spellings one by one as
// FindFile does, for a command that looks up one or two names in a
// directory that may hold 200000.
enum class Listing { Now, OnDemand, Never };

// The entries of a directory, listed once and then looked up by name with
// ASCII letter case ignored. A command that looks up many names (every
// project of the list, every file of an exchange directory) lists the
// directory once, so a missing name costs a look-up, not another listing.
class DirectoryListing {
  public:
    // Nothing listed: no entries.
    DirectoryListing();
    // Lists `dir` ("." and ".." left out). Throws IoError when it cannot be
    // read: at once, or with `Listing::OnDemand` at the first call of
    // entries() or Find() (with `Listing::Never`, of entries()). With
    // Links::Follow an entry that is a link counts as what it leads to (a
    // link that leads nowhere stays a link) and is read through.
    explicit DirectoryListing(const fs::path& dir, Listing when = Listing::Now,
                              Links links = Links::Refuse);
    DirectoryListing(DirectoryListing&&) noexcept;
    DirectoryListing& operator=(DirectoryListing&&) noexcept;
    ~DirectoryListing();

    const fs::path& directory() const { return dir_; }
    // In the order of the system's listing.
    const std::vector<DirectoryEntry>& entries() const;
    // The entry that stands for `name`: a regular file of exactly that name,
    // else a regular file whose name differs only in ASCII letter case, else
    // an entry of another kind under the name or a variant of it. Nothing
    // when there is none. Of several variants, the one with the fewest
    // letters in another case (of as many, the one whose last such letter
    // comes first), with or without a listing, as FindFile.
    const DirectoryEntry* Find(std::string_view name) const;
    fs::path PathOf(const DirectoryEntry& entry) const { return dir_ / entry.name; }
    // Whether the directory has been read.
    bool listed() const;
    Links links() const { return links_; }

    // Several threads may look names up in one listing at once (the reading
    // of a list on every core); the directory is then listed once.

  private:
    struct State;
    void List() const;

    fs::path dir_;
    Listing when_ = Listing::Now;
    Links links_ = Links::Refuse;
    std::unique_ptr<State> state_;
};

// What reading one entry of a listing gave: its bytes; nothing, when no file
// stands there; or why the entry was refused without being read (no regular
// file, too large, or a name too long for any file: see IsUnreadableEntry).
// Every reader of many named files (the list, export, import, the forms)
// takes its entries this way and reports refusals as it sees fit; other
// failures throw IoError.
struct EntryRead {
    enum class Outcome { Read, Missing, Refused };
    Outcome outcome = Outcome::Missing;
    std::string name;                // Read: the entry's name in the directory
    std::string content;             // Read
    std::optional<IoError> refusal;  // Refused

    bool read() const { return outcome == Outcome::Read; }
};

// Reads `entry` of `listing` (null: nothing there) as ReadFileIfExists does;
// an entry that is no regular file is refused without being opened.
EntryRead ReadEntry(const DirectoryListing& listing, const DirectoryEntry* entry);

// Reads the file that Find(name) finds. A regular file of exactly that name
// is read straight away while the directory has not been listed; the listing
// is made only when there is none (a store whose files all stand under their
// own names is never listed), and once made it answers every later name.
EntryRead ReadNamed(const DirectoryListing& listing, std::string_view name);

// ---- File names ----------------------------------------------------------------

// The file named by the text `stem` (GBK, as the store and exchange media
// hold IDs) followed by `ending`, inside `dir`; nothing when the name could
// reach outside it: a path separator, a drive colon, "..", a control
// character, or an empty name. Every file name the program makes from a text
// is made here.
std::optional<fs::path> FileIn(const fs::path& dir, std::string_view stem,
                               std::string_view ending = {});

// ---- Directories -------------------------------------------------------------

bool DirectoryExists(const fs::path& path) noexcept;

// Throws IoError naming `path` with the real reason when it is no directory
// (missing, a file, a name too long, no access ...).
void RequireDirectory(const fs::path& path);

// Creates `path` with missing parents; true when it exists afterwards.
bool CreateDirectories(const fs::path& path) noexcept;

// Creates `path` with missing parents unless it is a directory already.
// Throws IoError with the real reason (no access, a read-only file system, a
// file in the way ...) when it cannot.
void MakeDirectories(const fs::path& path);

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
// ReadOn is each read of a file after its first block has come in; Write the
// start of writing a file (with its final name); Sync the flush of a file's
// data (with its temporary name) or of a directory; Rename the renaming of a
// temporary onto its final name (with the final name).
enum class FileOperation { Read, ReadOn, Write, Sync, Rename, Remove, List, CreateDirectory };

// Called before each file operation of this layer with the path it is about
// to touch; returns an errno value to fail the operation with, or 0 to let it
// run. Tests use it to act out a read-only directory, a full disk or a file
// that vanishes; the program never sets one.
// The injector is called by one thread at a time, also when a command reads
// or copies on several threads (see ForEachIndex, which then uses one).
using FaultInjector = std::function<int(FileOperation, const fs::path&)>;
void SetFaultInjector(FaultInjector injector);
// Whether a fault injector is installed.
bool HasFaultInjector() noexcept;
// What the installed injector says of `operation` on `path` (0 without one),
// for file operations made outside this layer.
int InjectedFaultFor(FileOperation operation, const fs::path& path);

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

// Whether A: is a drive without disk only because several media of the user
// are mounted (and no floppy) and none of them has been chosen.
bool SeveralMediaNoneChosen();

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
