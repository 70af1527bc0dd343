#pragma once

// Helpers shared by the fuzz targets: checks that stop the run with a
// message (they stay active in optimised builds), scratch directories that
// live as long as the fuzzing process, and plain file access for putting
// fuzz inputs on disk without the store's own writers.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace shenbao::fuzz {

// Prints where and what failed and aborts, which libFuzzer reports as a
// crash with the input that caused it.
[[noreturn]] void Fail(const char* file, int line, const char* what);

#define FUZZ_CHECK(condition)                                      \
    do {                                                           \
        if (!(condition)) {                                        \
            ::shenbao::fuzz::Fail(__FILE__, __LINE__, #condition); \
        }                                                          \
    } while (false)

// A new empty directory under the system's temporary directory, named after
// `tag`, removed with everything in it when the process exits normally.
std::filesystem::path MakeScratchDirectory(std::string_view tag);

// The scratch directory of `tag` for the whole run: made by the first call
// with that tag, the same directory for every later one.
const std::filesystem::path& ScratchDirectory(const std::string& tag);

// Removes everything inside `dir`, keeping the directory.
void EmptyDirectory(const std::filesystem::path& dir);

// Creates or truncates `path` and writes `content`; no temporary file, no
// flush to disk. Aborts when the file cannot be written.
void WriteBytes(const std::filesystem::path& path, std::string_view content);

// Every entry of `dir` and below, by path relative to `dir`: the bytes of a
// regular file, "<dir>" for a directory, "<other>" for anything else.
std::map<std::string, std::string> Snapshot(const std::filesystem::path& dir);

// The fuzz input as a byte string.
inline std::string_view InputText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace shenbao::fuzz
