#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <mutex>

#include "platform/platform.h"

namespace shenbao::platform {

namespace {

std::mutex gFloppyMutex;
fs::path gFloppyMountPoint = "/media/floppy";

fs::path HomeDirectory() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') {
        return fs::path(home);
    }
    return fs::path("/");
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

fs::path DataDirectory() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec || exe.empty()) {
        // Without /proc the program file cannot be found reliably; the current
        // directory is the best remaining guess.
        exe = fs::current_path(ec) / "shenbao";
    }
    fs::path dir = exe.parent_path();
    return dir / "";
}

fs::path FloppyMountPoint() {
    std::lock_guard<std::mutex> lock(gFloppyMutex);
    return gFloppyMountPoint;
}

void SetFloppyMountPoint(const fs::path& path) {
    std::lock_guard<std::mutex> lock(gFloppyMutex);
    gFloppyMountPoint = path;
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

std::vector<Drive> Drives() {
    return {
        Drive{"A:", FloppyMountPoint()},
        Drive{"C:", HomeDirectory()},
        Drive{"/", fs::path("/")},
    };
}

Drive DriveOf(const fs::path& path) {
    fs::path normal = path.lexically_normal();
    std::string text = normal.string();
    Drive best{"/", fs::path("/")};
    std::size_t bestLength = 0;
    for (const Drive& drive : Drives()) {
        std::string root = drive.root.lexically_normal().string();
        while (root.size() > 1 && root.back() == '/') {
            root.pop_back();
        }
        bool inside =
            text == root || (text.size() > root.size() && text.compare(0, root.size(), root) == 0 &&
                             (root == "/" || text[root.size()] == '/'));
        if (inside && root.size() > bestLength) {
            best = drive;
            bestLength = root.size();
        }
    }
    return best;
}

}  // namespace shenbao::platform
