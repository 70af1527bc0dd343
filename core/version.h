#pragma once

// The program's version and its desktop ID, both set by the build: the
// version is the project version of the build files, shown by --version and
// in the about box and carried by the Debian package.

#include <string_view>

namespace shenbao {

// "1.0.0".
std::string_view ProgramVersion();

// The name of the desktop entry without ".desktop", also the AppStream ID:
// "cn.chengchuan.shenbao".
std::string_view DesktopId();

}  // namespace shenbao
