#include "fixture.h"
#include "store/collectionfiles.h"
#include "store/datafolder.h"
#include "store/masterlist.h"
#include "store/settings.h"
#include "store/titletable.h"
#include "store/tracktable.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using fixture::sjis;

// The title file, the track data file, the masters and the settings file, read from and
// written to real CP932 bytes.
class TestCollection : public QObject {
    Q_OBJECT

private slots:
    void init();
    void readsTitleFileEdgeCases();
    void rewritesTitleFileByteForByte();
    void changingOneTitleLeavesOtherLinesAlone();
    void appendsTitleRecords();
    void refusesQuotesAndUnstorableCharacters();
    void readsLooseTitleLines();
    void missingTitleFileIsCreatedEmpty();
    void findsFirstTitleOfAName();
    void loadsTablesBeyondSixteenBits();
    void reportsDamagedTitleFile();
    void quoteInStoredFieldIsReportedAndRepaired();
    void caseTwinsAreReportedOnce();
    void trackListAndNewSongsAreWrittenTogether();
    void readsAndWritesTrackData();
    void readsAndAppendsMasters();
    void readsAndWritesSettings();

private:
    std::unique_ptr<QTemporaryDir> m_tmp;
    std::unique_ptr<DataFolder> m_folder;
    QString path(const QString& name) const { return m_tmp->filePath(name); }
    void put(const QString& name, const QByteArray& bytes) { QVERIFY(fixture::write(path(name), bytes)); }
};

void TestCollection::init()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tmp->isValid());
    m_folder = std::make_unique<DataFolder>(m_tmp->path());
}

void TestCollection::readsTitleFileEdgeCases()
{
    put(u"データ.txt"_s, fixture::readFixture(u"titles_edge.TXT"_s));
    TitleTable table;
    LoadTitleFile(*m_folder, &table);
    QVERIFY(m_folder->takeProblems().isEmpty());
    QCOMPARE(table.count(), 5);
    QCOMPARE(table.at(1), (TitleRecord{u"青い空"_s, u"ミナモ航路"_s, u"J-POP"_s, u"◎"_s, u"CD"_s,
                                       u"2021/04/18"_s, u"初回盤,ブックレット付き"_s}));
    QCOMPARE(table.at(2).name, u"①②Ⅲ㈱　髙"_s);
    QCOMPARE(table.at(2).memo, QString());
    QCOMPARE(table.at(3).name, u"波～の歌"_s);
    QCOMPARE(table.at(3).memo, u"一行目\r\n二行目"_s);
    QCOMPARE(table.at(4).memo, u"C:\\メモ"_s);
    QCOMPARE(table.at(5).name, u"最後の行"_s); // last line had no CR LF
    QCOMPARE(table.at(5).date, u"2026/12/07"_s);
}

void TestCollection::rewritesTitleFileByteForByte()
{
    const QByteArray original = fixture::readFixture(u"titles_edge.TXT"_s);
    put(u"データ.TXT"_s, original);
    TitleTable table;
    LoadTitleFile(*m_folder, &table);
    QVERIFY(SaveTitleFile(*m_folder, table).ok());
    // The only change is the line end the last line lacked.
    QCOMPARE(fixture::read(path(u"データ.TXT"_s)), original + "\r\n");
}

void TestCollection::changingOneTitleLeavesOtherLinesAlone()
{
    put(u"データ.TXT"_s, fixture::readFixture(u"titles_edge.TXT"_s) + "\r\n");
    TitleTable table;
    LoadTitleFile(*m_folder, &table);
    const QList<QByteArray> before = fixture::read(path(u"データ.TXT"_s)).split('\n');
    table.setGenre(2, u"演歌"_s);
    QVERIFY(SaveTitleFile(*m_folder, table).ok());
    const QList<QByteArray> after = fixture::read(path(u"データ.TXT"_s)).split('\n');
    QCOMPARE(after.size(), before.size());
    for (int i = 0; i < before.size(); ++i) {
        if (i == 1)
            QCOMPARE(after[i], QByteArray(before[i]).replace(sjis(u"ロック"_s), sjis(u"演歌"_s)));
        else
            QCOMPARE(after[i], before[i]);
    }
    TitleTable reread;
    LoadTitleFile(*m_folder, &reread);
    QCOMPARE(reread.records(), table.records());
}

void TestCollection::appendsTitleRecords()
{
    put(u"データ.TXT"_s, sjis(u"\"一\",\"a\",\"b\",\"c\",\"d\",\"e\",\"\""_s)); // no final CR LF
    const TitleRecord added{u"新しい題"_s, u"未登録"_s, u"未登録"_s, u"未"_s, u"未登録"_s, u"2026/12/07"_s, {}};
    QVERIFY(AppendTitle(*m_folder, TitleTable(), added).ok());
    QCOMPARE(fixture::read(path(u"データ.TXT"_s)),
             sjis(u"\"一\",\"a\",\"b\",\"c\",\"d\",\"e\",\"\"\r\n"
                  "\"新しい題\",\"未登録\",\"未登録\",\"未\",\"未登録\",\"2026/12/07\",\"\"\r\n"_s));
    TitleTable table;
    LoadTitleFile(*m_folder, &table);
    QCOMPARE(table.count(), 2);
    QCOMPARE(table.at(2), added);
}

void TestCollection::refusesQuotesAndUnstorableCharacters()
{
    const QByteArray original = fixture::readFixture(u"titles_edge.TXT"_s);
    put(u"データ.TXT"_s, original);
    TitleTable table;
    LoadTitleFile(*m_folder, &table);

    TitleTable quoted = table;
    quoted.setArtist(1, u"The \"Band\""_s);
    WriteResult r = SaveTitleFile(*m_folder, quoted);
    QCOMPARE(r.kind, WriteResult::Kind::DoubleQuote);
    QVERIFY(!r.message().isEmpty());

    TitleTable emoji = table;
    emoji.setArtist(3, u"Beyoncé"_s);
    r = SaveTitleFile(*m_folder, emoji);
    QCOMPARE(r.kind, WriteResult::Kind::Unstorable);
    QCOMPARE(r.character, u"é"_s);

    r = AppendTitle(*m_folder, table, {u"題"_s, u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s, u"メモ\"引用\""_s});
    QCOMPARE(r.kind, WriteResult::Kind::DoubleQuote);
    QCOMPARE(fixture::read(path(u"データ.TXT"_s)), original);
}

void TestCollection::readsLooseTitleLines()
{
    put(u"データ.TXT"_s, fixture::readFixture(u"titles_loose.TXT"_s));
    TitleTable table;
    LoadTitleFile(*m_folder, &table);
    // The text after a closing quote is dropped as in reading, but not silently: the
    // file is reported, so its original is kept before it is first rewritten.
    const QList<LoadProblem> problems = m_folder->takeProblems();
    QCOMPARE(problems.size(), 1);
    QCOMPARE(problems[0].kind, LoadProblem::Kind::TextAfterQuote);
    QCOMPARE(problems[0].line, 1);
    QCOMPARE(table.count(), 1);
    QCOMPARE(table.at(1), (TitleRecord{u"題名A"_s, u"歌手"_s, u"ジャンル"_s, u"◎"_s, u"CD"_s,
                                       u"2020/1/1"_s, QString()}));

    // An end-of-file mark and zero padding after the last line are no record or entry.
    put(u"データ.TXT"_s, fixture::readFixture(u"titles_loose.TXT"_s).replace(sjis(u"余り"_s), QByteArray()) + "\x1a");
    put(u"歌手マスタ.txt"_s, sjis(u"甲\r\n乙\r\n"_s) + QByteArray(3, '\0'));
    LoadTitleFile(*m_folder, &table);
    QCOMPARE(table.count(), 1);
    QCOMPARE(ReadMaster(*m_folder, Master::Artist), (QStringList{u"甲"_s, u"乙"_s}));
    QVERIFY(m_folder->takeProblems().isEmpty());
}

void TestCollection::missingTitleFileIsCreatedEmpty()
{
    TitleTable table(std::vector<TitleRecord>(3));
    LoadTitleFile(*m_folder, &table);
    QCOMPARE(table.count(), 0);
    QCOMPARE(table.find(QString()), 0);
    QCOMPARE(fixture::read(path(u"データ.TXT"_s)), QByteArray());
    QVERIFY(QFile::exists(path(u"データ.TXT"_s)));

    put(u"データ.TXT"_s, QByteArray());
    LoadTitleFile(*m_folder, &table);
    QCOMPARE(table.count(), 0);
}

void TestCollection::findsFirstTitleOfAName()
{
    put(u"データ.TXT"_s, sjis(u"\"A\",\"1\",\"\",\"\",\"\",\"\",\"\"\r\n\"B\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"
                               "\"A\",\"2\",\"\",\"\",\"\",\"\",\"\"\r\n\"a\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"_s));
    TitleTable table;
    LoadTitleFile(*m_folder, &table);
    QCOMPARE(table.count(), 4);
    QCOMPARE(table.find(u"A"_s), 1);
    QCOMPARE(table.find(u"a"_s), 4);
    QCOMPARE(table.find(u"Ａ"_s), 0);
    QCOMPARE(table.find(u"C"_s), 0);
}

void TestCollection::loadsTablesBeyondSixteenBits()
{
    const int n = 40000;
    QString titles, tracks;
    for (int i = 1; i <= n; ++i) {
        titles += u"\"題%1\",\"歌手\",\"J-POP\",\"◎\",\"CD\",\"2026/01/01\",\"\"\r\n"_s.arg(i);
        tracks += u"\"曲%1\",\"歌手\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"_s.arg(i);
    }
    put(u"データ.TXT"_s, sjis(titles));
    put(u"曲目データ.TXT"_s, sjis(tracks));
    TitleTable titleTable;
    TrackTable trackTable;
    LoadTitleFile(*m_folder, &titleTable);
    LoadTrackTable(*m_folder, &trackTable);
    QCOMPARE(titleTable.count(), n);
    QCOMPARE(trackTable.count(), n);
    QCOMPARE(titleTable.at(n).name, u"題40000"_s);
    QCOMPARE(titleTable.find(u"題32767"_s), 32767);
    QVERIFY(trackTable.contains(u"曲39999"_s, u"歌手"_s));
}

void TestCollection::reportsDamagedTitleFile()
{
    put(u"データ.TXT"_s, fixture::readFixture(u"titles_cut.TXT"_s));
    TitleTable table;
    LoadTitleFile(*m_folder, &table);
    // Read as far as it goes: the cut record is kept with what it has.
    QCOMPARE(table.count(), 2);
    QCOMPARE(table.at(2).name, u"三"_s);
    QCOMPARE(table.at(2).genre, u"b"_s);
    const QList<LoadProblem> problems = m_folder->takeProblems();
    QCOMPARE(problems.size(), 1);
    QCOMPARE(problems[0].kind, LoadProblem::Kind::EndsWithinRecord);
    QCOMPARE(problems[0].line, 2);
    QVERIFY(problems[0].message().contains(u"データ.TXT"_s));

    // The first write keeps the damaged original beside the file. An appended title
    // would run into the cut record, so the file is written whole and the title stays
    // its own; the next title is appended as usual.
    QVERIFY(AppendTitle(*m_folder, table, {u"四"_s, {}, {}, {}, {}, {}, {}}).ok());
    const QStringList kept = m_folder->takeKeptCopies();
    QCOMPARE(kept.size(), 1);
    QCOMPARE(fixture::read(path(kept[0])), fixture::readFixture(u"titles_cut.TXT"_s));
    LoadTitleFile(*m_folder, &table);
    QVERIFY(AppendTitle(*m_folder, table, {u"五"_s, {}, {}, {}, {}, {}, {}}).ok());
    LoadTitleFile(*m_folder, &table);
    QCOMPARE(table.count(), 4);
    QCOMPARE(table.find(u"四"_s), 3);
    QCOMPARE(table.find(u"五"_s), 4);
    QCOMPARE(table.at(2).rating, QString());
    QVERIFY(m_folder->takeProblems().isEmpty());
    QVERIFY(m_folder->takeKeptCopies().isEmpty());
}

// A quote typed by hand into an unquoted field: reported as damage, read as the
// full-width ” and written back so, which keeps the file writable. After a stray byte
// that ” would join into another character it is read as an apostrophe: the text
// written reads back as it was read, and the stray byte stays in the file.
void TestCollection::quoteInStoredFieldIsReportedAndRepaired()
{
    const QByteArray original = sjis(u"\"一\",\"歌手\",\"J\",\"◎\",\"CD\",\"2026/12/07\",\"\"\r\n"
                                     "\"二\",\"歌手\",\"J\",\"◎\",\"CD\",\"2026/12/07\",12\"盤\r\n"_s);
    put(u"データ.TXT"_s, original);
    TitleTable table;
    LoadTitleFile(*m_folder, &table);
    QCOMPARE(table.at(2).memo, u"12”盤"_s);
    const QList<LoadProblem> problems = m_folder->takeProblems();
    QCOMPARE(problems.size(), 1);
    QCOMPARE(problems[0].kind, LoadProblem::Kind::QuoteInField);
    QCOMPARE(problems[0].line, 2);
    QVERIFY(problems[0].message().contains(u"データ.TXT"_s));

    table.setGenre(1, u"ロック"_s);
    QVERIFY(SaveTitleFile(*m_folder, table).ok());
    QVERIFY(fixture::read(path(u"データ.TXT"_s)).contains(sjis(u"\"12”盤\"\r\n"_s)));
    const QStringList kept = m_folder->takeKeptCopies();
    QCOMPARE(kept.size(), 1);
    QCOMPARE(fixture::read(path(kept[0])), original);

    // Stray bytes E1 and 85 before quotes: ” would join E1 into 瘁 but not 85.
    put(u"曲目データ.TXT"_s, "\"3\",\"x\",ab\xe1\"c,d\x85\"e,\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n");
    TrackTable tracks;
    LoadTrackTable(*m_folder, &tracks);
    QCOMPARE(tracks.at(1).genre, u"ab\xdce1'c"_s);
    QCOMPARE(tracks.at(1).lyricist, u"d\xdc85”e"_s);
    QVERIFY(SaveTrackTable(*m_folder, tracks.records()).ok());
    QCOMPARE(fixture::read(path(u"曲目データ.TXT"_s)),
             QByteArray("\"3\",\"x\",\"ab\xe1'c\",\"d\x85\x81\x68\x65\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"));
    const std::vector<TrackRecord> written = tracks.records();
    LoadTrackTable(*m_folder, &tracks);
    QVERIFY(tracks.records() == written);
}

// Names that differ only in letter case share their files: told once per pair, the
// exact look-up still finds each.
void TestCollection::caseTwinsAreReportedOnce()
{
    QString lines;
    for (const QString& name : {u"ABC"_s, u"x"_s, u"abc"_s, u"Abc"_s, u"ＡＢＣ"_s})
        lines += u"\"%1\",\"\",\"\",\"\",\"\",\"\",\"%2\"\r\n"_s.arg(name, name == u"x"_s ? u"memo\r\non\r\nlines"_s : QString());
    put(u"データ.TXT"_s, sjis(lines));
    TitleTable table;
    LoadTitleFile(*m_folder, &table);
    QCOMPARE(table.find(u"abc"_s), 3);
    QCOMPARE(table.findIgnoringCase(u"aBc"_s), 1);
    QCOMPARE(table.findIgnoringCase(u"ａｂｃ"_s), 0);
    const QList<LoadProblem> problems = m_folder->takeProblems();
    QCOMPARE(problems.size(), 2);
    for (const LoadProblem& p : problems) {
        QCOMPARE(p.kind, LoadProblem::Kind::CaseTwins);
        QCOMPARE(p.otherName, u"ABC"_s);
        QVERIFY(p.message().contains(u"「ABC」"_s) && p.message().contains(u"「%1」"_s.arg(p.name)));
    }
    // Each title is named with the line its record starts on: x's memo spans three.
    QCOMPARE(problems[0].name, u"abc"_s);
    QCOMPARE(problems[1].line, 6);
    QCOMPARE(problems[1].message(), u"「データ.TXT」の 6 行目のタイトル「Abc」は、1 行目のタイトル「ABC」と英字の大文字・小文字だけが違うため、"
                                    "曲目や画像のファイルを共有しています。"_s);
    // Reloading after a change does not say it again, and nothing was copied aside.
    LoadTitleFile(*m_folder, &table);
    QVERIFY(m_folder->takeProblems().isEmpty());
    QVERIFY(SaveTitleFile(*m_folder, table).ok());
    QVERIFY(m_folder->takeKeptCopies().isEmpty());
}

// A track list and the songs it adds change together or not at all.
void TestCollection::trackListAndNewSongsAreWrittenTogether()
{
    const QByteArray songs = sjis(u"\"古\",\"歌手\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"_s);
    put(u"曲目データ.TXT"_s, songs);
    TrackTable tracks;
    LoadTrackTable(*m_folder, &tracks);
    const std::vector<TrackRecord> added{{u"新"_s, u"歌手"_s, {}, {}, {}, {}, {}}};

    // The list's name is taken by a folder: neither file changes, nothing is left over.
    QVERIFY(QDir(m_tmp->path()).mkdir(u"曲目_X.txt"_s));
    const WriteResult failed = WriteTrackList(*m_folder, tracks, u"曲目_X.txt"_s, u"古\r\n新\r\n"_s, added);
    QCOMPARE(failed.kind, WriteResult::Kind::Io);
    QVERIFY(failed.message().contains(u"曲目_X.txt"_s));
    QVERIFY(failed.message().contains(u"元のまま"_s));
    QCOMPARE(fixture::read(path(u"曲目データ.TXT"_s)), songs);
    QCOMPARE(QDir(m_tmp->path()).entryList(QDir::Files), QStringList{u"曲目データ.TXT"_s});

    QVERIFY(WriteTrackList(*m_folder, tracks, u"曲目_Y.txt"_s, u"古\r\n新\r\n"_s, added).ok());
    QCOMPARE(fixture::read(path(u"曲目_Y.txt"_s)), sjis(u"古\r\n新\r\n"_s));
    QCOMPARE(fixture::read(path(u"曲目データ.TXT"_s)),
             songs + sjis(u"\"新\",\"歌手\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"_s));
}

void TestCollection::readsAndWritesTrackData()
{
    put(u"曲目データ.txt"_s, fixture::readFixture(u"tracks_edge.TXT"_s));
    TrackTable table;
    LoadTrackTable(*m_folder, &table);
    QCOMPARE(table.count(), 2);
    QCOMPARE(table.at(1), (TrackRecord{u"潮騒"_s, u"ミナモ航路"_s, u"バラード"_s, u"星川"_s, u"朝霧"_s,
                                       u"久遠"_s, u"十二番"_s}));
    QVERIFY(table.contains(u"曲名"_s, u"歌手"_s));
    QVERIFY(!table.contains(u"曲名"_s, u"歌手 "_s));
    QVERIFY(!table.contains(u"歌手"_s, u"曲名"_s));

    // Fields 7 to 11 are not kept; field 12 is.
    QVERIFY(SaveTrackTable(*m_folder, table.records()).ok());
    QCOMPARE(fixture::read(path(u"曲目データ.txt"_s)),
             sjis(u"\"潮騒\",\"ミナモ航路\",\"バラード\",\"星川\",\"朝霧\",\"久遠\",\"\",\"\",\"\",\"\",\"\",\"十二番\"\r\n"
                  "\"曲名\",\"歌手\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"_s));

    QVERIFY(AppendTrackRecords(*m_folder, table, {{u"新曲"_s, u"複数の歌手"_s, {}, {}, {}, {}, {}},
                                           {u"新曲"_s, u"複数の歌手"_s, {}, {}, {}, {}, {}}}).ok());
    LoadTrackTable(*m_folder, &table);
    QCOMPARE(table.count(), 4);
    const WriteResult r = AppendTrackRecords(*m_folder, table, {{u"ok"_s, u"a"_s, {}, {}, {}, {}, {}},
                                                         {u"x"_s, u"\"q\""_s, {}, {}, {}, {}, {}}});
    QCOMPARE(r.kind, WriteResult::Kind::DoubleQuote);
    LoadTrackTable(*m_folder, &table);
    QCOMPARE(table.count(), 4);

    TrackTable none(std::vector<TrackRecord>(2));
    QVERIFY(m_folder->remove(u"曲目データ.TXT"_s));
    LoadTrackTable(*m_folder, &none);
    QCOMPARE(none.count(), 0);
}

void TestCollection::readsAndAppendsMasters()
{
    put(u"作詞マスタ.TXT"_s, fixture::readFixture(u"master_lyricists.txt"_s));
    QCOMPARE(ReadMaster(*m_folder, Master::Lyricist),
             (QStringList{u"星川こより"_s, QString(), u"水無月あおい"_s}));
    QVERIFY(AppendMasterName(*m_folder, Master::Lyricist, u"新しい人"_s).ok());
    QCOMPARE(fixture::read(path(u"作詞マスタ.TXT"_s)),
             fixture::readFixture(u"master_lyricists.txt"_s) + sjis(u"\r\n新しい人\r\n"_s));
    QCOMPARE(AppendMasterName(*m_folder, Master::Lyricist, u"二\n行"_s).kind, WriteResult::Kind::ControlCharacter);

    QVERIFY(ReadMaster(*m_folder, Master::Artist).isEmpty());
    QVERIFY(AppendMasterName(*m_folder, Master::SongGenre, u"バラード"_s).ok());
    QCOMPARE(fixture::read(path(u"ジャンルマスタ２.txt"_s)), sjis(u"バラード\r\n"_s));
    QVERIFY(WriteMaster(*m_folder, Master::SongGenre, {}).ok());
    QCOMPARE(fixture::read(path(u"ジャンルマスタ２.txt"_s)), QByteArray());
}

void TestCollection::readsAndWritesSettings()
{
    QCOMPARE(LoadSettings(*m_folder), std::nullopt);
    put(u"設定.txt"_s, fixture::readFixture(u"settings_on.TXT"_s));
    QCOMPARE(LoadSettings(*m_folder), 1);
    QVERIFY(SaveSettings(*m_folder, 0).ok());
    QCOMPARE(fixture::read(path(u"設定.txt"_s)), sjis(u"\"ヘルプツアー\",0\r\n"_s));
    QCOMPARE(LoadSettings(*m_folder), 0);
    put(u"設定.txt"_s, sjis(u"\"ヘルプツアー\",\"x\"\r\n"_s));
    QCOMPARE(LoadSettings(*m_folder), std::nullopt);
}

QTEST_APPLESS_MAIN(TestCollection)
#include "tst_collection.moc"
