// Entry of the program: the GUI runtime, the main window, the event loop.

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/display_probe.h"
#include "core/command_line.h"
#include "core/version.h"
#include "gui/dialogs.h"
#include "gui/fonts.h"
#include "mainwin/zmain.h"
#include "platform/platform.h"

namespace {

// The last guard of every event: a failure that no command caught is shown
// and the event dropped, so that it never unwinds through the toolkit and
// ends the program.
class Application : public QApplication {
  public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& error) {
            shenbao::ShowException(activeWindow(), error);
        } catch (...) {
            shenbao::ShowException(activeWindow(), std::runtime_error("unknown failure"));
        }
        return false;
    }
};

void Print(std::FILE* stream, const std::string& text) {
    std::fputs(text.c_str(), stream);
    std::fflush(stream);
}

}  // namespace

int main(int argc, char** argv) {
    // The command line and the display are settled before Qt starts: --help
    // and --version need no display and leave the store alone, and without a
    // display the program says so instead of letting Qt abort.
    const std::vector<std::string> args(argv + std::min(argc, 1), argv + argc);
    const shenbao::CommandLine command = shenbao::ParseCommandLine(args);
    switch (command.action) {
        case shenbao::CommandAction::PrintHelp:
            Print(stdout, shenbao::UsageText(shenbao::platform::DataDirectoryFor(
                              shenbao::platform::ProgramDirectory())));
            return 0;
        case shenbao::CommandAction::PrintVersion:
            Print(stdout, shenbao::VersionText());
            return 0;
        case shenbao::CommandAction::UnknownOption:
            Print(stderr, shenbao::UnknownOptionText(command.option));
            return 2;
        case shenbao::CommandAction::Run:
            break;
    }
    const auto env = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value != nullptr ? value : "");
    };
    if (auto problem = shenbao::FindDisplayProblem(shenbao::PlanDisplay(args, env))) {
        Print(stderr, *problem);
        return 1;
    }

    Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("shenbao"));
    QApplication::setApplicationVersion(QString::fromUtf8(shenbao::ProgramVersion()));
    // Wayland sessions match the window to its launcher by this name.
    QGuiApplication::setDesktopFileName(QString::fromUtf8(shenbao::DesktopId()));

    // Standard buttons and dialogs of the toolkit in Simplified Chinese.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                          QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTranslator);
    }
    shenbao::InstallProgramFont();

    try {
        shenbao::TZMainForm form;
        form.showMaximized();
        if (form.storeRefused()) {
            return 0;  // another copy has the store; the box said so
        }
        return app.exec();
    } catch (const std::exception& error) {
        // Start-up itself failed (the window could not be made).
        shenbao::ShowException(nullptr, error);
        return 1;
    }
}
