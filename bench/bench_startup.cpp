#include "benchwindow.h"

#include "app/mainwindow.h"
#include "store/datafolder.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// From construction of the window, every screen built and the data folder listed, to
// the window shown, on the folder write makes.
void startUp(benchmark::State& state, void (*write)(const QString&))
{
    QTemporaryDir dir;
    write(dir.path());
    SilentDialogs dialogs;
    NoHelp help;
    NoPrinter printer;
    int listings = 0;
    for (auto _ : state) {
        DataFolder folder(dir.path());
        MainWindow window(folder, dialogs, help, printer);
        window.startUp();
        if (!window.isVisible())
            state.SkipWithError("window not shown");
        state.PauseTiming();
        listings = folder.listing().timesListed();
        window.close();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    // How many times start-up read the data folder.
    state.counters["listings"] = listings;
}

void StartUpDesignMaximum(benchmark::State& state)
{
    startUp(state, writeDesignMaximumFolder);
}
BENCHMARK(StartUpDesignMaximum)->Unit(benchmark::kMillisecond)->Iterations(10);

void StartUpEmptyCollection(benchmark::State& state)
{
    startUp(state, writeEmptyCollection);
}
BENCHMARK(StartUpEmptyCollection)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv)
{
    return runWidgetBenchmarks(argc, argv);
}
