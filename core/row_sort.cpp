#include "core/row_sort.h"

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <stdexcept>

// Why the outcome below is the exchange sort's.
//
// Pass i holds the row at place i and meets every later row in turn, taking
// the later one whenever its key is strictly smaller. The rows it exchanges
// are the chain of strict running minima from place i, p0 = i < p1 < ... <
// pk: the last of them (the first row of the smallest key at places i..n-1)
// comes to place i, every other one moves on to the next place of the chain,
// and all other rows stay. The result is ascending, so only the order of
// equal keys needs working out.
//
// 1. Fix a key v and look only at the rows of keys up to v (the low rows).
//    The low rows of a chain are the strict running minima of the low rows
//    from place i on, and they move along the chain just as a pass over the
//    low rows alone would move them; rows of greater keys only stand between
//    them. The first passes, as many as there are low rows, each put a low
//    row at place i. So the low rows end in the order that the exchange sort
//    of the low rows alone, in input order, gives them.
//
// 2. Among the low rows v is the greatest key. A pass whose first low row is
//    smaller than v moves no row of key v. A pass whose first low row has key
//    v meets a run of rows of key v and then, if there is one, a smaller row:
//    the first row of the run moves to that smaller row's place, the smallest
//    row goes to the front, and the run of rows of key v now starts one place
//    later with its first row moved to its end. So the rows of key v form a
//    queue that travels through the low rows from the first row of key v on:
//    each row of key v that it reaches joins at its end, and each smaller row
//    that it passes sends its head to its end. When no smaller row is left,
//    nothing changes any more. The rows of key v end in queue order.
//
// 3. A row takes part in an exchange exactly when it is in a chain of two
//    rows or more. A row of key v is in a chain only when it is the first
//    unplaced low row, that is the head of its queue. If a smaller row still
//    follows, the head moves on: the k-th row to join is behind k-1 others,
//    rows that join later go behind it, so it is the head when a smaller row
//    is passed exactly when at least k smaller rows follow it in the input.
//    Otherwise it is the smallest key left and goes to place i: it never
//    moved before, so it is exchanged exactly when that place is not its
//    input place.
//
// 4. When a row's key changes from the smallest key of all (empty) to a
//    greater one (blank) at its first exchange: a row with the empty key at
//    the front of a pass has nothing smaller after it, so the passes over the
//    leading rows with the empty key exchange nothing. The first pass that
//    starts at another row never holds the empty key: its first row has
//    another key, and every row it takes in has just been exchanged, so it
//    holds the blank if its key was empty. So every later row with the empty
//    key is smaller than the key held when it is met, and is exchanged and
//    gets the blank key in that very pass. That one pass is done as written;
//    from the next one on, no key changes any more.
//
// The queue is a ring with a head: joining inserts just before the head, a
// smaller row moves the head one step on. The place of each insertion in
// the ring is known when it happens, so the ring is built afterwards from
// the last insertion back, each row taking the free place of its index.

namespace shenbao {

namespace {

// Counts over places 0..size-1 (a Fenwick tree).
class PlaceCounts {
  public:
    explicit PlaceCounts(std::size_t size) : tree_(size + 1, 0) {}

    // Every place counted once.
    void FillAll() {
        for (std::size_t i = 1; i < tree_.size(); ++i) {
            tree_[i] += 1;
            const std::size_t parent = i + (i & (~i + 1));
            if (parent < tree_.size()) {
                tree_[parent] += tree_[i];
            }
        }
    }

    void Add(std::size_t place, std::int64_t delta) {
        for (std::size_t i = place + 1; i < tree_.size(); i += i & (~i + 1)) {
            tree_[i] += delta;
        }
    }

    // The count at places 0..end-1.
    std::int64_t Before(std::size_t end) const {
        std::int64_t sum = 0;
        for (std::size_t i = end; i > 0; i -= i & (~i + 1)) {
            sum += tree_[i];
        }
        return sum;
    }

    // The place of the count number k (from 0), all counts being 0 or 1.
    std::size_t Find(std::int64_t k) const {
        std::size_t place = 0;
        std::size_t step = 1;
        while (step * 2 < tree_.size()) {
            step *= 2;
        }
        for (; step > 0; step /= 2) {
            if (place + step < tree_.size() && tree_[place + step] <= k) {
                place += step;
                k -= tree_[place];
            }
        }
        return place;
    }

  private:
    std::vector<std::int64_t> tree_;
};

}  // namespace

ExchangeSortOutcome ExchangeSortByRank(std::span<const std::uint32_t> ranks) {
    const std::size_t n = ranks.size();
    if (n > UINT32_MAX) {
        throw std::length_error("ExchangeSortByRank: too many rows");
    }
    ExchangeSortOutcome outcome;
    outcome.order.reserve(n);
    outcome.exchanged.assign(n, false);

    // The rows by key, each key's rows in input order.
    std::vector<std::uint32_t> byKey(n);
    std::iota(byKey.begin(), byKey.end(), 0u);
    std::stable_sort(byKey.begin(), byKey.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return ranks[a] < ranks[b]; });

    PlaceCounts smaller(n);  // input places of the rows of smaller keys
    std::int64_t smallerCount = 0;
    std::vector<std::size_t> passed;      // smaller rows after each row of the key
    std::vector<std::size_t> insertedAt;  // the ring index each row was inserted at
    std::vector<std::uint32_t> ring;
    for (std::size_t first = 0; first < n;) {
        std::size_t last = first + 1;
        while (last < n && ranks[byKey[last]] == ranks[byKey[first]]) {
            ++last;
        }
        const std::span<const std::uint32_t> rows(byKey.data() + first, last - first);
        const std::size_t m = rows.size();

        // Smaller rows between each row of the key and the next one (after
        // the last one: up to the end).
        passed.assign(m, 0);
        for (std::size_t k = 0; k < m; ++k) {
            const std::int64_t upTo = k + 1 < m ? smaller.Before(rows[k + 1]) : smallerCount;
            passed[k] = static_cast<std::size_t>(upTo - smaller.Before(rows[k]));
        }

        // The queue as a ring: where each row is inserted, and the head at
        // the end.
        insertedAt.assign(m, 0);
        std::size_t head = 0;
        for (std::size_t k = 0; k < m; ++k) {
            const std::size_t size = k + 1;
            insertedAt[k] = head;
            head = (head + 1 + passed[k] % size) % size;
        }
        ring.assign(m, 0);
        PlaceCounts open(m);
        open.FillAll();
        for (std::size_t k = m; k-- > 0;) {
            const std::size_t place = open.Find(static_cast<std::int64_t>(insertedAt[k]));
            ring[place] = rows[k];
            open.Add(place, -1);
        }

        // Rows that are the head when a smaller row is passed.
        std::size_t following = 0;
        for (std::size_t k = m; k-- > 0;) {
            following += passed[k];
            if (following >= k + 1) {
                outcome.exchanged[rows[k]] = true;
            }
        }
        // The rows of the key from the head on; a row put at another place
        // than its input place was exchanged when it was put there.
        for (std::size_t t = 0; t < m; ++t) {
            const std::uint32_t row = ring[(head + t) % m];
            if (row != outcome.order.size()) {
                outcome.exchanged[row] = true;
            }
            outcome.order.push_back(row);
        }

        for (const std::uint32_t row : rows) {
            smaller.Add(row, 1);
        }
        smallerCount += static_cast<std::int64_t>(m);
        first = last;
    }
    return outcome;
}

ExchangeSortOutcome ExchangeSortByRank(std::span<const std::uint32_t> ranks,
                                       std::uint32_t emptyRank, std::uint32_t blankRank) {
    if (blankRank <= emptyRank ||
        std::any_of(ranks.begin(), ranks.end(),
                    [emptyRank](std::uint32_t rank) { return rank < emptyRank; })) {
        throw std::invalid_argument("ExchangeSortByRank: the empty key must be the smallest");
    }
    const std::size_t n = ranks.size();
    // The leading rows with the empty key stay where they are; the pass
    // after them is done one exchange at a time.
    std::size_t front = 0;
    while (front < n && ranks[front] == emptyRank) {
        ++front;
    }
    std::vector<std::uint32_t> keys(ranks.begin(), ranks.end());
    std::vector<std::uint32_t> rows(n);
    std::iota(rows.begin(), rows.end(), 0u);
    std::vector<bool> exchanged(n, false);
    for (std::size_t j = front + 1; j < n; ++j) {
        if (keys[front] > keys[j]) {
            std::swap(keys[front], keys[j]);
            std::swap(rows[front], rows[j]);
            for (const std::size_t place : {front, j}) {
                exchanged[rows[place]] = true;
                if (keys[place] == emptyRank) {
                    keys[place] = blankRank;
                }
            }
        }
    }
    // The remaining passes sort the rows after the front, whose keys no
    // longer change.
    const std::size_t rest = front + 1 < n ? front + 1 : n;
    const ExchangeSortOutcome after =
        ExchangeSortByRank(std::span<const std::uint32_t>(keys).subspan(rest));
    ExchangeSortOutcome outcome;
    outcome.order.assign(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(rest));
    for (std::size_t t = 0; t < after.order.size(); ++t) {
        const std::uint32_t row = rows[rest + after.order[t]];
        outcome.order.push_back(row);
        if (after.exchanged[after.order[t]]) {
            exchanged[row] = true;
        }
    }
    outcome.exchanged = std::move(exchanged);
    return outcome;
}

}  // namespace shenbao
