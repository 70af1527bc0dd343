#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <string_view>

#include "bench/bench_util.h"
#include "bench/sample_rows.h"
#include "bench/window_util.h"
#include "core/project_rows.h"
#include "gui/text.h"
#include "mainwin/list_model.h"
#include "mainwin/zmain.h"
#include "store/index_file.h"
#include "store/text.h"

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
SHENBAO_REGISTER_LARGE(BM_ReloadList);

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
SHENBAO_REGISTER_LARGE(BM_ReloadListFloor);

// Refresh as the user presses it in the shown window: the store read into
// the list, shown and painted.
void BM_RefreshThroughWindow(benchmark::State& state) {
    const bench::SampleDir& store = bench::SampleDir::Of(static_cast<int>(state.range(0)));
    const std::unique_ptr<TZMainForm> form = bench::StartWindow(store.dir());
    for (auto _ : state) {
        form->BitBtn9Click();
        QCoreApplication::processEvents();
    }
    state.counters["rows"] = form->projectCount();
    state.counters["resident_MB"] = bench::ResidentMegabytes();
}
BENCHMARK(BM_RefreshThroughWindow)
    ->Arg(2000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();
SHENBAO_REGISTER_LARGE(BM_RefreshThroughWindow);

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

// The sort as it was before it worked out the order of equal keys directly:
// the exchange sort done pass by pass on the ranks of the keys, quadratic.
// Kept to compare with.
void SortListPassByPass(std::vector<ListRow>& rows, SortKey key) {
    for (ListRow& row : rows) {
        NormaliseRow(row);
    }
    const std::size_t n = rows.size();
    const std::size_t column = static_cast<std::size_t>(SortColumn(key));
    std::vector<std::uint32_t> ranks;
    std::uint32_t emptyRank = UINT32_MAX;
    std::uint32_t blankRank = UINT32_MAX;
    const auto rank = [&ranks](const auto& keys, auto less) {
        auto distinct = keys;
        std::sort(distinct.begin(), distinct.end(), less);
        ranks.resize(keys.size());
        for (std::size_t i = 0; i < keys.size(); ++i) {
            ranks[i] = static_cast<std::uint32_t>(
                std::lower_bound(distinct.begin(), distinct.end(), keys[i], less) -
                distinct.begin());
        }
    };
    if (SortIsNumeric(key)) {
        std::vector<double> values(n);
        for (std::size_t i = 0; i < n; ++i) {
            values[i] = ParseDecimal(rows[i][column]);
        }
        rank(values, std::less<double>());
    } else {
        // The blank joins the keys so that an exchanged empty key has a rank.
        std::vector<std::string_view> keys(n + 1);
        for (std::size_t i = 0; i < n; ++i) {
            keys[i] = rows[i][column];
            if (keys[i].empty()) {
                emptyRank = 0;
            }
        }
        keys[n] = " ";
        rank(keys, [](std::string_view a, std::string_view b) { return CompareBytes(a, b) < 0; });
        blankRank = ranks[n];
        ranks.pop_back();
    }
    // Slots of rank and row, the row's top bit set once it has been exchanged.
    struct Slot {
        std::uint32_t rank;
        std::uint32_t row;
    };
    constexpr std::uint32_t kExchanged = 0x80000000u;
    std::vector<Slot> order(n);
    for (std::size_t i = 0; i < n; ++i) {
        order[i] = {ranks[i], static_cast<std::uint32_t>(i)};
    }
    const auto mark = [=](Slot& slot) {
        slot.row |= kExchanged;
        if (slot.rank == emptyRank) {
            slot.rank = blankRank;
        }
    };
    for (std::size_t i = 0; i + 1 < n; ++i) {
        Slot current = order[i];
        for (std::size_t j = i + 1; j < n; ++j) {
            if (current.rank > order[j].rank) {
                std::swap(current, order[j]);
                mark(current);
                mark(order[j]);
            }
        }
        order[i] = current;
    }
    std::vector<ListRow> sorted;
    sorted.reserve(n);
    for (const Slot& slot : order) {
        ListRow& row = rows[slot.row & ~kExchanged];
        if ((slot.row & kExchanged) != 0) {
            for (std::string& cell : row) {
                if (cell.empty()) {
                    cell.push_back(' ');
                }
            }
        }
        sorted.push_back(std::move(row));
    }
    rows = std::move(sorted);
}

// Each sort key on the sample rows in index order (what ReloadList gives for
// the sample store, made in memory).
template <void (*Sort)(std::vector<ListRow>&, SortKey)>
void BM_Sort(benchmark::State& state) {
    const SortKey key = kSortKeys.at(static_cast<std::size_t>(state.range(1)));
    const std::vector<ListRow>& loaded =
        bench::SampleRowsInMemory(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<ListRow> rows = loaded;
        state.ResumeTiming();
        Sort(rows, key);
        benchmark::DoNotOptimize(rows);
    }
}

void BM_SortList(benchmark::State& state) {
    BM_Sort<&SortList>(state);
}
BENCHMARK(BM_SortList)
    ->ArgsProduct({{2000, 20000}, {0, 1, 2, 3, 4, 5, 6, 7, 8}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortList)
    ->ArgsProduct({{100000}, {0, 1, 2, 3, 4, 5, 6, 7, 8}})
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

// The same keys sorted pass by pass, as before: at 20000 rows the keys that
// took longest (ID, serial number) and ones with many equal keys (plan
// category, provincial funds).
void BM_SortListPassByPass(benchmark::State& state) {
    BM_Sort<&SortListPassByPass>(state);
    std::vector<ListRow> before = bench::SampleRowsInMemory(static_cast<int>(state.range(0)));
    std::vector<ListRow> now = before;
    const SortKey key = kSortKeys.at(static_cast<std::size_t>(state.range(1)));
    SortListPassByPass(before, key);
    SortList(now, key);
    if (now != before) {
        state.SkipWithError("the sort no longer gives the order it gave before");
    }
}
BENCHMARK(BM_SortListPassByPass)
    ->ArgsProduct({{2000}, {0, 1, 2, 3, 4, 5, 6, 7, 8}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortListPassByPass)
    ->ArgsProduct({{20000}, {0, 1, 5, 7}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// A choice in the sort key list of the shown window, up to the repainted
// grid.
void BM_SortThroughWindow(benchmark::State& state) {
    const bench::ScratchDir store;
    const std::vector<ListRow>& loaded =
        bench::SampleRowsInMemory(static_cast<int>(state.range(0)));
    const std::unique_ptr<TZMainForm> form = bench::StartWindow(store.dir());
    for (auto _ : state) {
        state.PauseTiming();
        form->listModel()->setRows(loaded);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        form->ComboBox1Change(static_cast<int>(state.range(1)));
        QCoreApplication::processEvents();
    }
    state.counters["rows"] = form->projectCount();
}
BENCHMARK(BM_SortThroughWindow)
    ->ArgsProduct({{100000}, {0, 1, 2, 3, 4, 5, 6, 7, 8}})
    ->Iterations(3)
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

// The program's start as the user sees it, the splash closed at once: the
// main window made, the store taken, read and sorted by ID, the window
// shown maximised and painted. The resident memory is what the process holds
// with that list on the screen.
void BM_StartUpThroughWindow(benchmark::State& state) {
    const bench::SampleDir& store = bench::SampleDir::Of(static_cast<int>(state.range(0)));
    int rows = 0;
    double resident = 0;
    for (auto _ : state) {
        std::unique_ptr<TZMainForm> form = bench::StartWindow(store.dir());
        state.PauseTiming();
        rows = form->projectCount();
        resident = bench::ResidentMegabytes();
        form.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["rows"] = rows;
    state.counters["resident_MB"] = resident;
}
BENCHMARK(BM_StartUpThroughWindow)
    ->Arg(2000)
    ->Arg(20000)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();
SHENBAO_REGISTER_LARGE(BM_StartUpThroughWindow);

}  // namespace
}  // namespace shenbao
