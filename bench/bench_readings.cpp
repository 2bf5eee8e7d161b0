#include "generated.h"

#include "platform/readingguesser.h"
#include "store/japanese.h"
#include "store/readings.h"

#include <QFile>
#include <QHash>
#include <QStringList>

#include <benchmark/benchmark.h>

#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kArtists = 10000;

// Names as a collection holds them: kanji, hiragana, katakana, Latin and digits mixed,
// some half width.
QString name(int i, int salt)
{
    static const QStringList parts = {
        u"夜明け"_s, u"さくら"_s, u"ミラクル"_s, u"Blue"_s, u"東京"_s, u"ひかり"_s, u"ｶﾞｰﾃﾞﾝ"_s, u"2nd"_s,
        u"約束の"_s, u"スター"_s, u"風と"_s, u"LOVE"_s, u"海辺の"_s, u"きみ"_s, u"Ｒｏｃｋ"_s, u"物語"_s};
    const int n = static_cast<int>(parts.size());
    return parts[(i * 7 + salt) % n] + parts[(i / 3 + salt * 5) % n] + parts[(i / 11 + salt) % n]
        + QString::number(i % 97);
}

QString reading(int i)
{
    static const QStringList kana = {u"ア"_s, u"カ"_s, u"サ"_s, u"タ"_s, u"ナ"_s, u"ハ"_s, u"マ"_s,
                                     u"ヤ"_s, u"ラ"_s, u"ワ"_s, u"ジ"_s, u"ー"_s, u"リョ"_s, u"ン"_s};
    QString out;
    unsigned v = static_cast<unsigned>(i) + 1;
    for (int k = 0; k < 7; ++k, v = v * 31 + 7)
        out += kana[static_cast<qsizetype>(v % static_cast<unsigned>(kana.size()))];
    return out;
}

// 32,766 titles, each of one of 10,000 artists, every artist with a reading.
struct Collection {
    QStringList titles;
    QStringList artists; // the artist of each title
    QStringList songs;
    QStringList songArtists;
    ReadingTable readings;
};

const Collection& collection()
{
    static const Collection c = [] {
        Collection out;
        for (int a = 0; a < kArtists; ++a)
            out.readings.set(ReadingKind::Artist, u"歌手%1"_s.arg(a), reading(a));
        for (int i = 0; i < bench::kMaxRecords; ++i) {
            out.titles << name(i, 1);
            out.artists << u"歌手%1"_s.arg((i * 13) % kArtists);
            out.songs << name(i, 3);
            out.songArtists << u"歌手%1"_s.arg((i * 17) % kArtists);
        }
        return out;
    }();
    return c;
}

std::vector<QByteArray> artistKeys()
{
    const Collection& c = collection();
    japanese::SortKeyMaker maker;
    std::vector<QByteArray> keys;
    keys.reserve(static_cast<size_t>(c.artists.size()));
    for (const QString& artist : c.artists)
        keys.push_back(maker.sortKey(artist, c.readings.reading(ReadingKind::Artist, artist)));
    return keys;
}

// Once per load: the keys of the title list's artist column, every artist by reading.
void SortKeysOfTitles(benchmark::State& state)
{
    collection();
    for (auto _ : state)
        benchmark::DoNotOptimize(artistKeys());
}
BENCHMARK(SortKeysOfTitles)->Unit(benchmark::kMillisecond);

// A click on the column: the sort itself, on keys made at load.
void SortTitlesByReading(benchmark::State& state)
{
    const std::vector<QByteArray> keys = artistKeys();
    for (auto _ : state)
        benchmark::DoNotOptimize(japanese::orderByKeys(keys));
}
BENCHMARK(SortTitlesByReading)->Unit(benchmark::kMillisecond);

std::vector<japanese::FoldedName> folded(const QStringList& names, ReadingKind kind)
{
    const Collection& c = collection();
    std::vector<japanese::FoldedName> out;
    out.reserve(static_cast<size_t>(names.size()));
    for (const QString& n : names)
        out.push_back(japanese::foldName(n, c.readings.reading(kind, n)));
    return out;
}

// Once per load: the folded names the fuzzy search compares.
void FoldTitlesForSearch(benchmark::State& state)
{
    collection();
    for (auto _ : state)
        benchmark::DoNotOptimize(folded(collection().titles, ReadingKind::Title));
}
BENCHMARK(FoldTitlesForSearch)->Unit(benchmark::kMillisecond);

// 題検索's name box under あいまい検索: a query in hiragana, half width or romaji over
// every title, the query made anew each time as typing does.
void FuzzyTitleSearch(benchmark::State& state)
{
    const std::vector<japanese::FoldedName> titles = folded(collection().titles, ReadingKind::Title);
    const QString queries[] = {u"さくら"_s, u"ｶﾞｰﾃﾞﾝ"_s, u"rock"_s, u"ひかりの約束"_s};
    int found = 0;
    for (auto _ : state) {
        for (const QString& q : queries) {
            const japanese::FuzzyQuery query(q);
            for (const japanese::FoldedName& t : titles)
                found += query.matches(t) ? 1 : 0;
        }
    }
    state.counters["found"] = found / static_cast<double>(state.iterations());
    state.counters["queries"] = static_cast<double>(std::size(queries));
}
BENCHMARK(FuzzyTitleSearch)->Unit(benchmark::kMillisecond);

// 曲検索 under あいまい検索: every song's name, and its artist's name and reading.
void FuzzySongSearch(benchmark::State& state)
{
    const std::vector<japanese::FoldedName> songs = folded(collection().songs, ReadingKind::Song);
    const std::vector<japanese::FoldedName> artists = folded(collection().songArtists, ReadingKind::Artist);
    const QString queries[] = {u"みらくる"_s, u"ｽﾀｰ"_s, u"kasa"_s, u"ラジ"_s};
    int found = 0;
    for (auto _ : state) {
        for (const QString& q : queries) {
            const japanese::FuzzyQuery query(q);
            for (size_t i = 0; i < songs.size(); ++i)
                found += (query.matches(songs[i]) || query.matches(artists[i])) ? 1 : 0;
        }
    }
    state.counters["found"] = found / static_cast<double>(state.iterations());
    state.counters["queries"] = static_cast<double>(std::size(queries));
}
BENCHMARK(FuzzySongSearch)->Unit(benchmark::kMillisecond);

// Not a timing: how many of the artists of tests/fixtures/readings/artists.tsv that need
// a reading MeCab reads right, and how many of its wrong and right guesses it marks
// unsure. The guesses it missed are printed once.
void GuessReadingsOfRealArtists(benchmark::State& state)
{
    const std::unique_ptr<ReadingGuesser> guesser = makeReadingGuesser();
    QFile list(QStringLiteral(UTABAKO_FIXTURES "/readings/artists.tsv"));
    if (!guesser->isAvailable() || !list.open(QIODevice::ReadOnly)) {
        state.SkipWithError("MeCab with a UTF-8 IPA dictionary, or the list, is missing");
        return;
    }
    QList<std::pair<QString, QString>> names;
    for (const QString& line : QString::fromUtf8(list.readAll()).split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList parts = line.split(u'\t');
        if (!line.startsWith(u'#') && parts.size() == 2 && japanese::needsReading(parts[0]))
            names.append({parts[0], parts[1]});
    }
    int right = 0, wrongUnsure = 0, rightUnsure = 0;
    QStringList missed;
    for (auto _ : state) {
        right = wrongUnsure = rightUnsure = 0;
        missed.clear();
        for (const auto& [name, reading] : names) {
            const ReadingGuess guess = guesser->guess(name).value_or(ReadingGuess{});
            const bool ok = QString(guess.reading).remove(u' ') == reading;
            right += ok ? 1 : 0;
            (ok ? rightUnsure : wrongUnsure) += guess.unsure ? 1 : 0;
            if (!ok)
                missed << name + u" "_s + guess.reading + (guess.unsure ? u"（？）"_s : QString());
        }
    }
    static bool printed = false;
    if (!std::exchange(printed, true))
        std::fprintf(stderr, "missed: %s\n", missed.join(u"、"_s).toUtf8().constData());
    state.counters["names"] = static_cast<double>(names.size());
    state.counters["right%"] = 100.0 * right / static_cast<double>(names.size());
    state.counters["wrong_unsure"] = wrongUnsure;
    state.counters["wrong"] = static_cast<double>(names.size() - right);
    state.counters["right_unsure"] = rightUnsure;
}
BENCHMARK(GuessReadingsOfRealArtists)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
