// The commands of the main window on stores of 2000, 20000 and (opt-in)
// 100000 projects: queries, the text listing, the print feed and the report
// layout, export and import of everything, with the floors they are
// measured against, and saving one project.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QLineEdit>
#include <cstdio>
#include <fstream>

#include "bench/sample_rows.h"
#include "bench/window_util.h"
#include "core/listing.h"
#include "core/print_feed.h"
#include "core/project_rows.h"
#include "core/query_filter.h"
#include "core/transfer.h"
#include "editor/zpinfo.h"
#include "gui/text.h"
#include "mainwin/list_model.h"
#include "mainwin/zmain.h"
#include "output/print_report.h"
#include "output/printa.h"
#include "platform/gbk.h"
#include "report/report.h"
#include "store/index_file.h"
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

// The whole query command of the shown window: reload, filter, show and
// paint.
void BM_RunQuery(benchmark::State& state) {
    const bench::SampleDir& store = bench::SampleDir::Of(static_cast<int>(state.range(0)));
    const std::unique_ptr<TZMainForm> form = bench::StartWindow(store.dir());
    const std::string rice = Utf8ToGbk("水稻");
    for (auto _ : state) {
        switch (state.range(1)) {
            case 0:
                form->RunQuery(ListColumn::ProjectName, rice, "");
                break;
            case 1:
                form->RunQuery(ListColumn::FundsProvincial, "5", "20");
                break;
            default:
                form->RunQuery(ListColumn::ApplicationDate, "2001-03-01", "2001-06-30");
                break;
        }
        QCoreApplication::processEvents();
    }
    state.counters["shown"] = form->projectCount();
}
BENCHMARK(BM_RunQuery)
    ->ArgsProduct({{2000}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();
BENCHMARK(BM_RunQuery)
    ->ArgsProduct({{20000}, {0, 1, 2}})
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MeasureProcessCPUTime();
SHENBAO_REGISTER_LARGE(BM_RunQuery, {{100000, 0}, {100000, 1}, {100000, 2}});

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
SHENBAO_REGISTER_LARGE(BM_ExportAll);

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
SHENBAO_REGISTER_LARGE(BM_ImportAll);

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

// Both files of every project of `store` copied into `out` with plain
// copies, each named `prefix` + its name + `suffix`.
void PlainCopies(const bench::SampleDir& store, const fs::path& out, const std::string& prefix = {},
                 const std::string& suffix = {}) {
    for (const std::string& id : store.ids()) {
        for (const char* ending : {".zzj", ".zj"}) {
            fs::copy_file(store.dir() / (id + ending), out / (prefix + id + ending + suffix));
        }
    }
}

// The floor of export and import: the same files copied with plain copies.
void BM_PlainCopyAll(benchmark::State& state) {
    const bench::SampleDir& store = bench::SampleDir::Of(static_cast<int>(state.range(0)));
    bench::TimeInFreshDir(state, [&](const fs::path& out) {
        PlainCopies(store, out);
    });
}
BENCHMARK(BM_PlainCopyAll)->Arg(2000)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainCopyAll)->Arg(20000)->Iterations(1)->Unit(benchmark::kMillisecond);

// The floor as the goal of export and import names it: the same plain
// copies, then one sync that brings them to the disk.
void BM_PlainCopyAllSynced(benchmark::State& state) {
    const bench::SampleDir& store = bench::SampleDir::Of(static_cast<int>(state.range(0)));
    bench::TimeInFreshDir(state, [&](const fs::path& out) {
        PlainCopies(store, out);
        bench::SyncFileSystemOf(out);
    });
}
SHENBAO_BENCH_COMMAND(BM_PlainCopyAllSynced, 1);

// The floor with what export and import promise: no file under its final
// name before it is whole on the disk. The same plain copies under
// temporary names, one sync, the renames, the directory flushed.
void BM_PlainCopyAllRenamed(benchmark::State& state) {
    const bench::SampleDir& store = bench::SampleDir::Of(static_cast<int>(state.range(0)));
    bench::TimeInFreshDir(state, [&](const fs::path& out) {
        PlainCopies(store, out, ".", ".tmp");
        bench::SyncFileSystemOf(out);
        for (const std::string& id : store.ids()) {
            for (const char* ending : {".zzj", ".zj"}) {
                fs::rename(out / ("." + id + ending + ".tmp"), out / (id + ending));
            }
        }
        bench::SyncFileSystemOf(out);
    });
}
SHENBAO_BENCH_COMMAND(BM_PlainCopyAllRenamed, 1);

// "导出全部数据到设定的路径" in the shown window, into a new directory each
// time: the reload, the copies, the control file, the log on the panel.
void BM_ExportAllThroughWindow(benchmark::State& state) {
    const bench::SampleDir& store = bench::SampleDir::Of(static_cast<int>(state.range(0)));
    const std::unique_ptr<TZMainForm> form = bench::StartWindow(store.dir());
    std::size_t exported = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto out = std::make_unique<ScratchDir>();
        WritePathSetting(store.dir(), kExportPathFileName, out->dir().string());
        state.ResumeTiming();
        form->N31Click();
        QCoreApplication::processEvents();
        state.PauseTiming();
        exported = ParseIdList(bench::ReadWhole(out->dir() / "vemra.zzj")).size();
        form->HideProgressPanel();
        out.reset();
        state.ResumeTiming();
    }
    state.counters["projects"] = static_cast<double>(exported);
}
SHENBAO_BENCH_COMMAND(BM_ExportAllThroughWindow, 1);

// "从设定路径引入数据" in the window of a new, empty store each time, from an
// export of the whole sample store: the copies under new IDs, the index,
// the journal, the reload of the imported list, the log on the panel.
void BM_ImportAllThroughWindow(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const bench::SampleDir& store = bench::SampleDir::Of(count);
    ScratchDir exchange;
    RunExport(store.dir(), SampleRows(count), exchange.dir());
    int imported = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto target = std::make_unique<ScratchDir>();
        WritePathSetting(target->dir(), kImportPathFileName, exchange.dir().string());
        std::unique_ptr<TZMainForm> form = bench::StartWindow(target->dir());
        state.ResumeTiming();
        form->N8Click();
        QCoreApplication::processEvents();
        state.PauseTiming();
        imported = form->projectCount();
        form.reset();
        target.reset();
        state.ResumeTiming();
    }
    state.counters["projects"] = imported;
}
SHENBAO_BENCH_COMMAND(BM_ImportAllThroughWindow, 1);

// ---- Saving one project -------------------------------------------------------------

// "添加" in the shown window: a new ID, the index written, the editor
// opened, a name typed, "存盘退出", the row read back. The store gets its
// old index back afterwards and the added projects' files go.
void BM_AddAndSave(benchmark::State& state) {
    const bench::SampleDir& store = bench::SampleDir::Of(static_cast<int>(state.range(0)));
    bench::InstallCodeTable(store.dir());
    const std::unique_ptr<TZMainForm> form = bench::StartWindow(store.dir());
    const int before = form->projectCount();
    for (auto _ : state) {
        bench::OnNextModal([](QWidget* modal) {
            auto* editor = qobject_cast<TZPInfoForm*>(modal);
            editor->findChild<QLineEdit*>(QStringLiteral("Edit1"))
                ->setText(QStringLiteral("新增的项目"));
            editor->BitBtn10Click();
        });
        form->BitBtn1Click();
        QCoreApplication::processEvents();
    }
    const std::vector<ListRow>& rows = form->listModel()->rows();
    state.counters["saved"] = static_cast<double>(form->projectCount() - before);
    bool named = true;
    for (std::size_t r = static_cast<std::size_t>(before); r < rows.size(); ++r) {
        named = named && rows[r][ListColumn::ProjectName] == Utf8ToGbk("新增的项目");
        fs::remove(store.dir() / (rows[r][ListColumn::Id] + ".zzj"));
        fs::remove(store.dir() / (rows[r][ListColumn::Id] + ".zj"));
    }
    SaveIndex(store.dir(), store.ids());
    if (!named) {
        state.SkipWithError("a saved project did not come back into its row");
    }
}
SHENBAO_BENCH_COMMAND(BM_AddAndSave, 20);

// "修改" of the project in the middle of the list, "存盘退出" at once: the
// editor reads the project, saves both files and the row is read back.
void BM_ModifyAndSave(benchmark::State& state) {
    const bench::SampleDir& store = bench::SampleDir::Of(static_cast<int>(state.range(0)));
    bench::InstallCodeTable(store.dir());
    const std::unique_ptr<TZMainForm> form = bench::StartWindow(store.dir());
    form->setCurrentRow(form->projectCount() / 2);
    for (auto _ : state) {
        bench::OnNextModal(
            [](QWidget* modal) { qobject_cast<TZPInfoForm*>(modal)->BitBtn10Click(); });
        form->BitBtn7Click();
        QCoreApplication::processEvents();
    }
}
SHENBAO_BENCH_COMMAND(BM_ModifyAndSave, 20);

}  // namespace
}  // namespace shenbao
