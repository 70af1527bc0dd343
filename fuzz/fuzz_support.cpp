#include "fuzz/fuzz_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <system_error>
#include <vector>

namespace shenbao::fuzz {

namespace fs = std::filesystem;

namespace {

// Owns the scratch directories of the process and removes them at exit.
class ScratchDirectories {
  public:
    ~ScratchDirectories() {
        for (const fs::path& dir : dirs_) {
            std::error_code ec;
            fs::remove_all(dir, ec);
        }
    }
    void Add(fs::path dir) { dirs_.push_back(std::move(dir)); }

  private:
    std::vector<fs::path> dirs_;
};

ScratchDirectories& Scratch() {
    static ScratchDirectories scratch;
    return scratch;
}

}  // namespace

void Fail(const char* file, int line, const char* what) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
    std::fflush(stderr);
    std::abort();
}

fs::path MakeScratchDirectory(std::string_view tag) {
    std::error_code ec;
    fs::path base = fs::temp_directory_path(ec);
    if (ec) {
        base = "/tmp";
    }
    std::string pattern = (base / ("shenbao-fuzz-" + std::string(tag) + "-XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (::mkdtemp(name.data()) == nullptr) {
        Fail(__FILE__, __LINE__, "mkdtemp for a scratch directory");
    }
    fs::path dir(name.data());
    Scratch().Add(dir);
    return dir;
}

const fs::path& ScratchDirectory(const std::string& tag) {
    static std::map<std::string, fs::path> made;
    auto [it, added] = made.try_emplace(tag);
    if (added) {
        it->second = MakeScratchDirectory(tag);
    }
    return it->second;
}

void EmptyDirectory(const fs::path& dir) {
    std::error_code ec;
    std::vector<fs::path> entries;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        entries.push_back(it->path());
    }
    if (ec) {
        Fail(__FILE__, __LINE__, "listing a scratch directory");
    }
    for (const fs::path& entry : entries) {
        fs::remove_all(entry, ec);
        if (ec) {
            Fail(__FILE__, __LINE__, "emptying a scratch directory");
        }
    }
}

void WriteBytes(const fs::path& path, std::string_view content) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        Fail(__FILE__, __LINE__, "opening a scratch file");
    }
    while (!content.empty()) {
        ssize_t n = ::write(fd, content.data(), content.size());
        if (n <= 0) {
            Fail(__FILE__, __LINE__, "writing a scratch file");
        }
        content.remove_prefix(static_cast<std::size_t>(n));
    }
    ::close(fd);
}

std::map<std::string, std::string> Snapshot(const fs::path& dir) {
    std::map<std::string, std::string> entries;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().lexically_relative(dir).string();
        const fs::file_status status = it->symlink_status(ec);
        if (fs::is_regular_file(status)) {
            std::string content;
            if (std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
                    std::fopen(it->path().c_str(), "rb"), &std::fclose);
                file) {
                char buffer[4096];
                std::size_t n = 0;
                while ((n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
                    content.append(buffer, n);
                }
            }
            entries[name] = std::move(content);
        } else if (fs::is_directory(status)) {
            entries[name] = "<dir>";
        } else {
            entries[name] = "<other>";
        }
    }
    return entries;
}

}  // namespace shenbao::fuzz
