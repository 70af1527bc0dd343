// Entry of the program: the GUI runtime, the main window, the event loop.

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <exception>
#include <stdexcept>

#include "gui/dialogs.h"
#include "gui/fonts.h"
#include "mainwin/zmain.h"

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

}  // namespace

int main(int argc, char** argv) {
    Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("shenbao"));

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
        return app.exec();
    } catch (const std::exception& error) {
        // Start-up itself failed (the window could not be made).
        shenbao::ShowException(nullptr, error);
        return 1;
    }
}
