#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace shenbao {

// A failed open, read, create, write, rename, copy or close of a file.
// Carries the file's path and the reason, in Chinese (UTF-8), so that the
// window code can show both in its error box.
class IoError : public std::runtime_error {
  public:
    IoError(std::filesystem::path path, int errorCode, std::string reason);

    const std::filesystem::path& path() const noexcept { return path_; }
    // errno value of the failure (0 when the failure has no system code).
    int errorCode() const noexcept { return errorCode_; }
    // Why it failed, in Chinese (UTF-8): ReasonText(errorCode()) or a text
    // of the program's own.
    const std::string& reason() const noexcept { return reason_; }

    // Throws an IoError for `path` with the current errno.
    [[noreturn]] static void ThrowErrno(const std::filesystem::path& path);
    [[noreturn]] static void ThrowCode(const std::filesystem::path& path, int errorCode);

  private:
    std::filesystem::path path_;
    int errorCode_;
    std::string reason_;
};

// What an errno value means for a file, in Chinese (UTF-8): the one table of
// the program, for error boxes and log lines alike. A code outside the table
// gives "系统错误（错误码N）".
std::string ReasonText(int errorCode);

}  // namespace shenbao
