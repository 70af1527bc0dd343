#include "mainwin/project_list.h"

namespace shenbao {

QString StatusText(std::size_t projectCount, std::size_t currentRow) {
    return QStringLiteral("库中共有 %1 个项目，当前为第 %2 个").arg(projectCount).arg(currentRow);
}

}  // namespace shenbao
