#pragma once

// Directories for benchmarks: an empty scratch directory removed with
// everything in it on destruction, and a sample store made once per size and
// kept for the whole run; the sizes they run at.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "bench/sample_store.h"

namespace shenbao::bench {

// Stores of 100000 projects take about 1 GB of disk each (and as much again
// for every export) and a minute to make: their benchmarks run only when the
// environment holds SHENBAO_BENCH_100K=1.
inline bool LargeStoresWanted() {
    const char* wanted = std::getenv("SHENBAO_BENCH_100K");
    return wanted != nullptr && *wanted != '\0' && std::string_view(wanted) != "0";
}

// The store sizes of a benchmark: 2000 and 20000 projects, and 100000 when
// LargeStoresWanted().
inline void StoreSizes(benchmark::internal::Benchmark* b) {
    b->Arg(2000)->Arg(20000);
    if (LargeStoresWanted()) {
        b->Arg(100000);
    }
}

// Registers `run` under `name` once for each set of arguments in `argSets`,
// whose first is a store size of 100000, `iterations` iterations each (one:
// repeat with --benchmark_repetitions), wall and process CPU time: only when
// LargeStoresWanted(). The families of the smaller stores are registered
// with BENCHMARK as usual.
inline void RegisterLarge(const char* name, void (*run)(benchmark::State&),
                          std::vector<std::vector<std::int64_t>> argSets = {{100000}},
                          std::int64_t iterations = 1) {
    if (!LargeStoresWanted()) {
        return;
    }
    benchmark::internal::Benchmark* b = benchmark::RegisterBenchmark(name, run);
    for (const std::vector<std::int64_t>& args : argSets) {
        b->Args(args);
    }
    b->Iterations(iterations)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();
}

// RegisterLarge(name, ...) while the benchmarks are registered (before main).
#define SHENBAO_REGISTER_LARGE(name, ...)                                      \
    [[maybe_unused]] static const bool name##Large = [] {                     \
        ::shenbao::bench::RegisterLarge(#name, name, ##__VA_ARGS__);          \
        return true;                                                           \
    }()

// A command through the window at 2000 and 20000 projects, and at 100000
// when LargeStoresWanted(): `iterations` runs at each size, wall time and the
// CPU time of every thread.
#define SHENBAO_BENCH_COMMAND(name, iterations)                                       \
    BENCHMARK(name)                                                                   \
        ->Arg(2000)                                                                   \
        ->Arg(20000)                                                                  \
        ->Iterations(iterations)                                                      \
        ->Unit(benchmark::kMillisecond)                                               \
        ->UseRealTime()                                                               \
        ->MeasureProcessCPUTime();                                                    \
    SHENBAO_REGISTER_LARGE(name, {{100000}}, iterations)

// The resident memory of this process, in megabytes.
inline double ResidentMegabytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) /
           (1024.0 * 1024.0);
}

// Brings every written file of the file system holding `dir` to the disk:
// the one sync that the floors of export and import end with.
inline void SyncFileSystemOf(const std::filesystem::path& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
    }
}

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
