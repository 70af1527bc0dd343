// The formal check (数据 - 检查项目) on stores of 2000 and 20000 projects:
// the check of every shown project, its floor (plain reads of the same
// files) and the window from the command to the painted table.

#include <benchmark/benchmark.h>

#include <QApplication>

#include "bench/sample_rows.h"
#include "core/project_check.h"
#include "exchange/checkform.h"
#include "platform/platform.h"

namespace shenbao {
namespace {

// The sample store of `count` projects with the code table the program
// ships beside itself, so that the drop-down fields are checked too.
const bench::SampleDir& CheckedStore(int count) {
    const bench::SampleDir& store = bench::SampleDir::Of(count);
    std::filesystem::copy_file(platform::ProgramDirectory() / platform::kCodeTableFileName,
                               store.dir() / platform::kCodeTableFileName,
                               std::filesystem::copy_options::overwrite_existing);
    return store;
}

// Reading both files of every shown project once, the rules, the repeats.
void BM_CheckProjects(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const bench::SampleDir& store = CheckedStore(count);
    const std::vector<ListRow>& rows = bench::SampleRows(count);
    std::size_t problems = 0;
    for (auto _ : state) {
        const CheckResult result = CheckProjects(store.dir(), rows);
        problems = result.problems.size();
        benchmark::DoNotOptimize(result);
    }
    state.counters["projects"] = count;
    state.counters["problems"] = static_cast<double>(problems);
}
BENCHMARK(BM_CheckProjects)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

// The floor: the same files read whole with plain C++ streams.
void BM_CheckFloor(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const bench::SampleDir& store = bench::SampleDir::Of(count);
    for (auto _ : state) {
        std::size_t bytes = 0;
        for (const std::string& id : store.ids()) {
            bytes += bench::ReadWhole(store.dir() / (id + ".zzj")).size();
            bytes += bench::ReadWhole(store.dir() / (id + ".zj")).size();
        }
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_CheckFloor)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

// The command from the menu to the window on the screen: check, fill the
// table, show and paint.
void BM_CheckOpen(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const bench::SampleDir& store = CheckedStore(count);
    const std::vector<ListRow>& rows = bench::SampleRows(count);
    for (auto _ : state) {
        TCheckForm form(store.dir(), rows, CheckProjects(store.dir(), rows));
        form.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(form.result().problems.size());
        state.PauseTiming();
        form.close();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CheckOpen)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace shenbao
