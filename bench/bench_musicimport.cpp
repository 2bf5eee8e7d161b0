#include "benchwindow.h"

#include "app/appstate.h"
#include "exchange/musicimport.h"
#include "store/datafolder.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

#include <attachedpictureframe.h>
#include <fileref.h>
#include <id3v2tag.h>
#include <mpegfile.h>
#include <tpropertymap.h>

#include <benchmark/benchmark.h>

using namespace Qt::Literals::StringLiterals;

namespace {

const QStringList kKinds{u"mp3"_s, u"flac"_s, u"ogg"_s, u"opus"_s, u"m4a"_s, u"wav"_s};

// count music files in albums of ten, copies of the silent fixtures of every kind,
// each tagged with its own album, artist, title and track number.
void writeMusicFolder(const QString& root, int count)
{
    for (int i = 0; i < count; ++i) {
        const int album = i / 10;
        const QString kind = kKinds[album % kKinds.size()];
        const QString folder = root + u"/アーティスト%1/アルバム%2"_s.arg(album % 50).arg(album);
        QDir().mkpath(folder);
        const QString path = folder + u"/%1.%2"_s.arg(i % 10 + 1, 2, 10, QLatin1Char('0')).arg(kind);
        QFile::copy(QStringLiteral(UTABAKO_FIXTURES "/music/silence.") + kind, path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        TagLib::FileRef ref(QFile::encodeName(path).constData());
        TagLib::PropertyMap map;
        const auto set = [&](const char* key, const QString& value) {
            map[key] = TagLib::StringList(TagLib::String(value.toUtf8().constData(), TagLib::String::UTF8));
        };
        set("ALBUM", u"アルバム%1"_s.arg(album));
        set("ARTIST", u"アーティスト%1"_s.arg(album % 50));
        set("TITLE", u"曲%1"_s.arg(i));
        set("TRACKNUMBER", QString::number(i % 10 + 1));
        set("DATE", u"20%1-04-01"_s.arg(album % 25, 2, 10, QLatin1Char('0')));
        set("GENRE", u"J-POP"_s);
        ref.file()->setProperties(map);
        ref.save();
    }
}

// Scans through the panel, as the user's click does, until the albums are listed.
void scanWithPanel(MusicImport& panel, const QString& folder)
{
    QEventLoop loop;
    QObject::connect(&panel, &MusicImport::scanFinished, &loop, &QEventLoop::quit);
    panel.scan(folder);
    loop.exec();
}

// Scanning 5,000 files (500 albums). The first run is as cold as the file cache is
// left (drop it before: `sync; echo 3 > /proc/sys/vm/drop_caches` as root).
void ScanFiveThousandFiles(benchmark::State& state)
{
    static QTemporaryDir music;
    static bool written = false;
    if (!written) {
        writeMusicFolder(music.path(), 5000);
        written = true;
        if (qEnvironmentVariableIsSet("UTABAKO_BENCH_PAUSE")) {
            // Lets the cache be dropped between making the files and the first scan.
            fprintf(stderr, "files written to %s; drop caches, then press Enter\n", qPrintable(music.path()));
            getchar();
        }
    }
    QTemporaryDir data;
    writeEmptyCollection(data.path());
    DataFolder folder(data.path());
    SilentDialogs dialogs;
    AppState appState(folder, dialogs);
    MusicImport panel(appState, dialogs);
    for (auto _ : state) {
        scanWithPanel(panel, music.path());
        if (panel.tblAlbums->rowCount() != 500)
            state.SkipWithError("not every album was found");
    }
}
BENCHMARK(ScanFiveThousandFiles)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(2);

#ifdef Q_OS_LINUX
// The most memory the process has held, in bytes, since the mark was last cleared.
qint64 peakMemory()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').front().toLongLong() * 1024;
    }
    return 0;
}

void clearPeakMemory()
{
    QFile refs(u"/proc/self/clear_refs"_s);
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

// Scanning one album of 128 MP3s that each embed the same 5 MB picture: the memory the
// scan raised the process's peak by (counter "peak"), which the album's one kept
// picture should dominate, not one copy a file.
void ScanAlbumOfLargePictures(benchmark::State& state)
{
    static QTemporaryDir music;
    static bool written = false;
    if (!written) {
        QByteArray picture(5 * 1024 * 1024, '\x5A');
        picture.replace(0, 3, "\xFF\xD8\xFF");
        for (int i = 0; i < 128; ++i) {
            const QString path = music.filePath(u"%1.mp3"_s.arg(i, 3, 10, QLatin1Char('0')));
            QFile::copy(QStringLiteral(UTABAKO_FIXTURES "/music/silence.mp3"), path);
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
            TagLib::MPEG::File file(QFile::encodeName(path).constData());
            TagLib::ID3v2::Tag* tag = file.ID3v2Tag(true);
            tag->setAlbum("Pictures");
            tag->setArtist("Artist");
            tag->setTitle(TagLib::String::number(i));
            auto* frame = new TagLib::ID3v2::AttachedPictureFrame;
            frame->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
            frame->setPicture(TagLib::ByteVector(picture.constData(), static_cast<unsigned>(picture.size())));
            tag->addFrame(frame);
            file.save();
        }
        written = true;
    }
    QTemporaryDir data;
    writeEmptyCollection(data.path());
    DataFolder folder(data.path());
    SilentDialogs dialogs;
    AppState appState(folder, dialogs);
    MusicImport panel(appState, dialogs);
    for (auto _ : state) {
        clearPeakMemory();
        const qint64 before = peakMemory();
        scanWithPanel(panel, music.path());
        state.counters["peak"] = static_cast<double>(peakMemory() - before);
        if (panel.tblAlbums->rowCount() != 1)
            state.SkipWithError("the album was not found");
    }
}
BENCHMARK(ScanAlbumOfLargePictures)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);
#endif

// Importing 900 files (90 albums, with their songs) into an empty collection; the scan
// is not timed.
void ImportNineHundredFiles(benchmark::State& state)
{
    QTemporaryDir music;
    writeMusicFolder(music.path(), 900);
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir data;
        writeEmptyCollection(data.path());
        DataFolder folder(data.path());
        SilentDialogs dialogs;
        AppState appState(folder, dialogs);
        MusicImport panel(appState, dialogs);
        scanWithPanel(panel, music.path());
        state.ResumeTiming();
        panel.cmdImport->click();
        state.PauseTiming();
        if (QDir(data.path()).entryList({u"曲目_*.txt"_s}).size() != 90)
            state.SkipWithError("not every title was made");
        state.ResumeTiming();
    }
}
BENCHMARK(ImportNineHundredFiles)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    return runWidgetBenchmarks(argc, argv);
}
