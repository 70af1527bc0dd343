#include "platform/gui/input_method.h"

#include <QWidget>

namespace shenbao {

void AskForChineseInput(QWidget* field) {
    field->setAttribute(Qt::WA_InputMethodEnabled, true);
    field->setInputMethodHints(Qt::ImhNone);
}

}  // namespace shenbao
