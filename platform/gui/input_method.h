#pragma once

class QWidget;

namespace shenbao {

// Asks for Chinese input on `field` while it has the focus.
//
// On Windows a program may name the input method it wants ("中文 (简体) -
// 微软拼音"). On Linux no program can choose a particular input method: the
// user's input framework (IBus, Fcitx) decides. So the field only enables
// input methods and asks for no restrictions, and the framework offers the
// user's Chinese input as soon as the field has the focus.
void AskForChineseInput(QWidget* field);

}  // namespace shenbao
