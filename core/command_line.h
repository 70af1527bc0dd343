#pragma once

// What the program does with its command line before any window exists:
// --help and --version answer on standard output and end the program, an
// unknown long option is refused, everything else goes on to Qt. And the
// decision whether a display is there to open, made before Qt tries (Qt
// aborts when it finds none): which displays Qt would try, so that the
// program can say in two plain lines that it needs a desktop instead.
//
// No text here touches the store: --help names the data directory without
// making it.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace shenbao {

enum class CommandAction {
    Run,            // start the program
    PrintHelp,      // --help, -h
    PrintVersion,   // --version
    UnknownOption,  // a long option that neither the program nor Qt knows
};

struct CommandLine {
    CommandAction action = CommandAction::Run;
    std::string option;  // the unknown option, as given
};

// Reads the arguments after the program name. The first of --help, -h,
// --version or an unknown long option decides; Qt's own options (-platform,
// --platform, -style=fusion, ...) and anything that is no long option are
// left to Qt.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// "shenbao 1.0.0" and the program's title, one line each.
std::string VersionText();

// The short usage, in Chinese and English, naming the data directory.
std::string UsageText(const std::filesystem::path& dataDir);

// The two lines for an unknown option.
std::string UnknownOptionText(std::string_view option);

// ---- The display -----------------------------------------------------------------

// The value of an environment variable, empty when it is unset.
using EnvLookup = std::function<std::string(const char* name)>;

// Which displays Qt will try to open, as far as the program checks them.
struct DisplayPlan {
    // False when Qt is to use a platform that needs no desktop display
    // (offscreen, minimal, vnc, eglfs, ...) or one the program does not
    // check: nothing is checked then.
    bool check = false;
    // Qt may open an X display (xcb): the one named by -display or DISPLAY,
    // empty when none is named.
    bool x11 = false;
    std::string x11Display;
    // Qt may open a Wayland display: the socket's path, empty when none is
    // named or it cannot be found (no XDG_RUNTIME_DIR).
    bool wayland = false;
    std::string waylandSocket;
};

// Qt's choice of platform: -platform on the command line, else
// QT_QPA_PLATFORM (a list separated by ';', each name followed by options
// after ':'), else X11 or, in a Wayland session, Wayland. The plan checks
// only when every platform named is X11 or Wayland; without a name it takes
// both, the Wayland display only when WAYLAND_DISPLAY names one.
DisplayPlan PlanDisplay(const std::vector<std::string>& args, const EnvLookup& env);

// The two lines (Chinese, then English) that say the program needs a
// graphical desktop and why none was found, for a plan whose displays could
// not be opened: a named display counts as tried and unreachable, and
// `x11Reason` is what the X server answered, if anything.
std::string NoDisplayText(const DisplayPlan& plan, std::string_view x11Reason = {});

}  // namespace shenbao
