#include "benchwindow.h"
#include "generated.h"

#include "app/mainwindow.h"
#include "store/datafolder.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// From construction of the window to the window shown, on a generated collection at
// the design maximum.
void StartUpToWindowShown(benchmark::State& state)
{
    QTemporaryDir dir;
    bench::writeLargeCollection(dir.path());
    SilentDialogs dialogs;
    NoHelp help;
    NoPrinter printer;
    for (auto _ : state) {
        DataFolder folder(dir.path());
        MainWindow window(folder, dialogs, help, printer);
        window.startUp();
        if (!window.isVisible())
            state.SkipWithError("window not shown");
        state.PauseTiming();
        window.close();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(StartUpToWindowShown)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv)
{
    return runWidgetBenchmarks(argc, argv);
}
