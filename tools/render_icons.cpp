// Draws the program's icon into the PNG files of the hicolor icon theme that
// the Debian package installs:
//   render_icons DIR   writes DIR/<size>x<size>/apps/cn.chengchuan.shenbao.png
// Run under QT_QPA_PLATFORM=offscreen with the fonts of the program installed;
// the files in data/icons/hicolor were made so.

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <cstdio>

#include "gui/app_icon.h"
#include "gui/fonts.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: render_icons DIR\n");
        return 2;
    }
    shenbao::InstallFontSubstitutions();
    const QIcon icon = shenbao::AppIcon();
    for (int size : {16, 24, 32, 48, 64, 128}) {
        const QString dir =
            QStringLiteral("%1/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
        if (!QDir().mkpath(dir) ||
            !icon.pixmap(size, size).save(dir + QStringLiteral("/cn.chengchuan.shenbao.png"))) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(dir));
            return 1;
        }
    }
    return 0;
}
