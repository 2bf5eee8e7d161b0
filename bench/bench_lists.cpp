#include "benchwindow.h"
#include "generated.h"

#include "app/appstate.h"
#include "app/mainwindow.h"
#include "platform/readingguesser.h"
#include "lists/nameorder.h"
#include "lists/songlist.h"
#include "lists/titlelist.h"
#include "platform/grid.h"
#include "store/cp932.h"
#include "store/dailyhistory.h"
#include "store/datafolder.h"
#include "upkeep/historyrules.h"
#include "title/mainscreen.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// A window on a generated collection at the design maximum, with 20,000 lyrics files
// when the song list is measured, and a track list of 12 songs for every title when
// asked, started and on its main screen.
struct LargeWindow {
    explicit LargeWindow(bool lyrics, bool trackLists = false)
    {
        bench::writeLargeCollection(dir.path());
        for (int i = 0; lyrics && i < 20000; ++i) {
            QFile f(dir.filePath(QStringLiteral("歌詞_ひかりの向こう側へ%1_架空の歌手%2.txt").arg(i + 1).arg((i + 1) % 900)));
            f.open(QIODevice::WriteOnly);
        }
        for (int t = 1; trackLists && t <= bench::kMaxRecords; ++t) {
            QString list;
            for (int s = 0; s < 12; ++s)
                list += QStringLiteral("ひかりの向こう側へ%1\r\n").arg((t * 12 + s) % bench::kMaxRecords + 1);
            QByteArray bytes;
            cp932::encode(list, &bytes);
            QFile f(dir.filePath(QStringLiteral("曲目_夜明けのアルバム第%1集.txt").arg(t)));
            if (!f.open(QIODevice::WriteOnly) || f.write(bytes) < 0)
                std::abort();
        }
        folder = std::make_unique<DataFolder>(dir.path());
        window = std::make_unique<MainWindow>(*folder, dialogs, help, printer, guesser);
        window->startUp();
    }

    QTemporaryDir dir;
    SilentDialogs dialogs;
    NoHelp help;
    NoPrinter printer;
    NullReadingGuesser guesser;
    std::unique_ptr<DataFolder> folder;
    std::unique_ptr<MainWindow> window;
};

void backToMain(MainWindow& window)
{
    window.cmdMain->click();
    QApplication::processEvents();
}

// cmdIchiran pressed on the main screen until the title list is shown with 32,766 rows.
void OpenTitleList(benchmark::State& state)
{
    LargeWindow large(false);
    MainWindow& window = *large.window;
    for (auto _ : state) {
        window.cmdIchiran->click();
        if (window.fraIchiran->msgIchiran->rows() != bench::kMaxRecords + 1)
            state.SkipWithError("title list not filled");
        state.PauseTiming();
        backToMain(window);
        state.ResumeTiming();
    }
}
BENCHMARK(OpenTitleList)->Unit(benchmark::kMillisecond)->Iterations(10);

// cmdIchiran2 pressed on the main screen until the song list is shown with its marks.
void OpenSongList(benchmark::State& state)
{
    LargeWindow large(true);
    MainWindow& window = *large.window;
    for (auto _ : state) {
        window.cmdIchiran2->click();
        if (window.fraIchiran2->msgIchiran2->text(1, 6).isEmpty())
            state.SkipWithError("song list not marked");
        state.PauseTiming();
        backToMain(window);
        state.ResumeTiming();
    }
}
BENCHMARK(OpenSongList)->Unit(benchmark::kMillisecond)->Iterations(10);

// One sort button of the title list: the artist column, alternately up and down.
void SortTitleList(benchmark::State& state)
{
    LargeWindow large(false);
    MainWindow& window = *large.window;
    window.cmdIchiran->click();
    for (auto _ : state) {
        window.fraIchiran->cmdSort1[1]->click();
        QApplication::processEvents();
    }
}
BENCHMARK(SortTitleList)->Unit(benchmark::kMillisecond)->Iterations(10);

// One sort button of the song list: the song name column, alternately up and down.
void SortSongList(benchmark::State& state)
{
    LargeWindow large(true);
    MainWindow& window = *large.window;
    window.cmdIchiran2->click();
    for (auto _ : state) {
        window.fraIchiran2->cmdSort2[0]->click();
        QApplication::processEvents();
    }
}
BENCHMARK(SortSongList)->Unit(benchmark::kMillisecond)->Iterations(10);

// The title list sorted in 五十音 order by a name column (0 the title, 1 the artist),
// with readings for every title and 10,000 artists, alternately up and down. The first
// click makes the names' keys; argument 2 is that first click alone, by the title.
void SortTitleListByReading(benchmark::State& state)
{
    listoptions::setReadingOrder(true);
    const bool first = state.range(0) == 2;
    const size_t col = first ? 0 : static_cast<size_t>(state.range(0));
    std::unique_ptr<LargeWindow> large;
    const auto open = [&] {
        large = std::make_unique<LargeWindow>(false);
        bench::giveReadings(large->window->state().readings);
        large->window->cmdIchiran->click();
    };
    if (!first) {
        open();
        large->window->fraIchiran->cmdSort1[col]->click();
    }
    for (auto _ : state) {
        if (first) {
            state.PauseTiming();
            open();
            state.ResumeTiming();
        }
        large->window->fraIchiran->cmdSort1[col]->click();
        QApplication::processEvents();
    }
}
BENCHMARK(SortTitleListByReading)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(5);

// The song list sorted in 五十音 order by the song name, every song with a reading:
// ten clicks after the first.
void SortSongListByReading(benchmark::State& state)
{
    listoptions::setReadingOrder(true);
    LargeWindow large(true);
    MainWindow& window = *large.window;
    bench::giveReadings(window.state().readings);
    window.cmdIchiran2->click();
    window.fraIchiran2->cmdSort2[0]->click();
    for (auto _ : state) {
        window.fraIchiran2->cmdSort2[0]->click();
        QApplication::processEvents();
    }
}
BENCHMARK(SortSongListByReading)->Unit(benchmark::kMillisecond)->Iterations(10);

// The info panel's save after a click on a row: the title file rewritten whole from the
// grid and read again, and the keys renumbered.
void SaveTitleInfo(benchmark::State& state)
{
    LargeWindow large(false);
    MainWindow& window = *large.window;
    TitleList* list = window.fraIchiran;
    window.cmdIchiran->click();
    list->cmdTuika->click();
    for (auto _ : state) {
        state.PauseTiming();
        list->msgIchiran->setCurrentCell(16000, 0);
        list->msgIchiran->cellClicked(16000, 0);
        state.ResumeTiming();
        list->cmdThozon->click();
        if (!list->lblTitle->text().isEmpty())
            state.SkipWithError("not saved");
    }
}
BENCHMARK(SaveTitleInfo)->Unit(benchmark::kMillisecond)->Iterations(5);

// The same save as the first of each day, with the title file kept in the history first.
void SaveTitleInfoFirstOfDay(benchmark::State& state)
{
    LargeWindow large(false);
    QDate day(2026, 12, 1);
    large.folder->keepDailyHistory(historyrules::keptFiles(), [&day] { return day; });
    MainWindow& window = *large.window;
    TitleList* list = window.fraIchiran;
    window.cmdIchiran->click();
    list->cmdTuika->click();
    for (auto _ : state) {
        state.PauseTiming();
        day = day.addDays(1);
        list->msgIchiran->setCurrentCell(16000, 0);
        list->msgIchiran->cellClicked(16000, 0);
        state.ResumeTiming();
        list->cmdThozon->click();
        if (!list->lblTitle->text().isEmpty() || !QFile::exists(large.dir.filePath(DailyHistory::dayFolder(day) + QStringLiteral("/データ.TXT"))))
            state.SkipWithError("not saved and kept");
    }
}
BENCHMARK(SaveTitleInfoFirstOfDay)->Unit(benchmark::kMillisecond)->Iterations(5);

// The song panel's save: the track data rewritten whole from the grid and read again.
void SaveSongAttributes(benchmark::State& state)
{
    LargeWindow large(true);
    MainWindow& window = *large.window;
    SongList* list = window.fraIchiran2;
    window.cmdIchiran2->click();
    list->cmdTuika2->click();
    for (auto _ : state) {
        state.PauseTiming();
        list->msgIchiran2->setCurrentCell(16000, 0);
        list->msgIchiran2->cellClicked(16000, 0);
        state.ResumeTiming();
        list->cmdThozon2->click();
        if (!list->lblTitle2->text().isEmpty())
            state.SkipWithError("not saved");
    }
}
BENCHMARK(SaveSongAttributes)->Unit(benchmark::kMillisecond)->Iterations(5);

// A double-click on a song of the song list: the first title holding it, out of 32,766
// track lists, opened on the main screen. Song 16,000 is first held by title 1,333; a
// song no title holds is argument 0. The first double-click of the run indexes every
// list; later ones read only the lists that may hold the song.
void OpenTitleOfSong(benchmark::State& state)
{
    LargeWindow large(false, true);
    MainWindow& window = *large.window;
    SongList* list = window.fraIchiran2;
    const bool held = state.range(0) > 0;
    const int row = held ? static_cast<int>(state.range(0)) : 1;
    for (auto _ : state) {
        state.PauseTiming();
        backToMain(window);
        window.cmdIchiran2->click();
        if (!held)
            list->msgIchiran2->setText(row, 0, QStringLiteral("どの曲目にもない歌"));
        state.ResumeTiming();
        list->msgIchiran2->cellDoubleClicked(row, 0);
        if (window.fraMain->isVisible() != held)
            state.SkipWithError("wrong outcome");
    }
}
BENCHMARK(OpenTitleOfSong)->Arg(16000)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    return runWidgetBenchmarks(argc, argv);
}
