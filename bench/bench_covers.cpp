#include "benchwindow.h"

#include "app/mainwindow.h"
#include "overviews/catalogue.h"
#include "platform/picturebox.h"
#include "platform/picturecache.h"
#include "platform/readingguesser.h"
#include "platform/thumbnails.h"
#include "store/datafolder.h"
#include "title/mainscreen.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QToolButton>

#include <benchmark/benchmark.h>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

// The design-maximum folder, written once per run by another process, so that what
// writing it leaves in memory is not counted; titles 1 to 100 have covers of
// 4,000 x 3,000 pixels.
QString largeFolder()
{
    static QTemporaryDir dir;
    static const bool written = QProcess::execute(QString::fromUtf8(UTABAKO_MAKEFOLDER), {dir.path(), u"max"_s}) == 0;
    if (!written)
        std::abort();
    return dir.path();
}

// The program started on that folder, its window on screen.
struct Program {
    Program()
        : folder(largeFolder())
        , window(folder, dialogs, help, printer, guesser)
    {
        window.startUp();
        window.show();
        QApplication::processEvents();
    }

    // Until nothing is decoded or made in the background.
    void settle()
    {
        window.fraMain->coverCache().waitForAhead();
        while (window.fraPic->coversPending())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        while (window.fraPic->makingThumbnails())
            QThread::msleep(5);
        QApplication::processEvents();
    }

    DataFolder folder;
    SilentDialogs dialogs;
    NoHelp help;
    NoPrinter printer;
    NullReadingGuesser guesser;
    MainWindow window;
};

double residentMegabytes()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
    }
    return 0;
}

// Resident memory after every screen has been opened, back on the main screen with a
// 12-megapixel cover shown. Measured first, as in a program just started: the other
// measurements leave their own traces in the heap.
void MemoryAfterEveryScreen(benchmark::State& state)
{
    Program p;
    MainWindow& w = p.window;
    double withoutCover = 0;
    for (auto _ : state) {
        for (QToolButton* screen : {w.cmdPic, w.cmdIchiran, w.cmdKensaku, w.cmdIchiran2, w.cmdList, w.cmdRank,
                                    w.cmdMaster, w.cmdMain}) {
            screen->click();
            p.settle();
        }
        w.fraMain->setCurrentTitle(1000);
        p.settle();
        w.repaint();
        withoutCover = residentMegabytes();
        w.fraMain->setCurrentTitle(2);
        p.settle();
        w.repaint();
        if (w.fraMain->imgGazou->isEmpty())
            state.SkipWithError("cover not shown");
    }
    state.counters["VmRSS_MB"] = residentMegabytes();
    state.counters["without_cover_MB"] = withoutCover;
}
BENCHMARK(MemoryAfterEveryScreen)->Unit(benchmark::kMillisecond)->Iterations(1);

// A step to a title whose cover is a 12-megapixel JPEG, to the window painted: to the
// next title, whose cover was decoded ahead while the title before was looked at (what
// a user stepping through the collection meets), or two titles on, decoded then.
void NextTitleLargeCover(benchmark::State& state)
{
    const bool ahead = state.range(0) == 1;
    Program p;
    MainScreen* main = p.window.fraMain;
    main->setCurrentTitle(1);
    int k = 1;
    for (auto _ : state) {
        state.PauseTiming();
        int next = k + (ahead ? 1 : 2);
        if (next > 100) {
            main->setCurrentTitle(200);
            main->setCurrentTitle(next = 1);
            next += ahead ? 1 : 2;
        }
        p.settle();
        state.ResumeTiming();
        main->setCurrentTitle(next);
        p.window.repaint();
        k = next;
        if (QFileInfo(main->imgGazou->source()).fileName() != u"夜明けのアルバム第%1集.jpg"_s.arg(k))
            state.SkipWithError("cover not shown");
    }
    state.SetLabel(ahead ? "decoded ahead" : "decoded on the step");
}
BENCHMARK(NextTitleLargeCover)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(30);

void removeThumbnails()
{
    QDir(thumbnails::cacheFolder()).removeRecursively();
}

// cmdPic building page 1, fifteen covers of 12 megapixels, until the last cover is on
// screen: with no thumbnails (cold: only a first visit within seconds of a first start
// meets it now), or from the thumbnails a first visit made (warm).
// shown_ms: until the page stands with its names and the covers it could show at once.
void CataloguePage(benchmark::State& state, bool warm)
{
    Program p;
    Catalogue* c = p.window.fraPic;
    removeThumbnails();
    if (warm) {
        p.window.cmdPic->click();
        p.settle();
    }
    double shown = 0;
    for (auto _ : state) {
        state.PauseTiming();
        p.window.cmdMain->click();
        p.window.state().CatalogueReady = false;
        p.settle();
        if (!warm)
            removeThumbnails();
        state.ResumeTiming();
        QElapsedTimer timer;
        timer.start();
        p.window.cmdPic->click();
        shown += static_cast<double>(timer.nsecsElapsed()) / 1e6;
        while (c->coversPending())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        p.window.repaint();
        if (c->imgPIc[14]->isEmpty())
            state.SkipWithError("covers not shown");
    }
    state.counters["shown_ms"] = benchmark::Counter(shown, benchmark::Counter::kAvgIterations);
}
BENCHMARK_CAPTURE(CataloguePage, Cold, false)->Unit(benchmark::kMillisecond)->Iterations(8)->MeasureProcessCPUTime();
BENCHMARK_CAPTURE(CataloguePage, Warm, true)->Unit(benchmark::kMillisecond)->Iterations(8)->MeasureProcessCPUTime();

// cmdPic building page 1 after a first start with no thumbnails, once the program has
// been idle long enough for the thumbnails made ahead. idle_s: from the window shown
// until the work ahead starts; ahead_s: until every large cover has its thumbnail.
void CataloguePageAfterIdle(benchmark::State& state)
{
    removeThumbnails();
    QElapsedTimer sinceShown;
    Program p;
    sinceShown.start();
    while (!p.window.fraPic->makingThumbnails())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const qint64 idle = sinceShown.elapsed();
    p.settle();
    state.counters["idle_s"] = static_cast<double>(idle) / 1000;
    state.counters["ahead_s"] = static_cast<double>(sinceShown.elapsed() - idle) / 1000;
    Catalogue* c = p.window.fraPic;
    for (auto _ : state) {
        state.PauseTiming();
        p.window.cmdMain->click();
        p.window.state().CatalogueReady = false;
        p.settle();
        state.ResumeTiming();
        p.window.cmdPic->click();
        while (c->coversPending())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        p.window.repaint();
        if (c->imgPIc[14]->isEmpty())
            state.SkipWithError("covers not shown");
    }
}
BENCHMARK(CataloguePageAfterIdle)->Unit(benchmark::kMillisecond)->Iterations(8)->MeasureProcessCPUTime();

} // namespace

int main(int argc, char** argv)
{
    return runWidgetBenchmarks(argc, argv);
}
