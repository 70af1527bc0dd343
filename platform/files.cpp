#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"
#include "store/io_error.h"
#include "store/text.h"

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

// Makes a rename in `dir` durable; a failure here loses nothing.
void FlushDirectory(const fs::path& dir) {
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

FaultInjector& Injector() {
    static FaultInjector injector;
    return injector;
}

// The errno an installed fault injector chooses for this operation, or 0.
int InjectedFault(FileOperation operation, const fs::path& path) {
    const FaultInjector& injector = Injector();
    return injector ? injector(operation, path) : 0;
}

std::atomic<bool> gFreeSpaceOverridden{false};
std::atomic<std::int64_t> gFreeSpaceValue{0};

}  // namespace

bool FileExists(const fs::path& path) noexcept {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const fs::path& path) noexcept {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void SetFaultInjector(FaultInjector injector) {
    Injector() = std::move(injector);
}

bool ReadFileInto(const fs::path& path, std::string& content) {
    content.clear();
    if (int fault = InjectedFault(FileOperation::Read, path)) {
        if (fault == ENOENT) {
            return false;
        }
        IoError::ThrowCode(path, fault);
    }
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) {
            return false;
        }
        IoError::ThrowErrno(path);
    }
    FileDescriptor file(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        IoError::ThrowErrno(path);
    }
    if (S_ISDIR(st.st_mode)) {
        IoError::ThrowCode(path, EISDIR);
    }
    // Read straight into the string, in blocks of at most kBlock bytes; a
    // file that grows meanwhile is read to its new end. On a failure the
    // string is cut to what was read.
    constexpr std::size_t kBlock = std::size_t{1} << 20;
    std::size_t used = 0;
    content.resize(st.st_size > 0 ? static_cast<std::size_t>(st.st_size) + 1 : 4096);
    for (;;) {
        if (used == content.size()) {
            content.resize(content.size() * 2);
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
    }
    content.resize(used);
    if (file.close() != 0) {
        IoError::ThrowErrno(path);
    }
    return true;
}

std::optional<std::string> ReadFileIfExists(const fs::path& path) {
    std::string content;
    if (!ReadFileInto(path, content)) {
        return std::nullopt;
    }
    return content;
}

std::string ReadFile(const fs::path& path) {
    std::optional<std::string> content = ReadFileIfExists(path);
    if (!content) {
        IoError::ThrowCode(path, ENOENT);
    }
    return std::move(*content);
}

namespace {

// Writes `content` into a new temporary file beside `path` and renames it
// over `path`; with `flush` the data reaches the disk before the rename and
// the rename before the return.
void WriteAndRename(const fs::path& path, std::string_view content, bool flush) {
    if (int fault = InjectedFault(FileOperation::Write, path)) {
        IoError::ThrowCode(path, fault);
    }
    fs::path dir = path.parent_path();
    if (dir.empty()) {
        dir = ".";
    }
    std::string hidden(1, '.');
    hidden.append(path.filename().string());
    hidden.append(".XXXXXX");
    std::string pattern = (dir / hidden).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) {
        IoError::ThrowErrno(path);
    }
    const fs::path temporary(name.data());
    try {
        FileDescriptor file(fd);
        // mkstemp creates the file for the owner only; store files are
        // ordinary files that follow the user's umask.
        mode_t mask = ::umask(0);
        ::umask(mask);
        struct stat old {};
        mode_t mode = (::stat(path.c_str(), &old) == 0) ? (old.st_mode & 07777) : (0666 & ~mask);
        ::fchmod(fd, mode);
        WriteAll(fd, content, path);
        if (flush && ::fsync(fd) != 0) {
            IoError::ThrowErrno(path);
        }
        if (file.close() != 0) {
            IoError::ThrowErrno(path);
        }
        if (::rename(temporary.c_str(), path.c_str()) != 0) {
            IoError::ThrowErrno(path);
        }
    } catch (...) {
        ::unlink(temporary.c_str());
        throw;
    }
    if (flush) {
        FlushDirectory(dir);
    }
}

// Writes `content` as `path` when no file of that name exists yet: with no
// old file to keep whole, the file is written in place, and removed again if
// the write fails. False (nothing done) when the name is taken.
bool WriteNew(const fs::path& path, std::string_view content) {
    if (int fault = InjectedFault(FileOperation::Write, path)) {
        IoError::ThrowCode(path, fault);
    }
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (errno == EEXIST) {
            return false;
        }
        IoError::ThrowErrno(path);
    }
    try {
        FileDescriptor file(fd);
        WriteAll(fd, content, path);
        if (file.close() != 0) {
            IoError::ThrowErrno(path);
        }
    } catch (...) {
        ::unlink(path.c_str());
        throw;
    }
    return true;
}

}  // namespace

void ReplaceFile(const fs::path& path, std::string_view content) {
    WriteAndRename(path, content, true);
}

void FileBatch::Replace(const fs::path& path, std::string_view content) {
    if (!WriteNew(path, content)) {
        WriteAndRename(path, content, false);
    }
    fs::path dir = path.parent_path();
    if (std::find(directories_.begin(), directories_.end(), dir) == directories_.end()) {
        directories_.push_back(dir);
    }
}

void FileBatch::Copy(const fs::path& from, const fs::path& to) {
    Replace(to, ReadFile(from));
}

void FileBatch::Commit() {
    for (const fs::path& dir : directories_) {
        int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            IoError::ThrowErrno(dir);
        }
        FileDescriptor directory(fd);
        // One flush of the whole file system holds every file written there.
        if (::syncfs(fd) != 0 || ::fsync(fd) != 0) {
            IoError::ThrowErrno(dir);
        }
    }
    directories_.clear();
}

void CopyFileReplacing(const fs::path& from, const fs::path& to) {
    ReplaceFile(to, ReadFile(from));
}

bool RemoveFile(const fs::path& path) noexcept {
    if (!FileExists(path) || InjectedFault(FileOperation::Remove, path) != 0) {
        return false;
    }
    return ::unlink(path.c_str()) == 0;
}

std::optional<fs::path> FindFile(const fs::path& dir, std::string_view name) {
    fs::path exact = dir / fs::path(std::string(name));
    if (FileExists(exact)) {
        return exact;
    }
    DIR* d = ::opendir(dir.c_str());
    if (d == nullptr) {
        return std::nullopt;
    }
    std::optional<fs::path> found;
    while (dirent* entry = ::readdir(d)) {
        if (EqualIgnoringAsciiCase(entry->d_name, name)) {
            fs::path candidate = dir / entry->d_name;
            if (FileExists(candidate)) {
                found = candidate;
                break;
            }
        }
    }
    ::closedir(d);
    return found;
}

bool CreateDirectories(const fs::path& path) noexcept {
    if (!DirectoryExists(path) && InjectedFault(FileOperation::CreateDirectory, path) != 0) {
        return false;
    }
    std::error_code ec;
    fs::create_directories(path, ec);
    return DirectoryExists(path);
}

std::vector<std::string> ListFilesWithExtension(const fs::path& dir, std::string_view extension) {
    if (int fault = InjectedFault(FileOperation::List, dir)) {
        IoError::ThrowCode(dir, fault);
    }
    DIR* d = ::opendir(dir.c_str());
    if (d == nullptr) {
        IoError::ThrowErrno(dir);
    }
    std::vector<std::string> names;
    int readError = 0;
    for (;;) {
        errno = 0;
        dirent* entry = ::readdir(d);
        if (entry == nullptr) {
            readError = errno;
            break;
        }
        std::string_view name(entry->d_name);
        if (name.empty() || name.front() == '.') {
            continue;  // hidden
        }
        if (!EndsWithIgnoringCase(name, extension)) {
            continue;
        }
        struct stat st {};
        if (::stat((dir / entry->d_name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
            continue;
        }
        names.emplace_back(name);
    }
    ::closedir(d);
    if (readError != 0) {
        IoError::ThrowCode(dir, readError);
    }
    return names;
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
