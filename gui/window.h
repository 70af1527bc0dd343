#pragma once

// What every window of the program does the same way: running a command so
// that a failure ends in the standard error box, placing a window in the
// middle of the screen, naming its children,
// and setting up the panels that lie over a window.

#include <QSize>
#include <QString>
#include <functional>

class QFrame;
class QWidget;

namespace shenbao {

// Runs `command`. A failed file operation ends in the standard error box,
// any other exception in a box of its own, both over `parent`; the window
// stays. False when the command failed.
bool RunGuarded(QWidget* parent, const std::function<void()>& command);

// Moves `window` so that a window of the outer size `outer` (its frame
// included) stands in the middle of the primary screen's free area.
void CentreOnScreen(QWidget* window, const QSize& outer);
// The same for the window's own size.
void CentreOnScreen(QWidget* window);

// Gives `widget` the object name `name` and returns it, so that a child is
// named and placed in one line.
template <class Widget>
Widget* Named(Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// Makes `panel` one of the raised panels that lie over a window's content,
// named `name`, of the fixed size `size`, hidden until it is opened.
void SetUpOverlayPanel(QFrame* panel, const QString& name, const QSize& size);

}  // namespace shenbao
