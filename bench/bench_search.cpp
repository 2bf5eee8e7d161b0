#include "benchwindow.h"
#include "generated.h"

#include "app/appstate.h"
#include "app/mainwindow.h"
#include "platform/readingguesser.h"
#include "lists/nameorder.h"
#include "lists/songsearch.h"
#include "lists/titlesearch.h"
#include "lyrics/lyricssearch.h"
#include "platform/grid.h"
#include "store/cp932.h"
#include "store/datafolder.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QToolButton>

#include <benchmark/benchmark.h>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kLyricsFiles = 20000;
// One lyrics file in a hundred holds the word.
const QString kWord = u"虹色の約束"_s;

// About 1.5 KB of CP932 lyrics: 30 lines of 24 characters.
QByteArray lyricsBytes(int i)
{
    static const QString pool = u"あいうえおかきくけこさしすせそ空海風夜明け街の灯り君と僕の歌、遠く光る星へ願いを込めて"_s;
    QString text;
    for (int line = 0; line < 30; ++line) {
        for (int c = 0; c < 24; ++c)
            text += pool[(i * 7 + line * 13 + c * 5) % pool.size()];
        if (line == 17 && i % 100 == 0)
            text += kWord;
        text += u"\r\n"_s;
    }
    QByteArray bytes;
    cp932::encode(text, &bytes);
    return bytes;
}

// A collection at the design maximum with 20,000 lyrics files of its songs and a track
// list file per title, written once per run.
const QTemporaryDir& largeCollection()
{
    static QTemporaryDir dir;
    static const bool written = [] {
        bench::writeLargeCollection(dir.path());
        for (int i = 0; i < kLyricsFiles; ++i) {
            QFile f(dir.filePath(u"歌詞_ひかりの向こう側へ%1_架空の歌手%2.txt"_s.arg(i + 1).arg((i + 1) % 900)));
            if (!f.open(QIODevice::WriteOnly) || f.write(lyricsBytes(i)) < 0)
                std::abort();
        }
        for (int t = 1; t <= bench::kMaxRecords; ++t) {
            QString list;
            for (int s = 0; s < 12; ++s)
                list += u"ひかりの向こう側へ%1\r\n"_s.arg((t * 12 + s) % bench::kMaxRecords + 1);
            QByteArray bytes;
            cp932::encode(list, &bytes);
            QFile f(dir.filePath(u"曲目_夜明けのアルバム第%1集.txt"_s.arg(t)));
            if (!f.open(QIODevice::WriteOnly) || f.write(bytes) < 0)
                std::abort();
        }
        return true;
    }();
    static_cast<void>(written);
    return dir;
}

// A window on that collection, started and on the song search.
struct LargeWindow {
    LargeWindow()
    {
        folder = std::make_unique<DataFolder>(largeCollection().path());
        window = std::make_unique<MainWindow>(*folder, dialogs, help, printer, guesser);
        window->startUp();
        window->cmdList->click();
    }

    SilentDialogs dialogs;
    NoHelp help;
    NoPrinter printer;
    NullReadingGuesser guesser;
    std::unique_ptr<DataFolder> folder;
    std::unique_ptr<MainWindow> window;
};

void pressEnter(QLineEdit* box)
{
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, u"\r"_s);
    QApplication::sendEvent(box, &enter);
}

// あいまい検索 of the title search's name key, every title and 10,000 artists with a
// reading: a reading in hiragana (argument 0) and in romaji (1), each finding the 111
// titles 第100集, 第1000集 to 第1009集 and 第10000集 to 第10099集 by their readings; the
// first search of a run (2) folds every name.
void FuzzyTitleSearch(benchmark::State& state)
{
    listoptions::setFuzzySearch(true);
    const bool first = state.range(0) == 2;
    const QString key = state.range(0) == 1 ? u"daiiaa"_s : u"だいいああ"_s;
    std::unique_ptr<LargeWindow> large;
    const auto open = [&] {
        large = std::make_unique<LargeWindow>();
        bench::giveReadings(large->window->state().readings);
        large->window->cmdKensaku->click();
        large->window->fraKensaku->txtNamae->setText(key);
    };
    if (!first) {
        open();
        pressEnter(large->window->fraKensaku->txtNamae);
    }
    for (auto _ : state) {
        if (first) {
            state.PauseTiming();
            open();
            state.ResumeTiming();
        }
        pressEnter(large->window->fraKensaku->txtNamae);
        if (large->window->fraKensaku->lstDaimei->count() != 111)
            state.SkipWithError("wrong number of titles found");
    }
}
BENCHMARK(FuzzyTitleSearch)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(5);

// あいまい検索 of the song search's song-name key by a reading in hiragana, every song
// with a reading, finding 111 songs: ten searches after the first.
void FuzzySongSearch(benchmark::State& state)
{
    listoptions::setFuzzySearch(true);
    LargeWindow large;
    SongSearch* search = large.window->fraList;
    bench::giveReadings(large.window->state().readings);
    search->txtKyokukey->setText(u"むこうがわへいああ"_s);
    pressEnter(search->txtKyokukey);
    for (auto _ : state) {
        pressEnter(search->txtKyokukey);
        if (search->msgKyokumoku2->rows() != 112)
            state.SkipWithError("wrong number of songs found");
    }
}
BENCHMARK(FuzzySongSearch)->Unit(benchmark::kMillisecond)->Iterations(10);

// The lyrics key confirmed with Enter: every lyrics file read and searched, the songs
// holding the word listed.
void LyricsKeywordSearch(benchmark::State& state)
{
    LargeWindow large;
    SongSearch* search = large.window->fraList;
    search->txtKashiKey->setText(kWord);
    for (auto _ : state) {
        pressEnter(search->txtKashiKey);
        if (search->msgKyokumoku2->rows() != kLyricsFiles / 100 + 1)
            state.SkipWithError("wrong number of songs found");
    }
}
BENCHMARK(LyricsKeywordSearch)->Unit(benchmark::kMillisecond)->Iterations(10)->MeasureProcessCPUTime()->UseRealTime();

// "有り" and "無し" in turn: every song's lyrics file looked up in the listing.
void LyricsPresenceSearch(benchmark::State& state)
{
    LargeWindow large;
    SongSearch* search = large.window->fraList;
    bool present = true;
    for (auto _ : state) {
        emit search->lstKashi->chosen(present ? u"有り"_s : u"無し"_s);
        const int expected = present ? kLyricsFiles : bench::kMaxRecords - kLyricsFiles;
        if (search->msgKyokumoku2->rows() != expected + 1)
            state.SkipWithError("wrong number of songs found");
        present = !present;
    }
}
BENCHMARK(LyricsPresenceSearch)->Unit(benchmark::kMillisecond)->Iterations(10);

// A click on a found song: its lyrics, the key counted, and the 12 titles holding it out
// of 32,766 track list files, once the first click has indexed the lists.
void ClickFoundSong(benchmark::State& state)
{
    LargeWindow large;
    SongSearch* search = large.window->fraList;
    search->txtKashiKey->setText(kWord);
    pressEnter(search->txtKashiKey);
    emit search->msgKyokumoku2->cellClicked(1, 0);
    for (auto _ : state) {
        search->msgKyokumoku2->setCurrentCell(100, 0);
        emit search->msgKyokumoku2->cellClicked(100, 0);
        if (search->lstTitle->count() != 12)
            state.SkipWithError("wrong titles found");
    }
}
BENCHMARK(ClickFoundSong)->Unit(benchmark::kMillisecond)->Iterations(10);

// The first click on a found song of the run: every track list read once.
void FirstClickFoundSong(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto large = std::make_unique<LargeWindow>();
        SongSearch* search = large->window->fraList;
        search->txtKashiKey->setText(kWord);
        pressEnter(search->txtKashiKey);
        search->msgKyokumoku2->setCurrentCell(100, 0);
        state.ResumeTiming();
        emit search->msgKyokumoku2->cellClicked(100, 0);
        if (search->lstTitle->count() != 12)
            state.SkipWithError("wrong titles found");
        state.PauseTiming();
        large.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(FirstClickFoundSong)->Unit(benchmark::kMillisecond)->Iterations(3);

// A click on a found song after the screen was opened again and a track list was saved
// in between: only that list is read again.
void ClickFoundSongAfterSave(benchmark::State& state)
{
    LargeWindow large;
    MainWindow& window = *large.window;
    SongSearch* search = window.fraList;
    search->txtKashiKey->setText(kWord);
    pressEnter(search->txtKashiKey);
    emit search->msgKyokumoku2->cellClicked(1, 0);
    const QString list = u"曲目_夜明けのアルバム第1集.txt"_s;
    const QString text = *large.folder->readText(list);
    for (auto _ : state) {
        state.PauseTiming();
        window.cmdMain->click();
        QApplication::processEvents();
        if (!large.folder->rewrite(list, text).ok())
            state.SkipWithError("track list not saved");
        window.cmdList->click();
        pressEnter(search->txtKashiKey);
        search->msgKyokumoku2->setCurrentCell(100, 0);
        state.ResumeTiming();
        emit search->msgKyokumoku2->cellClicked(100, 0);
        if (search->lstTitle->count() != 12)
            state.SkipWithError("wrong titles found");
    }
}
BENCHMARK(ClickFoundSongAfterSave)->Unit(benchmark::kMillisecond)->Iterations(3);

// cmdList pressed on the main screen until the song search is shown with every song.
void OpenSongSearch(benchmark::State& state)
{
    LargeWindow large;
    MainWindow& window = *large.window;
    for (auto _ : state) {
        state.PauseTiming();
        window.cmdMain->click();
        QApplication::processEvents();
        state.ResumeTiming();
        window.cmdList->click();
        if (window.fraList->msgKyokumoku2->rows() != bench::kMaxRecords + 1)
            state.SkipWithError("song search not filled");
    }
}
BENCHMARK(OpenSongSearch)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    return runWidgetBenchmarks(argc, argv);
}
