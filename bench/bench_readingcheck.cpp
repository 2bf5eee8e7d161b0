#include "generated.h"

#include "platform/readingguesser.h"
#include "upkeep/readingrules.h"

#include <QStringList>

#include <benchmark/benchmark.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kArtists = 10000;

// Kanji names of the kind a collection holds, none with a reading yet.
QString kanjiName(int i, int salt)
{
    static const QStringList parts = {u"夜明け"_s, u"東京"_s, u"約束"_s, u"風"_s,   u"海辺"_s, u"物語"_s, u"椎名"_s, u"林檎"_s,
                                      u"米津"_s,   u"玄師"_s, u"中島"_s, u"星空"_s, u"花火"_s, u"桜"_s,   u"雨音"_s, u"時計"_s};
    const int n = static_cast<int>(parts.size());
    return parts[(i * 7 + salt) % n] + parts[(i / 3 + salt * 5) % n] + parts[(i / 17 + salt) % n];
}

// 32,766 titles by 10,000 artists, no reading stored.
const TitleTable& titles()
{
    static const TitleTable table = [] {
        std::vector<TitleRecord> records;
        for (int i = 0; i < bench::kMaxRecords; ++i)
            records.push_back({kanjiName(i, 1) + QString::number(i), kanjiName(i % kArtists, 3) + QString::number(i % kArtists),
                               u"J-POP"_s, u"◎"_s, u"CD"_s, u"2026/12/08"_s, {}});
        return TitleTable(std::move(records));
    }();
    return table;
}

// The rows of 「読みの確認」 at the design maximum: every title and artist waits.
void NamesWaitingAtMaximum(benchmark::State& state)
{
    const ReadingTable none;
    size_t rows = 0;
    for (auto _ : state)
        rows = readingrules::namesWithoutReading(titles(), none).size();
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(NamesWaitingAtMaximum)->Unit(benchmark::kMillisecond);

// MeCab's suggestions, a thousand names at a time: what the screen makes in its slices
// while it stays usable (a slice ends after 30 ms).
void GuessThousandNames(benchmark::State& state)
{
    const std::unique_ptr<ReadingGuesser> guesser = makeReadingGuesser();
    if (!guesser->isAvailable()) {
        state.SkipWithError("MeCab with a UTF-8 IPA dictionary is missing");
        return;
    }
    int unsure = 0;
    for (auto _ : state) {
        unsure = 0;
        for (int i = 0; i < 1000; ++i)
            unsure += guesser->guess(kanjiName(i, 1)).value_or(ReadingGuess{}).unsure ? 1 : 0;
    }
    state.counters["unsure"] = unsure;
}
BENCHMARK(GuessThousandNames)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
