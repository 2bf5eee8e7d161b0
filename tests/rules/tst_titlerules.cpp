#include "title/titlerules.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

// Creating and deleting titles: the record a new title starts with, which files go with
// a deleted title and which title is shown afterwards.
class TestTitleRules : public QObject {
    Q_OBJECT

private slots:
    void newTitleStartsWithDefaults_data();
    void newTitleStartsWithDefaults();
    void filesDeletedWithTitle_data();
    void filesDeletedWithTitle();
    void positionAfterDeletion_data();
    void positionAfterDeletion();
};

void TestTitleRules::newTitleStartsWithDefaults_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("date");

    QTest::newRow("month and day padded") << u"街の風景"_s << QDate(2026, 1, 5) << u"2026/01/05"_s;
    QTest::newRow("two-digit month and day") << u"Best"_s << QDate(1999, 12, 31) << u"1999/12/31"_s;
    QTest::newRow("leap day") << u"閏"_s << QDate(2024, 2, 29) << u"2024/02/29"_s;
}

void TestTitleRules::newTitleStartsWithDefaults()
{
    QFETCH(QString, name);
    QFETCH(QDate, today);
    QFETCH(QString, date);

    const TitleRecord t = titlerules::newTitle(name, today);
    QCOMPARE(t.name, name);
    QCOMPARE(t.artist, u"未登録"_s);
    QCOMPARE(t.genre, u"未登録"_s);
    QCOMPARE(t.rating, u"未"_s);
    QCOMPARE(t.media, u"未登録"_s);
    QCOMPARE(t.date, date);
    QVERIFY(t.memo.isEmpty());
}

void TestTitleRules::filesDeletedWithTitle_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("files");

    const auto all = [](const QString& n) {
        return QStringList{n + u".TXT"_s, n + u".txt"_s, n + u".jpg"_s, n + u".bmp"_s, n + u".gif"_s};
    };
    const auto pictures = [](const QString& n) { return QStringList{n + u".jpg"_s, n + u".bmp"_s, n + u".gif"_s}; };

    QTest::newRow("ordinary name") << u"Best"_s << all(u"Best"_s);
    QTest::newRow("Japanese name") << u"街の風景"_s << all(u"街の風景"_s);
    QTest::newRow("name close to a program file") << u"データ2"_s << all(u"データ2"_s);
    QTest::newRow("prefix without underscore") << u"曲目"_s << all(u"曲目"_s);
    QTest::newRow("lyrics word alone") << u"歌詞"_s << all(u"歌詞"_s);

    // Names whose text file would be one of the collection's own files keep their pictures
    // on the list but not the text file.
    QTest::newRow("title file") << u"データ"_s << pictures(u"データ"_s);
    QTest::newRow("track data file") << u"曲目データ"_s << pictures(u"曲目データ"_s);
    QTest::newRow("settings file") << u"設定"_s << pictures(u"設定"_s);
    QTest::newRow("artist master") << u"歌手マスタ"_s << pictures(u"歌手マスタ"_s);
    QTest::newRow("song genre master") << u"ジャンルマスタ２"_s << pictures(u"ジャンルマスタ２"_s);
    QTest::newRow("arranger master") << u"編曲マスタ"_s << pictures(u"編曲マスタ"_s);
    QTest::newRow("track list") << u"曲目_X"_s << pictures(u"曲目_X"_s);
    QTest::newRow("track list, empty rest") << u"曲目_"_s << pictures(u"曲目_"_s);
    QTest::newRow("lyrics file") << u"歌詞_A_B"_s << pictures(u"歌詞_A_B"_s);

    // The placeholder picture: only its own picture name stays, in any ASCII letter case.
    QTest::newRow("placeholder picture")
        << u"NOPIC"_s << QStringList{u"NOPIC.TXT"_s, u"NOPIC.txt"_s, u"NOPIC.bmp"_s, u"NOPIC.gif"_s};
    QTest::newRow("placeholder picture, lower case")
        << u"nopic"_s << QStringList{u"nopic.TXT"_s, u"nopic.txt"_s, u"nopic.bmp"_s, u"nopic.gif"_s};
}

void TestTitleRules::filesDeletedWithTitle()
{
    QFETCH(QString, name);
    QFETCH(QStringList, files);

    QStringList got = titlerules::filesDeletedWithTitle(name);
    got.sort();
    files.sort();
    QCOMPARE(got, files);
}

void TestTitleRules::positionAfterDeletion_data()
{
    QTest::addColumn<int>("deleted");
    QTest::addColumn<int>("oldCount");
    QTest::addColumn<int>("shown");

    QTest::newRow("last of five shows the new last") << 5 << 5 << 4;
    QTest::newRow("second of five shows the one that followed") << 2 << 5 << 2;
    QTest::newRow("first of five") << 1 << 5 << 1;
    QTest::newRow("last but one") << 4 << 5 << 4;
    QTest::newRow("only title") << 1 << 1 << 0;
}

void TestTitleRules::positionAfterDeletion()
{
    QFETCH(int, deleted);
    QFETCH(int, oldCount);
    QFETCH(int, shown);
    QCOMPARE(titlerules::positionAfterDeletion(deleted, oldCount), shown);
}

QTEST_APPLESS_MAIN(TestTitleRules)
#include "tst_titlerules.moc"
