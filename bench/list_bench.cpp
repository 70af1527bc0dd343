#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>

#include "bench/bench_util.h"
#include "core/project_rows.h"
#include "gui/text.h"
#include "mainwin/list_model.h"
#include "mainwin/zmain.h"
#include "store/index_file.h"

namespace shenbao {
namespace {

// ReloadList: the index and every main data file, decoded into list rows.
void BM_ReloadList(benchmark::State& state) {
    const bench::SampleDir& store = bench::SampleDir::Of(static_cast<int>(state.range(0)));
    std::size_t rows = 0;
    for (auto _ : state) {
        rows = ReloadList(store.dir()).size();
        benchmark::DoNotOptimize(rows);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.counters["rows"] = static_cast<double>(rows);  // every stored project, none cut off
}
BENCHMARK(BM_ReloadList)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

// The floor of ReloadList: the index and the same files read with plain reads.
void BM_ReloadListFloor(benchmark::State& state) {
    const bench::SampleDir& store = bench::SampleDir::Of(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::ifstream index(store.dir() / "vemra.zzj", std::ios::binary);
        std::string line;
        while (std::getline(index, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            benchmark::DoNotOptimize(bench::ReadWhole(store.dir() / (line + ".zzj")));
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReloadListFloor)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

// A store of 2000 projects whose index also names 20000 IDs without files
// (IDs alone in the list): every missing file is a look-up in one listing of
// the data directory, not a listing of its own.
class StoreWithMissingIds : public bench::ScratchDir {
  public:
    StoreWithMissingIds() {
        const bench::SampleDir& sample = bench::SampleDir::Of(2000);
        std::vector<std::string> ids;
        for (const std::string& id : sample.ids()) {
            for (const char* extension : {".zzj", ".zj"}) {
                std::filesystem::copy_file(sample.dir() / (id + extension),
                                           dir() / (id + extension));
            }
            ids.push_back(id);
        }
        for (int i = 0; i < 20000; ++i) {
            char id[16];
            std::snprintf(id, sizeof id, "MISS%04d", i);
            ids.emplace_back(id);
        }
        SaveIndex(dir(), ids);
    }
};

void BM_ReloadListWithMissingIds(benchmark::State& state) {
    static const StoreWithMissingIds store;
    std::size_t rows = 0;
    for (auto _ : state) {
        rows = ReloadList(store.dir()).size();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_ReloadListWithMissingIds)->Unit(benchmark::kMillisecond);

// The same through the window: Refresh as the user presses it.
void BM_RefreshWithMissingIds(benchmark::State& state) {
    static const StoreWithMissingIds store;
    TZMainForm form(FromPath(store.dir()));
    for (auto _ : state) {
        form.BitBtn9Click();
        benchmark::DoNotOptimize(form.projectCount());
    }
    state.counters["rows"] = form.projectCount();
}
BENCHMARK(BM_RefreshWithMissingIds)->Unit(benchmark::kMillisecond);

// Each sort key on the store's rows in index order.
void BM_SortList(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const SortKey key = kSortKeys.at(static_cast<std::size_t>(state.range(1)));
    const std::vector<ListRow> loaded = ReloadList(bench::SampleDir::Of(count).dir());
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<ListRow> rows = loaded;
        state.ResumeTiming();
        SortList(rows, key);
        benchmark::DoNotOptimize(rows);
    }
}
BENCHMARK(BM_SortList)
    ->ArgsProduct({{2000}, {0, 1, 2, 3, 4, 5, 6, 7, 8}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortList)
    ->ArgsProduct({{20000}, {0, 2, 7}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// Start-up of the main window without the splash: reload and sort by ID,
// shown in the grid.
void BM_StartUpToSortedList(benchmark::State& state) {
    const bench::SampleDir& store = bench::SampleDir::Of(static_cast<int>(state.range(0)));
    TZMainForm form(FromPath(store.dir()));
    for (auto _ : state) {
        form.LoadAndSortAtStartUp();
        benchmark::DoNotOptimize(form.projectCount());
    }
    state.counters["rows"] = form.projectCount();
}
BENCHMARK(BM_StartUpToSortedList)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StartUpToSortedList)->Arg(20000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace shenbao
