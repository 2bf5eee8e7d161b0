#include "benchwindow.h"
#include "generated.h"

#include "app/mainwindow.h"
#include "platform/readingguesser.h"
#include "overviews/catalogue.h"
#include "overviews/ranking.h"
#include "platform/grid.h"
#include "platform/picturebox.h"
#include "store/datafolder.h"
#include "store/titletable.h"
#include "store/tracktable.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QToolButton>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kArtists = 5000;

// A window started on the collection that make writes into its folder.
struct Window {
    template <typename Make>
    explicit Window(Make make)
    {
        DataFolder writer(dir.path());
        make(writer);
        folder = std::make_unique<DataFolder>(dir.path());
        window = std::make_unique<MainWindow>(*folder, dialogs, help, printer, guesser);
        window->startUp();
    }

    void backToMain()
    {
        window->cmdMain->click();
        QApplication::processEvents();
    }

    QTemporaryDir dir;
    SilentDialogs dialogs;
    NoHelp help;
    NoPrinter printer;
    NullReadingGuesser guesser;
    std::unique_ptr<DataFolder> folder;
    std::unique_ptr<MainWindow> window;
};

// 32,766 titles and 32,766 songs by 5,000 artists, all of them in the artist master.
void writeRankedCollection(DataFolder& folder)
{
    std::vector<TitleRecord> titles;
    std::vector<TrackRecord> songs;
    QString master;
    for (int i = 1; i <= kArtists; ++i)
        master += u"架空の歌手%1\r\n"_s.arg(i);
    for (int i = 1; i <= bench::kMaxRecords; ++i) {
        const QString artist = u"架空の歌手%1"_s.arg(i % kArtists + 1);
        titles.push_back({u"夜明けのアルバム第%1集"_s.arg(i), i % 40 == 0 ? u"複数"_s : artist, u"J-POP"_s, u"◎"_s,
                          u"CD"_s, u"2026/12/07"_s, {}});
        songs.push_back({u"ひかりの向こう側へ%1"_s.arg(i), artist, {}, {}, {}, {}, {}});
    }
    if (!SaveTitleFile(folder, titles).ok() || !SaveTrackTable(folder, songs).ok()
        || !folder.rewrite(u"歌手マスタ.txt"_s, master).ok())
        std::abort();
}

// Fifteen titles, each with a JPEG cover of 1,500 x 1,500 pixels with the detail of a
// photograph, so that decoding costs what a real cover costs.
void writeCoveredCollection(DataFolder& folder)
{
    std::vector<TitleRecord> titles;
    for (int i = 1; i <= 15; ++i) {
        const QString name = u"夜明けのアルバム第%1集"_s.arg(i);
        titles.push_back({name, u"架空の歌手"_s, u"J-POP"_s, u"◎"_s, u"CD"_s, u"2026/12/07"_s, {}});
        QImage cover(1500, 1500, QImage::Format_RGB32);
        for (int y = 0; y < cover.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(cover.scanLine(y));
            for (int x = 0; x < cover.width(); ++x)
                line[x] = qRgb((x * i) % 256, (y + x / 7) % 256, ((x ^ y) * 13 + std::rand() % 32) % 256);
        }
        QPainter(&cover).drawText(QRect(100, 1200, 1300, 200), Qt::AlignCenter, name);
        if (!cover.save(folder.filePath(name + u".jpg"_s), "JPG", 90))
            std::abort();
    }
    if (!SaveTitleFile(folder, titles).ok())
        std::abort();
}

// cmdRank on the main screen until both rankings and the fine-tuning list are filled.
void OpenRanking(benchmark::State& state)
{
    Window large(writeRankedCollection);
    MainWindow& window = *large.window;
    for (auto _ : state) {
        window.cmdRank->click();
        if (window.fraRank->msgSaku->rows() != kArtists + 2 || window.fraRank->msgKei->rows() != kArtists + 1)
            state.SkipWithError("rankings not filled");
        state.PauseTiming();
        large.backToMain();
        state.ResumeTiming();
    }
}
BENCHMARK(OpenRanking)->Unit(benchmark::kMillisecond)->Iterations(10);

// cmdPic with the catalogue to build: one page of fifteen large covers.
void FillCataloguePage(benchmark::State& state)
{
    Window covered(writeCoveredCollection);
    MainWindow& window = *covered.window;
    for (auto _ : state) {
        window.cmdPic->click();
        while (window.fraPic->coversPending())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (window.fraPic->imgPIc[14]->isEmpty())
            state.SkipWithError("covers not shown");
        state.PauseTiming();
        covered.backToMain();
        window.state().CatalogueReady = false;
        state.ResumeTiming();
    }
}
BENCHMARK(FillCataloguePage)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv)
{
    return runWidgetBenchmarks(argc, argv);
}
