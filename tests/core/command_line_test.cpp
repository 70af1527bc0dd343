#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "core/command_line.h"
#include "core/version.h"

namespace shenbao {
namespace {

using Args = std::vector<std::string>;

TEST(CommandLine, OwnOptionsDecideAndQtsPassOn) {
    struct Row {
        Args args;
        CommandAction action;
        std::string option;
    };
    const Row rows[] = {
        {{}, CommandAction::Run, ""},
        {{"--help"}, CommandAction::PrintHelp, ""},
        {{"-h"}, CommandAction::PrintHelp, ""},
        {{"--version"}, CommandAction::PrintVersion, ""},
        {{"--version", "--help"}, CommandAction::PrintVersion, ""},
        {{"--help", "--bogus"}, CommandAction::PrintHelp, ""},
        {{"--bogus", "--help"}, CommandAction::UnknownOption, "--bogus"},
        {{"--verison"}, CommandAction::UnknownOption, "--verison"},
        {{"--version=2"}, CommandAction::UnknownOption, "--version=2"},
        // Qt's options, with one dash or two, with their values.
        {{"-platform", "offscreen"}, CommandAction::Run, ""},
        {{"--platform", "offscreen"}, CommandAction::Run, ""},
        {{"-style=fusion", "-reverse"}, CommandAction::Run, ""},
        {{"--qwindowtitle", "--odd-title"}, CommandAction::Run, ""},
        {{"-display", ":1", "--version"}, CommandAction::PrintVersion, ""},
        // Single-dash words and plain arguments are Qt's business.
        {{"-nograb", "-x", "file.txt"}, CommandAction::Run, ""},
        {{"--"}, CommandAction::Run, ""},
    };
    for (const Row& row : rows) {
        std::string shown;
        for (const std::string& arg : row.args) {
            shown += arg + " ";
        }
        const CommandLine line = ParseCommandLine(row.args);
        EXPECT_EQ(line.action, row.action) << shown;
        EXPECT_EQ(line.option, row.option) << shown;
    }
}

TEST(CommandLine, VersionHelpAndRefusalTexts) {
    EXPECT_EQ(VersionText(),
              "shenbao " + std::string(ProgramVersion()) + "\n澄川省科技计划项目申报系统2001版\n");
    EXPECT_FALSE(ProgramVersion().empty());
    EXPECT_EQ(DesktopId(), "cn.chengchuan.shenbao");

    const std::string usage = UsageText("/home/li/.local/share/shenbao/");
    EXPECT_EQ(usage.rfind("用法 / usage: shenbao [--help | --version]\n", 0), 0u) << usage;
    for (const char* part : {"\n  --help ", "\n  --version ",
                             "数据文件夹 / data folder: /home/li/.local/share/shenbao/\n"}) {
        EXPECT_NE(usage.find(part), std::string::npos) << part;
    }

    EXPECT_EQ(UnknownOptionText("--bogus"),
              "shenbao：未知的选项 --bogus，用 shenbao --help 查看用法。\n"
              "shenbao: unknown option --bogus; see shenbao --help.\n");
}

TEST(DisplayCheck, PlansTheDisplaysQtWillTry) {
    struct Row {
        const char* what;
        std::map<std::string, std::string> env;
        Args args;
        DisplayPlan plan;
    };
    const Row rows[] = {
        {"nothing set", {}, {}, {true, true, "", true, ""}},
        {"an X session", {{"DISPLAY", ":0"}}, {}, {true, true, ":0", true, ""}},
        {"a Wayland session",
         {{"WAYLAND_DISPLAY", "wayland-1"}, {"XDG_RUNTIME_DIR", "/run/user/1000"}},
         {},
         {true, true, "", true, "/run/user/1000/wayland-1"}},
        {"Wayland without a runtime folder",
         {{"WAYLAND_DISPLAY", "wayland-1"}},
         {},
         {true, true, "", true, ""}},
        {"a socket path",
         {{"WAYLAND_DISPLAY", "/tmp/w.sock"}, {"DISPLAY", ":1"}},
         {},
         {true, true, ":1", true, "/tmp/w.sock"}},
        {"xcb asked for",
         {{"QT_QPA_PLATFORM", "xcb"}, {"WAYLAND_DISPLAY", "wayland-0"}},
         {},
         {true, true, "", false, ""}},
        {"wayland asked for, default display",
         {{"QT_QPA_PLATFORM", "wayland"}, {"XDG_RUNTIME_DIR", "/run/user/7"}, {"DISPLAY", ":0"}},
         {},
         {true, false, "", true, "/run/user/7/wayland-0"}},
        {"a list of both with options",
         {{"QT_QPA_PLATFORM", "wayland-egl;xcb:nograb"}, {"DISPLAY", ":2"}},
         {},
         {true, true, ":2", true, ""}},
        {"offscreen", {{"QT_QPA_PLATFORM", "offscreen"}}, {}, {}},
        {"offscreen after xcb", {{"QT_QPA_PLATFORM", "xcb;offscreen"}}, {}, {}},
        {"vnc with options", {{"QT_QPA_PLATFORM", "vnc:size=800x600"}}, {}, {}},
        {"an empty list", {{"QT_QPA_PLATFORM", ";"}}, {}, {}},
        {"a handed-over socket", {{"WAYLAND_SOCKET", "5"}}, {}, {}},
        {"-platform before the environment",
         {{"QT_QPA_PLATFORM", "xcb"}},
         {"-platform", "offscreen"},
         {}},
        {"--platform=xcb over offscreen",
         {{"QT_QPA_PLATFORM", "offscreen"}},
         {"--platform=xcb"},
         {true, true, "", false, ""}},
        {"-display before DISPLAY",
         {{"DISPLAY", ":0"}},
         {"-display", "remote:3"},
         {true, true, "remote:3", true, ""}},
    };
    for (const Row& row : rows) {
        const auto env = [&row](const char* name) {
            const auto it = row.env.find(name);
            return it == row.env.end() ? std::string() : it->second;
        };
        const DisplayPlan plan = PlanDisplay(row.args, env);
        EXPECT_EQ(plan.check, row.plan.check) << row.what;
        EXPECT_EQ(plan.x11, row.plan.x11) << row.what;
        EXPECT_EQ(plan.x11Display, row.plan.x11Display) << row.what;
        EXPECT_EQ(plan.wayland, row.plan.wayland) << row.what;
        EXPECT_EQ(plan.waylandSocket, row.plan.waylandSocket) << row.what;
    }
}

TEST(DisplayCheck, SaysInTwoLinesWhyThereIsNoDesktop) {
    struct Row {
        DisplayPlan plan;
        const char* chinese;
        const char* english;
        const char* x11Reason = "";
    };
    const Row rows[] = {
        {{true, true, "", true, ""},
         "没有图形显示（DISPLAY 和 WAYLAND_DISPLAY 都没有设置）",
         "there is no display (neither DISPLAY nor WAYLAND_DISPLAY is set)"},
        {{true, true, ":9", true, ""},
         "无法连接 X 显示 :9，WAYLAND_DISPLAY 没有设置",
         "cannot connect to the X display :9; WAYLAND_DISPLAY is not set"},
        {{true, true, "", true, "/run/user/1/wayland-0"},
         "DISPLAY 没有设置，无法连接 Wayland 显示 /run/user/1/wayland-0",
         "DISPLAY is not set; cannot connect to the Wayland display /run/user/1/wayland-0"},
        {{true, true, "", false, ""}, "DISPLAY 没有设置", "DISPLAY is not set"},
        {{true, false, "", true, "/w"},
         "无法连接 Wayland 显示 /w",
         "cannot connect to the Wayland display /w"},
        // What the X server said when it refused the connection.
        {{true, true, ":5", false, ""},
         "无法连接 X 显示 :5（Maximum number of clients reached）",
         "cannot connect to the X display :5 (Maximum number of clients reached)",
         "Maximum number of clients reached"},
        // Without a display named there is nothing the server could have said.
        {{true, true, "", false, ""}, "DISPLAY 没有设置", "DISPLAY is not set", "ignored"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(NoDisplayText(row.plan, row.x11Reason),
                  std::string("shenbao：本程序需要在图形桌面中运行，但") + row.chinese + "。\n" +
                      "shenbao: this program needs a graphical desktop, but " + row.english +
                      ".\n");
    }
}

}  // namespace
}  // namespace shenbao
