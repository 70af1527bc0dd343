#pragma once

// Directories for benchmarks: an empty scratch directory removed with
// everything in it on destruction, and a sample store made once per size and
// kept for the whole run.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/sample_store.h"

namespace shenbao::bench {

class ScratchDir {
  public:
    ScratchDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "shenbao-bench-XXXXXX").string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        dir_ = std::filesystem::path(::mkdtemp(buffer.data())) / "";
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& dir() const { return dir_; }

  private:
    std::filesystem::path dir_;
};

class SampleDir : public ScratchDir {
  public:
    explicit SampleDir(int count) : ids_(sample::WriteSampleStore(dir(), count)) {}
    const std::vector<std::string>& ids() const { return ids_; }

    static SampleDir& Of(int count) {
        static std::map<int, std::unique_ptr<SampleDir>> dirs;
        auto& slot = dirs[count];
        if (!slot) {
            slot = std::make_unique<SampleDir>(count);
        }
        return *slot;
    }

  private:
    std::vector<std::string> ids_;
};

// The bytes of a file read whole with plain C++ streams: the floor of the
// store's readers.
inline std::string ReadWhole(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Runs `run` on a fresh scratch directory at every iteration; making and
// removing the directory is not timed.
template <typename Run>
void TimeInFreshDir(benchmark::State& state, Run run) {
    for (auto _ : state) {
        state.PauseTiming();
        auto scratch = std::make_unique<ScratchDir>();
        state.ResumeTiming();
        run(scratch->dir());
        state.PauseTiming();
        scratch.reset();
        state.ResumeTiming();
    }
}

}  // namespace shenbao::bench
