#pragma once

// Narrowing the project list to the rows that match one criterion. Works on
// the cells as the list holds them (GBK), trimmed of blanks and control
// characters.

#include <string_view>
#include <vector>

#include "core/project_rows.h"

namespace shenbao {

// Whether the criterion on `column` is a range (two bounds): the provincial
// funds and the application date; every other column is searched as text.
inline bool IsRangeColumn(ListColumn column) {
    return column == ListColumn::FundsProvincial || column == ListColumn::ApplicationDate;
}

// The rows of `rows` whose cell in `column` matches, in their order. With
// `high` empty the criterion is a text search: `low` must occur in the cell
// as a run of bytes (case-sensitive, no wildcards). Otherwise the provincial
// funds (ListColumn::FundsProvincial) compare decimal amounts (anything that
// is not a number counts as 0) and any other column compares texts byte by
// byte, low <= cell <= high, both bounds included. `low` and `high` are
// trimmed.
std::vector<ListRow> FilterRows(const std::vector<ListRow>& rows, ListColumn column,
                                std::string_view low, std::string_view high);

}  // namespace shenbao
