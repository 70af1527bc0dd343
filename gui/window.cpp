#include "gui/window.h"

#include <QFrame>
#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>
#include <exception>

#include "gui/dialogs.h"
#include "platform/io_error.h"

namespace shenbao {

bool RunGuarded(QWidget* parent, const std::function<void()>& command) {
    try {
        command();
        return true;
    } catch (const IoError& error) {
        ShowIoError(parent, error);
    } catch (const std::exception& error) {
        ShowException(parent, error);
    }
    return false;
}

void CentreOnScreen(QWidget* window, const QSize& outer) {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        // A window's position is that of its frame.
        window->move(screen->availableGeometry().center() - QRect(QPoint(), outer).center());
    }
}

void CentreOnScreen(QWidget* window) {
    CentreOnScreen(window, window->size());
}

void SetUpOverlayPanel(QFrame* panel, const QString& name, const QSize& size) {
    panel->setObjectName(name);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Raised);
    panel->setLineWidth(1);
    panel->setAutoFillBackground(true);
    panel->setFixedSize(size);
    panel->hide();
}

}  // namespace shenbao
