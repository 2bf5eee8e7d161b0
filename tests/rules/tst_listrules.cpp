#include "lists/listrules.h"

#include "../store/fixture.h"

#include "store/collectionfiles.h"
#include "store/datafolder.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

// Which title holds a song of the song list: the title a double-click on its row opens.
class TestListRules : public QObject {
    Q_OBJECT

private slots:
    void trackListHoldsTheSong_data();
    void trackListHoldsTheSong();
    void firstTitleHoldingTheSong_data();
    void firstTitleHoldingTheSong();
};

void TestListRules::trackListHoldsTheSong_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("titleArtist");
    QTest::addColumn<bool>("holds");

    const QString several = u"複数"_s;
    // The song asked for is 朝 by 甲.
    QTest::newRow("plain title by the artist") << QStringList{u"夜"_s, u"朝"_s} << u"甲"_s << true;
    QTest::newRow("plain title by another artist") << QStringList{u"朝"_s} << u"乙"_s << false;
    QTest::newRow("plain title, only a longer song") << QStringList{u"朝焼け"_s} << u"甲"_s << false;
    QTest::newRow("compilation line song/artist") << QStringList{u"夜/乙"_s, u"朝/甲"_s} << several << true;
    QTest::newRow("compilation line, another artist") << QStringList{u"朝/乙"_s} << several << false;
    QTest::newRow("compilation line, longer song") << QStringList{u"朝焼け/甲"_s} << several << false;
    QTest::newRow("compilation line, artist with a slash")
        << QStringList{u"朝/甲/乙"_s} << several << false;
    QTest::newRow("compilation line without artist") << QStringList{u"朝"_s} << several << false;
    QTest::newRow("plain title holding the compilation form") << QStringList{u"朝/甲"_s} << u"甲"_s << false;
}

void TestListRules::trackListHoldsTheSong()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, titleArtist);
    QFETCH(bool, holds);
    QCOMPARE(listrules::trackListHolds(lines, titleArtist == u"複数"_s, titleArtist, u"朝"_s, u"甲"_s), holds);
}

void TestListRules::firstTitleHoldingTheSong_data()
{
    QTest::addColumn<QString>("artist");
    QTest::addColumn<int>("title");

    // 1 by 乙 and 2 (compilation) hold 朝 of 乙; 3 by 甲 holds 朝; 4 (compilation) holds
    // 朝/甲 too, but comes later; 5 by 丙 has no list file.
    QTest::newRow("first of several in main order") << u"甲"_s << 3;
    QTest::newRow("a title by the artist before a compilation") << u"乙"_s << 1;
    QTest::newRow("song on a compilation only") << u"丁"_s << 2;
    QTest::newRow("title without a list") << u"丙"_s << 0;
    QTest::newRow("nowhere") << u"戊"_s << 0;
}

void TestListRules::firstTitleHoldingTheSong()
{
    QFETCH(QString, artist);
    QFETCH(int, title);
    QTemporaryDir tmp;
    const auto put = [&](const QString& name, const QString& lines) {
        QVERIFY(fixture::write(tmp.filePath(files::trackListFile(name)), fixture::sjis(lines)));
    };
    put(u"一"_s, u"夜\r\n朝\r\n"_s);
    put(u"二"_s, u"夜/甲\r\n朝/乙\r\n朝/丁\r\n"_s);
    put(u"三"_s, u"朝\r\n"_s);
    put(u"四"_s, u"朝/甲\r\n"_s);
    DataFolder folder(tmp.path());
    const TitleTable titles({{u"一"_s, u"乙"_s, {}, {}, {}, {}, {}},
                             {u"二"_s, u"複数"_s, {}, {}, {}, {}, {}},
                             {u"三"_s, u"甲"_s, {}, {}, {}, {}, {}},
                             {u"四"_s, u"複数"_s, {}, {}, {}, {}, {}},
                             {u"五"_s, u"丙"_s, {}, {}, {}, {}, {}}});
    QCOMPARE(listrules::titleHoldingSong(folder, titles, u"朝"_s, artist), title);
}

QTEST_APPLESS_MAIN(TestListRules)
#include "tst_listrules.moc"
