#pragma once

// The outcome of the list's exchange sort, worked out without exchanging.
//
// The exchange sort: for i = 0..n-2, for j = i+1..n-1, rows i and j change
// places when the key of row i is greater than the key of row j. It makes
// n(n-1)/2 comparisons and up to as many exchanges; this works out where it
// puts every row, and which rows it exchanges, in O(n log n).

#include <cstdint>
#include <span>
#include <vector>

namespace shenbao {

struct ExchangeSortOutcome {
    // The input rows in the order the exchange sort leaves them: place p
    // holds input row order[p].
    std::vector<std::uint32_t> order;
    // By input row: whether the exchange sort moved it in at least one
    // exchange.
    std::vector<bool> exchanged;
};

// The outcome of the exchange sort on keys given as ranks: `ranks[r]` is the
// key of input row r, equal keys as equal ranks, a smaller key as a smaller
// rank.
ExchangeSortOutcome ExchangeSortByRank(std::span<const std::uint32_t> ranks);

// The same when a row's key changes at its first exchange from `emptyRank`,
// the smallest key of all, to `blankRank` (an empty text cell comes back from
// an exchange as a single blank), and comparisons see the new key from then
// on. Throws std::invalid_argument when a rank is below `emptyRank` or
// `blankRank` is not above it.
ExchangeSortOutcome ExchangeSortByRank(std::span<const std::uint32_t> ranks,
                                       std::uint32_t emptyRank, std::uint32_t blankRank);

}  // namespace shenbao
