#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <system_error>

#include "platform/gbk.h"
#include "platform/io_error.h"
#include "platform/platform.h"

namespace shenbao::platform {

namespace {

// ---- The user ------------------------------------------------------------------

// The user's name and home directory from the password database (empty
// when the user has no entry).
struct User {
    std::string name;
    std::string home;
};

User ThisUser() {
    passwd entry{};
    std::vector<char> buffer(16384);
    passwd* result = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &result) != 0 ||
        result == nullptr) {
        return {};
    }
    return User{entry.pw_name != nullptr ? entry.pw_name : "",
                entry.pw_dir != nullptr ? entry.pw_dir : ""};
}

fs::path HomeDirectory() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') {
        return fs::path(home);
    }
    if (User user = ThisUser(); !user.home.empty()) {
        return fs::path(user.home);
    }
    return fs::path("/");
}

std::string UserName() {
    if (User user = ThisUser(); !user.name.empty()) {
        return user.name;
    }
    const char* name = std::getenv("USER");
    return name != nullptr ? std::string(name) : std::string();
}

// An absolute, normal path without a trailing separator (the root keeps it),
// so that two spellings of one folder compare equal.
fs::path Plain(const fs::path& path) {
    fs::path normal = path.lexically_normal();
    if (!normal.has_filename() && normal.has_relative_path()) {
        normal = normal.parent_path();
    }
    return normal;
}

// True when `path` is `dir` or lies below it.
bool Inside(const fs::path& path, const fs::path& dir) {
    const std::string text = Plain(path).string();
    const std::string root = Plain(dir).string();
    if (text == root) {
        return true;
    }
    return text.size() > root.size() && text.compare(0, root.size(), root) == 0 &&
           (root == "/" || text[root.size()] == '/');
}

// ---- The mount table -----------------------------------------------------------

struct DriveState {
    std::mutex mutex;
    fs::path floppy = "/media/floppy";
    std::optional<std::string> fakeTable;
    fs::path fakeRoot = "/";
    std::optional<fs::path> chosen;
};

DriveState& State() {
    static DriveState state;
    return state;
}

// Undoes the octal escapes (\040 for a blank, \011, \012, \134) of a field.
std::string Unescape(std::string_view field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() &&
            std::isdigit(static_cast<unsigned char>(field[i + 1])) != 0 &&
            std::isdigit(static_cast<unsigned char>(field[i + 2])) != 0 &&
            std::isdigit(static_cast<unsigned char>(field[i + 3])) != 0) {
            const int value =
                (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            out.push_back(static_cast<char>(value));
            i += 3;
        } else {
            out.push_back(field[i]);
        }
    }
    return out;
}

// The mount points of a table in the form of /proc/self/mountinfo (the fifth
// field of each line), in mount order, each taken as lying below `root`.
std::vector<fs::path> ParseMountPoints(const std::string& table, const fs::path& root) {
    std::vector<fs::path> points;
    std::istringstream lines(table);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string field;
        for (int i = 0; i < 5 && fields >> field; ++i) {
            if (i == 4) {
                const std::string point = Unescape(field);
                if (!point.empty() && point.front() == '/') {
                    points.push_back(Plain(root / fs::path(point).relative_path()));
                }
            }
        }
    }
    return points;
}

// What the drives are made of at one moment.
struct Mounts {
    fs::path floppy;  // the floppy drive's mount point
    bool floppyMounted = false;
    std::vector<fs::path> media;  // the user's media, in mount order
    std::optional<fs::path> chosen;
};

Mounts ReadMounts() {
    DriveState& state = State();
    Mounts mounts;
    std::string table;
    fs::path root;
    {
        std::lock_guard<std::mutex> lock(state.mutex);
        mounts.floppy = state.floppy;
        mounts.chosen = state.chosen;
        root = state.fakeRoot;
        if (state.fakeTable) {
            table = *state.fakeTable;
        } else {
            std::ifstream in("/proc/self/mountinfo");
            std::ostringstream content;
            content << in.rdbuf();
            table = content.str();
        }
    }
    // /media/floppy is often a link to /media/floppy0, which the table names.
    std::error_code ec;
    fs::path floppy = fs::weakly_canonical(mounts.floppy, ec);
    const fs::path floppyPoint = Plain(ec ? mounts.floppy : floppy);

    const std::string user = UserName();
    const fs::path mediaDirs[] = {Plain(root / "media" / user), Plain(root / "run/media" / user)};
    for (const fs::path& point : ParseMountPoints(table, root)) {
        if (point == floppyPoint) {
            mounts.floppyMounted = true;
        } else if (!user.empty() &&
                   std::any_of(std::begin(mediaDirs), std::end(mediaDirs),
                               [&](const fs::path& dir) { return point.parent_path() == dir; }) &&
                   std::find(mounts.media.begin(), mounts.media.end(), point) ==
                       mounts.media.end()) {
            mounts.media.push_back(point);
        }
    }
    return mounts;
}

// The mount point of drive A: among `mounts`.
fs::path DriveA(const Mounts& mounts) {
    if (mounts.floppyMounted) {
        return mounts.floppy;
    }
    if (mounts.chosen &&
        std::find(mounts.media.begin(), mounts.media.end(), *mounts.chosen) != mounts.media.end()) {
        return *mounts.chosen;
    }
    if (mounts.media.size() == 1) {
        return mounts.media.front();
    }
    return mounts.floppy;
}

// Whether `mounts` hold several media and no floppy, and none is chosen.
bool Undecided(const Mounts& mounts) {
    return !mounts.floppyMounted && mounts.media.size() > 1 && DriveA(mounts) == mounts.floppy;
}

// The selector's drives; `withBareFloppy` adds the floppy drive without disk
// also when media stand for A:, so that a path into it is known as not ready.
std::vector<Drive> MakeDrives(const Mounts& mounts, bool withBareFloppy) {
    std::vector<Drive> drives;
    const std::string floppyText = Plain(mounts.floppy).string();
    if (mounts.floppyMounted) {
        drives.push_back(Drive{"A:", mounts.floppy, floppyText, true});
    } else {
        for (const fs::path& medium : mounts.media) {
            drives.push_back(Drive{"A:", medium, medium.filename().string(), true});
        }
        if (mounts.media.empty() || withBareFloppy) {
            drives.push_back(Drive{"A:", mounts.floppy, floppyText, false});
        }
    }
    const fs::path home = HomeDirectory();
    drives.push_back(Drive{"C:", home, Plain(home).string(), true});
    drives.push_back(Drive{"/", fs::path("/"), std::string(), true});
    return drives;
}

fs::path DriveRoot(char letter) {
    switch (letter) {
        case 'a':
            return FloppyMountPoint();
        case 'c':
            return HomeDirectory();
        default:
            return fs::path("/mnt") / std::string(1, letter);
    }
}

}  // namespace

// ---- The program's own folder and the data directory ---------------------------

fs::path ProgramDirectory() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty()) {
        // Without /proc the program file cannot be found reliably; the current
        // directory is the best remaining guess.
        exe = fs::current_path(ec) / "shenbao";
    }
    return exe.parent_path() / "";
}

fs::path UserDataDirectory() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    // The rules ignore a relative XDG_DATA_HOME.
    fs::path base =
        xdg != nullptr && *xdg == '/' ? fs::path(xdg) : HomeDirectory() / ".local" / "share";
    return Plain(base) / "shenbao" / "";
}

fs::path DataDirectoryFor(const fs::path& programDir) {
    const fs::path dir = Plain(programDir);
    const bool installed = Inside(dir, "/usr") || Inside(dir, "/opt");
    if (!installed && ::access(dir.c_str(), W_OK) == 0) {
        return dir / "";
    }
    return UserDataDirectory();
}

void PrepareDataDirectory(const fs::path& programDir, const fs::path& dataDir,
                          std::string_view fileName) {
    if (!DirectoryExists(dataDir)) {
        std::error_code ec;
        fs::create_directories(dataDir, ec);
        if (ec) {
            IoError::ThrowCode(dataDir, ec.value());
        }
        // The store is the user's own.
        ::chmod(Plain(dataDir).c_str(), S_IRWXU);
    }
    if (FindFile(dataDir, fileName)) {
        return;
    }
    // Without a shipped file there is nothing to copy; the program then reports
    // the missing code table itself.
    if (std::optional<fs::path> shipped = FindFile(programDir, fileName)) {
        CopyFileReplacing(*shipped, dataDir / std::string(fileName));
    }
}

namespace {

std::optional<IoError>& PreparationError() {
    static std::optional<IoError> error;
    return error;
}

}  // namespace

fs::path DataDirectory() {
    const fs::path program = ProgramDirectory();
    const fs::path data = DataDirectoryFor(program);
    if (Plain(data) != Plain(program)) {
        static std::once_flag prepared;
        std::call_once(prepared, [&] {
            try {
                PrepareDataDirectory(program, data, kCodeTableFileName);
            } catch (const IoError& error) {
                PreparationError() = error;
            }
        });
    }
    return data;
}

const std::optional<IoError>& DataDirectoryError() {
    DataDirectory();
    return PreparationError();
}

// ---- Drive letters -----------------------------------------------------------

fs::path FloppyMountPoint() {
    return DriveA(ReadMounts());
}

void SetFloppyMountPoint(const fs::path& path) {
    std::lock_guard<std::mutex> lock(State().mutex);
    State().floppy = path;
}

void ChooseDriveA(const fs::path& mountPoint) {
    std::lock_guard<std::mutex> lock(State().mutex);
    State().chosen = Plain(mountPoint);
}

bool SeveralMediaNoneChosen() {
    return Undecided(ReadMounts());
}

void SetMountTable(std::optional<std::string> mountinfo, const fs::path& root) {
    std::lock_guard<std::mutex> lock(State().mutex);
    State().fakeTable = std::move(mountinfo);
    State().fakeRoot = root;
    State().chosen.reset();
}

fs::path MapDrivePath(std::string_view text) {
#ifdef _WIN32
    return fs::path(std::string(text));
#else
    if (text.size() >= 2 && text[1] == ':' &&
        std::isalpha(static_cast<unsigned char>(text[0])) != 0) {
        char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
        fs::path result = DriveRoot(letter);
        std::string rest(text.substr(2));
        for (char& c : rest) {
            if (c == '\\') {
                c = '/';
            }
        }
        std::size_t start = rest.find_first_not_of('/');
        if (start == std::string::npos) {
            return result / "";
        }
        bool trailing = rest.back() == '/';
        std::size_t end = rest.find_last_not_of('/');
        result /= rest.substr(start, end - start + 1);
        return trailing ? result / "" : result;
    }
    return fs::path(std::string(text));
#endif
}

fs::path FindGbkNamedPath(const fs::path& path) {
    std::error_code ec;
    if (fs::exists(fs::symlink_status(path, ec)) || path.empty()) {
        return path;
    }
    fs::path found = path.root_path();
    for (const fs::path& part : path.relative_path()) {
        fs::path next = found / part;
        if (!part.empty() && !fs::exists(fs::symlink_status(next, ec))) {
            const std::string gbk = Utf8ToGbk(part.native());
            fs::path twin = found / gbk;
            if (gbk != part.native() && fs::exists(fs::symlink_status(twin, ec))) {
                next = std::move(twin);
            }
        }
        found = std::move(next);
    }
    return found;
}

std::vector<Drive> Drives() {
    return MakeDrives(ReadMounts(), false);
}

Drive DriveOf(const fs::path& path) {
    Drive best{"/", fs::path("/"), std::string(), true};
    std::size_t bestLength = 0;
    for (const Drive& drive : MakeDrives(ReadMounts(), true)) {
        const std::string root = Plain(drive.root).string();
        if (Inside(path, drive.root) && root.size() > bestLength) {
            best = drive;
            bestLength = root.size();
        }
    }
    return best;
}

}  // namespace shenbao::platform
