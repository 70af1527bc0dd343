#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <random>

#include "bench/bench_util.h"
#include "platform/platform.h"
#include "store/store.h"

namespace shenbao {
namespace {

std::string RandomBytes(std::size_t size) {
    std::mt19937 random(7);
    std::string text(size, '\0');
    for (char& c : text)
        c = static_cast<char>(random() & 0xFF);
    return text;
}

void BM_EncodeField(benchmark::State& state) {
    const std::string text = RandomBytes(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(EncodeField(text));
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_EncodeField)->Arg(1 << 10)->Arg(1 << 16);

void BM_DecodeField(benchmark::State& state) {
    const std::string stored = EncodeField(RandomBytes(static_cast<std::size_t>(state.range(0))));
    for (auto _ : state) {
        benchmark::DoNotOptimize(DecodeField(stored));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(stored.size()));
}
BENCHMARK(BM_DecodeField)->Arg(1 << 10)->Arg(1 << 16);

// Reading the main fields of every project of a store.
void BM_ReadMainFields(benchmark::State& state) {
    const bench::SampleDir& store = bench::SampleDir::Of(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        for (const std::string& id : store.ids()) {
            benchmark::DoNotOptimize(ReadMainFields(store.dir(), id));
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadMainFields)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
SHENBAO_REGISTER_LARGE(BM_ReadMainFields);

// The floor: the same files read whole with plain C++ streams, nothing decoded.
void BM_PlainReadMainFiles(benchmark::State& state) {
    const bench::SampleDir& store = bench::SampleDir::Of(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        for (const std::string& id : store.ids()) {
            benchmark::DoNotOptimize(bench::ReadWhole(store.dir() / (id + ".zzj")));
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PlainReadMainFiles)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
SHENBAO_REGISTER_LARGE(BM_PlainReadMainFiles);

void BM_WriteProjectRecord(benchmark::State& state) {
    const bench::SampleDir& store = bench::SampleDir::Of(2000);
    const TProjectRecord record = sample::MakeRecord(1, 1);
    for (auto _ : state) {
        WriteProjectRecord(store.dir(), "BENCH001", record);
    }
}
BENCHMARK(BM_WriteProjectRecord)->Unit(benchmark::kMicrosecond);

// Saving a new project (files not there yet) into stores of every size: the
// save must not cost more in a larger store. The new files go afterwards.
void BM_WriteNewProjectRecord(benchmark::State& state) {
    const bench::SampleDir& store = bench::SampleDir::Of(static_cast<int>(state.range(0)));
    const TProjectRecord record = sample::MakeRecord(1, 1);
    int n = 0;
    for (auto _ : state) {
        char id[16];
        std::snprintf(id, sizeof id, "NEW%05d", n++);
        WriteProjectRecord(store.dir(), id, record);
    }
    for (int i = 0; i < n; ++i) {
        char id[16];
        std::snprintf(id, sizeof id, "NEW%05d", i);
        std::filesystem::remove(store.dir() / (std::string(id) + ".zzj"));
        std::filesystem::remove(store.dir() / (std::string(id) + ".zj"));
    }
}
BENCHMARK(BM_WriteNewProjectRecord)
    ->Arg(2000)
    ->Arg(20000)
    ->Iterations(50)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();
SHENBAO_REGISTER_LARGE(BM_WriteNewProjectRecord, {{100000}}, 50);

}  // namespace
}  // namespace shenbao
