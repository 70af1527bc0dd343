#pragma once

// The project list's status line; the rows themselves are in core/project_rows.h.

#include <QString>
#include <cstddef>

#include "core/project_rows.h"

namespace shenbao {

// "库中共有 N 个项目，当前为第 M 个".
QString StatusText(std::size_t projectCount, std::size_t currentRow);

}  // namespace shenbao
