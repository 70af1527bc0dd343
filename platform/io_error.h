#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace shenbao {

// A failed open, read, create, write, rename, copy or close of a file.
// Carries the file's path and the system's reason so that the window code
// can show both in its error box.
class IoError : public std::runtime_error {
  public:
    IoError(std::filesystem::path path, int errorCode, std::string reason);

    const std::filesystem::path& path() const noexcept { return path_; }
    // errno value of the failure (0 when the failure has no system code).
    int errorCode() const noexcept { return errorCode_; }
    // The system's description of the failure (strerror text or our own).
    const std::string& reason() const noexcept { return reason_; }

    // Throws an IoError for `path` with the current errno.
    [[noreturn]] static void ThrowErrno(const std::filesystem::path& path);
    [[noreturn]] static void ThrowCode(const std::filesystem::path& path, int errorCode);

  private:
    std::filesystem::path path_;
    int errorCode_;
    std::string reason_;
};

}  // namespace shenbao
