#include "gui/fonts.h"

#include <QApplication>
#include <QStringList>

namespace shenbao {

QString SongFamily() {
    return QStringLiteral("宋体");
}
QString KaiFamily() {
    return QStringLiteral("楷体_GB2312");
}

void InstallFontSubstitutions() {
    const QStringList song = {QStringLiteral("AR PL UMing CN"), QStringLiteral("Noto Serif CJK SC"),
                              QStringLiteral("AR PL SungtiL GB"),
                              QStringLiteral("Noto Sans CJK SC"),
                              QStringLiteral("WenQuanYi Zen Hei")};
    const QStringList kai = {QStringLiteral("AR PL UKai CN"), QStringLiteral("AR PL KaitiM GB"),
                             QStringLiteral("AR PL UMing CN")};
    for (const QString& name :
         {SongFamily(), QStringLiteral("SimSun"), QStringLiteral("NSimSun")}) {
        QFont::removeSubstitutions(name);
        QFont::insertSubstitutions(name, song);
    }
    for (const QString& name :
         {KaiFamily(), QStringLiteral("KaiTi"), QStringLiteral("KaiTi_GB2312")}) {
        QFont::removeSubstitutions(name);
        QFont::insertSubstitutions(name, kai);
    }
}

void InstallProgramFont() {
    InstallFontSubstitutions();
    // Without a class name this also drops the fonts the desktop's theme
    // gives menus, message boxes and hints.
    QApplication::setFont(SongPixelFont(12));
}

QFont SongPixelFont(int pixels, bool bold) {
    QFont font(SongFamily());
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QFont SongPointFont(int points, bool bold) {
    QFont font(SongFamily());
    font.setPointSize(points);
    font.setBold(bold);
    return font;
}

QFont KaiPixelFont(int pixels, bool bold) {
    QFont font(KaiFamily());
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

}  // namespace shenbao
