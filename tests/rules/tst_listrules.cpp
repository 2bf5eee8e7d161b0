#include "lists/listrules.h"

#include "../store/fixture.h"

#include "store/collectionfiles.h"
#include "store/datafolder.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

// Which title holds a song of the song list: the title a double-click on its row opens.
class TestListRules : public QObject {
    Q_OBJECT

private slots:
    void trackListHoldsTheSong_data();
    void trackListHoldsTheSong();
    void firstTitleHoldingTheSong_data();
    void firstTitleHoldingTheSong();
    void titleFoundFollowsChangedTrackLists();
    void listsReadAheadMissNoWriteAndTellEachProblemOnce();
    void listRewrittenInPlaceIsFoundAtTheNextOpening_data();
    void listRewrittenInPlaceIsFoundAtTheNextOpening();
};

void TestListRules::trackListHoldsTheSong_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("compilation");
    QTest::addColumn<bool>("holds");

    // The song asked for is 朝 by 甲.
    QTest::newRow("plain line") << QStringList{u"夜"_s, u"朝"_s} << false << true;
    QTest::newRow("plain line, whoever the title's artist") << QStringList{u"朝"_s} << false << true;
    QTest::newRow("plain, only longer songs") << QStringList{u"朝焼け"_s, u"夜明けの朝"_s, u"朝 "_s} << false << false;
    QTest::newRow("plain line in the compilation form") << QStringList{u"朝/甲"_s} << false << false;
    QTest::newRow("compilation song/artist") << QStringList{u"夜/乙"_s, u"朝/甲"_s} << true << true;
    QTest::newRow("compilation, another artist") << QStringList{u"朝/乙"_s, u"朝/"_s} << true << false;
    QTest::newRow("compilation, longer song or song as the artist")
        << QStringList{u"朝焼け/甲"_s, u"甲/朝"_s, u"夜/朝"_s} << true << false;
    QTest::newRow("compilation, longer artist") << QStringList{u"朝/甲/乙"_s, u"朝/甲乙"_s} << true << false;
    QTest::newRow("compilation, blanks next to the slash") << QStringList{u"朝 /甲"_s, u"朝/ 甲"_s} << true << false;
    QTest::newRow("compilation line naming no artist") << QStringList{u""_s, u"朝"_s} << true << true;
}

void TestListRules::trackListHoldsTheSong()
{
    QFETCH(QStringList, lines);
    QFETCH(bool, compilation);
    QFETCH(bool, holds);
    QCOMPARE(listrules::trackListHolds(lines, compilation, u"朝"_s, u"甲"_s), holds);
}

void TestListRules::firstTitleHoldingTheSong_data()
{
    QTest::addColumn<QString>("song");
    QTest::addColumn<QString>("artist");
    QTest::addColumn<int>("title");

    QTest::newRow("first of several in main order") << u"朝"_s << u"甲"_s << 3;
    QTest::newRow("compilation naming the artist") << u"朝"_s << u"乙"_s << 2;
    QTest::newRow("plain title by another artist") << u"朝焼け"_s << u"甲"_s << 1;
    QTest::newRow("compilation line naming no artist") << u"昼"_s << u"丙"_s << 4;
    QTest::newRow("only inside a longer name") << u"朝焼"_s << u"乙"_s << 0;
    QTest::newRow("nowhere") << u"夕"_s << u"丙"_s << 0;
}

void TestListRules::firstTitleHoldingTheSong()
{
    QFETCH(QString, song);
    QFETCH(QString, artist);
    QFETCH(int, title);
    QTemporaryDir tmp;
    const auto put = [&](const QString& name, const QString& lines) {
        QVERIFY(fixture::write(tmp.filePath(files::trackListFile(name)), fixture::sjis(lines)));
    };
    put(u"一"_s, u"夜\r\n朝焼け\r\n"_s);
    put(u"二"_s, u"夜/甲\r\n朝/乙\r\n"_s);
    put(u"三"_s, u"朝\r\n"_s);
    put(u"四"_s, u"朝/甲\r\n昼\r\n"_s);
    DataFolder folder(tmp.path());
    const TitleTable titles({{u"一"_s, u"乙"_s, {}, {}, {}, {}, {}},
                             {u"二"_s, u"複数"_s, {}, {}, {}, {}, {}},
                             {u"三"_s, u"甲"_s, {}, {}, {}, {}, {}},
                             {u"四"_s, u"複数"_s, {}, {}, {}, {}, {}},
                             {u"五"_s, u"丙"_s, {}, {}, {}, {}, {}}});
    listrules::TrackListIndex lists(folder);
    QCOMPARE(listrules::titleHoldingSong(folder, lists, titles, song, artist), title);
}

// The index of the lists is kept for the run: what the program writes or deletes, and
// what another program puts in the folder, counts at the next look-up.
void TestListRules::titleFoundFollowsChangedTrackLists()
{
    QTemporaryDir tmp;
    const QString one = files::trackListFile(u"一"_s);
    QVERIFY(fixture::write(tmp.filePath(one), fixture::sjis(u"夜\r\n"_s)));
    QVERIFY(fixture::write(tmp.filePath(files::trackListFile(u"二"_s)), fixture::sjis(u"朝\r\n"_s)));
    DataFolder folder(tmp.path());
    const TitleTable titles({{u"一"_s, u"乙"_s, {}, {}, {}, {}, {}},
                             {u"二"_s, u"乙"_s, {}, {}, {}, {}, {}},
                             {u"三"_s, u"乙"_s, {}, {}, {}, {}, {}}});
    listrules::TrackListIndex lists(folder);
    const auto holding = [&] { return listrules::titleHoldingSong(folder, lists, titles, u"朝"_s, u"乙"_s); };
    QCOMPARE(holding(), 2);
    QVERIFY(folder.rewrite(one, u"夜\r\n朝\r\n"_s).ok());
    QCOMPARE(holding(), 1);
    QVERIFY(folder.remove(one));
    QVERIFY(QFile::remove(tmp.filePath(files::trackListFile(u"二"_s))));
    QVERIFY(fixture::write(tmp.filePath(u"曲目_三.TXT"_s), fixture::sjis(u"朝\r\n"_s)));
    QCOMPARE(holding(), 3);
    QVERIFY(QFile::remove(tmp.filePath(u"曲目_三.TXT"_s)));
    QCOMPARE(holding(), 0);
}

// The lists read while a screen opens come out as if read at the look-up: what the
// program wrote or deleted meanwhile counts, and a damaged list is told of once.
void TestListRules::listsReadAheadMissNoWriteAndTellEachProblemOnce()
{
    QTemporaryDir tmp;
    const QString one = files::trackListFile(u"一"_s);
    const QString two = files::trackListFile(u"二"_s);
    QVERIFY(fixture::write(tmp.filePath(one), fixture::sjis(u"夜\r\n"_s)));
    QVERIFY(fixture::write(tmp.filePath(two), fixture::sjis(u"朝\r\n昼\r\n"_s)));
    QVERIFY(fixture::write(tmp.filePath(files::trackListFile(u"四"_s)), QByteArray("\x81\x7f\r\n")));
    for (int i = 0; i < 300; ++i)
        QVERIFY(fixture::write(tmp.filePath(files::trackListFile(u"他"_s + QString::number(i))), fixture::sjis(u"夕\r\n"_s)));
    DataFolder folder(tmp.path());
    QStringList told;
    folder.setProblemListener([&told](const LoadProblem& p) { told.append(p.fileName); });
    const TitleTable titles({{u"一"_s, u"乙"_s, {}, {}, {}, {}, {}},
                             {u"二"_s, u"乙"_s, {}, {}, {}, {}, {}},
                             {u"三"_s, u"乙"_s, {}, {}, {}, {}, {}}});
    listrules::TrackListIndex lists(folder);
    const auto holding = [&](const QString& song) {
        return listrules::titleHoldingSong(folder, lists, titles, song, u"乙"_s);
    };
    lists.readAhead();
    QVERIFY(folder.rewrite(one, u"夜\r\n朝\r\n"_s).ok());
    QVERIFY(folder.remove(two));
    QVERIFY(folder.rewrite(files::trackListFile(u"三"_s), u"昼\r\n"_s).ok());
    lists.readAhead(); // reading already begun: not begun again
    QCOMPARE(holding(u"朝"_s), 1);
    QCOMPARE(holding(u"昼"_s), 3);
    QCOMPARE(holding(u"夜"_s), 1);
    QCOMPARE(told, QStringList{files::trackListFile(u"四"_s)});

    // Closed while the lists are still being read.
    DataFolder again(tmp.path());
    auto unread = std::make_unique<listrules::TrackListIndex>(again);
    unread->readAhead();
    unread.reset();
}

void TestListRules::listRewrittenInPlaceIsFoundAtTheNextOpening_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("laterBy"); // seconds the editor's save is later than the list
    QTest::newRow("longer, same time") << u"夜\r\n朝\r\n"_s << 0;
    QTest::newRow("same size, later") << u"朝\r\n"_s << 1;
}

// An editor saving a list over itself leaves the folder's time as it was.
void TestListRules::listRewrittenInPlaceIsFoundAtTheNextOpening()
{
    QFETCH(QString, text);
    QFETCH(int, laterBy);
    QTemporaryDir tmp;
    const QString one = tmp.filePath(files::trackListFile(u"一"_s));
    QVERIFY(fixture::write(one, fixture::sjis(u"夜\r\n"_s)));
    QVERIFY(fixture::write(tmp.filePath(files::trackListFile(u"二"_s)), fixture::sjis(u"朝\r\n"_s)));
    // The list and the folder as they were a while ago.
    const auto setModified = [](const QString& path, int laterBy = 0) {
        const timespec times[2] = {{0, UTIME_OMIT}, {1'700'000'000 + laterBy, 0}};
        return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
    };
    QVERIFY(setModified(one) && setModified(tmp.path()));
    DataFolder folder(tmp.path());
    const TitleTable titles({{u"一"_s, u"乙"_s, {}, {}, {}, {}, {}}, {u"二"_s, u"乙"_s, {}, {}, {}, {}, {}}});
    listrules::TrackListIndex lists(folder);
    const auto holding = [&] { return listrules::titleHoldingSong(folder, lists, titles, u"朝"_s, u"乙"_s); };
    lists.readAhead();
    QCOMPARE(holding(), 2);
    QVERIFY(fixture::write(one, fixture::sjis(text)));
    QVERIFY(setModified(one, laterBy) && setModified(tmp.path()));
    lists.readAhead();
    QCOMPARE(holding(), 1);
}

QTEST_APPLESS_MAIN(TestListRules)
#include "tst_listrules.moc"
