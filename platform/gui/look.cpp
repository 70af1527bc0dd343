#include "platform/gui/look.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace shenbao {

namespace {

// Fits the client area of its window to the outer size less the frame.
class OuterSizeKeeper : public QObject {
  public:
    OuterSizeKeeper(QWidget* window, const QSize& outer)
        : QObject(window), window_(window), outer_(outer) {
        window->installEventFilter(this);
        Fit();
    }

    void Fit() {
        const QSize frame = window_->frameGeometry().size() - window_->size();
        const QSize client = outer_ - frame;
        if (window_->minimumSize() != client || window_->maximumSize() != client) {
            window_->setFixedSize(client);
        }
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ &&
            (event->type() == QEvent::Show || event->type() == QEvent::Move)) {
            Fit();
        }
        return false;
    }

  private:
    QWidget* window_;
    QSize outer_;
};

}  // namespace

void SetColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

void KeepOuterSize(QWidget* window, const QSize& outer) {
    new OuterSizeKeeper(window, outer);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        // A window's position is that of its frame.
        window->move(screen->availableGeometry().center() -
                     QPoint(outer.width() / 2, outer.height() / 2));
    }
}

}  // namespace shenbao
