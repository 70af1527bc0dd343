#include "core/command_line.h"

#include <algorithm>
#include <iterator>

#include "core/version.h"

namespace shenbao {

namespace {

// The options QGuiApplication, QApplication and the X11 platform read from
// the command line, without their leading dash. Qt takes each with one dash
// or two, some with "=value".
constexpr std::string_view kQtOptions[] = {"platform",      "platformpluginpath",
                                           "platformtheme", "plugin",
                                           "qmljsdebugger", "qwindowgeometry",
                                           "qwindowicon",   "qwindowtitle",
                                           "reverse",       "session",
                                           "display",       "geometry",
                                           "name",          "title",
                                           "style",         "stylesheet",
                                           "widgetcount",   "nograb",
                                           "dograb",        "sync",
                                           "visual",        "ncols",
                                           "cmap",          "testability"};

// The options after which the next argument is their value.
constexpr std::string_view kQtOptionsWithValue[] = {
    "platform",        "platformpluginpath", "platformtheme", "plugin",
    "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "session",
    "display",         "geometry",           "name",          "title",
    "style",           "stylesheet"};

template <std::size_t N>
bool Contains(const std::string_view (&names)[N], std::string_view name) {
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

// The name of an option given with one or two dashes, without them and
// without "=value"; empty for an argument that is no option.
std::string_view OptionName(std::string_view arg) {
    if (arg.size() < 2 || arg[0] != '-') {
        return {};
    }
    arg.remove_prefix(arg[1] == '-' ? 2 : 1);
    return arg.substr(0, arg.find('='));
}

// The value of Qt's option `name` (-name value, --name value, -name=value),
// empty when it is not given.
std::string QtOptionValue(const std::vector<std::string>& args, std::string_view name) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (OptionName(arg) != name) {
            continue;
        }
        if (const std::size_t equals = arg.find('='); equals != std::string::npos) {
            return arg.substr(equals + 1);
        }
        if (i + 1 < args.size()) {
            return args[i + 1];
        }
    }
    return {};
}

std::vector<std::string_view> SplitList(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    while (!text.empty()) {
        const std::size_t end = text.find(separator);
        std::string_view part = text.substr(0, end);
        if (!part.empty()) {
            parts.push_back(part);
        }
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + 1);
    }
    return parts;
}

bool IsWayland(std::string_view platform) {
    // wayland, wayland-egl, wayland-xcomposite-glx, ...
    return platform.substr(0, 7) == "wayland";
}

std::string Join(const std::vector<std::string>& parts, std::string_view separator) {
    std::string text;
    for (const std::string& part : parts) {
        if (!text.empty()) {
            text += separator;
        }
        text += part;
    }
    return text;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            return {CommandAction::PrintHelp, {}};
        }
        if (arg == "--version") {
            return {CommandAction::PrintVersion, {}};
        }
        const std::string_view name = OptionName(arg);
        if (Contains(kQtOptions, name)) {
            // Its value is no option of ours, whatever it looks like.
            if (Contains(kQtOptionsWithValue, name) && arg.find('=') == std::string::npos) {
                ++i;
            }
            continue;
        }
        if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
            return {CommandAction::UnknownOption, arg};
        }
    }
    return {CommandAction::Run, {}};
}

std::string VersionText() {
    return "shenbao " + std::string(ProgramVersion()) + "\n澄川省科技计划项目申报系统2001版\n";
}

std::string UsageText(const std::filesystem::path& dataDir) {
    return "用法 / usage: shenbao [--help | --version]\n"
           "\n"
           "澄川省科技计划项目申报系统2001版：登记、查询、打印和导出本单位申报的科技计划项目。\n"
           "Records, lists, queries, prints and exports the science and technology plan\n"
           "projects an organisation applies for. It runs on a graphical desktop.\n"
           "\n"
           "  --help      显示本说明 / show this help\n"
           "  --version   显示版本 / show the version\n"
           "\n"
           "数据文件夹 / data folder: " +
           dataDir.string() +
           "\n"
           "Qt 的标准选项（如 -platform）也可以使用 / Qt's standard options (such as -platform) "
           "work too.\n"
           "手册页 / manual page (Debian 软件包 / Debian package): man shenbao\n";
}

std::string UnknownOptionText(std::string_view option) {
    return "shenbao：未知的选项 " + std::string(option) + "，用 shenbao --help 查看用法。\n" +
           "shenbao: unknown option " + std::string(option) + "; see shenbao --help.\n";
}

// ---- The display -----------------------------------------------------------------

DisplayPlan PlanDisplay(const std::vector<std::string>& args, const EnvLookup& env) {
    DisplayPlan plan;
    std::string platforms = QtOptionValue(args, "platform");
    if (platforms.empty()) {
        platforms = env("QT_QPA_PLATFORM");
    }
    // A socket handed over by the compositor is not checked.
    if (!env("WAYLAND_SOCKET").empty()) {
        return plan;
    }
    const std::string waylandName = env("WAYLAND_DISPLAY");
    if (platforms.empty()) {
        plan.x11 = true;
        plan.wayland = true;
    } else {
        for (std::string_view entry : SplitList(platforms, ';')) {
            const std::string_view name = entry.substr(0, entry.find(':'));
            if (name == "xcb") {
                plan.x11 = true;
            } else if (IsWayland(name)) {
                plan.wayland = true;
            } else {
                return DisplayPlan{};  // a platform without a desktop display
            }
        }
        if (!plan.x11 && !plan.wayland) {
            return DisplayPlan{};
        }
    }
    plan.check = true;
    if (plan.x11) {
        plan.x11Display = QtOptionValue(args, "display");
        if (plan.x11Display.empty()) {
            plan.x11Display = env("DISPLAY");
        }
    }
    if (plan.wayland) {
        // Named, Qt connects to WAYLAND_DISPLAY; asked for by name, to the
        // default display "wayland-0" when none is named. Without a name Qt
        // turns to Wayland only in a Wayland session, which names its display.
        std::string name = waylandName;
        if (name.empty() && !platforms.empty()) {
            name = "wayland-0";
        }
        if (!name.empty() && name.front() == '/') {
            plan.waylandSocket = name;
        } else if (const std::string runtime = env("XDG_RUNTIME_DIR");
                   !name.empty() && !runtime.empty()) {
            plan.waylandSocket = (std::filesystem::path(runtime) / name).string();
        }
    }
    return plan;
}

std::string NoDisplayText(const DisplayPlan& plan, std::string_view x11Reason) {
    std::vector<std::string> chinese;
    std::vector<std::string> english;
    const bool noneNamed =
        plan.x11 && plan.x11Display.empty() && plan.wayland && plan.waylandSocket.empty();
    if (noneNamed) {
        chinese.push_back("没有图形显示（DISPLAY 和 WAYLAND_DISPLAY 都没有设置）");
        english.push_back("there is no display (neither DISPLAY nor WAYLAND_DISPLAY is set)");
    } else {
        if (plan.x11) {
            if (plan.x11Display.empty()) {
                chinese.push_back("DISPLAY 没有设置");
                english.push_back("DISPLAY is not set");
            } else {
                const std::string reason(x11Reason);
                chinese.push_back("无法连接 X 显示 " + plan.x11Display +
                                  (reason.empty() ? "" : "（" + reason + "）"));
                english.push_back("cannot connect to the X display " + plan.x11Display +
                                  (reason.empty() ? "" : " (" + reason + ")"));
            }
        }
        if (plan.wayland) {
            if (plan.waylandSocket.empty()) {
                chinese.push_back("WAYLAND_DISPLAY 没有设置");
                english.push_back("WAYLAND_DISPLAY is not set");
            } else {
                chinese.push_back("无法连接 Wayland 显示 " + plan.waylandSocket);
                english.push_back("cannot connect to the Wayland display " + plan.waylandSocket);
            }
        }
    }
    return "shenbao：本程序需要在图形桌面中运行，但" + Join(chinese, "，") + "。\n" +
           "shenbao: this program needs a graphical desktop, but " + Join(english, "; ") + ".\n";
}

}  // namespace shenbao
