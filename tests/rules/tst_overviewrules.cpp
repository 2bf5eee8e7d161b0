#include "overviews/overviewrules.h"
#include "upkeep/coverimportrules.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;
using namespace overviewrules;

namespace {

TitleTable titlesBy(const QStringList& artists)
{
    std::vector<TitleRecord> records;
    for (const QString& artist : artists)
        records.push_back({u"題%1"_s.arg(records.size() + 1), artist, {}, {}, {}, {}, {}});
    return TitleTable(std::move(records));
}

TrackTable songsBy(const QStringList& artists)
{
    std::vector<TrackRecord> records;
    for (const QString& artist : artists)
        records.push_back({u"曲%1"_s.arg(records.size() + 1), artist, {}, {}, {}, {}, {}});
    return TrackTable(std::move(records));
}

std::vector<int> counts(std::initializer_list<int> values)
{
    return values;
}

} // namespace

// The rules of the ranking, the fine-tuning list, the catalogue's pages and the cover
// import, without a window.
class TestOverviewRules : public QObject {
    Q_OBJECT

private slots:
    void countsExactArtistsOnEveryEntry();
    void songArtistsOnlyGrow();
    void countsDoNotWrapPast16Bits();
    void moveBeforeTarget_data();
    void moveBeforeTarget();
    void listOrderTakesKnownTitles();
    void pages_data();
    void pages();
    void coverNames_data();
    void coverNames();
    void picturesShownInstead_data();
    void picturesShownInstead();
};

void TestOverviewRules::countsExactArtistsOnEveryEntry()
{
    const QStringList entries{u"ミナモ航路"_s, u"ネオン金魚"_s, u"ミナモ航路"_s, u"複数"_s, u"abc"_s};
    const TitleTable titles = titlesBy({u"ミナモ航路"_s, u"複数"_s, u"未登録"_s, u"ミナモ航路 "_s, u"ABC"_s, u"ミナモ航路"_s});
    // An entry listed twice counts on both rows; no trimming, no letter-case folding.
    QCOMPARE(titleCounts(entries, titles), counts({2, 0, 2, 1, 0}));
    QCOMPARE(rankingRows({u"ミナモ航路"_s, u"ネオン金魚"_s}, {2, 0}),
             (std::vector<QStringList>{{QString(), u"ミナモ航路"_s, u"2"_s}, {QString(), u"ネオン金魚"_s, u"0"_s}}));

    // Joined names and an empty name are rows of their own.
    const QStringList singers{u"葉月つむぎ"_s, u"葉月つむぎ＆ネオン金魚"_s, QString()};
    const TrackTable songs = songsBy({u"葉月つむぎ"_s, u"葉月つむぎ＆ネオン金魚"_s, QString(), u"葉月つむぎ"_s});
    QCOMPARE(songCounts(singers, songs), counts({2, 1, 1}));
}

void TestOverviewRules::songArtistsOnlyGrow()
{
    SongArtists artists;
    QCOMPARE(artists.add(songsBy({u"B"_s, u"A"_s, u"B"_s})), 2);
    QCOMPARE(artists.names(), (QStringList{u"B"_s, u"A"_s}));
    // A later opening adds only names not seen; names no song has any more stay.
    QCOMPARE(artists.add(songsBy({u"C"_s, u"A"_s})), 1);
    QCOMPARE(artists.names(), (QStringList{u"B"_s, u"A"_s, u"C"_s}));
    QCOMPARE(songCounts(artists.names(), songsBy({u"C"_s, u"A"_s})), counts({0, 1, 1}));
}

void TestOverviewRules::countsDoNotWrapPast16Bits()
{
    QStringList many;
    for (int i = 0; i < 40000; ++i)
        many.append(u"歌手"_s);
    QCOMPARE(titleCounts({u"歌手"_s}, titlesBy(many)), counts({40000}));
    QCOMPARE(songCounts({u"歌手"_s}, songsBy(many)), counts({40000}));
}

void TestOverviewRules::moveBeforeTarget_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("moved");

    QTest::newRow("E onto B") << 4 << 1 << u"AEBCDF"_s << true;
    QTest::newRow("B onto E") << 1 << 4 << u"ACDBEF"_s << true;
    QTest::newRow("A onto F: never after it") << 0 << 5 << u"BCDEAF"_s << true;
    QTest::newRow("F onto A") << 5 << 0 << u"FABCDE"_s << true;
    QTest::newRow("B onto its successor C") << 1 << 2 << u"ABCDEF"_s << false;
    QTest::newRow("B onto itself") << 1 << 1 << u"ABCDEF"_s << false;
    QTest::newRow("press on no entry") << -1 << 3 << u"ABCDEF"_s << false;
    QTest::newRow("release past the end") << 1 << 6 << u"ABCDEF"_s << false;
}

void TestOverviewRules::moveBeforeTarget()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, after);
    QFETCH(bool, moved);
    QStringList list = u"A B C D E F"_s.split(u' ');
    QCOMPARE(overviewrules::moveBeforeTarget(list, from, to), moved);
    QCOMPARE(list.join(QString()), after);

    QStringList empty;
    QVERIFY(!overviewrules::moveBeforeTarget(empty, -1, -1));
}

void TestOverviewRules::listOrderTakesKnownTitles()
{
    const TitleTable titles = titlesBy({u"x"_s, u"y"_s, u"z"_s});
    const std::vector<TitleRecord> ordered = titlesInListOrder({u"題3"_s, u"無い"_s, u"題1"_s}, titles);
    QCOMPARE(ordered.size(), size_t(2));
    QCOMPARE(ordered[0], titles.at(3));
    QCOMPARE(ordered[1], titles.at(1));
}

void TestOverviewRules::pages_data()
{
    QTest::addColumn<int>("titles");
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("lastFirst");
    QTest::addColumn<int>("lastLast");

    QTest::newRow("none") << 0 << 0 << 1 << 15;
    QTest::newRow("one") << 1 << 1 << 1 << 15;
    QTest::newRow("fifteen") << 15 << 1 << 1 << 15;
    QTest::newRow("sixteen") << 16 << 2 << 16 << 30;
    QTest::newRow("twenty") << 20 << 2 << 16 << 30;
    QTest::newRow("design maximum") << 32766 << 2185 << 32761 << 32775;
    QTest::newRow("past 16 bits") << 40000 << 2667 << 39991 << 40005;
}

void TestOverviewRules::pages()
{
    QFETCH(int, titles);
    QFETCH(int, pages);
    QFETCH(int, lastFirst);
    QFETCH(int, lastLast);
    QCOMPARE(pageCount(titles), pages);
    const int last = std::max(pages, 1);
    QCOMPARE(firstOnPage(last), lastFirst);
    QCOMPARE(lastOnPage(last), lastLast);
    QCOMPARE(titleInSlot(last, 1), lastFirst);
    QCOMPARE(titleInSlot(2, 3), 18);
}

void TestOverviewRules::coverNames_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("offered");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("destination");

    QTest::newRow("upper-case bitmap keeps its case") << u"/home/u/scan"_s << u"x.BMP"_s << true << u"/home/u/scan/x.BMP"_s << u"Blue.BMP"_s;
    QTest::newRow("jpeg in a drive's root") << u"/"_s << u"a.jpg"_s << true << u"/a.jpg"_s << u"Blue.jpg"_s;
    QTest::newRow("windows drive root") << u"D:\\"_s << u"b.Jpg"_s << true << u"D:\\b.Jpg"_s << u"Blue.Jpg"_s;
    QTest::newRow("gif not offered") << u"/p"_s << u"c.gif"_s << false << u"/p/c.gif"_s << u"Blue.gif"_s;
    QTest::newRow("jpeg spelt long not offered") << u"/p"_s << u"d.jpeg"_s << false << u"/p/d.jpeg"_s << u"Bluejpeg"_s;
    QTest::newRow("a bare extension not offered") << u"/p"_s << u".jpg"_s << false << u"/p/.jpg"_s << u"Blue.jpg"_s;
}

void TestOverviewRules::coverNames()
{
    QFETCH(QString, folder);
    QFETCH(QString, file);
    QFETCH(bool, offered);
    QFETCH(QString, source);
    QFETCH(QString, destination);
    QCOMPARE(coverimportrules::isOffered(file), offered);
    QCOMPARE(coverimportrules::sourcePath(folder, file), source);
    QCOMPARE(coverimportrules::destinationName(u"Blue"_s, file), destination);
}

void TestOverviewRules::picturesShownInstead_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("copied");
    QTest::addColumn<QStringList>("instead");

    QTest::newRow("jpeg under gif and bitmap") << u"A"_s << u"A.JPG"_s << QStringList{u"A.gif"_s, u"A.bmp"_s};
    QTest::newRow("bitmap is shown first") << u"A"_s << u"A.bmp"_s << QStringList{};
    QTest::newRow("gif under bitmap") << u"A"_s << u"A.gif"_s << QStringList{u"A.bmp"_s};
}

void TestOverviewRules::picturesShownInstead()
{
    QFETCH(QString, title);
    QFETCH(QString, copied);
    QFETCH(QStringList, instead);
    QCOMPARE(coverimportrules::picturesShownInstead(title, copied), instead);
    QVERIFY(coverimportrules::isPlaceholder(u"NoPic.jpg"_s));
    QVERIFY(!coverimportrules::isPlaceholder(u"NoPic.bmp"_s));
}

QTEST_APPLESS_MAIN(TestOverviewRules)
#include "tst_overviewrules.moc"
