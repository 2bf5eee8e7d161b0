#include "generated.h"

#include "store/datafolder.h"
#include "store/titletable.h"
#include "store/tracktable.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

const QTemporaryDir& collection()
{
    static QTemporaryDir dir;
    static const bool written = (bench::writeLargeCollection(dir.path()), true);
    (void)written;
    return dir;
}

void LoadTitles(benchmark::State& state)
{
    DataFolder folder(collection().path());
    for (auto _ : state) {
        TitleTable table;
        LoadTitleFile(folder, &table);
        if (table.count() != bench::kMaxRecords)
            state.SkipWithError("wrong count");
        benchmark::DoNotOptimize(table);
    }
}
BENCHMARK(LoadTitles)->Unit(benchmark::kMillisecond);

void LoadTracks(benchmark::State& state)
{
    DataFolder folder(collection().path());
    for (auto _ : state) {
        TrackTable table;
        LoadTrackTable(folder, &table);
        if (table.count() != bench::kMaxRecords)
            state.SkipWithError("wrong count");
        benchmark::DoNotOptimize(table);
    }
}
BENCHMARK(LoadTracks)->Unit(benchmark::kMillisecond);

void RewriteTitles(benchmark::State& state)
{
    DataFolder folder(collection().path());
    TitleTable table;
    LoadTitleFile(folder, &table);
    for (auto _ : state) {
        if (!SaveTitleFile(folder, table).ok())
            state.SkipWithError("write failed");
    }
}
BENCHMARK(RewriteTitles)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
