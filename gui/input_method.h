#pragma once

#include <QString>
#include <memory>

class QWidget;

namespace shenbao {

// A way of the user's input method to turn Chinese input on for the field
// that has the focus.
class InputMethodSwitch {
  public:
    virtual ~InputMethodSwitch() = default;
    // Asks for Chinese input in the focused field. False when the input
    // method offers no such switch at the moment.
    virtual bool SwitchToChinese() = 0;
};

// fcitx5's: its controller on the session bus (service org.fcitx.Fcitx5,
// object /controller, Activate of org.fcitx.Fcitx.Controller1). The call does
// not wait for an answer, so a slow or hanging input method never stops the
// window.
class Fcitx5Switch : public InputMethodSwitch {
  public:
    // `busName`: a connection made with QDBusConnection::connectToBus; empty
    // for the session bus.
    explicit Fcitx5Switch(QString busName = QString());
    bool SwitchToChinese() override;

  private:
    QString busName_;
};

// The switch of this session: fcitx5's when the program types through fcitx
// (QT_IM_MODULE) and a session bus is there; otherwise none.
std::unique_ptr<InputMethodSwitch> SessionInputMethodSwitch();

// Puts `inputSwitch` in the place of the session's switch (tests use a fake);
// nothing gives the session's back.
void SetInputMethodSwitch(std::unique_ptr<InputMethodSwitch> inputSwitch);

// Asks for Chinese input on `field` while it has the focus.
//
// On Windows a program may name the input method it wants ("中文 (简体) -
// 微软拼音"). On Linux no program can choose a particular input method: the
// user's input framework (IBus, Fcitx) decides. So the field enables input
// methods and asks for no restrictions, and each time it gets the focus it
// asks the input method's switch, where there is one, to turn Chinese on.
void AskForChineseInput(QWidget* field);

}  // namespace shenbao
