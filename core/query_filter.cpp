#include "core/query_filter.h"

#include "store/text.h"

namespace shenbao {

namespace {

// The prepared form of a criterion, so the bounds are read once per query.
struct Criterion {
    ListColumn column;
    std::string_view low;
    std::string_view high;
    double lowValue = 0;
    double highValue = 0;

    Criterion(ListColumn c, std::string_view l, std::string_view h)
        : column(c), low(Trim(l)), high(Trim(h)) {
        if (!high.empty() && column == ListColumn::FundsProvincial) {
            lowValue = ParseDecimal(low);
            highValue = ParseDecimal(high);
        }
    }

    bool Matches(const ListRow& row) const {
        std::string_view cell = Trim(row[column]);
        if (high.empty()) {
            return cell.find(low) != std::string_view::npos;
        }
        if (column == ListColumn::FundsProvincial) {
            double value = ParseDecimal(cell);
            return lowValue <= value && value <= highValue;
        }
        return CompareBytes(low, cell) <= 0 && CompareBytes(cell, high) <= 0;
    }
};

}  // namespace

std::vector<ListRow> FilterRows(const std::vector<ListRow>& rows, ListColumn column,
                                std::string_view low, std::string_view high) {
    const Criterion criterion(column, low, high);
    std::vector<ListRow> matches;
    for (const ListRow& row : rows) {
        if (criterion.Matches(row)) {
            matches.push_back(row);
        }
    }
    return matches;
}

}  // namespace shenbao
