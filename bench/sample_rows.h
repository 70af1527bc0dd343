#pragma once

// The list rows of the sample stores, for the benchmarks of the window side.

#include <map>
#include <vector>

#include "bench/bench_util.h"
#include "core/project_rows.h"

namespace shenbao::bench {

// What ReloadList gives for the sample store of `count` projects, read once
// per size.
inline const std::vector<ListRow>& SampleRows(int count) {
    static std::map<int, std::vector<ListRow>> rows;
    auto [slot, added] = rows.try_emplace(count);
    if (added) {
        slot->second = ReloadList(SampleDir::Of(count).dir());
    }
    return slot->second;
}

}  // namespace shenbao::bench
