#include "benchwindow.h"

#include "app/mainwindow.h"
#include "platform/readingguesser.h"
#include "store/datafolder.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// From construction of the window, every screen built and the data folder listed, to
// the window shown, on the folder write makes.
void startUp(benchmark::State& state, const QTemporaryDir& dir)
{
    SilentDialogs dialogs;
    NoHelp help;
    NoPrinter printer;
    NullReadingGuesser guesser;
    int listings = 0;
    for (auto _ : state) {
        auto folder = std::make_unique<DataFolder>(dir.path());
        // As the program does, the collection is read while the screens are built.
        MainWindow::readAhead(*folder);
        auto window = std::make_unique<MainWindow>(*folder, dialogs, help, printer, guesser);
        window->startUp();
        if (!window->isVisible())
            state.SkipWithError("window not shown");
        state.PauseTiming();
        listings = folder->listing().timesListed();
        window->close();
        QApplication::processEvents();
        // Taken down outside the measured time.
        window.reset();
        folder.reset();
        state.ResumeTiming();
    }
    // How many times start-up read the data folder.
    state.counters["listings"] = listings;
}

// Each folder is written once per run.
void StartUpDesignMaximum(benchmark::State& state)
{
    static QTemporaryDir dir;
    static const bool written = (writeDesignMaximumFolder(dir.path()), true);
    static_cast<void>(written);
    startUp(state, dir);
}
BENCHMARK(StartUpDesignMaximum)->Unit(benchmark::kMillisecond)->Iterations(10);

void StartUpEmptyCollection(benchmark::State& state)
{
    static QTemporaryDir dir;
    static const bool written = (writeEmptyCollection(dir.path()), true);
    static_cast<void>(written);
    startUp(state, dir);
}
BENCHMARK(StartUpEmptyCollection)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv)
{
    return runWidgetBenchmarks(argc, argv);
}
