// Time from nothing to a main window ready for input (built and laid out), offscreen.
#include "app/main_window.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

void MainWindowReady(benchmark::State& state)
{
    for (auto _ : state) {
        CHUBQUILLDlg window;
        window.adjustSize();
        benchmark::DoNotOptimize(window.sizeHint());
    }
}
BENCHMARK(MainWindowReady)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
