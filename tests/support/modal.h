#pragma once

// Answers the modal windows that a command opens (message boxes, dialogs,
// the splash), one after another in the order they appear, so that window
// tests can drive commands that wait for the user.

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>

namespace shenbao::testing {

class ModalAnswerer : public QObject {
    Q_OBJECT
  public:
    using Action = std::function<void(QWidget*)>;

    ModalAnswerer();
    ~ModalAnswerer() override;

    // The next modal window that appears gets `action`.
    ModalAnswerer& Then(Action action);
    // The next modal window is a message box: note its text and press `button`.
    ModalAnswerer& Press(QMessageBox::StandardButton button);
    // The next modal window is a message box with OK.
    ModalAnswerer& Ok() { return Press(QMessageBox::Ok); }
    ModalAnswerer& Yes() { return Press(QMessageBox::Yes); }
    ModalAnswerer& No() { return Press(QMessageBox::No); }

    // Texts of the message boxes answered so far, in order.
    const QStringList& messages() const { return messages_; }
    // Icons of those boxes.
    const QList<QMessageBox::Icon>& icons() const { return icons_; }
    // Actions not yet used.
    std::size_t pending() const { return actions_.size(); }
    // Modal windows that appeared with no action left (closed and reported).
    int unexpected() const { return unexpected_; }

  private:
    void Poll();

    QTimer timer_;
    std::deque<Action> actions_;
    QList<QPointer<QWidget>> handled_;
    QStringList messages_;
    QList<QMessageBox::Icon> icons_;
    int unexpected_ = 0;
};

// The text of a message box (empty for other widgets).
QString MessageText(QWidget* widget);

// Types `text` into `widget` as a user would: ASCII through key clicks,
// everything else (Chinese) as the commit of an input method, which is how
// such text reaches a field. (QTest::keyClicks only takes ASCII.)
void TypeText(QWidget* widget, const QString& text);

// Runs the event loop until `done` holds or `timeoutMs` passes.
bool WaitFor(const std::function<bool()>& done, int timeoutMs = 5000);

}  // namespace shenbao::testing
