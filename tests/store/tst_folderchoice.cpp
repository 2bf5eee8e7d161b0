#include "fixture.h"
#include "store/collectionlock.h"
#include "store/datafolder.h"
#include "store/folderchoice.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <atomic>
#include <latch>
#include <memory>
#include <thread>
#include <vector>

using namespace Qt::Literals::StringLiterals;
using folderchoice::Choice;

// Where the program keeps the collection it opens, and the mark that keeps two copies
// of it from writing to one collection.
class TestFolderChoice : public QObject {
    Q_OBJECT

private slots:
    void choosesTheDataFolder_data();
    void choosesTheDataFolder();
    void secondCopyFindsTheFolderInUse();
    void folderThatCannotBeWrittenIsReadOnly();
};

namespace {

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

} // namespace

void TestFolderChoice::choosesTheDataFolder_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("workingTitleFile"); // the title file the working folder holds, if any
    QTest::addColumn<bool>("homeCollection");      // ~/ウタバコ holds a collection already
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("folder");           // relative to the test's root
    QTest::addColumn<bool>("made");

    const int open = int(Choice::Action::Open);
    const int refuse = int(Choice::Action::Refuse);
    QTest::newRow("argument, missing: made") << QStringList{u"new"_s} << QString() << false << open << u"work/new"_s << true;
    QTest::newRow("argument, empty: made") << QStringList{u"empty"_s} << QString() << false << open << u"work/empty"_s << true;
    QTest::newRow("argument, a collection") << QStringList{u"../coll"_s} << QString() << false << open << u"coll"_s << false;
    QTest::newRow("argument, a file") << QStringList{u"plain.txt"_s} << QString() << false << refuse << QString() << false;
    QTest::newRow("two folders") << QStringList{u"a"_s, u"b"_s} << QString() << false << refuse << QString() << false;
    QTest::newRow("unknown option") << QStringList{u"-x"_s} << QString() << false << refuse << QString() << false;
    QTest::newRow("help") << QStringList{u"coll"_s, u"--help"_s} << QString() << false << int(Choice::Action::Help) << QString() << false;
    QTest::newRow("version") << QStringList{u"--version"_s} << QString() << false << int(Choice::Action::Version) << QString() << false;
    QTest::newRow("working folder holds a collection") << QStringList() << u"データ.txt"_s << false << open << u"work"_s << false;
    QTest::newRow("working folder holds none: home made") << QStringList() << QString() << false << open << u"home/ウタバコ"_s << true;
    QTest::newRow("home already there") << QStringList() << QString() << true << open << u"home/ウタバコ"_s << false;
}

void TestFolderChoice::choosesTheDataFolder()
{
    QFETCH(QStringList, args);
    QFETCH(QString, workingTitleFile);
    QFETCH(bool, homeCollection);
    QFETCH(int, action);
    QFETCH(QString, folder);
    QFETCH(bool, made);

    QTemporaryDir root;
    const QDir dir(root.path());
    for (const QString& sub : {u"work/empty"_s, u"coll"_s, u"home"_s})
        QVERIFY(dir.mkpath(sub));
    QVERIFY(fixture::write(dir.filePath(u"work/plain.txt"_s), "x"));
    QVERIFY(fixture::write(dir.filePath(u"coll/データ.TXT"_s), "\"c\"\r\n"));
    if (!workingTitleFile.isEmpty())
        QVERIFY(fixture::write(dir.filePath(u"work/"_s + workingTitleFile), "\"w\"\r\n"));
    if (homeCollection) {
        QVERIFY(dir.mkpath(u"home/ウタバコ"_s));
        QVERIFY(fixture::write(dir.filePath(u"home/ウタバコ/データ.TXT"_s), "\"h\"\r\n"));
    }
    const QStringList workBefore = filesIn(dir.filePath(u"work"_s));

    const Choice choice = folderchoice::choose(args, dir.filePath(u"work"_s), dir.filePath(u"home"_s), QStringLiteral(UTABAKO_DATA));
    QCOMPARE(int(choice.action), action);
    if (action == int(Choice::Action::Refuse))
        QVERIFY(!choice.message.isEmpty());
    if (action != int(Choice::Action::Open))
        return;
    QCOMPARE(QDir(choice.folder).canonicalPath(), QDir(dir.filePath(folder)).canonicalPath());
    QCOMPARE(choice.made, made);
    QVERIFY(folderchoice::holdsCollection(choice.folder) || !made);
    if (made) {
        // The template's files, byte for byte.
        QCOMPARE(filesIn(choice.folder), filesIn(QStringLiteral(UTABAKO_DATA)));
        QCOMPARE(fixture::read(QDir(choice.folder).filePath(u"データ.TXT"_s)),
                 fixture::read(QStringLiteral(UTABAKO_DATA "/データ.TXT")));
    }
    // Nothing is written into a folder that was not chosen.
    if (!choice.folder.startsWith(dir.filePath(u"work"_s)) || choice.folder.endsWith(u"/new"_s)
        || choice.folder.endsWith(u"/empty"_s)) {
        QStringList workAfter = filesIn(dir.filePath(u"work"_s));
        workAfter.removeAll(u"new"_s);
        QCOMPARE(workAfter, workBefore);
    }
}

// A second copy finds the mark of a running copy locked; a mark left behind is taken
// over, whatever process now has its number, by one copy only when several start
// together; the holder removes it when it closes.
void TestFolderChoice::secondCopyFindsTheFolderInUse()
{
    QTemporaryDir dir;
    const QString mark = dir.filePath(CollectionLock::kFileName);
    QProcess stranger;
    stranger.start(u"sleep"_s, {u"30"_s});
    QVERIFY(stranger.waitForStarted());
    QVERIFY(fixture::write(mark, QByteArray::number(stranger.processId()) + '\n'));
    {
        const CollectionLock taken(dir.path());
        QCOMPARE(taken.state(), CollectionLock::State::Held);
    }
    QVERIFY(!QFile::exists(mark));

    // Another copy: a process that holds the system's lock on the mark.
    const QByteArray number = QByteArray::number(stranger.processId()) + '\n';
    QVERIFY(fixture::write(mark, number));
    QProcess other;
    other.start(u"flock"_s, {u"--exclusive"_s, u"--close"_s, mark, u"-c"_s, u"echo locked; exec sleep 30"_s});
    QVERIFY(other.waitForReadyRead());
    {
        const CollectionLock second(dir.path());
        QCOMPARE(second.state(), CollectionLock::State::HeldByOther);
        QCOMPARE(second.otherProcess(), stranger.processId());
    }
    QCOMPARE(fixture::read(mark), number);
    // One that has just taken the mark writes its number a little later.
    QVERIFY(fixture::write(mark, QByteArray()));
    std::thread starting([&] {
        QThread::msleep(200);
        fixture::write(mark, number);
    });
    {
        const CollectionLock second(dir.path());
        starting.join();
        QCOMPARE(second.state(), CollectionLock::State::HeldByOther);
        QCOMPARE(second.otherProcess(), stranger.processId());
    }
    other.kill();
    QVERIFY(other.waitForFinished());
    stranger.kill();
    stranger.waitForFinished();
    {
        const CollectionLock taken(dir.path());
        QCOMPARE(taken.state(), CollectionLock::State::Held);
        QCOMPARE(fixture::read(mark), QByteArray::number(QCoreApplication::applicationPid()) + '\n');
        // The same copy opening the folder twice does not share it with itself either.
        QCOMPARE(CollectionLock(dir.path()).state(), CollectionLock::State::HeldByOther);
    }
    QVERIFY(!QFile::exists(mark));

    // Copies starting together on a mark left behind, or on none: one takes it.
    for (int round = 0; round < 30; ++round) {
        if (round % 2 == 0)
            QVERIFY(fixture::write(mark, "1\n"));
        std::latch constructed(4);
        std::latch counted(1);
        std::atomic<int> held = 0;
        std::vector<std::thread> copies;
        for (int c = 0; c < 4; ++c) {
            copies.emplace_back([&] {
                const CollectionLock lock(dir.path());
                held += lock.state() == CollectionLock::State::Held;
                constructed.count_down();
                counted.wait();
            });
        }
        constructed.wait();
        const int taken = held;
        counted.count_down();
        for (std::thread& copy : copies)
            copy.join();
        QCOMPARE(taken, 1);
        QVERIFY(!QFile::exists(mark));
    }

    // A link under the mark's name is taken away; what it leads to is not written.
    QTemporaryDir elsewhere;
    const QString precious = elsewhere.filePath(u"precious.txt"_s);
    QVERIFY(fixture::write(precious, "precious"));
    QVERIFY(QFile::link(precious, mark));
    {
        const CollectionLock taken(dir.path());
        QCOMPARE(taken.state(), CollectionLock::State::Held);
        QVERIFY(!QFileInfo(mark).isSymLink());
    }
    QCOMPARE(fixture::read(precious), QByteArray("precious"));

    // A mark removed by hand while held and taken by a second copy stays that copy's
    // when the first one closes.
    auto first = std::make_unique<CollectionLock>(dir.path());
    QVERIFY(QFile::remove(mark));
    const CollectionLock second(dir.path());
    QCOMPARE(second.state(), CollectionLock::State::Held);
    first.reset();
    QVERIFY(QFile::exists(mark));
    QCOMPARE(CollectionLock(dir.path()).state(), CollectionLock::State::HeldByOther);
}

// A folder the program cannot write to is opened for reading; every change then says
// that nothing can be saved there, and leaves the files as they are.
void TestFolderChoice::folderThatCannotBeWrittenIsReadOnly()
{
    QTemporaryDir dir;
    // The mark cannot be made (its name is taken by a folder), as on read-only media.
    QVERIFY(QDir(dir.path()).mkdir(CollectionLock::kFileName));
    const CollectionLock lock(dir.path());
    QCOMPARE(lock.state(), CollectionLock::State::CannotWrite);

    QVERIFY(fixture::write(dir.filePath(u"データ.TXT"_s), "\"a\"\r\n"));
    DataFolder folder(dir.path());
    folder.setReadOnly(u"書き込む権限がありません"_s);
    for (const WriteResult& r : {folder.rewrite(u"データ.TXT"_s, u"\"b\"\r\n"_s), folder.append(u"歌手マスタ.txt"_s, u"x\r\n"_s)}) {
        QCOMPARE(r.kind, WriteResult::Kind::ReadOnly);
        QVERIFY(r.message().contains(u"書き込めないため、変更は保存されません"_s));
        QVERIFY(r.message().contains(u"書き込む権限がありません"_s));
    }
    QVERIFY(!folder.remove(u"データ.TXT"_s));
    QCOMPARE(fixture::read(dir.filePath(u"データ.TXT"_s)), QByteArray("\"a\"\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{u"データ.TXT"_s});
}

QTEST_GUILESS_MAIN(TestFolderChoice)
#include "tst_folderchoice.moc"
