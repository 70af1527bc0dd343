#pragma once

// Opens, just long enough to know it can be opened, the display Qt is about
// to open: Qt itself aborts the program when it cannot.

#include <optional>
#include <string>

#include "core/command_line.h"

namespace shenbao {

// Nothing when one of the plan's displays can be opened, or the plan checks
// nothing; otherwise the two lines to print before ending the program.
std::optional<std::string> FindDisplayProblem(const DisplayPlan& plan);

}  // namespace shenbao
