#include "overviews/overviewrules.h"
#include "title/titlerules.h"
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
    void countsDoNotWrapPast16Bits();
    void movesOnlyBetweenEntries();
    void listOrderTakesKnownTitles();
    void pages_data();
    void pages();
    void coverNames_data();
    void coverNames();
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

void TestOverviewRules::countsDoNotWrapPast16Bits()
{
    QStringList many;
    for (int i = 0; i < 40000; ++i)
        many.append(u"歌手"_s);
    QCOMPARE(titleCounts({u"歌手"_s}, titlesBy(many)), counts({40000}));
    QCOMPARE(songCounts({u"歌手"_s}, songsBy(many)), counts({40000}));
}

// The drags of the screen are proven with the mouse; these are the moves it cannot make.
void TestOverviewRules::movesOnlyBetweenEntries()
{
    QStringList list{u"A"_s, u"B"_s, u"C"_s};
    QVERIFY(!moveBeforeTarget(list, -1, 1));
    QVERIFY(!moveBeforeTarget(list, 0, 3));
    QVERIFY(!moveBeforeTarget(list, 3, 0));
    QCOMPARE(list, (QStringList{u"A"_s, u"B"_s, u"C"_s}));
    QVERIFY(moveBeforeTarget(list, 2, 0));
    QCOMPARE(list, (QStringList{u"C"_s, u"A"_s, u"B"_s}));
}

void TestOverviewRules::listOrderTakesKnownTitles()
{
    const TitleTable titles = titlesBy({u"x"_s, u"y"_s, u"z"_s});
    const std::vector<TitleRecord> ordered = titlerules::titlesInListOrder({u"題3"_s, u"無い"_s, u"題1"_s}, titles);
    QCOMPARE(ordered.size(), size_t(2));
    QCOMPARE(ordered[0], titles.at(3));
    QCOMPARE(ordered[1], titles.at(1));

    // Two titles of one name (a file written by hand) both stay, each once, in the
    // order their name is met; a third mention has no title left.
    const TitleTable twins({{u"X"_s, u"P"_s, {}, {}, {}, {}, u"m1"_s}, {u"Y"_s, {}, {}, {}, {}, {}, {}},
                            {u"X"_s, u"Q"_s, {}, {}, {}, {}, u"m2"_s}});
    const std::vector<TitleRecord> kept = titlerules::titlesInListOrder({u"X"_s, u"Y"_s, u"X"_s, u"X"_s}, twins);
    QCOMPARE(kept.size(), size_t(3));
    QCOMPARE(kept[0], twins.at(1));
    QCOMPARE(kept[1], twins.at(2));
    QCOMPARE(kept[2], twins.at(3));
}

void TestOverviewRules::pages_data()
{
    QTest::addColumn<int>("titles");
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("lastFirst");
    QTest::addColumn<int>("lastLast");

    QTest::newRow("none") << 0 << 0 << 1 << 15;
    QTest::newRow("thirty-one") << 31 << 3 << 31 << 45;
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
}

void TestOverviewRules::coverNames_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("offered");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("destination");

    QTest::newRow("jpeg in a drive's root") << u"/"_s << u"a.jpg"_s << true << u"/a.jpg"_s << u"Blue.jpg"_s;
    QTest::newRow("windows drive root") << u"D:\\"_s << u"b.Jpg"_s << true << u"D:\\b.Jpg"_s << u"Blue.Jpg"_s;
    QTest::newRow("subfolder") << u"/p/q"_s << u"n.JPG"_s << true << u"/p/q/n.JPG"_s << u"Blue.JPG"_s;
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
    // A title named as the placeholder may not take its place.
    QCOMPARE(coverimportrules::isPlaceholder(coverimportrules::destinationName(u"nopic"_s, file)), file.endsWith(u"jpg"_s, Qt::CaseInsensitive));
}

QTEST_APPLESS_MAIN(TestOverviewRules)
#include "tst_overviewrules.moc"
