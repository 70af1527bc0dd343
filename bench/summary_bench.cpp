// The summary (报表 - 汇总统计) on stores of 2000, 20000 and (opt-in) 100000
// projects: reading the shown projects, grouping, and opening the whole
// window, also as the command of the main window.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <memory>

#include "bench/sample_rows.h"
#include "bench/window_util.h"
#include "core/summary.h"
#include "output/summary_form.h"

namespace shenbao {
namespace {

// Reading the main data file of every shown project, once each.
void BM_SummaryRead(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const bench::SampleDir& store = bench::SampleDir::Of(count);
    const std::vector<ListRow>& rows = bench::SampleRows(count);
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadSummaryProjects(store.dir(), rows));
    }
    state.counters["projects"] = count;
}
BENCHMARK(BM_SummaryRead)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
SHENBAO_REGISTER_LARGE(BM_SummaryRead);

// Grouping the read projects by department (the grouping with most groups
// in the sample) and summing.
void BM_SummaryGroup(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::vector<SummaryProject> projects =
        ReadSummaryProjects(bench::SampleDir::Of(count).dir(), bench::SampleRows(count));
    std::size_t groups = 0;
    for (auto _ : state) {
        const SummaryTable table = Summarise(projects, 1);
        groups = table.rows.size();
        benchmark::DoNotOptimize(table);
    }
    state.counters["groups"] = static_cast<double>(groups);
}
BENCHMARK(BM_SummaryGroup)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

// The command from the menu to the window on the screen: read, group, fill
// the table, draw the chart, show and paint.
void BM_SummaryOpen(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const bench::SampleDir& store = bench::SampleDir::Of(count);
    const std::vector<ListRow>& rows = bench::SampleRows(count);
    for (auto _ : state) {
        TSummaryForm form(store.dir(), ReadSummaryProjects(store.dir(), rows));
        form.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(form.table().total.projects);
        state.PauseTiming();
        form.close();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SummaryOpen)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);

// "汇总统计" in the shown main window holding the whole store: the files
// read, the summary window made, shown and painted, then closed.
void BM_SummaryThroughWindow(benchmark::State& state) {
    const bench::SampleDir& store = bench::SampleDir::Of(static_cast<int>(state.range(0)));
    const std::unique_ptr<TZMainForm> form = bench::StartWindow(store.dir());
    for (auto _ : state) {
        bench::CloseNextModal();
        form->NSummaryClick();
    }
    state.counters["projects"] = form->projectCount();
}
BENCHMARK(BM_SummaryThroughWindow)
    ->Arg(2000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();
SHENBAO_REGISTER_LARGE(BM_SummaryThroughWindow);

}  // namespace
}  // namespace shenbao
