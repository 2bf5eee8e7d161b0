#include "lists/searchrules.h"
#include "lyrics/lyricsrules.h"

#include "store/cp932.h"
#include "store/datafolder.h"
#include "store/filelisting.h"
#include "store/tracktable.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Qt::Literals::StringLiterals;

using Pairs = QList<std::pair<QString, QString>>;
Q_DECLARE_METATYPE(Pairs)

// Reading songs back from lyrics file names, the lyrics search against the word search
// of the lyrics box, and the name offered for a PDF of the lyrics.
class TestSearchRules : public QObject {
    Q_OBJECT

private slots:
    void readsTheSongOfALyricsFile_data();
    void readsTheSongOfALyricsFile();
    void lyricsSearchFindsWhatTheWordSearchSteps_data();
    void lyricsSearchFindsWhatTheWordSearchSteps();
    void lyricsSearchKeepsTheListingOrder();
    void offersAPdfName_data();
    void offersAPdfName();
};

void TestSearchRules::readsTheSongOfALyricsFile_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<Pairs>("songs");
    QTest::addColumn<QString>("song");
    QTest::addColumn<QString>("artist");
    QTest::addColumn<bool>("named");

    const Pairs none;
    QTest::newRow("ordinary") << u"歌詞_街_甲.txt"_s << none << u"街"_s << u"甲"_s << true;
    QTest::newRow("song holding _, in the track data")
        << u"歌詞_A_B_C.txt"_s << Pairs{{u"A_B"_s, u"C"_s}} << u"A_B"_s << u"C"_s << true;
    QTest::newRow("artist holding _, in the track data")
        << u"歌詞_A_B_C.txt"_s << Pairs{{u"A"_s, u"B_C"_s}} << u"A"_s << u"B_C"_s << true;
    QTest::newRow("both splits known: the first")
        << u"歌詞_A_B_C.txt"_s << Pairs{{u"A_B"_s, u"C"_s}, {u"A"_s, u"B_C"_s}} << u"A"_s << u"B_C"_s << true;
    QTest::newRow("three _ in a song") << u"歌詞_a_b_c_d.txt"_s << Pairs{{u"a_b_c"_s, u"d"_s}} << u"a_b_c"_s
                                      << u"d"_s << true;
    QTest::newRow("no split known: the first _")
        << u"歌詞_A_B_C.txt"_s << Pairs{{u"A_B"_s, u"D"_s}} << u"A"_s << u"B_C"_s << true;
    QTest::newRow("letter case of a pair counts")
        << u"歌詞_a_B_c.txt"_s << Pairs{{u"A_B"_s, u"C"_s}} << u"a"_s << u"B_c"_s << true;
    QTest::newRow("full-width in the name, half-width in the track data")
        << u"歌詞_Back_In_Black_AC／DC.txt"_s << Pairs{{u"Back_In_Black"_s, u"AC/DC"_s}} << u"Back_In_Black"_s
        << u"AC/DC"_s << true;
    QTest::newRow("full-width in the track data too: as typed")
        << u"歌詞_A？_B.txt"_s << Pairs{{u"A?"_s, u"B"_s}, {u"A？"_s, u"B"_s}} << u"A？"_s << u"B"_s << true;
    QTest::newRow("upper-case extension") << u"歌詞_街_甲.TXT"_s << none << u"街"_s << u"甲"_s << true;
    QTest::newRow("empty artist") << u"歌詞_街_.txt"_s << none << u"街"_s << QString() << true;
    QTest::newRow("no _ after the prefix") << u"歌詞_街.txt"_s << none << QString() << QString() << false;
    QTest::newRow("nothing after the prefix") << u"歌詞_.txt"_s << none << QString() << QString() << false;
}

void TestSearchRules::readsTheSongOfALyricsFile()
{
    QFETCH(QString, fileName);
    QFETCH(Pairs, songs);
    QFETCH(QString, song);
    QFETCH(QString, artist);
    QFETCH(bool, named);

    std::vector<TrackRecord> records;
    for (const auto& [s, a] : songs)
        records.push_back({s, a, {}, {}, {}, {}, {}});
    const auto read = lyricsrules::songOfLyricsFile(fileName, TrackTable(records));
    QCOMPARE(read.has_value(), named);
    if (named) {
        QCOMPARE(read->first, song);
        QCOMPARE(read->second, artist);
    }
}

// Every file the lyrics search lists is one where the word search of the lyrics box
// finds the key, and the other way round; the count is of occurrences apart.
void TestSearchRules::lyricsSearchFindsWhatTheWordSearchSteps_data()
{
    QTest::addColumn<QString>("fileText");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("hits");

    QTest::newRow("word before a comma") << u"愛,夢\r\n"_s << u"愛"_s << 1;
    QTest::newRow("key holding the comma") << u"愛,夢\r\n"_s << u"愛,夢"_s << 1;
    QTest::newRow("word inside double quotes") << u"\"愛してる\"\r\n"_s << u"愛してる"_s << 1;
    QTest::newRow("key holding the quote") << u"\"愛してる\"\r\n"_s << u"\"愛"_s << 1;
    QTest::newRow("key with the leading blanks") << u"   空へ\r\n"_s << u"  空"_s << 1;
    QTest::newRow("blank and ideographic space kept") << u"空　へ\r\n"_s << u"空 へ"_s << 0;
    QTest::newRow("key across a line end") << u"空\r\nへ\r\n"_s << u"空へ"_s << 0;
    QTest::newRow("last line without its line end") << u"一\r\n空へ"_s << u"空へ"_s << 1;
    QTest::newRow("several on several lines") << u"空,空\r\n\r\n空\r\n"_s << u"空"_s << 3;
    QTest::newRow("no overlap") << u"あああ\r\n"_s << u"ああ"_s << 1;
    QTest::newRow("letter case apart") << u"Love\r\n"_s << u"love"_s << 0;
    QTest::newRow("width apart") << u"ＬＯＶＥ\r\n"_s << u"LOVE"_s << 0;
    QTest::newRow("kana apart") << u"ひかり\r\n"_s << u"ヒカリ"_s << 0;
}

void TestSearchRules::lyricsSearchFindsWhatTheWordSearchSteps()
{
    QFETCH(QString, fileText);
    QFETCH(QString, key);
    QFETCH(int, hits);

    QCOMPARE(searchrules::lyricsHold(fileText, key), hits > 0);
    QCOMPARE(lyricsrules::countHits(lyricsrules::lyricsOfFileText(fileText), key), hits);
}

// Hundreds of lyrics files, read side by side, give their songs in the listing's order,
// whatever order they were written in; a file whose bytes are not CP932 is told of once,
// and one replaced by a FIFO after the listing is passed over without waiting.
void TestSearchRules::lyricsSearchKeepsTheListingOrder()
{
    QTemporaryDir dir;
    QStringList holding;
    for (int i = 400; i >= 1; --i) {
        const QString name = u"歌詞_歌%1_歌手.txt"_s.arg(i);
        QByteArray bytes;
        QVERIFY(cp932::encode(i % 7 == 0 ? u"一番\r\n虹の橋\r\n"_s : u"一番\r\n空\r\n"_s, &bytes));
        if (i == 140)
            bytes.append("\x81\x20");
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        if (i % 7 == 0 && i != 210)
            holding.append(name);
    }
    holding.sort();
    DataFolder folder(dir.path());
    const FileListing lyrics(folder, u"歌詞_*.txt"_s);
#ifdef Q_OS_UNIX
    const QByteArray fifo = QFile::encodeName(dir.filePath(u"歌詞_歌210_歌手.txt"_s));
    QVERIFY(::unlink(fifo.constData()) == 0 && ::mkfifo(fifo.constData(), 0644) == 0);
    ::alarm(30); // a read that waits on the FIFO ends the test here
#else
    QVERIFY(QFile::remove(dir.filePath(u"歌詞_歌210_歌手.txt"_s)));
#endif

    QStringList found;
    for (const QStringList& row : searchrules::songsWithLyricsHolding(folder, lyrics, TrackTable(), u"虹"_s))
        found.append(u"歌詞_"_s + row[searchrules::foundcol::kName] + u'_' + row[searchrules::foundcol::kArtist] + u".txt"_s);
    QCOMPARE(found, holding);
    const QList<LoadProblem> problems = folder.takeProblems();
    QCOMPARE(problems.size(), 1);
    QCOMPARE(problems[0].fileName, u"歌詞_歌140_歌手.txt"_s);
    QCOMPARE(problems[0].kind, LoadProblem::Kind::NotCp932);
#ifdef Q_OS_UNIX
    ::alarm(0);
#endif
}

void TestSearchRules::offersAPdfName_data()
{
    QTest::addColumn<QString>("song");
    QTest::addColumn<QString>("artist");
    QTest::addColumn<QString>("name");

    QTest::newRow("song and artist") << u"街"_s << u"甲"_s << u"街（甲）.pdf"_s;
    QTest::newRow("no artist") << u"街"_s << QString() << u"街.pdf"_s;
    QTest::newRow("no song") << QString() << QString() << u"歌詞.pdf"_s;
    QTest::newRow("characters a file name cannot hold") << u"A/B:C?"_s << u"甲|乙"_s << u"A_B_C_（甲_乙）.pdf"_s;
}

void TestSearchRules::offersAPdfName()
{
    QFETCH(QString, song);
    QFETCH(QString, artist);
    QFETCH(QString, name);
    QCOMPARE(lyricsrules::pdfFileName(song, artist), name);
}

QTEST_APPLESS_MAIN(TestSearchRules)
#include "tst_searchrules.moc"
