#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>

#include "platform/io_error.h"
#include "platform/platform.h"

namespace shenbao::platform {

namespace {

// Closes a descriptor on scope exit unless released.
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int get() const { return fd_; }
    // Closes now and reports the result of close().
    int close() {
        int rc = ::close(fd_);
        fd_ = -1;
        return rc;
    }

  private:
    int fd_;
};

bool EndsWithIgnoringCase(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() &&
           EqualIgnoringAsciiCase(text.substr(text.size() - tail.size()), tail);
}

void WriteAll(int fd, std::string_view content, const fs::path& path) {
    const char* p = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            IoError::ThrowErrno(path);
        }
        if (n == 0) {
            IoError::ThrowCode(path, EIO);
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

FaultInjector& Injector() {
    static FaultInjector injector;
    return injector;
}

// The injector is asked by one thread at a time, whichever thread does the
// work (ForEachIndex); an injector may itself touch files through this
// layer.
std::recursive_mutex& InjectorMutex() {
    static std::recursive_mutex mutex;
    return mutex;
}

std::atomic<bool> gHasInjector{false};

// The errno an installed fault injector chooses for this operation, or 0.
int InjectedFault(FileOperation operation, const fs::path& path) {
    if (!gHasInjector.load(std::memory_order_acquire)) {
        return 0;
    }
    std::lock_guard<std::recursive_mutex> lock(InjectorMutex());
    const FaultInjector& injector = Injector();
    return injector ? injector(operation, path) : 0;
}

std::atomic<bool> gFreeSpaceOverridden{false};
std::atomic<std::int64_t> gFreeSpaceValue{0};

}  // namespace

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    auto lower = [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    };
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

bool FileExists(const fs::path& path) noexcept {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const fs::path& path) noexcept {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void RequireDirectory(const fs::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        IoError::ThrowErrno(path);
    }
    if (!S_ISDIR(st.st_mode)) {
        IoError::ThrowCode(path, ENOTDIR);
    }
}

int InjectedFaultFor(FileOperation operation, const fs::path& path) {
    return InjectedFault(operation, path);
}

void SetFaultInjector(FaultInjector injector) {
    std::lock_guard<std::recursive_mutex> lock(InjectorMutex());
    Injector() = std::move(injector);
    gHasInjector.store(static_cast<bool>(Injector()), std::memory_order_release);
}

bool HasFaultInjector() noexcept {
    return gHasInjector.load(std::memory_order_acquire);
}

EntryKind KindOfMode(unsigned mode) noexcept {
    if (S_ISREG(mode)) {
        return EntryKind::Regular;
    }
    if (S_ISDIR(mode)) {
        return EntryKind::Directory;
    }
    return S_ISLNK(mode) ? EntryKind::Link : EntryKind::Special;
}

std::optional<EntryKind> EntryKindOf(const fs::path& path) noexcept {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        return std::nullopt;
    }
    return KindOfMode(st.st_mode);
}

bool IsUnreadableEntry(int errorCode) noexcept {
    return errorCode == EISDIR || errorCode == ELOOP || errorCode == ENXIO || errorCode == EFBIG ||
           errorCode == ENAMETOOLONG;
}

void ThrowNotARegularFile(const fs::path& path, EntryKind kind) {
    switch (kind) {
        case EntryKind::Directory:
            IoError::ThrowCode(path, EISDIR);
        case EntryKind::Link:
            IoError::ThrowCode(path, ELOOP);
        case EntryKind::Special:
        case EntryKind::Regular:
            break;
    }
    IoError::ThrowCode(path, ENXIO);
}

namespace {

[[noreturn]] void ThrowTooLarge(const fs::path& path) {
    throw IoError(path, EFBIG, "文件太大，超过64MB");
}

// The kind of the entry at `path` itself, a link as a link. Nothing when
// there is nothing.
std::optional<EntryKind> KindOfEntry(const fs::path& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) {
            return std::nullopt;
        }
        IoError::ThrowErrno(path);
    }
    return KindOfMode(st.st_mode);
}

}  // namespace

bool ReadFileInto(const fs::path& path, std::string& content, Links links) {
    content.clear();
    if (int fault = InjectedFault(FileOperation::Read, path)) {
        if (fault == ENOENT) {
            return false;
        }
        IoError::ThrowCode(path, fault);
    }
    // On a medium nothing but a regular file is opened: a device node there
    // is not even opened. The store's own files are opened straight away and
    // looked at through the descriptor, which saves a look-up per file when a
    // command reads 100,000 of them. Either way the flags keep a FIFO or
    // device from blocking the open or becoming the terminal, and nothing but
    // a regular file is read.
    if (links == Links::Refuse) {
        const std::optional<EntryKind> kind = KindOfEntry(path);
        if (!kind) {
            return false;
        }
        if (*kind != EntryKind::Regular) {
            ThrowNotARegularFile(path, *kind);
        }
    }
    int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    if (links == Links::Refuse) {
        flags |= O_NOFOLLOW;
    }
    int fd = ::open(path.c_str(), flags);
    if (fd < 0) {
        if (errno == ENOENT) {
            return false;
        }
        if (errno == ELOOP && links == Links::Refuse) {
            ThrowNotARegularFile(path, EntryKind::Link);
        }
        IoError::ThrowErrno(path);
    }
    FileDescriptor file(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        IoError::ThrowErrno(path);
    }
    if (!S_ISREG(st.st_mode)) {
        ThrowNotARegularFile(path, S_ISDIR(st.st_mode) ? EntryKind::Directory : EntryKind::Special);
    }
    if (st.st_size > kMaxFileSize) {
        ThrowTooLarge(path);
    }
    // Read straight into the string, in blocks of at most kBlock bytes; a
    // file that grows meanwhile is read to its new end, up to the limit. On a
    // failure the string is cut to what was read.
    constexpr std::size_t kBlock = std::size_t{1} << 20;
    constexpr std::size_t kLimit = static_cast<std::size_t>(kMaxFileSize);
    std::size_t used = 0;
    content.resize(st.st_size > 0 ? static_cast<std::size_t>(st.st_size) + 1 : 4096);
    for (;;) {
        if (used == content.size()) {
            if (used > kLimit) {
                content.resize(used);
                ThrowTooLarge(path);
            }
            content.resize(std::min(content.size() * 2, kLimit + 1));
        }
        if (used > 0) {
            if (int fault = InjectedFault(FileOperation::ReadOn, path)) {
                content.resize(used);
                IoError::ThrowCode(path, fault);
            }
        }
        const std::size_t want = std::min(content.size() - used, kBlock);
        ssize_t n = ::read(fd, content.data() + used, want);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int error = errno;
            content.resize(used);
            IoError::ThrowCode(path, error);
        }
        if (n == 0) {
            break;
        }
        used += static_cast<std::size_t>(n);
        // A regular file gives less than asked only at its end: once the size
        // it had when opened has come in, a short read ends it without
        // another call to find the end.
        if (static_cast<std::size_t>(n) < want && used >= static_cast<std::size_t>(st.st_size)) {
            break;
        }
    }
    content.resize(used);
    if (used > kLimit) {
        ThrowTooLarge(path);
    }
    if (file.close() != 0) {
        IoError::ThrowErrno(path);
    }
    return true;
}

std::optional<std::string> ReadFileIfExists(const fs::path& path, Links links) {
    std::string content;
    if (!ReadFileInto(path, content, links)) {
        return std::nullopt;
    }
    return content;
}

std::string ReadFile(const fs::path& path, Links links) {
    std::optional<std::string> content = ReadFileIfExists(path, links);
    if (!content) {
        IoError::ThrowCode(path, ENOENT);
    }
    return std::move(*content);
}

fs::path WriteTarget(const fs::path& path, Links links) {
    if (links == Links::Refuse) {
        return path;
    }
    constexpr int kMaxLinks = 40;
    fs::path current = path;
    for (int hop = 0; hop < kMaxLinks; ++hop) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            return current;
        }
        std::string target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 255) + 1, '\0');
        for (;;) {
            const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
            if (n < 0) {
                IoError::ThrowErrno(path);
            }
            if (static_cast<std::size_t>(n) < target.size()) {
                target.resize(static_cast<std::size_t>(n));
                break;
            }
            target.resize(target.size() * 2);  // the link grew meanwhile
        }
        const fs::path next(target);
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    throw IoError(path, ELOOP, "符号链接层次太多（可能是循环链接）");
}

namespace {

// Six letters and digits for the name of a temporary file, different at
// every call and in every thread.
std::string TemporarySuffix() {
    static constexpr char kDigits[] =
        "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    static std::atomic<std::uint64_t> counter{0};
    thread_local std::uint64_t state =
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
        (static_cast<std::uint64_t>(::getpid()) << 32);
    // splitmix64 of a sequence no two calls share.
    state += 0x9E3779B97F4A7C15ull + counter.fetch_add(1, std::memory_order_relaxed);
    std::uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    std::string suffix(6, '0');
    for (char& c : suffix) {
        c = kDigits[z % 62];
        z /= 62;
    }
    return suffix;
}

// A new temporary file beside the file a write of `path` lands on (see
// WriteTarget), open for writing. A new file gets the mode the user's umask
// gives it (the system applies it as it creates the file); a replaced file
// keeps its mode.
FileBatch::Staged CreateTemporaryFor(const fs::path& path, Links links, int& fd,
                                     Target replaced = Target::MayExist) {
    if (int fault = InjectedFault(FileOperation::Write, path)) {
        IoError::ThrowCode(path, fault);
    }
    // Nothing stands at a new file's name: no link to follow, no mode to keep.
    const fs::path target = replaced == Target::New ? path : WriteTarget(path, links);
    fs::path dir = target.parent_path();
    if (dir.empty()) {
        dir = ".";
    }
    std::string hidden(1, '.');
    hidden.append(target.filename().string());
    hidden.push_back('.');
    for (int attempt = 0;; ++attempt) {
        fs::path temporary = dir / (hidden + TemporarySuffix());
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0) {
            struct stat old {};
            if (replaced == Target::MayExist && ::lstat(target.c_str(), &old) == 0 &&
                S_ISREG(old.st_mode)) {
                ::fchmod(fd, old.st_mode & 07777);
            }
            return {std::move(temporary), target};
        }
        if (errno != EEXIST || attempt >= 100) {
            IoError::ThrowErrno(path);
        }
    }
}

}  // namespace

FileBatch::Staged StageFile(const fs::path& path, std::string_view content, Links links,
                            Target target) {
    int fd = -1;
    FileBatch::Staged file = CreateTemporaryFor(path, links, fd, target);
    try {
        FileDescriptor handle(fd);
        WriteAll(fd, content, path);
        if (handle.close() != 0) {
            IoError::ThrowErrno(path);
        }
    } catch (...) {
        ::unlink(file.temporary.c_str());
        throw;
    }
    return file;
}

void FileBatch::Stage(const fs::path& path, std::string_view content, Links links) {
    staged_.push_back(StageFile(path, content, links));
}

StreamedFile::StreamedFile(const fs::path& path, Links links) : path_(path) {
    file_ = CreateTemporaryFor(path, links, fd_);
}

StreamedFile::~StreamedFile() {
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlink(file_.temporary.c_str());
    }
}

void StreamedFile::Commit() {
    const int fd = fd_;
    fd_ = -1;
    FileBatch batch;
    batch.Adopt(file_);  // removed by the batch should anything fail
    if (::close(fd) != 0) {
        IoError::ThrowErrno(path_);
    }
    batch.Commit();
}

void FileBatch::Flush(TemporaryCheck check) {
    // A few files are flushed one by one; a large batch with one flush of
    // each file system it wrote to, which costs about as much as one file.
    constexpr std::size_t kFlushEachUpTo = 16;
    const std::size_t pending = staged_.size() - renamed_;
    if (pending <= kFlushEachUpTo) {
        for (std::size_t i = renamed_; i < staged_.size(); ++i) {
            const Staged& file = staged_[i];
            if (int fault = InjectedFault(FileOperation::Sync, file.temporary)) {
                IoError::ThrowCode(file.target, fault);
            }
            const int fd = ::open(file.temporary.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
            if (fd < 0) {
                IoError::ThrowErrno(file.target);
            }
            FileDescriptor handle(fd);
            if (::fsync(fd) != 0) {
                IoError::ThrowErrno(file.target);
            }
        }
        return;
    }
    // Every file is looked at on its own (none may have gone missing), or
    // only its directory once; the first of each file system flushes it.
    std::vector<dev_t> devices;
    fs::path lastDirectory;
    for (std::size_t i = renamed_; i < staged_.size(); ++i) {
        const Staged& file = staged_[i];
        if (int fault = InjectedFault(FileOperation::Sync, file.temporary)) {
            IoError::ThrowCode(file.target, fault);
        }
        fs::path opened = file.temporary;
        struct stat st {};
        if (check == TemporaryCheck::EachFile) {
            if (::lstat(file.temporary.c_str(), &st) != 0) {
                IoError::ThrowErrno(file.target);
            }
            if (!S_ISREG(st.st_mode)) {
                IoError::ThrowCode(file.target, ENXIO);
            }
        } else {
            opened = file.temporary.parent_path();
            if (opened.empty()) {
                opened = ".";
            }
            if (opened == lastDirectory) {
                continue;
            }
            lastDirectory = opened;
            if (::stat(opened.c_str(), &st) != 0) {
                IoError::ThrowErrno(file.target);
            }
        }
        if (std::find(devices.begin(), devices.end(), st.st_dev) != devices.end()) {
            continue;
        }
        const int fd = ::open(opened.c_str(), check == TemporaryCheck::EachFile
                                                  ? O_RDONLY | O_CLOEXEC | O_NOFOLLOW
                                                  : O_RDONLY | O_CLOEXEC | O_DIRECTORY);
        if (fd < 0) {
            IoError::ThrowErrno(file.target);
        }
        FileDescriptor handle(fd);
        if (::syncfs(fd) != 0) {
            IoError::ThrowErrno(file.target);
        }
        devices.push_back(st.st_dev);
    }
}

void FileBatch::Rename() {
    std::vector<fs::path> directories;
    for (; renamed_ < staged_.size(); ++renamed_) {
        const Staged& file = staged_[renamed_];
        if (int fault = InjectedFault(FileOperation::Rename, file.target)) {
            IoError::ThrowCode(file.target, fault);
        }
        if (::rename(file.temporary.c_str(), file.target.c_str()) != 0) {
            IoError::ThrowErrno(file.target);
        }
        const fs::path dir = file.target.parent_path();
        if (std::find(directories.begin(), directories.end(), dir) == directories.end()) {
            directories.push_back(dir);
        }
    }
    for (const fs::path& dir : directories) {
        FlushDirectory(dir);
    }
}

void FileBatch::Commit() {
    Flush();
    Rename();
}

void FileBatch::Discard() noexcept {
    for (std::size_t i = renamed_; i < staged_.size(); ++i) {
        ::unlink(staged_[i].temporary.c_str());
    }
    renamed_ = staged_.size();
}

FileBatch::~FileBatch() {
    Discard();
}

void FlushDirectory(const fs::path& dir) {
    const fs::path where = dir.empty() ? fs::path(".") : dir;
    if (int fault = InjectedFault(FileOperation::Sync, where)) {
        IoError::ThrowCode(where, fault);
    }
    const int fd = ::open(where.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        IoError::ThrowErrno(where);
    }
    FileDescriptor directory(fd);
    // Some file systems cannot flush a directory; their renames are as
    // durable as they get.
    if (::fsync(fd) != 0 && errno != EINVAL && errno != ENOTSUP) {
        IoError::ThrowErrno(where);
    }
}

void WriteFileAtomically(const fs::path& path, std::string_view content, Links links) {
    FileBatch batch;
    batch.Stage(path, content, links);
    batch.Commit();
}

void CopyFileReplacing(const fs::path& from, const fs::path& to) {
    WriteFileAtomically(to, ReadFile(from, Links::Follow));
}

bool RemoveFile(const fs::path& path) noexcept {
    if (!FileExists(path) || InjectedFault(FileOperation::Remove, path) != 0) {
        return false;
    }
    return ::unlink(path.c_str()) == 0;
}

bool IsTemporaryName(std::string_view name) {
    constexpr std::size_t kSuffix = 7;  // ".XXXXXX"
    if (name.size() < 1 + kSuffix + 1 || name.front() != '.' ||
        name[name.size() - kSuffix] != '.') {
        return false;
    }
    for (char c : name.substr(name.size() - kSuffix + 1)) {
        if (std::isalnum(static_cast<unsigned char>(c)) == 0) {
            return false;
        }
    }
    const std::string_view final = name.substr(1, name.size() - 1 - kSuffix);
    for (std::string_view ending : {".zzj", ".zj", ".txt", ".pdf"}) {
        if (EndsWithIgnoringCase(final, ending) && final.size() > ending.size()) {
            return true;
        }
    }
    return false;
}

namespace {

// Removes the stale temporaries of `dir` and hands every other name to
// `other`; false when `dir` cannot be read.
template <typename Other>
bool RemoveStale(const fs::path& dir, std::chrono::seconds minimumAge, std::size_t& removed,
                 const Other& other) {
    const time_t kStaleSeconds = static_cast<time_t>(minimumAge.count());
    const time_t now = ::time(nullptr);
    DIR* d = ::opendir(dir.c_str());
    if (d == nullptr) {
        return false;
    }
    while (dirent* entry = ::readdir(d)) {
        if (!IsTemporaryName(entry->d_name)) {
            other(entry->d_name);
            continue;
        }
        const fs::path path = dir / entry->d_name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            now - st.st_mtime >= kStaleSeconds && RemoveFile(path)) {
            ++removed;
        }
    }
    ::closedir(d);
    return true;
}

}  // namespace

std::size_t RemoveStaleTemporaries(const fs::path& dir, std::chrono::seconds minimumAge) noexcept {
    std::size_t removed = 0;
    RemoveStale(dir, minimumAge, removed, [](const char*) {});
    return removed;
}

std::optional<std::vector<std::string>> RemoveStaleTemporariesListingOthers(
    const fs::path& dir, std::chrono::seconds minimumAge) {
    std::size_t removed = 0;
    std::vector<std::string> others;
    if (!RemoveStale(dir, minimumAge, removed,
                     [&others](const char* name) { others.emplace_back(name); })) {
        return std::nullopt;
    }
    return others;
}

FileLock::Outcome FileLock::TryLock(const fs::path& path, std::optional<FileLock>& lock,
                                    int* error) noexcept {
    lock.reset();
    const auto unavailable = [error](int code) {
        if (error != nullptr) {
            *error = code;
        }
        return Outcome::Unavailable;
    };
    // Read and write: network file systems lend exclusive locks only then.
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0 && (errno == EACCES || errno == EROFS)) {
        fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    }
    if (fd < 0) {
        return unavailable(errno);
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return unavailable(ENXIO);
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int code = errno;
        ::close(fd);
        return code == EWOULDBLOCK ? Outcome::HeldElsewhere : unavailable(code);
    }
    lock.emplace(FileLock(fd));
    return Outcome::Locked;
}

FileLock::FileLock(FileLock&& other) noexcept : fd_(other.fd_) {
    other.fd_ = -1;
}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

FileLock::~FileLock() {
    if (fd_ >= 0) {
        ::close(fd_);  // releases the lock
    }
}

std::optional<fs::path> FileIn(const fs::path& dir, std::string_view stem,
                               std::string_view ending) {
    std::string name(stem);
    name.append(ending);
    if (name.empty() || name.find("..") != std::string::npos) {
        return std::nullopt;
    }
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || c == ':' || byte < 32 || byte == 127) {
            return std::nullopt;
        }
    }
    // The bytes are the name: the file systems take GBK names as they are.
    return dir / fs::path(std::move(name));
}

bool CreateDirectories(const fs::path& path) noexcept {
    if (!DirectoryExists(path) && InjectedFault(FileOperation::CreateDirectory, path) != 0) {
        return false;
    }
    std::error_code ec;
    fs::create_directories(path, ec);
    return DirectoryExists(path);
}

void MakeDirectories(const fs::path& path) {
    if (DirectoryExists(path)) {
        return;
    }
    if (const int fault = InjectedFault(FileOperation::CreateDirectory, path); fault != 0) {
        IoError::ThrowCode(path, fault);
    }
    std::error_code ec;
    fs::create_directories(path, ec);
    if (ec) {
        IoError::ThrowCode(path, ec.value());
    }
    RequireDirectory(path);
}

std::int64_t FreeSpace(const fs::path& path) noexcept {
    if (gFreeSpaceOverridden.load()) {
        return gFreeSpaceValue.load();
    }
    struct statvfs st {};
    if (::statvfs(path.c_str(), &st) != 0) {
        return -1;
    }
    unsigned long long bytes =
        static_cast<unsigned long long>(st.f_bavail) * static_cast<unsigned long long>(st.f_frsize);
    if (bytes > static_cast<unsigned long long>(INT64_MAX)) {
        return INT64_MAX;
    }
    return static_cast<std::int64_t>(bytes);
}

bool IsMountPoint(const fs::path& path) noexcept {
    struct stat here {};
    struct stat parent {};
    if (::stat(path.c_str(), &here) != 0 || !S_ISDIR(here.st_mode) ||
        ::stat((path / "..").c_str(), &parent) != 0) {
        return false;
    }
    // Another file system begins here, or this is the root.
    return here.st_dev != parent.st_dev || here.st_ino == parent.st_ino;
}

std::int64_t MediumFreeSpace(const fs::path& mountPoint) noexcept {
    if (gFreeSpaceOverridden.load()) {
        return gFreeSpaceValue.load();
    }
    return IsMountPoint(mountPoint) ? FreeSpace(mountPoint) : -1;
}

void SetFreeSpaceOverride(std::optional<std::int64_t> bytes) noexcept {
    if (bytes) {
        gFreeSpaceValue.store(*bytes);
        gFreeSpaceOverridden.store(true);
    } else {
        gFreeSpaceOverridden.store(false);
    }
}

}  // namespace shenbao::platform
