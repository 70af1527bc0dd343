#pragma once

#include <QIcon>

namespace shenbao {

// The program's icon, drawn once: a blue seal with the character 申.
QIcon AppIcon();

}  // namespace shenbao
