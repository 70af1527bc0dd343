#pragma once

// The list rows of the sample stores, for the benchmarks of the window side.

#include <map>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "bench/sample_store.h"
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

// The same rows made in memory from the sample records, without writing the
// store: for sizes too large to write for every run.
inline const std::vector<ListRow>& SampleRowsInMemory(int count) {
    static std::map<int, std::vector<ListRow>> rows;
    auto [slot, added] = rows.try_emplace(count);
    if (added) {
        const std::vector<std::string> ids = sample::SampleIds(count);
        slot->second.resize(ids.size());
        for (std::size_t i = 0; i < ids.size(); ++i) {
            const TProjectRecord record = sample::MakeRecord(2001, static_cast<int>(i) + 1);
            ListRow& row = slot->second[i];
            row[ListColumn::Id] = ids[i];
            for (std::size_t c = 0; c < kListFields.size(); ++c) {
                row[static_cast<std::size_t>(ListColumn::SerialNumber) + c] = record.Fields[kListFields[c]];
            }
        }
    }
    return slot->second;
}

}  // namespace shenbao::bench
