#include "fixture.h"
#include "store/collectionfiles.h"
#include "store/collectionlock.h"
#include "store/datafolder.h"
#include "store/filelisting.h"
#include "store/interruptedwork.h"
#include "store/setaside.h"
#include "store/stagedfile.h"
#include "upkeep/upkeeprules.h"
#include "store/titletable.h"
#include "store/tracktable.h"

#include <QDir>
#include <QTemporaryDir>
#include <QCoreApplication>
#include <QTest>
#include <QThread>
#include <QThreadPool>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace Qt::Literals::StringLiterals;
using fixture::sjis;

class TestDataFolder : public QObject {
    Q_OBJECT

private slots:
    void init();
    void matchesNamesIgnoringAsciiCase();
    void createsFilesWithTheirOwnSpelling();
    void refusesUnstorableTextBeforeWriting();
    void refusesNamesThatLeaveTheFolder();
    void appendEndsALastLineLeftOpen();
    void failedWritesLeaveTheOldFileWhole();
    void lackOfSpaceIsToldAsAFullDisk();
    void writeIntoMissingFolderIsReported();
    void keepsDamagedFileBeforeFirstWrite();
    void unreadableOrEndMarkedFilesAreNotSpoilt();
    void seesFilesAddedByOthersAfterOwnWrites();
    void listingsFollowOwnWritesWithoutReadingAgain();
    void writesMadeWhileTheFolderIsReadAreListed();
    void filesReadAheadAreReadAgainOnceChanged();
    void tablesMadeAheadAreTakenAsRead();
    void removesOnlyInterruptedSaves();
    void movesEachFileOnceAndBack();
    void namesFilesThatCouldNotBePutBack();
    void savesCutShortBetweenRenamesAreFinished();
    void deletionCutShortIsKeptOrPutBack_data();
    void deletionCutShortIsKeptOrPutBack();
    void resetKilledPartWayIsPutBack();
    void leftoversInSetAsideFoldersGo();
    void writesNeverGoThroughLinks();
    void fullDiskAtStartIsToldAsSuch();

private:
    std::unique_ptr<QTemporaryDir> m_tmp;
    QString path(const QString& name) const { return m_tmp->filePath(name); }
};

void TestDataFolder::init()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tmp->isValid());
}

void TestDataFolder::matchesNamesIgnoringAsciiCase()
{
    QVERIFY(fixture::write(path(u"データ.txt"_s), sjis(u"\"x\"\r\n"_s)));
    QVERIFY(fixture::write(path(u"ＡＢＣ.txt"_s), "full"));
    DataFolder folder(m_tmp->path());
    QCOMPARE(folder.filePath(u"データ.TXT"_s), path(u"データ.txt"_s));
    QCOMPARE(folder.readText(u"データ.TXT"_s).value(), u"\"x\"\r\n"_s);
    // Only ASCII letters fold: full-width letters are other characters.
    QVERIFY(!folder.exists(u"ａｂｃ.txt"_s));
    // A file added later is found too.
    QVERIFY(fixture::write(path(u"歌手マスタ.TXT"_s), "a\r\n"));
    QVERIFY(folder.exists(u"歌手マスタ.txt"_s));
    // Writing goes to the file that is there, not to a second one.
    QVERIFY(folder.append(u"歌手マスタ.txt"_s, u"b\r\n"_s).ok());
    QCOMPARE(fixture::read(path(u"歌手マスタ.TXT"_s)), QByteArray("a\r\nb\r\n"));
    QVERIFY(!QFile::exists(path(u"歌手マスタ.txt"_s)));
}

void TestDataFolder::createsFilesWithTheirOwnSpelling()
{
    DataFolder folder(m_tmp->path());
    QVERIFY(!folder.exists(u"設定.TXT"_s));
    QVERIFY(folder.rewrite(u"設定.TXT"_s, u"\"ヘルプツアー\",1\r\n"_s).ok());
    QCOMPARE(QDir(m_tmp->path()).entryList(QDir::Files), QStringList{u"設定.TXT"_s});
    QCOMPARE(fixture::read(path(u"設定.TXT"_s)), fixture::readFixture(u"settings_on.TXT"_s));
}

void TestDataFolder::refusesUnstorableTextBeforeWriting()
{
    QVERIFY(fixture::write(path(u"a.txt"_s), "old\r\n"));
    DataFolder folder(m_tmp->path());
    for (bool append : {false, true}) {
        const QString text = u"ok\r\n絵文字\U0001F600\r\n"_s;
        const WriteResult r = append ? folder.append(u"a.txt"_s, text) : folder.rewrite(u"a.txt"_s, text);
        QCOMPARE(r.kind, WriteResult::Kind::Unstorable);
        QCOMPARE(r.character, u"\U0001F600"_s);
        QVERIFY(r.message().contains(u"\U0001F600"_s));
        QCOMPARE(fixture::read(path(u"a.txt"_s)), QByteArray("old\r\n"));
    }
}

void TestDataFolder::refusesNamesThatLeaveTheFolder()
{
    DataFolder folder(m_tmp->path() + u"/sub"_s);
    QVERIFY(QDir(m_tmp->path()).mkdir(u"sub"_s));
    for (const QString& name : {u"../x.txt"_s, u"a/b.txt"_s, u"a\\b.txt"_s, u".."_s, QString()}) {
        QCOMPARE(folder.rewrite(name, u"x"_s).kind, WriteResult::Kind::BadFileName);
        QCOMPARE(folder.append(name, u"x"_s).kind, WriteResult::Kind::BadFileName);
        QVERIFY(!folder.readText(name));
    }
    QVERIFY(!QFile::exists(path(u"x.txt"_s)));
}

void TestDataFolder::appendEndsALastLineLeftOpen()
{
    QVERIFY(fixture::write(path(u"open.txt"_s), "a"));
    QVERIFY(fixture::write(path(u"closed.txt"_s), "a\r\n"));
    DataFolder folder(m_tmp->path());
    QVERIFY(folder.append(u"open.txt"_s, u"b\r\n"_s).ok());
    QVERIFY(folder.append(u"closed.txt"_s, u"b\r\n"_s).ok());
    QVERIFY(folder.append(u"new.txt"_s, u"b\r\n"_s).ok());
    QCOMPARE(fixture::read(path(u"open.txt"_s)), QByteArray("a\r\nb\r\n"));
    QCOMPARE(fixture::read(path(u"closed.txt"_s)), QByteArray("a\r\nb\r\n"));
    QCOMPARE(fixture::read(path(u"new.txt"_s)), QByteArray("b\r\n"));
}

// A disk that fills up mid-write: the file size limit makes the write fail part way.
void TestDataFolder::failedWritesLeaveTheOldFileWhole()
{
#ifdef Q_OS_UNIX
    const QByteArray old = QByteArray("\"old\"\r\n").repeated(600);
    QVERIFY(fixture::write(path(u"データ.TXT"_s), old));
    DataFolder folder(m_tmp->path());
    const QString big = u"\"new\"\r\n"_s.repeated(2000);

    WriteResult rewritten;
    WriteResult appended;
    {
        const fixture::DiskFillsAt full(8000);
        QVERIFY(full.isSet());
        rewritten = folder.rewrite(u"データ.TXT"_s, big);
        appended = folder.append(u"データ.TXT"_s, big);
    }

    // The user is told the disk is full, and which file stayed as it was.
    for (const WriteResult& r : {rewritten, appended}) {
        QCOMPARE(r.kind, WriteResult::Kind::DiskFull);
        QVERIFY(r.message().contains(u"ディスクの空きが足りない"_s));
        QVERIFY(r.message().contains(u"「データ.TXT」"_s));
        QVERIFY(!r.message().contains(u"Unknown"_s));
    }
    QCOMPARE(fixture::read(path(u"データ.TXT"_s)), old);
    QCOMPARE(QDir(m_tmp->path()).entryList(QDir::Files), QStringList{u"データ.TXT"_s});
#else
    QSKIP("needs a file size limit");
#endif
}

// Every lack of space is told as a full disk, a read-only disk as one, in Japanese: no
// free block or inode for the temporary file, and a damaged file that cannot be copied
// aside before its first write (which then stays as it was).
void TestDataFolder::lackOfSpaceIsToldAsAFullDisk()
{
    const auto told = [](int error) { return WriteResult::ofSystemError(u"設定.TXT"_s, {error, std::generic_category()}); };
    QCOMPARE(told(ENOSPC).message(), (WriteResult{WriteResult::Kind::DiskFull, u"設定.TXT"_s, {}, {}}.message()));
    QVERIFY(told(EROFS).message().contains(u"（「設定.TXT」は読み取り専用のディスクにあるため書き込めません）"_s));
#ifdef Q_OS_UNIX
    const QByteArray damaged = fixture::readFixture(u"titles_damaged.TXT"_s).repeated(200);
    QVERIFY(fixture::write(path(u"データ.TXT"_s), damaged));
    DataFolder folder(m_tmp->path());
    QVERIFY(folder.readText(u"データ.TXT"_s));
    WriteResult r;
    {
        const fixture::DiskFillsAt full(damaged.size() / 2);
        r = folder.rewrite(u"データ.TXT"_s, u"\"new\"\r\n"_s);
    }
    QCOMPARE(r.message(), u"ディスクの空きが足りないため、「データ.TXT」に書き込めませんでした。\r\n"
                          "（元の内容を控えとして残せませんでした）\r\n"
                          "ファイルは元のままです。空きを作ってからもう一度操作してください。"_s);
    QCOMPARE(fixture::read(path(u"データ.TXT"_s)), damaged);
    QCOMPARE(QDir(m_tmp->path()).entryList(QDir::Files), QStringList{u"データ.TXT"_s});
#endif
}

void TestDataFolder::writeIntoMissingFolderIsReported()
{
    QVERIFY(fixture::write(path(u"plain"_s), "not a folder"));
    DataFolder folder(path(u"plain"_s));
    const WriteResult r = folder.rewrite(u"データ.TXT"_s, u"x"_s);
    QCOMPARE(r.kind, WriteResult::Kind::Io);
    QCOMPARE(r.fileName, u"データ.TXT"_s);
    QCOMPARE(folder.append(u"データ.TXT"_s, u"x"_s).kind, WriteResult::Kind::Io);
    QCOMPARE(fixture::read(path(u"plain"_s)), QByteArray("not a folder"));
}

void TestDataFolder::keepsDamagedFileBeforeFirstWrite()
{
    const QByteArray damaged = fixture::readFixture(u"titles_damaged.TXT"_s);
    QVERIFY(fixture::write(path(u"データ.txt"_s), damaged));
    DataFolder folder(m_tmp->path());
    QVERIFY(folder.readText(u"データ.TXT"_s));
    const QList<LoadProblem> problems = folder.takeProblems();
    QCOMPARE(problems.size(), 1);
    QCOMPARE(problems[0].kind, LoadProblem::Kind::NotCp932);
    QCOMPARE(problems[0].fileName, u"データ.txt"_s);
    QCOMPARE(problems[0].line, 2);
    QVERIFY(problems[0].message().contains(u"2 行目"_s));

    QVERIFY(folder.rewrite(u"データ.TXT"_s, u"\"new\"\r\n"_s).ok());
    QVERIFY(folder.rewrite(u"データ.TXT"_s, u"\"newer\"\r\n"_s).ok());
    const QStringList kept = folder.takeKeptCopies();
    QCOMPARE(kept.size(), 1);
    QVERIFY(kept[0].startsWith(u"データ.txt."_s + QDate::currentDate().toString(u"yyyy-MM-dd"_s)));
    QVERIFY(kept[0].endsWith(u".bak"_s));
    QCOMPARE(fixture::read(path(kept[0])), damaged);
    QCOMPARE(fixture::read(path(u"データ.txt"_s)), QByteArray("\"newer\"\r\n"));
    QCOMPARE(QDir(m_tmp->path()).entryList(QDir::Files).size(), 2);
}

// A file that could not be read is not replaced by what the program holds without it,
// even once it can be read again, until it has been read. An addition to a file with
// an end-of-file mark goes where the text ends, not after the mark.
void TestDataFolder::unreadableOrEndMarkedFilesAreNotSpoilt()
{
    DataFolder folder(m_tmp->path());
#ifdef Q_OS_LINUX
    // A regular file the system cannot read: the process's memory, whose first page is
    // never mapped.
    QVERIFY(QFile::link(u"/proc/self/mem"_s, path(u"曲目_題.txt"_s)));
    QVERIFY(!folder.readText(u"曲目_題.txt"_s));
    QCOMPARE(folder.takeProblems().first().kind, LoadProblem::Kind::Unreadable);
    QCOMPARE(folder.rewrite(u"曲目_題.txt"_s, u"新\r\n"_s).kind, WriteResult::Kind::Io);
    QVERIFY(QFile::remove(path(u"曲目_題.txt"_s)));
    QVERIFY(fixture::write(path(u"曲目_題.txt"_s), "original\r\n"));
    QCOMPARE(folder.rewrite(u"曲目_題.txt"_s, u"新\r\n"_s).kind, WriteResult::Kind::Io);
    QCOMPARE(fixture::read(path(u"曲目_題.txt"_s)), QByteArray("original\r\n"));
    QCOMPARE(folder.readText(u"曲目_題.txt"_s).value(), u"original\r\n"_s);
    QVERIFY(folder.rewrite(u"曲目_題.txt"_s, u"新\r\n"_s).ok());
#endif
    // A folder under the name is no file: missing, and not written over; once it is
    // gone the file can be made.
    QVERIFY(QDir(m_tmp->path()).mkdir(u"曲目_別.txt"_s));
    QVERIFY(!folder.readText(u"曲目_別.txt"_s));
    QVERIFY(folder.takeProblems().isEmpty());
    QCOMPARE(folder.rewrite(u"曲目_別.txt"_s, u"新\r\n"_s).kind, WriteResult::Kind::Io);
    QVERIFY(QDir(m_tmp->path()).rmdir(u"曲目_別.txt"_s));
    QVERIFY(!folder.readText(u"曲目_別.txt"_s));
    QVERIFY(folder.rewrite(u"曲目_別.txt"_s, u"新\r\n"_s).ok());

    // A file of nothing but zero bytes reads as empty, told of and kept before a write.
    folder.takeProblems();
    QVERIFY(fixture::write(path(u"データ.TXT"_s), QByteArray(4096, '\0')));
    QCOMPARE(folder.readText(u"データ.TXT"_s).value(), QString());
    QCOMPARE(folder.takeProblems().first().kind, LoadProblem::Kind::ZeroFilled);
    QVERIFY(folder.rewrite(u"データ.TXT"_s, u"\"a\"\r\n"_s).ok());
    QCOMPARE(fixture::read(path(folder.takeKeptCopies().last())), QByteArray(4096, '\0'));

    for (const QByteArray& tail : {QByteArray("\r\n\x1a"), QByteArray("\x1a"), QByteArray("\r\n\0\0\0")}) {
        QVERIFY(fixture::write(path(u"歌手マスタ.txt"_s), "a" + tail));
        QVERIFY(folder.append(u"歌手マスタ.txt"_s, u"b\r\n"_s).ok());
        QCOMPARE(fixture::read(path(u"歌手マスタ.txt"_s)), QByteArray("a\r\nb\r\n"));
    }
}

// The listing of names is kept between look-ups; a file copied in by hand just before
// one of the program's own writes must still be found afterwards.
void TestDataFolder::seesFilesAddedByOthersAfterOwnWrites()
{
    DataFolder folder(m_tmp->path());
    QVERIFY(!folder.exists(u"b.jpg"_s));
    for (const QString& copied : {u"B.JPG"_s, u"曲目_B.TXT"_s}) {
        QThread::msleep(20); // a later modification time than the listing's
        QVERIFY(fixture::write(path(copied), "x"));
        QVERIFY(folder.rewrite(u"データ.TXT"_s, u"\"B\"\r\n"_s).ok());
        QVERIFY2(folder.exists(copied.toLower()), qPrintable(copied));
    }
    // The program's own creations and deletions are known without a new listing.
    QVERIFY(folder.append(u"新.TXT"_s, u"x\r\n"_s).ok());
    QVERIFY(folder.exists(u"新.txt"_s));
    QVERIFY(folder.remove(u"新.txt"_s));
    QVERIFY(!folder.exists(u"新.TXT"_s));
}

// The lyrics and track list listings come from the folder's one listing: the program's
// own writes show in them without the folder being read again; a file another program
// makes has it read again, and what is no regular file is never listed.
void TestDataFolder::listingsFollowOwnWritesWithoutReadingAgain()
{
    for (const QString& name : {u"歌詞_A_甲.txt"_s, u"曲目_A.txt"_s, u"歌詞_M_乙.txt"_s})
        QVERIFY(fixture::write(path(name), "x"));
    QThread::msleep(30); // the folder's time well before the listing's
    DataFolder folder(m_tmp->path());
    FileListing lyrics(folder, u"歌詞_*.txt"_s);
    FileListing lists(folder, u"曲目_*.txt"_s);
    QCOMPARE(lyrics.names(), (QStringList{u"歌詞_A_甲.txt"_s, u"歌詞_M_乙.txt"_s}));

    QVERIFY(folder.rewrite(u"歌詞_B_乙.txt"_s, u"歌"_s).ok());
    QVERIFY(folder.append(u"曲目_B.txt"_s, u"歌"_s).ok());
    QVERIFY(folder.remove(u"歌詞_A_甲.txt"_s));
    QString aside;
    QVERIFY(folder.makeFolder(u"控え"_s, &aside).ok());
    QStringList moved;
    QVERIFY(folder.moveInto(aside, {u"歌詞_M_乙.txt"_s}, &moved).ok());
    lyrics.refresh();
    lists.refresh();
    QCOMPARE(lyrics.names(), QStringList{u"歌詞_B_乙.txt"_s});
    QCOMPARE(lists.names(), (QStringList{u"曲目_A.txt"_s, u"曲目_B.txt"_s}));
    QCOMPARE(folder.moveBack(aside, moved), QStringList());
    lyrics.refresh();
    QCOMPARE(lyrics.names(), (QStringList{u"歌詞_B_乙.txt"_s, u"歌詞_M_乙.txt"_s}));
    QCOMPARE(folder.listing().timesListed(), 1);

    QVERIFY(fixture::write(path(u"曲目_C.txt"_s), "x"));
#ifdef Q_OS_UNIX
    QCOMPARE(::mkfifo(QFile::encodeName(path(u"歌詞_F_丙.txt"_s)).constData(), 0644), 0);
#endif
    QThread::msleep(30);
    lists.refresh();
    lyrics.refresh();
    QCOMPARE(lists.names(), (QStringList{u"曲目_A.txt"_s, u"曲目_B.txt"_s, u"曲目_C.txt"_s}));
    QCOMPARE(lyrics.names(), (QStringList{u"歌詞_B_乙.txt"_s, u"歌詞_M_乙.txt"_s}));
    QCOMPARE(folder.listing().timesListed(), 2);
}

// Read on a worker while the program starts, the listing takes in the mark of the lock
// and the program's own writes made meanwhile, whether the reading saw them or not,
// without reading the folder again; a change by another program has it read again.
void TestDataFolder::writesMadeWhileTheFolderIsReadAreListed()
{
    for (int i = 0; i < 4000; ++i)
        QVERIFY(fixture::write(path(u"歌詞_%1_甲.txt"_s.arg(i)), "x"));
    QThread::msleep(30); // the folder's time well before the listing's
    DataFolder folder(m_tmp->path());
    folder.listing().listAhead();
    QThread::msleep(50); // read before the writes, and not yet looked at
    const FolderNames::Stamp unlocked = folder.listing().stamp();
    const CollectionLock lock(m_tmp->path());
    QCOMPARE(lock.state(), CollectionLock::State::Held);
    folder.listing().noteOwnChange({CollectionLock::kFileName}, {}, unlocked);
    QVERIFY(folder.rewrite(u"歌詞_新_乙.txt"_s, u"歌"_s).ok());
    QVERIFY(folder.remove(u"歌詞_7_甲.txt"_s));
    FileListing lyrics(folder, u"歌詞_*.txt"_s);
    QCOMPARE(lyrics.count(), 4000);
    QVERIFY(lyrics.contains(u"歌詞_新_乙.txt"_s));
    QVERIFY(!lyrics.contains(u"歌詞_7_甲.txt"_s));
    QVERIFY(folder.exists(u"UTABAKO.LOCK"_s));
    QCOMPARE(folder.listing().timesListed(), 1);
    QCOMPARE(CollectionLock(m_tmp->path()).state(), CollectionLock::State::HeldByOther);

    DataFolder other(m_tmp->path());
    other.listing().listAhead();
    QThread::msleep(30);
    QVERIFY(fixture::write(path(u"歌詞_外_丙.txt"_s), "x"));
    QVERIFY(other.rewrite(u"歌詞_新_丁.txt"_s, u"歌"_s).ok());
    QVERIFY(other.exists(u"歌詞_外_丙.txt"_s));
    QVERIFY(other.exists(u"歌詞_新_丁.txt"_s));
    QCOMPARE(other.listing().timesListed(), 2);
}

// A file read ahead gives what it holds when it is asked for: the program's own write
// made meanwhile has it read again, and what is wrong with it is noted when asked for.
void TestDataFolder::filesReadAheadAreReadAgainOnceChanged()
{
    QVERIFY(fixture::write(path(u"曲目データ.txt"_s), "\"\x82\xa0\"\r\n"));
    QVERIFY(fixture::write(path(u"データ.TXT"_s), fixture::readFixture(u"titles_damaged.TXT"_s)));
    DataFolder folder(m_tmp->path());
    folder.readAhead({u"曲目データ.TXT"_s, u"データ.TXT"_s});
    QThread::msleep(30);
    QVERIFY(folder.takeProblems().isEmpty());
    QVERIFY(folder.rewrite(u"曲目データ.TXT"_s, u"\"い\"\r\n"_s).ok());
    QCOMPARE(folder.readText(u"曲目データ.TXT"_s), u"\"い\"\r\n"_s);
    QVERIFY(folder.readText(u"データ.TXT"_s).has_value());
    const QList<LoadProblem> problems = folder.takeProblems();
    QCOMPARE(problems.size(), 1);
    QCOMPARE(problems.front().kind, LoadProblem::Kind::NotCp932);
}

// The record files are made into tables on workers while the folder is still being read
// and the lock's mark is made in it: the tables are taken as they were read, without
// waiting for the folder's listing (a file
// rewritten in place since, which leaves the folder's time as it was, still shows what
// was read), with what is wrong with them told once, in the order met.
void TestDataFolder::tablesMadeAheadAreTakenAsRead()
{
    QVERIFY(fixture::write(path(u"データ.TXT"_s), fixture::readFixture(u"titles_damaged.TXT"_s)));
    QVERIFY(fixture::write(path(u"曲目データ.TXT"_s), sjis(u"\"歌\",\"人\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n\"切れ"_s)));
    DataFolder plain(m_tmp->path());
    TitleTable titles;
    TrackTable tracks;
    LoadTitleFile(plain, &titles);
    LoadTrackTable(plain, &tracks);
    QStringList told;
    for (const LoadProblem& p : plain.takeProblems())
        told.append(p.message());
    QVERIFY(told.size() >= 2);
    QThread::msleep(30); // the folder's last change is not so recent as to leave its listing unsure

    DataFolder folder(m_tmp->path());
    folder.listing().listAhead();
    const FolderNames::Stamp unlocked = folder.listing().stamp();
    ReadTitleFileAhead(folder);
    ReadTrackTableAhead(folder);
    const CollectionLock lock(m_tmp->path());
    QCOMPARE(lock.state(), CollectionLock::State::Held);
    folder.listing().noteOwnChange({CollectionLock::kFileName}, {}, unlocked);
    QThreadPool::globalInstance()->waitForDone();
    QVERIFY(fixture::write(path(u"曲目データ.TXT"_s), sjis(u"\"別の歌\"\r\n"_s)));
    TitleTable aheadTitles;
    TrackTable aheadTracks;
    LoadTitleFile(folder, &aheadTitles);
    LoadTrackTable(folder, &aheadTracks);
    QCOMPARE(aheadTitles.records(), titles.records());
    QCOMPARE(aheadTracks.records(), tracks.records());
    QStringList toldAhead;
    for (const LoadProblem& p : folder.takeProblems())
        toldAhead.append(p.message());
    QCOMPARE(toldAhead, told);
    // Taken without waiting for the listing, which then holds the mark, read once.
    QCOMPARE(folder.listing().timesListed(), 0);
    QVERIFY(folder.listing().all().contains(CollectionLock::kFileName));
    QCOMPARE(folder.listing().timesListed(), 1);
}

// Saves cut short by a crash leave temporary files; the next start removes those of
// processes no longer running, and nothing else.
void TestDataFolder::removesOnlyInterruptedSaves()
{
    const QString ownOld = u"~utabako-save-%1-3.tmp"_s.arg(QCoreApplication::applicationPid());
    const QStringList interrupted{u"~utabako-save-999999999-1.tmp"_s, ownOld};
    const QStringList others{u"~utabako-save-1-7.tmp"_s, // pid 1 is always running
                             u"~utabako-save-x-1.tmp"_s, u"~utabako-save-9.tmp"_s, u"utabako-save-5-1.tmp"_s,
                             u"~utabako-save-999999999-1.tmp.txt"_s, u"データ.TXT"_s};
    for (const QString& name : interrupted + others)
        QVERIFY(fixture::write(path(name), "x"));
    DataFolder folder(m_tmp->path());
    QStringList removed = folder.removeInterruptedSaves();
    removed.sort();
    QStringList expected = interrupted;
    expected.sort();
    QCOMPARE(removed, expected);
    QStringList left = QDir(m_tmp->path()).entryList(QDir::Files | QDir::Hidden);
    left.sort();
    QStringList kept = others;
    kept.sort();
    QCOMPARE(left, kept);
}

void TestDataFolder::movesEachFileOnceAndBack()
{
    // Names in other letter case, a name twice, a missing file and a folder under a
    // picture's name: each file is moved once under its own spelling, nothing else.
    for (const QString& name : {u"Abc.JPG"_s, u"abc.txt"_s, u"ABC.TXT"_s, u"other.jpg"_s})
        QVERIFY(fixture::write(path(name), name.toUtf8()));
    QVERIFY(QDir(m_tmp->path()).mkdir(u"abc.gif"_s));
    DataFolder folder(m_tmp->path());
    QVERIFY(folder.exists(u"ABC.jpg"_s));
    QString sub;
    QVERIFY(folder.makeFolder(u"控え"_s, &sub).ok());
    QStringList moved;
    QVERIFY(folder.moveInto(sub, {u"abc.jpg"_s, u"ABC.jpg"_s, u"abc.txt"_s, u"ABC.TXT"_s, u"abc.bmp"_s, u"abc.gif"_s},
                            &moved).ok());
    QCOMPARE(moved, (QStringList{u"Abc.JPG"_s, u"abc.txt"_s, u"ABC.TXT"_s}));
    QCOMPARE(QDir(path(sub)).entryList(QDir::Files, QDir::Name), (QStringList{u"ABC.TXT"_s, u"Abc.JPG"_s, u"abc.txt"_s}));
    QCOMPARE(fixture::read(path(sub + u"/Abc.JPG"_s)), QByteArray("Abc.JPG"));
    // Moved files are gone from the folder and are found again, in any case, once back.
    QVERIFY(!folder.exists(u"abc.jpg"_s));
    QVERIFY(folder.exists(u"OTHER.JPG"_s));
    QCOMPARE(folder.moveBack(sub, moved), QStringList());
    QVERIFY(folder.exists(u"abc.jpg"_s));
    QCOMPARE(fixture::read(folder.filePath(u"abc.jpg"_s)), QByteArray("Abc.JPG"));
    QVERIFY(QFileInfo(path(u"abc.gif"_s)).isDir());
    // A second folder of the same name gets a number.
    QString second;
    QVERIFY(folder.makeFolder(u"控え"_s, &second).ok());
    QCOMPARE(second, u"控え_2"_s);
}

void TestDataFolder::namesFilesThatCouldNotBePutBack()
{
    // A folder made under a moved file's name keeps that file out; the other goes back,
    // and the files left in the set-aside folder are named with it.
    for (const QString& name : {u"曲目_一.txt"_s, u"歌詞_夜_甲.txt"_s})
        QVERIFY(fixture::write(path(name), name.toUtf8()));
    DataFolder folder(m_tmp->path());
    SetAside aside(folder);
    QVERIFY(aside.open(u"削除済み_"_s, QDateTime(QDate(2026, 12, 7), QTime(10, 15))).ok());
    QVERIFY(aside.move({u"曲目_一.txt"_s, u"歌詞_夜_甲.txt"_s}).ok());
    QVERIFY(QDir(m_tmp->path()).mkdir(u"歌詞_夜_甲.txt"_s));
    QCOMPARE(aside.undo(), u"\r\n\r\n次のファイルは「削除済み_20261207_101500」フォルダから元に戻せませんでした:\r\n"
                           "歌詞_夜_甲.txt"_s);
    QCOMPARE(fixture::read(path(u"曲目_一.txt"_s)), u"曲目_一.txt"_s.toUtf8());
    QCOMPARE(fixture::read(path(u"削除済み_20261207_101500/歌詞_夜_甲.txt"_s)), u"歌詞_夜_甲.txt"_s.toUtf8());
}


namespace {

// Every file of a folder and its bytes, folders inside it as "<name>/".
std::map<QString, QByteArray> filesOf(const QString& folder)
{
    std::map<QString, QByteArray> out;
    for (const QFileInfo& e : QDir(folder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System))
        out[e.isDir() ? e.fileName() + u'/' : e.fileName()] = e.isDir() ? QByteArray() : fixture::read(e.filePath());
    return out;
}

} // namespace

void TestDataFolder::savesCutShortBetweenRenamesAreFinished()
{
    // Killed after the first of three renames: the journal lists all three.
    const QString pid = QString::number(999999999);
    const auto temp = [&](int n) { return u"~utabako-save-%1-%2.tmp"_s.arg(pid).arg(n); };
    QVERIFY(fixture::write(path(u"データ.TXT"_s), "new titles"));
    QVERIFY(fixture::write(path(temp(2)), "new songs"));
    QVERIFY(fixture::write(path(temp(3)), "new list"));
    QVERIFY(fixture::write(path(u"曲目データ.TXT"_s), "old songs"));
    QVERIFY(fixture::write(path(u"~utabako-commit-%1-4.tmp"_s.arg(pid)),
                           (u"utabako-commit 1\n%1\tデータ.TXT\n%2\t曲目データ.TXT\n%3\t曲目_港.txt\n"
                            "~utabako-save-1-9.tmp\t設定.TXT\n%2\t../outside.txt\nend\n"_s).arg(temp(1), temp(2), temp(3)).toUtf8()));
    // A journal cut short finishes nothing; one of a running process is left alone.
    QVERIFY(fixture::write(path(temp(5)), "half"));
    QVERIFY(fixture::write(path(u"~utabako-commit-%1-6.tmp"_s.arg(pid)), (u"utabako-commit 1\n%1\t設定.TXT\n"_s.arg(temp(5))).toUtf8()));
    QVERIFY(fixture::write(path(u"~utabako-commit-1-7.tmp"_s), "utabako-commit 1\nend\n"));
    DataFolder folder(m_tmp->path());
    QVERIFY(folder.readText(u"曲目データ.TXT"_s));
    const InterruptedWork work = finishInterruptedWork(folder);
    QCOMPARE(work.finished, (QStringList{u"曲目データ.TXT"_s, u"曲目_港.txt"_s}));
    QCOMPARE(work.message(), u"前回ウタバコが終わったとき、ファイルの保存が途中でした。保存を最後まで済ませました:\r\n"
                             "曲目データ.TXT\r\n曲目_港.txt"_s);
    const std::map<QString, QByteArray> expected{{u"~utabako-commit-1-7.tmp"_s, "utabako-commit 1\nend\n"},
                                                 {u"データ.TXT"_s, "new titles"},
                                                 {u"曲目_港.txt"_s, "new list"},
                                                 {u"曲目データ.TXT"_s, "new songs"}};
    QCOMPARE(filesOf(m_tmp->path()), expected);
    // What the program holds is read again.
    QCOMPARE(folder.readText(u"曲目データ.TXT"_s).value(), u"new songs"_s);
    QVERIFY(finishInterruptedWork(folder).message().isEmpty());
}

void TestDataFolder::deletionCutShortIsKeptOrPutBack_data()
{
    QTest::addColumn<int>("steps");
    QTest::addColumn<bool>("kept");
    QTest::newRow("killed once marked") << 1 << false;
    QTest::newRow("killed once the files are moved") << 2 << false;
    QTest::newRow("killed once the record is written") << 3 << false;
    QTest::newRow("killed once the title file is rewritten") << 4 << true;
}

void TestDataFolder::deletionCutShortIsKeptOrPutBack()
{
    QFETCH(int, steps);
    QFETCH(bool, kept);
    // The title is named as the record file once was: its own text file must survive.
    const QString name = u"削除したタイトル"_s;
    QVERIFY(fixture::write(path(u"データ.TXT"_s), sjis(u"\"削除したタイトル\"\r\n\"港\"\r\n"_s)));
    QVERIFY(fixture::write(path(name + u".TXT"_s), "the user's own notes"));
    QVERIFY(fixture::write(path(name + u".jpg"_s), "cover"));
    const auto before = filesOf(m_tmp->path());
    {
        DataFolder folder(m_tmp->path());
        // Left as a kill leaves it: never undone, never kept.
        auto* aside = new SetAside(folder);
        QVERIFY(aside->open(files::kDeletedPrefix, QDateTime(QDate(2026, 12, 7), QTime(10, 15))).ok());
        QVERIFY(aside->begin(u"タイトル「%1」の削除"_s.arg(name), {files::kTitles}, {files::kDeletedRecord}).ok());
        if (steps >= 2)
            QVERIFY(aside->move({name + u".TXT"_s, name + u".txt"_s, name + u".jpg"_s}).ok());
        if (steps >= 3)
            QVERIFY(aside->writeText(files::kDeletedRecord, u"\"削除したタイトル\"\r\n"_s).ok());
        if (steps >= 4)
            QVERIFY(folder.rewrite(files::kTitles, u"\"港\"\r\n"_s).ok());
        Q_UNUSED(aside);
    }
    const QString sub = u"削除済み_20261207_101500"_s;
    const auto cut = filesOf(m_tmp->path());
    DataFolder folder(m_tmp->path());
    const InterruptedWork work = finishInterruptedWork(folder);
    QCOMPARE(work.setAside.size(), 1);
    QCOMPARE(work.setAside[0].finished, kept);
    QVERIFY(work.setAside[0].stuck.isEmpty());
    if (kept) {
        QCOMPARE(work.message(), u"前回ウタバコが終わったとき、タイトル「削除したタイトル」の削除が途中でした。データの書き換えは済んでいたので、"
                                 "タイトル「削除したタイトル」の削除を最後まで済ませました。移したファイルは「%1」フォルダにあります。"_s.arg(sub));
        auto expected = cut;
        expected.erase(sub + u"/"_s); // (folders are listed without their files)
        auto now = filesOf(m_tmp->path());
        now.erase(sub + u"/"_s);
        QCOMPARE(now, expected);
        QCOMPARE(filesOf(path(sub)), (std::map<QString, QByteArray>{{name + u".TXT"_s, "the user's own notes"},
                                                                  {name + u".jpg"_s, "cover"},
                                                                  {files::kDeletedRecord, sjis(u"\"削除したタイトル\"\r\n"_s)}}));
    } else {
        QCOMPARE(work.message(), u"前回ウタバコが終わったとき、タイトル「削除したタイトル」の削除が途中でした。データは書き換わっていなかったので、"
                                 "移したファイルを元に戻しました。タイトル「削除したタイトル」の削除はされていません。"_s);
        QCOMPARE(filesOf(m_tmp->path()), before);
    }
}

void TestDataFolder::resetKilledPartWayIsPutBack()
{
#ifdef Q_OS_UNIX
    for (int t = 1; t <= 40; ++t)
        QVERIFY(fixture::write(path(u"曲目_%1.txt"_s.arg(t)), QByteArray::number(t)));
    QVERIFY(fixture::write(path(u"データ.TXT"_s), sjis(u"\"港\"\r\n"_s)));
    QVERIFY(fixture::write(path(u"曲目_港.txt"_s), "list"));
    const auto before = filesOf(m_tmp->path());
    // The reset itself, in a child ended part way through its moves as a kill ends it.
    const pid_t child = ::fork();
    if (child == 0) {
        DataFolder folder(m_tmp->path());
        QString kept;
        upkeeprules::resetCollection(folder, {u"港"_s}, QDateTime(QDate(2026, 12, 8), QTime(9, 30)), &kept,
                                     [](qsizetype done, qsizetype) {
                                         if (done == 20)
                                             ::_exit(0);
                                     });
        ::_exit(1);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    QVERIFY(filesOf(m_tmp->path()).size() < before.size());
    DataFolder folder(m_tmp->path());
    const InterruptedWork work = finishInterruptedWork(folder);
    QCOMPARE(work.setAside.size(), 1);
    QVERIFY(!work.setAside[0].finished);
    QCOMPARE(work.message(), u"前回ウタバコが終わったとき、初期化が途中でした。データは書き換わっていなかったので、"
                             "移したファイルを元に戻しました。初期化はされていません。"_s);
    QCOMPARE(filesOf(m_tmp->path()), before);
#endif
}

void TestDataFolder::leftoversInSetAsideFoldersGo()
{
    const QDir data(m_tmp->path());
    const QString dead = u"~utabako-save-999999999-1.tmp"_s;
    for (const QString& sub : {u"削除済み_1"_s, u"削除済み_2"_s, u"初期化前_1"_s, u"初期化前_2"_s, u"控え"_s, u"外"_s})
        QVERIFY(data.mkdir(sub));
    QVERIFY(fixture::write(path(u"削除済み_1/"_s + dead), "x"));
    QVERIFY(fixture::write(path(u"削除済み_1/港.jpg"_s), "cover"));
    QVERIFY(fixture::write(path(u"初期化前_1/"_s + dead), "x"));
    QVERIFY(fixture::write(path(u"初期化前_1/~utabako-save-1-1.tmp"_s), "running"));
    QVERIFY(fixture::write(path(u"控え/"_s + dead), "not a folder of the program"));
    QVERIFY(fixture::write(path(u"外/"_s + dead), "reached only through a link"));
    QVERIFY(QFile::link(path(u"外"_s), path(u"削除済み_3"_s)));
    DataFolder folder(m_tmp->path());
    QStringList removed = finishInterruptedWork(folder).removed;
    removed.sort();
    QCOMPARE(removed, (QStringList{u"初期化前_1/"_s + dead, u"削除済み_1/"_s + dead}));
    QCOMPARE(data.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name),
             (QStringList{u"初期化前_1"_s, u"削除済み_1"_s, u"削除済み_3"_s, u"外"_s, u"控え"_s}));
    QVERIFY(QFile::exists(path(u"控え/"_s + dead)));
    QVERIFY(QFile::exists(path(u"外/"_s + dead)));
    QVERIFY(QFile::exists(path(u"削除済み_1/港.jpg"_s)));
}

void TestDataFolder::writesNeverGoThroughLinks()
{
#ifdef Q_OS_UNIX
    QTemporaryDir elsewhere;
    const QString outside = elsewhere.filePath(u"photo.jpg"_s);
    QVERIFY(fixture::write(outside, "the user's photo"));
    QVERIFY(fixture::write(path(u"データ.TXT"_s), sjis(u"\"港\"\r\n"_s)));
    QVERIFY(QFile::link(outside, path(u"港.jpg"_s)));
    QVERIFY(QFile::link(outside, path(u"曲目_港.txt"_s)));
    DataFolder folder(m_tmp->path());
    const QString refusal = u"「%1」に書き込めませんでした。\r\n（別の場所のファイルを指すリンクのため、書き込みません）\r\nファイルは元のままです。"_s;
    QCOMPARE(folder.writeBytes(u"港.jpg"_s, "cover").message(), u"「港.jpg」に書き込めませんでした。\r\n（別の場所のファイルを指すリンクです）\r\nファイルは元のままです。"_s);
    QCOMPARE(folder.rewrite(u"曲目_港.txt"_s, u"曲"_s).message(), refusal.arg(u"曲目_港.txt"_s));
    QCOMPARE(folder.append(u"曲目_港.TXT"_s, u"曲"_s).message(), refusal.arg(u"曲目_港.TXT"_s));
    // Several files at once: none is written.
    const WriteResult several = folder.write({{u"データ.TXT"_s, u"\"港\"\r\n\"灯\"\r\n"_s}, {u"曲目_港.txt"_s, u"曲"_s}});
    QCOMPARE(several.message(), refusal.arg(u"曲目_港.txt"_s));
    QCOMPARE(fixture::read(outside), QByteArray("the user's photo"));
    QCOMPARE(fixture::read(path(u"データ.TXT"_s)), sjis(u"\"港\"\r\n"_s));
    QVERIFY(QFileInfo(path(u"港.jpg"_s)).isSymLink());
    QCOMPARE(QDir(m_tmp->path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 3);
#endif
}

void TestDataFolder::fullDiskAtStartIsToldAsSuch()
{
    const QString folderName = u"フォルダ「/data」"_s;
    const auto reason = [&](int error) { return cannotWriteReason(folderName, {error, std::generic_category()}); };
    QCOMPARE(reason(ENOSPC), u"フォルダ「/data」のディスクに空きがないため書き込めません。空きを作ってから起動し直してください"_s);
#ifdef EDQUOT
    QCOMPARE(reason(EDQUOT), reason(ENOSPC));
#endif
    QCOMPARE(reason(EROFS), u"フォルダ「/data」は読み取り専用のディスクにあるため書き込めません"_s);
    QCOMPARE(reason(EACCES), u"フォルダ「/data」に書き込む権限がありません"_s);
#ifdef Q_OS_LINUX
    // A disk with no byte left: the mark of the lock is made but cannot be written.
    const QString disk = path(u"disk"_s);
    QVERIFY(QDir().mkpath(disk));
    if (::mount("tmpfs", QFile::encodeName(disk).constData(), "tmpfs", 0, "size=64k") != 0)
        QSKIP("a small disk cannot be mounted here (not root)");
    {
        QFile filler(disk + u"/filler"_s);
        QVERIFY(filler.open(QIODevice::WriteOnly));
        while (filler.write(QByteArray(4096, 'x')) > 0 && filler.flush()) { }
    }
    {
        const CollectionLock lock(disk);
        QCOMPARE(lock.state(), CollectionLock::State::CannotWrite);
        QCOMPARE(lock.whyCannotWrite(folderName), reason(ENOSPC));
    }
    ::umount(QFile::encodeName(disk).constData());
#endif
}

QTEST_APPLESS_MAIN(TestDataFolder)
#include "tst_datafolder.moc"
