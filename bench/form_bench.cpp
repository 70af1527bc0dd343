// The application forms (报表 - 打印申报表): one form laid out and shown in
// the preview, and the forms of every project of a sample store written into
// one PDF file, page by page.

#include <benchmark/benchmark.h>

#include <QApplication>

#include "bench/sample_rows.h"
#include "output/application_form_report.h"
#include "report/preview.h"
#include "report/printing.h"

namespace shenbao {
namespace {

report::ReportSource StoredForms(const bench::SampleDir& store, std::size_t count) {
    const std::vector<std::string>& ids = store.ids();
    const std::filesystem::path dir = store.dir();
    return ApplicationFormSource(
        dir, count, [dir, &ids](std::size_t i) { return ReadApplicationForm(dir, ids.at(i)); });
}

// One form: its project read, laid out on its pages.
void BM_FormLayout(benchmark::State& state) {
    const bench::SampleDir& store = bench::SampleDir::Of(2000);
    const report::ReportDefinition definition = ApplicationFormReport();
    const report::ReportSource source = StoredForms(store, 1);
    int pages = 0;
    for (auto _ : state) {
        pages = static_cast<int>(report::LayOutReport(definition, source).pages.size());
    }
    state.counters["pages"] = pages;
}
BENCHMARK(BM_FormLayout)->Unit(benchmark::kMillisecond);

// The command as the user sees it: from the menu to the preview window
// showing the pages of `range(0)` forms (the window made, laid out, drawn and
// painted).
void BM_FormPreview(benchmark::State& state) {
    const bench::SampleDir& store = bench::SampleDir::Of(2000);
    const report::ReportDefinition definition = ApplicationFormReport();
    const report::ReportSource source =
        StoredForms(store, static_cast<std::size_t>(state.range(0)));
    int pages = 0;
    for (auto _ : state) {
        report::ReportPreview preview(definition, source, {});
        preview.show();
        QApplication::processEvents();
        pages = preview.pageCount();
        state.PauseTiming();
        preview.close();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["pages"] = pages;
}
BENCHMARK(BM_FormPreview)->Arg(1)->Arg(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FormPreview)->Arg(2000)->Iterations(1)->Unit(benchmark::kSecond);

// The forms of the first `range(0)` projects into one PDF file, as the print
// action does without a printer.
void BM_FormsPdf(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const bench::SampleDir& store = bench::SampleDir::Of(2000);
    const report::ReportDefinition definition = ApplicationFormReport();
    const report::ReportSource source = StoredForms(store, static_cast<std::size_t>(count));
    bench::ScratchDir out;
    report::PrintResult result;
    for (auto _ : state) {
        result = report::WriteReportPdf(nullptr, definition, source, out.dir() / "forms.pdf");
    }
    state.counters["forms"] = count;
    state.counters["pages"] = result.pages;
    state.counters["MB"] =
        static_cast<double>(std::filesystem::file_size(out.dir() / "forms.pdf")) / (1 << 20);
}
BENCHMARK(BM_FormsPdf)->Arg(200)->Arg(2000)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace shenbao
