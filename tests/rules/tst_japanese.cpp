#include "store/japanese.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

// The order of names by reading, the fuzzy search's folding and matching, and what a
// typed reading or a sort tag becomes.
class TestJapanese : public QObject {
    Q_OBJECT

private slots:
    void ordersNamesByReading_data();
    void ordersNamesByReading();
    void findsNamesByReading_data();
    void findsNamesByReading();
    void bringsTypedReadingsToStoredForm_data();
    void bringsTypedReadingsToStoredForm();
    void takesReadingsFromKanaSortTagsOnly_data();
    void takesReadingsFromKanaSortTagsOnly();
};

// Names given as "name" or "name|reading".
void TestJapanese::ordersNamesByReading_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<bool>("descending");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("kanji by reading, not by code")
        << QStringList{u"宇多田|ウタダ"_s, u"坂本|サカモト"_s, u"中島|ナカジマ"_s, u"椎名|シイナ"_s, u"米津|ヨネヅ"_s,
                       u"嵐|アラシ"_s}
        << false << QStringList{u"嵐"_s, u"宇多田"_s, u"坂本"_s, u"椎名"_s, u"中島"_s, u"米津"_s};
    QTest::newRow("hiragana, katakana and half width as one")
        << QStringList{u"ゆず"_s, u"ｻｶﾅｸｼｮﾝ"_s, u"スピッツ"_s, u"あいみょん"_s} << false
        << QStringList{u"あいみょん"_s, u"ｻｶﾅｸｼｮﾝ"_s, u"スピッツ"_s, u"ゆず"_s};
    QTest::newRow("kanji with readings among kana")
        << QStringList{u"スピッツ"_s, u"椎名林檎|シイナリンゴ"_s, u"あいみょん"_s, u"嵐|アラシ"_s} << false
        << QStringList{u"あいみょん"_s, u"嵐"_s, u"椎名林檎"_s, u"スピッツ"_s};
    QTest::newRow("digits, Latin, kana, then kanji without a reading")
        << QStringList{u"米津玄師"_s, u"ゆず"_s, u"Perfume"_s, u"10-FEET"_s} << false
        << QStringList{u"10-FEET"_s, u"Perfume"_s, u"ゆず"_s, u"米津玄師"_s};
    QTest::newRow("numbers by their value")
        << QStringList{u"1986OMEGATRIBE"_s, u"10-FEET"_s, u"2PM"_s} << false
        << QStringList{u"2PM"_s, u"10-FEET"_s, u"1986OMEGATRIBE"_s};
    QTest::newRow("letter case and width do not part Latin names")
        << QStringList{u"ＧＬＡＹ"_s, u"b'z"_s, u"Mr.Children"_s, u"glay"_s} << false
        << QStringList{u"b'z"_s, u"glay"_s, u"ＧＬＡＹ"_s, u"Mr.Children"_s};
    QTest::newRow("a mixed name goes by its reading")
        << QStringList{u"米津|ヨネヅ"_s, u"ゆず"_s, u"Official髭男dism|オフィシャルヒゲダンディズム"_s} << false
        << QStringList{u"Official髭男dism"_s, u"ゆず"_s, u"米津"_s};
    // Kanji without a reading come in the order of the JIS tables, by their on readings:
    // 檎 (ゴ) before 林 (リン).
    QTest::newRow("names of one reading by the name")
        << QStringList{u"林檎|リンゴ"_s, u"りんご"_s, u"檎林|リンゴ"_s} << false
        << QStringList{u"りんご"_s, u"檎林"_s, u"林檎"_s};
    QTest::newRow("descending")
        << QStringList{u"嵐|アラシ"_s, u"米津|ヨネヅ"_s, u"Perfume"_s, u"宇多田|ウタダ"_s} << true
        << QStringList{u"米津"_s, u"宇多田"_s, u"嵐"_s, u"Perfume"_s};
}

void TestJapanese::ordersNamesByReading()
{
    QFETCH(QStringList, names);
    QFETCH(bool, descending);
    QFETCH(QStringList, expected);

    japanese::SortKeyMaker maker;
    std::vector<QByteArray> keys;
    QStringList plain;
    for (const QString& entry : names) {
        const QStringList parts = entry.split(u'|');
        plain << parts[0];
        keys.push_back(maker.sortKey(parts[0], parts.value(1)));
    }
    QStringList sorted;
    for (int row : japanese::orderByKeys(keys, descending))
        sorted << plain[row];
    QCOMPARE(sorted, expected);
}

void TestJapanese::findsNamesByReading_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<bool>("prefix");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reading");
    QTest::addColumn<bool>("found");

    QTest::newRow("hiragana finds a kanji name's reading") << u"しいな"_s << false << u"椎名林檎"_s << u"シイナリンゴ"_s << true;
    QTest::newRow("romaji finds the reading") << u"SHIINA"_s << false << u"椎名林檎"_s << u"シイナリンゴ"_s << true;
    QTest::newRow("spaces and ・ in the reading do not count")
        << u"しいなりんご"_s << false << u"椎名林檎"_s << u"シイナ・リンゴ"_s << true;
    QTest::newRow("half-width finds a kana name") << u"ｷｬﾘｰ"_s << false << u"きゃりーぱみゅぱみゅ"_s << QString() << true;
    QTest::newRow("romaji finds a kana name") << u"kyari"_s << false << u"きゃりーぱみゅぱみゅ"_s << QString() << true;
    QTest::newRow("full width finds Latin") << u"bad"_s << false << u"ＢＡＤ ＨＯＰ"_s << QString() << true;
    QTest::newRow("the name itself") << u"林檎"_s << false << u"椎名林檎"_s << u"シイナリンゴ"_s << true;
    // Folding: width, letter case and hiragana against katakana fall together; voicing,
    // small kana and the long vowel do not.
    QTest::newRow("half width and katakana") << u"ｷｬﾘｰ"_s << false << u"キャリー"_s << QString() << true;
    QTest::newRow("hiragana and katakana") << u"きゃりー"_s << false << u"キャリー"_s << QString() << true;
    QTest::newRow("full-width capitals") << u"ＢＡＤ"_s << false << u"bad"_s << QString() << true;
    QTest::newRow("half-width voiced kana") << u"ﾊﾟﾋﾞｭ"_s << false << u"ぱびゅ"_s << QString() << true;
    QTest::newRow("ゔ and ヴ") << u"ゔぁいおりん"_s << false << u"ヴァイオリン"_s << QString() << true;
    QTest::newRow("ー is no vowel") << u"キャリー"_s << false << u"きゃりい"_s << QString() << false;
    QTest::newRow("no reading, no kana match") << u"はな"_s << false << u"花"_s << QString() << false;
    QTest::newRow("ハ is not パ") << u"パン"_s << false << u"ハンバーグ"_s << QString() << false;
    QTest::newRow("ツ is not ッ") << u"ロツ"_s << false << u"ロック"_s << QString() << false;
    QTest::newRow("prefix: the reading's start") << u"しい"_s << true << u"椎名林檎"_s << u"シイナリンゴ"_s << true;
    QTest::newRow("prefix: not the middle") << u"りんご"_s << true << u"椎名林檎"_s << u"シイナリンゴ"_s << false;
}

void TestJapanese::findsNamesByReading()
{
    QFETCH(QString, query);
    QFETCH(bool, prefix);
    QFETCH(QString, name);
    QFETCH(QString, reading);
    QFETCH(bool, found);
    const japanese::FuzzyQuery q(query, prefix ? japanese::FuzzyQuery::Match::StartsWith
                                               : japanese::FuzzyQuery::Match::Contains);
    QCOMPARE(q.matches(japanese::foldName(name, reading)), found);
}

void TestJapanese::bringsTypedReadingsToStoredForm_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("refused"); // the character named, or empty

    QTest::newRow("hiragana") << u"しいな りんご"_s << u"シイナ リンゴ"_s << QString();
    QTest::newRow("half width") << u"ｼｲﾅﾘﾝｺﾞ"_s << u"シイナリンゴ"_s << QString();
    QTest::newRow("spaces") << u"　シイナ　　リンゴ "_s << u"シイナ リンゴ"_s << QString();
    QTest::newRow("ゔ and ・") << u"ゔぃじゅある・けい"_s << u"ヴィジュアル・ケイ"_s << QString();
    QTest::newRow("kanji") << u"しい名"_s << u"シイ名"_s << u"名"_s;
    QTest::newRow("Latin") << u"ＡＢＣ"_s << u"ABC"_s << u"A"_s;
    QTest::newRow("katakana CP932 lacks") << u"ヷ"_s << u"ヷ"_s << u"ヷ"_s;
}

void TestJapanese::bringsTypedReadingsToStoredForm()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(QString, refused);
    QCOMPARE(japanese::readingForm(typed), stored);
    const auto refusal = japanese::readingRefusal(typed);
    QCOMPARE(refusal ? refusal->character : QString(), refused);
    if (refusal)
        QVERIFY(refusal->message().contains(u"「%1」"_s.arg(refused)));
    QCOMPARE(japanese::isReading(stored), !stored.isEmpty() && refused.isEmpty());
}

void TestJapanese::takesReadingsFromKanaSortTagsOnly_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("reading"); // empty: none

    QTest::newRow("hiragana tag") << u"椎名林檎"_s << u"しいなりんご"_s << u"シイナリンゴ"_s;
    QTest::newRow("half-width tag") << u"東京事変"_s << u"ﾄｳｷｮｳｼﾞﾍﾝ"_s << u"トウキョウジヘン"_s;
    QTest::newRow("Latin tag on a Japanese name") << u"椎名林檎"_s << u"Shiina Ringo"_s << QString();
    QTest::newRow("kanji tag") << u"椎名林檎"_s << u"椎名 林檎"_s << QString();
    QTest::newRow("Latin name") << u"Perfume"_s << u"パフューム"_s << QString();
}

void TestJapanese::takesReadingsFromKanaSortTagsOnly()
{
    QFETCH(QString, name);
    QFETCH(QString, tag);
    QFETCH(QString, reading);
    QCOMPARE(japanese::readingFromSortTag(name, tag).value_or(QString()), reading);
}

QTEST_GUILESS_MAIN(TestJapanese)
#include "tst_japanese.moc"
