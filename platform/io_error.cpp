#include "platform/io_error.h"

#include <cerrno>
#include <cstring>

namespace shenbao {

IoError::IoError(std::filesystem::path path, int errorCode, std::string reason)
    : std::runtime_error(path.string() + ": " + reason),
      path_(std::move(path)),
      errorCode_(errorCode),
      reason_(std::move(reason)) {}

void IoError::ThrowErrno(const std::filesystem::path& path) {
    ThrowCode(path, errno);
}

void IoError::ThrowCode(const std::filesystem::path& path, int errorCode) {
    throw IoError(path, errorCode, std::strerror(errorCode));
}

}  // namespace shenbao
