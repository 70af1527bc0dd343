#pragma once

#include <QString>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>

class QWidget;

namespace shenbao {

// A way of the user's input method to turn Chinese input on, and off again,
// for the field that has the focus.
class InputMethodSwitch {
  public:
    // Gets whether Chinese input was on: true or false, or nothing when the
    // input method cannot tell.
    using StateAnswer = std::function<void(std::optional<bool>)>;

    virtual ~InputMethodSwitch() = default;
    // Asks for Chinese input in the focused field. False when the input
    // method offers no such switch at the moment.
    virtual bool SwitchToChinese() = 0;
    // Asks for Latin input (Chinese off) in the focused field. False as
    // SwitchToChinese.
    virtual bool SwitchToLatin() = 0;
    // Asks whether Chinese input is on in the focused field; `answer` comes
    // later, from the event loop (at once with nothing when the input method
    // cannot be asked). A switch asked for after this question does not
    // change its answer.
    virtual void AskWhetherChinese(StateAnswer answer) = 0;
};

// fcitx5's: its controller on the session bus (service org.fcitx.Fcitx5,
// object /controller, interface org.fcitx.Fcitx.Controller1: Activate,
// Deactivate, State). No call waits for an answer, so a slow or hanging input
// method never stops the window; the calls reach fcitx5 in the order they are
// made.
class Fcitx5Switch : public InputMethodSwitch {
  public:
    // `busName`: a connection made with QDBusConnection::connectToBus; empty
    // for the session bus.
    explicit Fcitx5Switch(QString busName = QString());
    bool SwitchToChinese() override;
    bool SwitchToLatin() override;
    void AskWhetherChinese(StateAnswer answer) override;

  private:
    bool Call(const QString& method);

    QString busName_;
};

// The switch of this session: fcitx5's when the program types through fcitx
// (QT_IM_MODULE) and a session bus is there; otherwise none.
std::unique_ptr<InputMethodSwitch> SessionInputMethodSwitch();

// Puts `inputSwitch` in the place of the session's switch (tests use a fake);
// nothing gives the session's back.
void SetInputMethodSwitch(std::unique_ptr<InputMethodSwitch> inputSwitch);

// Asks for Chinese input in `fields` (the fields of one panel) while one of
// them has the focus, and gives the input method back what it had before
// once the focus has left their panel (the widget that holds them) for
// another control of their window, so that the keys typed there (on a list,
// say) go in as they did before.
//
// On Windows a program may name the input method it wants ("中文 (简体) -
// 微软拼音"). On Linux no program can choose a particular input method: the
// user's input framework (IBus, Fcitx) decides. So the fields enable input
// methods and ask for no restrictions, and each time one of them gets the
// focus it asks the input method's switch, where there is one, to turn
// Chinese on; before the first request it asks whether Chinese was on, to
// turn it off again afterwards if it was not.
void AskForChineseInput(std::initializer_list<QWidget*> fields);

}  // namespace shenbao
