// Entry of the program: the GUI runtime, the main window, the event loop.

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "mainwin/zmain.h"
#include "platform/gui/fonts.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("shenbao"));

    // Standard buttons and dialogs of the toolkit in Simplified Chinese.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                          QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTranslator);
    }
    shenbao::InstallProgramFont();

    shenbao::TZMainForm form;
    form.showMaximized();
    return app.exec();
}
