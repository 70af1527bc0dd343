// main() of the window-side benchmarks: a QApplication on the offscreen
// platform with the program's fonts, then Google Benchmark.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>

#include "gui/fonts.h"

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication app(argc, argv);
    shenbao::InstallFontSubstitutions();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
