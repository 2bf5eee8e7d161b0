// Writes to a data folder through the store until it is killed, so that tst_crash can
// look at what a kill in the middle of a write leaves behind.
//
//   crash_writer <folder> rewrite|append|import|restore|history <seed>
//
// It takes up where the folder's files stand (generation g, or entries 1..k), prints
// "ready" once the folder is read, then writes the next generations or entries of
// crashcontent.h for ever. Any load problem or refused write ends it with a message.
//
// import makes the albums of crash::importedAlbums in one import, as the music import
// does, and ends; it prints "already" and does nothing when the folder already holds
// them. Preloaded with tests/crash/crashshim.c, it arms the shim as the import begins.
//
// history puts the folder's history back to its first day, as 「この日の状態に戻す」 does
// (seed 1), or the folder's reset undone, as 「この状態に戻す」 does (seed 2), and ends
// printing "done"; the shim is armed as the restore begins.

#include "crashcontent.h"

#include "exchange/albumrules.h"
#include "store/collectionfiles.h"
#include "store/datafolder.h"
#include "store/dailyhistory.h"
#include "store/keptdeletions.h"
#include "store/restore.h"
#include "upkeep/historyrules.h"
#include "upkeep/upkeeprules.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <dlfcn.h>
#endif

using namespace Qt::Literals::StringLiterals;

namespace {

[[noreturn]] void fail(const QString& message)
{
    std::fprintf(stderr, "crash_writer: %s\n", message.toLocal8Bit().constData());
    std::exit(2);
}

void check(const WriteResult& result)
{
    if (!result.ok())
        fail(result.fileName + u": "_s + result.message() + u' ' + result.detail);
}

void checkLoaded(DataFolder& folder)
{
    const QList<LoadProblem> problems = folder.takeProblems();
    if (!problems.isEmpty())
        fail(u"the folder was left damaged: "_s + problems.first().message());
}

[[noreturn]] void rewriteForever(DataFolder& folder, quint64 seed)
{
    TitleTable titles;
    LoadTitleFile(folder, &titles);
    checkLoaded(folder);
    int g = 0;
    if (titles.count() > 0) {
        static const QRegularExpression first(u"^第(\\d+)世代の1番$"_s);
        const QRegularExpressionMatch m = first.match(titles.at(1).name);
        if (!m.hasMatch())
            fail(u"the title file holds no generation"_s);
        g = m.captured(1).toInt();
    }
    std::puts("ready");
    std::fflush(stdout);
    for (;;)
        check(SaveTitleFile(folder, crash::generation(seed, ++g)));
}

[[noreturn]] void appendForever(DataFolder& folder, quint64 seed)
{
    // The loaded tables matter only for a file found cut short, and such a folder ends
    // the run here; so they are not kept up to date as entries are added.
    TitleTable titles;
    LoadTitleFile(folder, &titles);
    TrackTable songs;
    LoadTrackTable(folder, &songs);
    int names = static_cast<int>(ReadMaster(folder, crash::kMaster).size());
    checkLoaded(folder);
    if (songs.count() % crash::kSongsPerEntry != 0)
        fail(u"the track file holds a part of an entry"_s);
    int titleCount = titles.count();
    int songEntries = songs.count() / crash::kSongsPerEntry;
    std::puts("ready");
    std::fflush(stdout);
    for (int turn = 0;; turn = (turn + 1) % 3) {
        switch (turn) {
        case 0:
            check(AppendTitle(folder, titles, crash::appendedTitle(seed, ++titleCount)));
            break;
        case 1:
            check(AppendTrackRecords(folder, songs, crash::appendedSongs(seed, ++songEntries)));
            break;
        case 2:
            check(AppendMasterName(folder, crash::kMaster, crash::appendedName(seed, ++names)));
            break;
        }
    }
}

void importOnce(DataFolder& folder, quint64 seed)
{
    TitleTable titles;
    LoadTitleFile(folder, &titles);
    TrackTable songs;
    LoadTrackTable(folder, &songs);
    checkLoaded(folder);
    const std::vector<albumrules::PlannedTitle> albums = crash::importedAlbums(seed);
    if (titles.find(albums.front().record.name) > 0) {
        std::puts("already");
        return;
    }
    std::vector<const albumrules::PlannedTitle*> chosen;
    std::vector<QByteArray> covers;
    for (const albumrules::PlannedTitle& album : albums) {
        chosen.push_back(&album);
        covers.push_back(album.hasCover ? crash::coverOf(seed, album.record.name) : QByteArray());
    }
    std::puts("ready");
    std::fflush(stdout);
#ifdef Q_OS_UNIX
    if (auto arm = reinterpret_cast<void (*)()>(::dlsym(RTLD_DEFAULT, "utabako_crash_arm")))
        arm();
#endif
    QSet<std::pair<QString, QString>> added;
    check(albumrules::writeTitles(folder, titles, songs, &added, chosen, covers));
    std::puts("done");
}

// Puts the first kept title back under its own name, as 元に戻す does, and ends; it
// prints "already" and does nothing when no title is kept.
void restoreOnce(DataFolder& folder)
{
    TitleTable titles;
    LoadTitleFile(folder, &titles);
    checkLoaded(folder);
    const QList<kept::KeptTitle> keptTitles = kept::keptTitles(folder);
    if (keptTitles.isEmpty()) {
        std::puts("already");
        return;
    }
    std::puts("ready");
    std::fflush(stdout);
#ifdef Q_OS_UNIX
    if (auto arm = reinterpret_cast<void (*)()>(::dlsym(RTLD_DEFAULT, "utabako_crash_arm")))
        arm();
#endif
    check(kept::restore(folder, titles, keptTitles.first(), keptTitles.first().record.name));
    std::puts("done");
}

} // namespace

void restoreHistoryOnce(DataFolder& folder, quint64 seed)
{
    const QList<QDate> days = DailyHistory::days(folder.path());
    const QList<historyrules::KeptFolder> resets = historyrules::keptFolders(folder);
    if (days.isEmpty() || resets.isEmpty())
        fail(u"the folder holds no history or no reset"_s);
    const bool day = seed == 1;
    const QList<restore::Piece> pieces =
        day ? historyrules::dayPieces(folder, days.back()) : restore::piecesOf(folder, resets.first().folder);
    std::puts("ready");
    std::fflush(stdout);
#ifdef Q_OS_UNIX
    if (auto arm = reinterpret_cast<void (*)()>(::dlsym(RTLD_DEFAULT, "utabako_crash_arm")))
        arm();
#endif
    QString aside;
    QString note;
    check(restore::putBack(folder, u"履歴から戻す作業"_s, day ? restore::Way::Copy : restore::Way::Move, pieces,
                           day ? QStringList() : upkeeprules::resetEmptiedFiles(),
                           QDateTime(QDate(2026, 12, 9), QTime(12, 0)), &aside, &note));
    std::puts("done");
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    bool seedOk = false;
    const quint64 seed = args.size() == 4 ? args[3].toULongLong(&seedOk) : 0;
    if (!seedOk || (args[2] != u"rewrite"_s && args[2] != u"append"_s && args[2] != u"import"_s && args[2] != u"restore"_s
                    && args[2] != u"history"_s)) {
        std::fputs("usage: crash_writer <folder> rewrite|append|import|restore|history <seed>\n", stderr);
        return 1;
    }
    DataFolder folder(args[1]);
    if (args[2] == u"history"_s) {
        restoreHistoryOnce(folder, seed);
        return 0;
    }
    if (args[2] == u"restore"_s) {
        restoreOnce(folder);
        return 0;
    }
    if (args[2] == u"import"_s) {
        importOnce(folder, seed);
        return 0;
    }
    if (args[2] == u"rewrite"_s)
        rewriteForever(folder, seed);
    appendForever(folder, seed);
}
