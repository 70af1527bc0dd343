#pragma once

// Writes stores of realistic sample projects, for benchmarks, screenshots and
// trying the program out.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "store/project_record.h"

namespace shenbao::sample {

// A plausible project record (GBK), different for every `number` and `seed`.
TProjectRecord MakeRecord(std::uint32_t seed, int number);

// The IDs that WriteSampleStore gives `count` projects, in index order.
std::vector<std::string> SampleIds(int count, std::uint32_t seed = 2001);

// Writes `count` projects with fresh IDs into `dataDir` (index included,
// replacing any index there) and returns their IDs in index order.
std::vector<std::string> WriteSampleStore(const std::filesystem::path& dataDir, int count,
                                          std::uint32_t seed = 2001);

}  // namespace shenbao::sample
