#include "benchwindow.h"
#include "generated.h"

#include "app/mainwindow.h"
#include "platform/readingguesser.h"
#include "platform/grid.h"
#include "store/datafolder.h"
#include "title/mainscreen.h"
#include "tracks/trackentry.h"

#include <QApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// Confirming a pasted list of 3,000 songs on a collection of 32,766 songs, with 20,000
// lyrics files in the folder: the duplicate test, the file writes, the reload of the
// track data, and the grid with its lyrics marks.
void ConfirmLongTrackList(benchmark::State& state)
{
    QTemporaryDir dir;
    bench::writeLargeCollection(dir.path());
    for (int i = 0; i < 20000; ++i) {
        QFile f(dir.filePath(QStringLiteral("歌詞_ひかりの向こう側へ%1_架空の歌手%2.txt").arg(i + 1).arg((i + 1) % 900)));
        f.open(QIODevice::WriteOnly);
    }
    QString memo;
    for (int i = 1; i <= 3000; ++i)
        memo += QStringLiteral("%1.新しい歌%2\n").arg(i).arg(i % 2000);
    SilentDialogs dialogs;
    NoHelp help;
    NoPrinter printer;
    NullReadingGuesser guesser;
    DataFolder folder(dir.path());
    MainWindow window(folder, dialogs, help, printer, guesser);
    window.startUp();
    TrackEntry* entry = window.fraMain->Frame1;
    for (auto _ : state) {
        entry->cmdHensyu->click();
        entry->txtKyokuHen->setPlainText(memo);
        entry->cmdKakutei->click();
        if (entry->msgKyokumoku->rows() != 3001)
            state.SkipWithError("list not confirmed");
        state.PauseTiming();
        // Start each round from the same track data.
        bench::writeLargeCollection(dir.path(), 0);
        state.ResumeTiming();
    }
}
BENCHMARK(ConfirmLongTrackList)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    return runWidgetBenchmarks(argc, argv);
}
