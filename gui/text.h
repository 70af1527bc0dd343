#pragma once

// The one place where stored GBK text meets the widgets' QString.

#include <QString>
#include <filesystem>
#include <string>
#include <string_view>

namespace shenbao {

// Stored bytes to display text; bytes that form no character show as U+FFFD.
QString FromGbk(std::string_view gbk);

// Display text to stored bytes: GBK for every character GBK has, GB18030
// for the rest, so no character is lost.
std::string ToGbk(const QString& text);

// A native file path for messages and fields; a folder name that is not
// UTF-8 reads as GBK.
QString FromPath(const std::filesystem::path& path);
std::filesystem::path ToPath(const QString& text);

}  // namespace shenbao
