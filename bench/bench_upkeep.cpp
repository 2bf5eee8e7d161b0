#include "generated.h"

#include "store/datafolder.h"
#include "store/titletable.h"
#include "upkeep/upkeeprules.h"

#include <QDateTime>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <optional>

namespace {

// The full reset's file work on a folder at the design maximum: 32,766 titles, each
// with its track list, 20,000 lyrics files and 10,000 covers. The folder is made anew
// (outside the timing) for every run, as the reset takes it.
void ResetAtDesignMaximum(benchmark::State& state)
{
    std::optional<QTemporaryDir> dir;
    for (auto _ : state) {
        state.PauseTiming();
        dir.emplace();
        bench::writeLargeCollection(dir->path());
        bench::writeCollectionFiles(dir->path());
        DataFolder folder(dir->path());
        TitleTable titles;
        LoadTitleFile(folder, &titles);
        QStringList names;
        for (int i = 1; i <= titles.count(); ++i)
            names.append(titles.at(i).name);
        state.ResumeTiming();

        QString kept;
        if (!upkeeprules::resetCollection(folder, names, QDateTime::currentDateTime(), &kept).ok())
            state.SkipWithError("reset failed");
    }
}
BENCHMARK(ResetAtDesignMaximum)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
