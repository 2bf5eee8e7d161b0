#include "tracks/trackrules.h"

#include "store/namerules.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

// "song|artist" pairs, to keep the tables below short.
TrackTable tableOf(const QStringList& pairs)
{
    std::vector<TrackRecord> records;
    for (const QString& p : pairs)
        records.push_back({p.section(u'|', 0, 0), p.section(u'|', 1), {}, {}, {}, {}, {}});
    return TrackTable(std::move(records));
}

TrackTable tableOfArtists(const QStringList& artists)
{
    std::vector<TrackRecord> records;
    for (const QString& a : artists)
        records.push_back({u"曲"_s, a, {}, {}, {}, {}, {}});
    return TrackTable(std::move(records));
}

// The list the program offers as its worked example, as the memo holds it.
QStringList workedExample()
{
    return {
        u"＜曲目登録のルール＞"_s,
        QString(),
        u"街の風景"_s,
        u"はじまりさえ歌えない"_s,
        u"　　　　："_s,
        u"こんなふうでも…"_s,
        QString(),
        u"1.街の風景"_s,
        u"2.はじまりさえ歌えない"_s,
        u"　　　　："_s,
        u"こんな風に先頭に曲番が入っていてもＯＫ"_s,
        u"※Amazonからのコピーだとこうなります。"_s,
        QString(),
        u"ベスト版自作時はアーティスト名を「複数」とし、"_s,
        u"街の風景/ミナモ航路　のように曲名とアーティスト名を"_s,
        u"　　　　："_s,
        u"「/（スラッシュ）」で区切って入力します。"_s,
        QString(),
        u"わかったら上記を削除し、ルールに従って曲目を用意してください。"_s,
        QString(),
        u"※　AmazonのURL　　https://www.amazon.co.jp/"_s,
    };
}

} // namespace

// Cutting a pasted track list into songs, the compilation form "song/artist" and the
// songs that are new to the track data.
class TestTrackRules : public QObject {
    Q_OBJECT

private slots:
    void cutsLines_data();
    void cutsLines();
    void splitsMemoIntoLines_data();
    void splitsMemoIntoLines();
    void splitsCompilationLines_data();
    void splitsCompilationLines();
    void plainLinesAreWholeSongs();
    void refusesWorkedExampleUnlessCutDown();
    void numbersTracks_data();
    void numbersTracks();
    void reopensTrackList_data();
    void reopensTrackList();
    void findsNewTrackRecords_data();
    void findsNewTrackRecords();
    void listsArtistNames_data();
    void listsArtistNames();
};

void TestTrackRules::cutsLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("cutBox");
    QTest::addColumn<QString>("song");

    const QString period = u".（ピリオド）"_s;
    QTest::newRow("period after number") << u"1.街の風景"_s << period << u"街の風景"_s;
    QTest::newRow("two-digit number and blank") << u"12. Yesterday"_s << period << u"Yesterday"_s;
    QTest::newRow("hyphen entry") << u"03-Song-Two"_s << u"-（ハイフォン）"_s << u"Song-Two"_s;
    QTest::newRow("typed text, first character counts") << u"01：ABC：DEF"_s << u"：ABC"_s << u"ABC：DEF"_s;
    QTest::newRow("typed text, rest of it not searched") << u"ABC DEF"_s << u"：ABC"_s << u"ABC DEF"_s;
    QTest::newRow("empty cut text drops first character") << u"1街の風景"_s << QString() << u"街の風景"_s;
    QTest::newRow("empty cut text, then trimmed") << u"1 Song "_s << QString() << u"Song"_s;
    QTest::newRow("empty cut text on empty line") << QString() << QString() << QString();
    QTest::newRow("no cut character: whole") << u"こんなふうでも…"_s << period << u"こんなふうでも…"_s;
    QTest::newRow("no cut character: trimmed") << u"  街の風景  "_s << period << u"街の風景"_s;
    QTest::newRow("full stop is not a period") << u"※コピーだとこうなります。"_s << period
                                                << u"※コピーだとこうなります。"_s;
    QTest::newRow("song holding the cut character") << u"Mr.Children"_s << period << u"Children"_s;
    QTest::newRow("numbered song holding it") << u"1.Mr.Children"_s << period << u"Mr.Children"_s;
    QTest::newRow("cut character last") << u"Song."_s << period << QString();
    QTest::newRow("blanks around") << u"  2 .  はじまり さえ  "_s << period << u"はじまり さえ"_s;
    QTest::newRow("only blanks") << u"    "_s << period << QString();
    QTest::newRow("blank line") << QString() << period << QString();
    QTest::newRow("tabs stay") << u"1.\tSong\t"_s << period << u"\tSong\t"_s;
    QTest::newRow("ideographic spaces stay") << u"1. 　Song　 "_s << period << u"　Song　"_s;
    QTest::newRow("full-width colon line") << u"　　　　："_s << period << u"　　　　："_s;
    QTest::newRow("compilation line") << u"4. Song / 歌手 "_s << period << u"Song / 歌手"_s;
}

void TestTrackRules::cutsLines()
{
    QFETCH(QString, line);
    QFETCH(QString, cutBox);
    QFETCH(QString, song);

    const QString cut = trackrules::cutCharacter(cutBox);
    QCOMPARE(cut, cutBox.left(1));
    QCOMPARE(trackrules::cutLine(line, cut), song);
}

void TestTrackRules::splitsMemoIntoLines_data()
{
    QTest::addColumn<QString>("memo");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("CR LF") << u"a\r\nb\r\n"_s << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("LF") << u"a\nb\n"_s << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("mixed") << u"a\nb\r\nc\n"_s << QStringList{u"a"_s, u"b"_s, u"c"_s};
    QTest::newRow("no final line end") << u"a\r\nb"_s << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("one line, no line end") << u"街の風景"_s << QStringList{u"街の風景"_s};
    QTest::newRow("blank lines are empty lines") << u"a\r\n\r\n\r\nb\r\n"_s
                                                 << QStringList{u"a"_s, QString(), QString(), u"b"_s};
    QTest::newRow("blank line first") << u"\na\n"_s << QStringList{QString(), u"a"_s};
    QTest::newRow("blank last line") << u"a\r\n\r\n"_s << QStringList{u"a"_s, QString()};
    QTest::newRow("only a line end") << u"\r\n"_s << QStringList{QString()};
    QTest::newRow("blanks kept for cutting") << u" 1. a \n"_s << QStringList{u" 1. a "_s};
}

void TestTrackRules::splitsMemoIntoLines()
{
    QFETCH(QString, memo);
    QFETCH(QStringList, lines);
    QCOMPARE(trackrules::memoLines(memo), lines);
}

void TestTrackRules::splitsCompilationLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("song");
    QTest::addColumn<QString>("artist");

    QTest::newRow("one slash") << u"街の風景/ミナモ航路"_s << u"街の風景"_s << u"ミナモ航路"_s;
    QTest::newRow("no slash") << u"街の風景"_s << u"街の風景"_s << u"未登録"_s;
    QTest::newRow("empty line") << QString() << QString() << u"未登録"_s;
    QTest::newRow("two slashes: first separates") << u"A/B/C"_s << u"A"_s << u"B/C"_s;
    QTest::newRow("blanks beside the slash stay") << u"A / B"_s << u"A "_s << u" B"_s;
    QTest::newRow("slash first") << u"/B"_s << QString() << u"B"_s;
    QTest::newRow("slash last") << u"A/"_s << u"A"_s << QString();
    QTest::newRow("written back unregistered") << u"A/未登録"_s << u"A"_s << u"未登録"_s;
    QTest::newRow("full-width slash does not separate") << u"A／B"_s << u"A／B"_s << u"未登録"_s;
}

void TestTrackRules::splitsCompilationLines()
{
    QFETCH(QString, line);
    QFETCH(QString, song);
    QFETCH(QString, artist);

    const std::vector<trackrules::Track> tracks = trackrules::tracksOfLines({line}, true);
    QCOMPARE(tracks.size(), size_t(1));
    QCOMPARE(tracks[0].song, song);
    QCOMPARE(tracks[0].artist, artist);
}

void TestTrackRules::plainLinesAreWholeSongs()
{
    const std::vector<trackrules::Track> tracks =
        trackrules::tracksOfLines({u"A/B"_s, QString(), u"C"_s}, false);
    QCOMPARE(tracks.size(), size_t(3));
    QCOMPARE(tracks[0].song, u"A/B"_s);
    QCOMPARE(tracks[1].song, QString());
    QCOMPARE(tracks[2].song, u"C"_s);
    for (const trackrules::Track& t : tracks)
        QVERIFY(t.artist.isEmpty());
}

void TestTrackRules::refusesWorkedExampleUnlessCutDown()
{
    const QStringList example = workedExample();
    const QString memo = example.join(u"\r\n"_s);
    QCOMPARE(trackrules::memoLines(memo), example);

    const auto reported = [](const QString& list, bool compilation) {
        const std::optional<namerules::NameRefusal> refusal = namerules::trackListRefusal(list, compilation);
        return refusal ? refusal->character : QString();
    };
    // The web address on the last line holds a colon, reported before the slash.
    QCOMPARE(reported(memo, false), u":"_s);
    QCOMPARE(reported(memo, true), u":"_s);

    const QString withoutAddress = example.mid(0, 20).join(u"\r\n"_s);
    QCOMPARE(reported(withoutAddress, false), u"/"_s);
    QCOMPARE(reported(withoutAddress, true), QString());

    // Cut with the period entry as a compilation.
    QStringList cut;
    for (const QString& line : trackrules::memoLines(withoutAddress + u"\r\n"_s))
        cut.append(trackrules::cutLine(line, trackrules::cutCharacter(u".（ピリオド）"_s)));
    QCOMPARE(cut.size(), 20);
    QCOMPARE(cut[2], u"街の風景"_s);
    QCOMPARE(cut[4], u"　　　　："_s);
    QCOMPARE(cut[7], u"街の風景"_s);
    QCOMPARE(cut[8], u"はじまりさえ歌えない"_s);
    QCOMPARE(cut[19], QString());
    const std::vector<trackrules::Track> tracks = trackrules::tracksOfLines(cut, true);
    QCOMPARE(tracks[14].song, u"街の風景"_s);
    QCOMPARE(tracks[14].artist, u"ミナモ航路　のように曲名とアーティスト名を"_s);
}

void TestTrackRules::numbersTracks_data()
{
    QTest::addColumn<int>("r");
    QTest::addColumn<QString>("number");

    QTest::newRow("first") << 1 << u"01"_s;
    QTest::newRow("ninth") << 9 << u"09"_s;
    QTest::newRow("tenth") << 10 << u"10"_s;
    QTest::newRow("99th") << 99 << u"99"_s;
    QTest::newRow("hundredth") << 100 << u"100"_s;
}

void TestTrackRules::numbersTracks()
{
    QFETCH(int, r);
    QFETCH(QString, number);
    QCOMPARE(trackrules::trackNumber(r), number);
}

void TestTrackRules::reopensTrackList_data()
{
    QTest::addColumn<QStringList>("songs");
    QTest::addColumn<QStringList>("artists"); // empty for a plain title
    QTest::addColumn<QString>("memo");

    QTest::newRow("plain") << QStringList{u"街の風景"_s, QString(), u"B"_s} << QStringList()
                           << u"街の風景\r\n\r\nB\r\n"_s;
    QTest::newRow("compilation") << QStringList{u"A"_s, u"B"_s} << QStringList{u"ミナモ航路"_s, u"X/Y"_s}
                                 << u"A/ミナモ航路\r\nB/X/Y\r\n"_s;
    QTest::newRow("unregistered artist written out")
        << QStringList{u"A"_s} << QStringList{u"未登録"_s} << u"A/未登録\r\n"_s;
    QTest::newRow("blanks beside the slash") << QStringList{u"A "_s} << QStringList{u" B"_s}
                                             << u"A / B\r\n"_s;
}

void TestTrackRules::reopensTrackList()
{
    QFETCH(QStringList, songs);
    QFETCH(QStringList, artists);
    QFETCH(QString, memo);

    const bool compilation = !artists.isEmpty();
    std::vector<trackrules::Track> tracks;
    for (qsizetype i = 0; i < songs.size(); ++i)
        tracks.push_back({songs[i], compilation ? artists[i] : QString()});

    QCOMPARE(trackrules::memoOfTracks(tracks, compilation), memo);

    // Confirmed again, the memo gives the same tracks back.
    const std::vector<trackrules::Track> back = trackrules::tracksOfLines(trackrules::memoLines(memo), compilation);
    QCOMPARE(back.size(), tracks.size());
    for (size_t i = 0; i < back.size(); ++i) {
        QCOMPARE(back[i].song, tracks[i].song);
        QCOMPARE(back[i].artist, tracks[i].artist);
    }
}

void TestTrackRules::findsNewTrackRecords_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("compilation");
    QTest::addColumn<QString>("titleArtist");
    QTest::addColumn<QStringList>("table");
    QTest::addColumn<QStringList>("added");

    QTest::newRow("known pair skipped") << QStringList{u"A"_s, u"B"_s} << false << u"X"_s
                                        << QStringList{u"A|X"_s} << QStringList{u"B|X"_s};
    QTest::newRow("same song, other artist is new") << QStringList{u"A"_s} << false << u"X"_s
                                                     << QStringList{u"A|Y"_s, u"B|X"_s} << QStringList{u"A|X"_s};
    QTest::newRow("letter case counts") << QStringList{u"a"_s} << false << u"X"_s
                                        << QStringList{u"A|X"_s} << QStringList{u"a|X"_s};
    QTest::newRow("pair twice in the list added once") << QStringList{u"A"_s, u"B"_s, u"A"_s} << false << u"X"_s
                                                       << QStringList() << QStringList{u"A|X"_s, u"B|X"_s};
    QTest::newRow("empty song never") << QStringList{QString(), u"A"_s, QString()} << false << u"X"_s
                                      << QStringList() << QStringList{u"A|X"_s};
    QTest::newRow("all known") << QStringList{u"A"_s, u"B"_s} << false << u"X"_s
                               << QStringList{u"B|X"_s, u"A|X"_s} << QStringList();
    QTest::newRow("unregistered title artist") << QStringList{u"A"_s} << false << u"未登録"_s
                                               << QStringList{u"A|X"_s} << QStringList{u"A|未登録"_s};
    QTest::newRow("compilation uses each track's artist")
        << QStringList{u"A/P"_s, u"B/Q"_s, u"A/Q"_s} << true << u"複数"_s << QStringList{u"A|P"_s}
        << QStringList{u"B|Q"_s, u"A|Q"_s};
    QTest::newRow("compilation line without slash") << QStringList{u"C"_s} << true << u"複数"_s
                                                    << QStringList() << QStringList{u"C|未登録"_s};
    QTest::newRow("compilation not stored under the title artist")
        << QStringList{u"A/P"_s} << true << u"複数"_s << QStringList{u"A|複数"_s} << QStringList{u"A|P"_s};
    QTest::newRow("compilation, empty song with artist") << QStringList{u"/P"_s} << true << u"複数"_s
                                                         << QStringList() << QStringList();
}

void TestTrackRules::findsNewTrackRecords()
{
    QFETCH(QStringList, lines);
    QFETCH(bool, compilation);
    QFETCH(QString, titleArtist);
    QFETCH(QStringList, table);
    QFETCH(QStringList, added);

    const std::vector<TrackRecord> records = trackrules::newTrackRecords(
        trackrules::tracksOfLines(lines, compilation), compilation, titleArtist, tableOf(table));
    QStringList got;
    for (const TrackRecord& r : records) {
        got.append(r.name + u'|' + r.artist);
        QVERIFY(r.genre.isEmpty() && r.lyricist.isEmpty() && r.composer.isEmpty());
        QVERIFY(r.arranger.isEmpty() && r.reserved.isEmpty());
    }
    QCOMPARE(got, added);
}

void TestTrackRules::listsArtistNames_data()
{
    QTest::addColumn<QStringList>("artists");
    QTest::addColumn<QString>("list");

    QTest::newRow("empty table") << QStringList() << QString();
    QTest::newRow("table order") << QStringList{u"B"_s, u"A"_s} << u"/B\r\n/A\r\n"_s;
    QTest::newRow("duplicates once") << QStringList{u"A"_s, u"B"_s, u"A"_s, u"B"_s} << u"/A\r\n/B\r\n"_s;
    QTest::newRow("name inside an earlier name left out") << QStringList{u"AB"_s, u"B"_s} << u"/AB\r\n"_s;
    QTest::newRow("longer name after a shorter one listed") << QStringList{u"B"_s, u"AB"_s} << u"/B\r\n/AB\r\n"_s;
    QTest::newRow("Japanese name inside an earlier one")
        << QStringList{u"ミナモ航路"_s, u"航路"_s, u"未登録"_s} << u"/ミナモ航路\r\n/未登録\r\n"_s;
    QTest::newRow("letter case counts") << QStringList{u"abc"_s, u"B"_s} << u"/abc\r\n/B\r\n"_s;
    QTest::newRow("inside a name itself left out")
        << QStringList{u"星空の旅人たち"_s, u"空の旅人"_s, u"の旅人"_s} << u"/星空の旅人たち\r\n"_s;
    QTest::newRow("long name at the end of an earlier one")
        << QStringList{u"夜明けの歌手12号"_s, u"歌手12号"_s, u"歌手21号"_s} << u"/夜明けの歌手12号\r\n/歌手21号\r\n"_s;
    QTest::newRow("empty name never listed") << QStringList{u""_s, u"A"_s} << u"/A\r\n"_s;
    QTest::newRow("slash name found with the entry's slash")
        << QStringList{u"ABC"_s, u"/AB"_s, u"B/"_s} << u"/ABC\r\n/B/\r\n"_s;
    QTest::newRow("name with a line end found across entries")
        << QStringList{u"AB"_s, u"CD"_s, u"B\r\n/C"_s} << u"/AB\r\n/CD\r\n"_s;
}

void TestTrackRules::listsArtistNames()
{
    QFETCH(QStringList, artists);
    QFETCH(QString, list);
    QCOMPARE(trackrules::artistNameList(tableOfArtists(artists)), list);
}

QTEST_APPLESS_MAIN(TestTrackRules)
#include "tst_trackrules.moc"
