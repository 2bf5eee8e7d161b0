#include "lyrics/lyricsrules.h"

#include "store/namerules.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

// The lyrics file of a song: its name, reading the name back, and the text as the file
// holds it.
class TestLyricsRules : public QObject {
    Q_OBJECT

private slots:
    void namesLyricsFiles_data();
    void namesLyricsFiles();
    void savesAndReadsBackText_data();
    void savesAndReadsBackText();
    void readsFileText_data();
    void readsFileText();
};

void TestLyricsRules::namesLyricsFiles_data()
{
    QTest::addColumn<QString>("song");
    QTest::addColumn<QString>("artist");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("readSong");
    QTest::addColumn<QString>("readArtist");

    QTest::newRow("ordinary") << u"街の風景"_s << u"ミナモ航路"_s << u"歌詞_街の風景_ミナモ航路.txt"_s
                              << u"街の風景"_s << u"ミナモ航路"_s;
    QTest::newRow("unregistered artist") << u"A"_s << u"未登録"_s << u"歌詞_A_未登録.txt"_s << u"A"_s
                                         << u"未登録"_s;
    QTest::newRow("blanks kept") << u"A "_s << u" B"_s << u"歌詞_A _ B.txt"_s << u"A "_s << u" B"_s;
    QTest::newRow("empty artist") << u"A"_s << QString() << u"歌詞_A_.txt"_s << u"A"_s << QString();
    QTest::newRow("underscore in artist") << u"A"_s << u"B_C"_s << u"歌詞_A_B_C.txt"_s << u"A"_s << u"B_C"_s;
    // The first "_" separates, so a song holding one is split at its own.
    QTest::newRow("underscore in song") << u"A_B"_s << u"C"_s << u"歌詞_A_B_C.txt"_s << u"A"_s << u"B_C"_s;
    // What a file name cannot hold is written in full-width form, in the file name only.
    QTest::newRow("slash in artist") << u"Back in Black"_s << u"AC/DC"_s << u"歌詞_Back in Black_AC／DC.txt"_s
                                     << u"Back in Black"_s << u"AC／DC"_s;
    QTest::newRow("all nine") << u"\\/:*?"_s << u"\"<>|"_s << u"歌詞_＼／：＊？_＂＜＞｜.txt"_s << u"＼／：＊？"_s
                              << u"＂＜＞｜"_s;
}

void TestLyricsRules::namesLyricsFiles()
{
    QFETCH(QString, song);
    QFETCH(QString, artist);
    QFETCH(QString, fileName);
    QFETCH(QString, readSong);
    QFETCH(QString, readArtist);

    QCOMPARE(namerules::lyricsFileName(song, artist), fileName);
    const auto [s, a] = lyricsrules::splitLyricsFileName(fileName);
    QCOMPARE(s, readSong);
    QCOMPARE(a, readArtist);
}

void TestLyricsRules::savesAndReadsBackText_data()
{
    QTest::addColumn<QString>("boxText");
    QTest::addColumn<QString>("fileText");

    QTest::newRow("empty lines and final line break") << u"a\n\nb\n"_s << u"a\r\n\r\nb\r\n\r\n"_s;
    QTest::newRow("no final line break") << u"一行目\n二行目"_s << u"一行目\r\n二行目\r\n"_s;
    QTest::newRow("one line") << u"歌詞"_s << u"歌詞\r\n"_s;
    QTest::newRow("empty text") << QString() << u"\r\n"_s;
    QTest::newRow("only a line break") << u"\n"_s << u"\r\n\r\n"_s;
    QTest::newRow("empty lines first and last") << u"\n\na\n\n"_s << u"\r\n\r\na\r\n\r\n\r\n"_s;
    QTest::newRow("blanks kept") << u"  a　\t\n "_s << u"  a　\t\r\n \r\n"_s;
}

void TestLyricsRules::savesAndReadsBackText()
{
    QFETCH(QString, boxText);
    QFETCH(QString, fileText);

    QCOMPARE(lyricsrules::fileTextOfLyrics(boxText), fileText);
    QCOMPARE(lyricsrules::lyricsOfFileText(fileText), boxText);
}

void TestLyricsRules::readsFileText_data()
{
    QTest::addColumn<QString>("fileText");
    QTest::addColumn<QString>("boxText");

    QTest::newRow("no final CR LF") << u"a\r\nb"_s << u"a\nb"_s;
    QTest::newRow("empty file") << QString() << QString();
    QTest::newRow("only CR LF") << u"\r\n"_s << QString();
    QTest::newRow("one final CR LF removed, not more") << u"a\r\n\r\n\r\n"_s << u"a\n\n"_s;
    QTest::newRow("LF line ends") << u"a\nb\n"_s << u"a\nb"_s;
}

void TestLyricsRules::readsFileText()
{
    QFETCH(QString, fileText);
    QFETCH(QString, boxText);
    QCOMPARE(lyricsrules::lyricsOfFileText(fileText), boxText);
}

QTEST_APPLESS_MAIN(TestLyricsRules)
#include "tst_lyricsrules.moc"
