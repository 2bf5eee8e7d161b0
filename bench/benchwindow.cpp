#include "benchwindow.h"
#include "generated.h"

#include "platform/heap.h"
#include "store/datafolder.h"
#include "store/masterlist.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <cstdio>

#include <benchmark/benchmark.h>

#include <cstdlib>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kLargeCovers = 100;

// 4,000 x 3,000 pixels with the detail of a photograph, so that decoding costs what a
// camera's picture costs.
QByteArray largeCoverJpeg()
{
    static const QByteArray bytes = [] {
        QImage cover(4000, 3000, QImage::Format_RGB32);
        for (int y = 0; y < cover.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(cover.scanLine(y));
            for (int x = 0; x < cover.width(); ++x)
                line[x] = qRgb((x * 3) % 256, (y + x / 7) % 256, ((x ^ y) * 13 + std::rand() % 32) % 256);
        }
        QByteArray out;
        QBuffer buffer(&out);
        buffer.open(QIODevice::WriteOnly);
        if (!cover.save(&buffer, "JPG", 90))
            std::abort();
        return out;
    }();
    return bytes;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        std::abort();
}

} // namespace

void writeEmptyCollection(const QString& folder)
{
    DataFolder data(folder);
    for (const QString& name : {u"データ.TXT"_s, u"曲目データ.TXT"_s})
        writeFile(data.filePath(name), {});
    for (Master m : {Master::Artist, Master::TitleGenre, Master::Media, Master::SongGenre, Master::Lyricist,
                     Master::Composer, Master::Arranger})
        writeFile(data.filePath(masterFileName(m)), {});
}

void writeDesignMaximumFolder(const QString& folder)
{
    writeEmptyCollection(folder);
    bench::writeLargeCollection(folder);
    bench::writeCollectionFiles(folder, bench::kMaxRecords, bench::kMaxLyricsFiles, 0);
    const QDir dir(folder);
    for (int i = 1; i <= kLargeCovers; ++i)
        writeFile(dir.filePath(u"夜明けのアルバム第%1集.jpg"_s.arg(i)), largeCoverJpeg());
}

int runWidgetBenchmarks(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    // Thumbnails made while measuring go to a cache of the run's own.
    QTemporaryDir cache;
    if (!cache.isValid()) {
        std::fprintf(stderr, "no temporary folder for the thumbnail cache\n");
        return 1;
    }
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
    // And the user's settings (the lists' order, the fuzzy search) are the run's own too.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(cache.path() + QStringLiteral("/config")));
    // As the program runs.
    returnLargeBlocksWhenFreed();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
