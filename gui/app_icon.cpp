#include "gui/app_icon.h"

#include <QPainter>
#include <QPixmap>

#include "gui/fonts.h"

namespace shenbao {

namespace {

QPixmap DrawIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal margin = size / 16.0;
    QRectF box(margin, margin, size - 2 * margin, size - 2 * margin);
    painter.setPen(QPen(QColor(0, 0, 96), size / 24.0));
    painter.setBrush(QColor(0, 64, 160));
    painter.drawRoundedRect(box, size / 6.0, size / 6.0);
    painter.setPen(QColor(255, 255, 0));
    QFont font = SongPixelFont(static_cast<int>(size * 0.62), true);
    painter.setFont(font);
    painter.drawText(box, Qt::AlignCenter, QStringLiteral("申"));
    return pixmap;
}

}  // namespace

QIcon AppIcon() {
    static const QIcon icon = [] {
        QIcon result;
        for (int size : {16, 24, 32, 48, 64, 128}) {
            result.addPixmap(DrawIcon(size));
        }
        return result;
    }();
    return icon;
}

}  // namespace shenbao
