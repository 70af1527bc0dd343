// The commands of the main window on stores of 2000 and 20000 projects:
// queries, the text listing, the print feed and the report layout, export
// and import of everything, with the floors they are measured against.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>

#include "bench/sample_rows.h"
#include "core/listing.h"
#include "core/print_feed.h"
#include "core/project_rows.h"
#include "core/query_filter.h"
#include "core/transfer.h"
#include "gui/text.h"
#include "mainwin/list_model.h"
#include "mainwin/zmain.h"
#include "output/print_report.h"
#include "output/printa.h"
#include "platform/gbk.h"
#include "report/report.h"
#include "store/text.h"

namespace shenbao {
namespace {

namespace fs = std::filesystem;

using bench::SampleRows;
using bench::ScratchDir;

// ---- Queries ----------------------------------------------------------------------

// The filter alone on the loaded list: 0 text, 1 amount range, 2 date range.
void BM_QueryFilter(benchmark::State& state) {
    const std::vector<ListRow>& rows = SampleRows(static_cast<int>(state.range(0)));
    const std::string rice = Utf8ToGbk("水稻");
    for (auto _ : state) {
        switch (state.range(1)) {
            case 0:
                benchmark::DoNotOptimize(FilterRows(rows, ListColumn::ProjectName, rice, ""));
                break;
            case 1:
                benchmark::DoNotOptimize(FilterRows(rows, ListColumn::FundsProvincial, "5", "20"));
                break;
            default:
                benchmark::DoNotOptimize(
                    FilterRows(rows, ListColumn::ApplicationDate, "2001-03-01", "2001-06-30"));
                break;
        }
    }
}
BENCHMARK(BM_QueryFilter)->ArgsProduct({{2000, 20000}, {0, 1, 2}})->Unit(benchmark::kMillisecond);

// The whole query command of the window: reload, filter, show.
void BM_RunQuery(benchmark::State& state) {
    const bench::SampleDir& store = bench::SampleDir::Of(static_cast<int>(state.range(0)));
    TZMainForm form(FromPath(store.dir()));
    const std::string rice = Utf8ToGbk("水稻");
    for (auto _ : state) {
        switch (state.range(1)) {
            case 0:
                form.RunQuery(ListColumn::ProjectName, rice, "");
                break;
            case 1:
                form.RunQuery(ListColumn::FundsProvincial, "5", "20");
                break;
            default:
                form.RunQuery(ListColumn::ApplicationDate, "2001-03-01", "2001-06-30");
                break;
        }
        benchmark::DoNotOptimize(form.projectCount());
    }
}
BENCHMARK(BM_RunQuery)->ArgsProduct({{2000}, {0, 1, 2}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RunQuery)
    ->ArgsProduct({{20000}, {0, 1, 2}})
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);

// ---- Output -------------------------------------------------------------------------

// The rows written as a tab-separated file: the text listing, the print feed.
void BM_WriteRows(benchmark::State& state,
                  fs::path (*write)(const fs::path&, const std::vector<ListRow>&)) {
    const std::vector<ListRow>& rows = SampleRows(static_cast<int>(state.range(0)));
    ScratchDir out;
    for (auto _ : state) {
        write(out.dir(), rows);
    }
}
BENCHMARK_CAPTURE(BM_WriteRows, TextListing, &WriteListing)
    ->Arg(2000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WriteRows, PrintFeed, &WritePrintFeed)
    ->Arg(2000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond);

// Laying the printed list out into pages, from the feed's line table.
void BM_ReportLayout(benchmark::State& state) {
    const std::vector<ListRow>& rows = SampleRows(static_cast<int>(state.range(0)));
    std::vector<std::string> lines = SplitLines(PrintFeedText(rows));
    const report::ReportDefinition definition = ProjectListReport();
    int pages = 0;
    int printed = 0;
    for (auto _ : state) {
        PrintFeedCursor cursor(lines);
        report::ReportDocument document = report::LayOutReport(definition, FeedSource(cursor));
        pages = static_cast<int>(document.pages.size());
        printed = document.rowCount;
        benchmark::DoNotOptimize(document);
    }
    state.counters["pages"] = pages;
    state.counters["rows"] = printed;  // every project printed, none cut off
}
BENCHMARK(BM_ReportLayout)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReportLayout)->Arg(20000)->Iterations(2)->Unit(benchmark::kMillisecond);

// ---- Exchange ---------------------------------------------------------------------

void BM_ExportAll(benchmark::State& state) {
    const bench::SampleDir& store = bench::SampleDir::Of(static_cast<int>(state.range(0)));
    const std::vector<ListRow>& rows = SampleRows(static_cast<int>(state.range(0)));
    bench::TimeInFreshDir(state, [&](const fs::path& out) {
        state.counters["projects"] = RunExport(store.dir(), rows, out).count;
    });
}
BENCHMARK(BM_ExportAll)->Arg(2000)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportAll)->Arg(20000)->Iterations(1)->Unit(benchmark::kMillisecond);

// Importing an exchange directory of every project into a store that holds
// them already (so every new ID is tested against the whole list).
void BM_ImportAll(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const bench::SampleDir& store = bench::SampleDir::Of(count);
    ScratchDir exchange;
    RunExport(store.dir(), SampleRows(count), exchange.dir());
    const std::string listed = ListedIds(SampleRows(count));
    bench::TimeInFreshDir(state, [&](const fs::path& target) {
        state.counters["projects"] = RunImport(target, listed, exchange.dir()).count;
    });
}
BENCHMARK(BM_ImportAll)->Arg(2000)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportAll)->Arg(20000)->Iterations(1)->Unit(benchmark::kMillisecond);

// An exchange directory without a control file holding 5000 member files
// whose main data files are missing: every project is a look-up in one
// listing of the directory and a 432 line.
void BM_ImportMemberOnlyFiles(benchmark::State& state) {
    ScratchDir exchange;
    for (int i = 0; i < 5000; ++i) {
        char name[24];
        std::snprintf(name, sizeof name, "ONLY%04d.zj", i);
        std::ofstream(exchange.dir() / name) << "members\r\n";
    }
    bench::TimeInFreshDir(state, [&](const fs::path& target) {
        const ExchangeResult result = RunImport(target, ListedIds({}), exchange.dir());
        state.counters["lines"] = static_cast<double>(result.log.size());
    });
}
BENCHMARK(BM_ImportMemberOnlyFiles)->Iterations(3)->Unit(benchmark::kMillisecond);

// The floor of export and import: the same files copied with plain copies.
void BM_PlainCopyAll(benchmark::State& state) {
    const bench::SampleDir& store = bench::SampleDir::Of(static_cast<int>(state.range(0)));
    bench::TimeInFreshDir(state, [&](const fs::path& out) {
        for (const std::string& id : store.ids()) {
            fs::copy_file(store.dir() / (id + ".zzj"), out / (id + ".zzj"));
            fs::copy_file(store.dir() / (id + ".zj"), out / (id + ".zj"));
        }
    });
}
BENCHMARK(BM_PlainCopyAll)->Arg(2000)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainCopyAll)->Arg(20000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace shenbao
