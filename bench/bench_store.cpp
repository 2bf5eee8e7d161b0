#include "generated.h"

#include "store/datafolder.h"
#include "store/titletable.h"
#include "store/tracktable.h"
#include "tracks/trackrules.h"

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

// Adding one title, and a 200-song list's new songs, to files at the design maximum:
// the whole file is written beside the old one and renamed into place.
void AppendTitleRecord(benchmark::State& state)
{
    QTemporaryDir dir;
    bench::writeLargeCollection(dir.path());
    DataFolder folder(dir.path());
    TitleTable table;
    LoadTitleFile(folder, &table);
    int n = 0;
    for (auto _ : state) {
        if (!AppendTitle(folder, table, {QStringLiteral("追加%1").arg(++n), {}, {}, {}, {}, {}, {}}).ok())
            state.SkipWithError("write failed");
    }
}
BENCHMARK(AppendTitleRecord)->Unit(benchmark::kMillisecond);

void AppendTrackList(benchmark::State& state)
{
    QTemporaryDir dir;
    bench::writeLargeCollection(dir.path());
    DataFolder folder(dir.path());
    TrackTable table;
    LoadTrackTable(folder, &table);
    int n = 0;
    for (auto _ : state) {
        std::vector<TrackRecord> added;
        for (int i = 0; i < 200; ++i)
            added.push_back({QStringLiteral("新しい曲%1-%2").arg(n).arg(i), QStringLiteral("歌手"), {}, {}, {}, {}, {}});
        ++n;
        if (!WriteTrackList(folder, table, QStringLiteral("曲目_追加.txt"), QStringLiteral("x\r\n"), added).ok())
            state.SkipWithError("write failed");
    }
}
BENCHMARK(AppendTrackList)->Unit(benchmark::kMillisecond);

// The artist name list of the track entry panel over 32,766 songs by as many artists.
void ArtistNameList(benchmark::State& state)
{
    std::vector<TrackRecord> records;
    for (int i = 1; i <= bench::kMaxRecords; ++i)
        records.push_back({QStringLiteral("曲"), QStringLiteral("架空の歌手%1号").arg(i), {}, {}, {}, {}, {}});
    const TrackTable table(std::move(records));
    for (auto _ : state) {
        const QString list = trackrules::artistNameList(table);
        benchmark::DoNotOptimize(list);
    }
}
BENCHMARK(ArtistNameList)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
