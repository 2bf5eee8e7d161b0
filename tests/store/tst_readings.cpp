#include "fixture.h"

#include "platform/readingguesser.h"
#include "store/collectionfiles.h"
#include "store/datafolder.h"
#include "store/readings.h"
#include "title/titlerules.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

// The readings file: kept and read back as it was, damage told by line, names it cannot
// hold refused, a name no title's files can take; and the readings MeCab suggests.
class TestReadings : public QObject {
    Q_OBJECT

private slots:
    void init();
    void roundTripsByteForByte();
    void tellsDamagedRecordsWithFileAndLine();
    void refusesWhatTheFileCannotHold();
    void carriesReadingsAlongAndDropsThoseOfGoneNames();
    void noTitleOwnsTheFile_data();
    void noTitleOwnsTheFile();
    void suggestsReadings_data();
    void suggestsReadings();

private:
    QString path() const { return m_tmp->filePath(readingfile::kName); }

    std::unique_ptr<QTemporaryDir> m_tmp;
    std::unique_ptr<DataFolder> m_folder;
};

void TestReadings::init()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    m_folder = std::make_unique<DataFolder>(m_tmp->path());
}

void TestReadings::roundTripsByteForByte()
{
    const QByteArray bytes = fixture::sjis(u"\"歌手\",\"椎名林檎\",\"シイナリンゴ\"\r\n"
                                           u"\"タイトル\",\"無罪モラトリアム\",\"ムザイ モラトリアム\"\r\n"
                                           u"\"曲\",\"丸の内サディスティック\",\"マルノウチサディスティック\"\r\n"
                                           u"\"歌手\",\"米津玄師\",\"ヨネヅケンシ\"\r\n"_s);
    QVERIFY(fixture::write(path(), bytes));
    ReadingTable table;
    LoadReadingFile(*m_folder, &table);
    QVERIFY(m_folder->takeProblems().isEmpty());
    QCOMPARE(table.count(), 4);
    QCOMPARE(table.reading(ReadingKind::Artist, u"米津玄師"_s), u"ヨネヅケンシ"_s);
    QCOMPARE(table.reading(ReadingKind::Title, u"無罪モラトリアム"_s), u"ムザイ モラトリアム"_s);

    QVERIFY(SaveReadingFile(*m_folder, table).ok());
    QCOMPARE(fixture::read(path()), bytes);
    QVERIFY(m_folder->takeKeptCopies().isEmpty());
}

void TestReadings::tellsDamagedRecordsWithFileAndLine()
{
    QVERIFY(fixture::write(path(), fixture::sjis(u"\"歌手\",\"椎名林檎\",\"シイナリンゴ\"\r\n"
                                                 u"\"作家\",\"夏目漱石\",\"ナツメソウセキ\"\r\n"
                                                 u"\"歌手\",\"米津玄師\",\"よねづ\"\r\n"
                                                 u"\"歌手\",\"椎名林檎\",\"シイナ\"\r\n"
                                                 u"\"タイトル\",\"\",\"ナナシ\"\r\n"
                                                 u"\"曲\",\"ギブス\"x,\"ギブス\"\r\n"
                                                 u"\"曲\",\"本能\",\"ホンノウ\r\n"_s)));
    ReadingTable table;
    LoadReadingFile(*m_folder, &table);
    // A file is told of once, at its first damaged record, with its line and its fault.
    const QList<LoadProblem> told = m_folder->takeProblems();
    QCOMPARE(told.size(), 1);
    QCOMPARE(told[0].message(),
             u"「読みデータ.DAT」の 2 行目を読み飛ばしました（「作家」は読みの種類（歌手、タイトル、曲）ではありません）。"_s);
    QCOMPARE(table.count(), 2);
    QCOMPARE(table.reading(ReadingKind::Artist, u"椎名林檎"_s), u"シイナリンゴ"_s);
    QCOMPARE(table.reading(ReadingKind::Song, u"ギブス"_s), u"ギブス"_s);
    // A record cut short holds the line break in its reading, which is no reading.
    QCOMPARE(table.reading(ReadingKind::Song, u"本能"_s), QString());

    // The damaged file is copied aside before it is first written.
    QVERIFY(SaveReadingFile(*m_folder, table).ok());
    QCOMPARE(m_folder->takeKeptCopies().size(), 1);
    ReadingTable reread;
    LoadReadingFile(*m_folder, &reread);
    QVERIFY(m_folder->takeProblems().isEmpty());
    QCOMPARE(reread.records(), table.records());
}

void TestReadings::refusesWhatTheFileCannotHold()
{
    ReadingTable table;
    QVERIFY(!table.set(ReadingKind::Artist, u"椎名林檎"_s, u"しいな りんご"_s));
    QCOMPARE(table.reading(ReadingKind::Artist, u"椎名林檎"_s), u"シイナ リンゴ"_s);
    QVERIFY(SaveReadingFile(*m_folder, table).ok());
    const QByteArray saved = fixture::read(path());

    const struct {
        QString name;
        QString reading;
        QString told;
    } refused[] = {
        {u"椎名♫"_s, u"シイナ"_s, u"「♫」はファイルに保存できない文字です。"_s},
        {u"say \"yes\""_s, u"セイイエス"_s, u"\" の文字は保存できない"_s},
        {u"一\n二"_s, u"イチニ"_s, u"改行やタブなどの制御文字"_s},
        {u"椎名林檎"_s, u"椎名"_s, u"「椎」は読みに使えない文字です。"_s},
    };
    for (const auto& r : refused) {
        const auto refusal = table.set(ReadingKind::Artist, r.name, r.reading);
        QVERIFY2(refusal && refusal->message.contains(r.told), qPrintable(r.name));
        QCOMPARE(refusal->title, u"使用不可文字"_s);
    }
    QCOMPARE(table.count(), 1);
    QCOMPARE(table.reading(ReadingKind::Artist, u"椎名林檎"_s), u"シイナ リンゴ"_s);

    // A name CP932 lacks that came in some other way is refused by the write, which
    // leaves the file as it was.
    table.addRead({ReadingKind::Song, u"♫"_s, u"オンプ"_s});
    const WriteResult result = SaveReadingFile(*m_folder, table);
    QCOMPARE(result.kind, WriteResult::Kind::Unstorable);
    QCOMPARE(result.character, u"♫"_s);
    QCOMPARE(fixture::read(path()), saved);
}

void TestReadings::carriesReadingsAlongAndDropsThoseOfGoneNames()
{
    ReadingTable table;
    QVERIFY(!table.set(ReadingKind::Artist, u"嵐"_s, u"アラシ"_s));
    QVERIFY(!table.set(ReadingKind::Title, u"旧題"_s, u"キュウダイ"_s));
    QVERIFY(!table.set(ReadingKind::Title, u"新題"_s, u"シンダイ"_s));
    QVERIFY(!table.set(ReadingKind::Title, u"消題"_s, u"ケシダイ"_s));
    QVERIFY(!table.set(ReadingKind::Title, u"消題"_s, u" "_s)); // typed empty: removed
    QVERIFY(!table.set(ReadingKind::Song, u"嵐"_s, u"ストーム"_s));

    table.rename(ReadingKind::Title, u"旧題"_s, u"改題"_s);
    QCOMPARE(table.reading(ReadingKind::Title, u"改題"_s), u"キュウダイ"_s);
    // A name that has a reading keeps its own.
    table.rename(ReadingKind::Title, u"改題"_s, u"新題"_s);
    QCOMPARE(table.reading(ReadingKind::Title, u"新題"_s), u"シンダイ"_s);
    QCOMPARE(table.count(), 3);

    QCOMPARE(table.prune({u"嵐"_s}, {u"改題"_s}, {}), 2);
    QVERIFY(SaveReadingFile(*m_folder, table).ok());
    QCOMPARE(fixture::read(path()), fixture::sjis(u"\"歌手\",\"嵐\",\"アラシ\"\r\n"_s));
}

void TestReadings::noTitleOwnsTheFile_data()
{
    QTest::addColumn<QString>("title");
    QTest::newRow("the file's stem") << u"読みデータ"_s;
    QTest::newRow("the file's name") << readingfile::kName;
    QTest::newRow("in lower case") << readingfile::kName.toLower();
}

void TestReadings::noTitleOwnsTheFile()
{
    QFETCH(QString, title);
    QStringList owned = titlerules::filesDeletedWithTitle(title);
    owned << files::trackListFile(title) << u"%1.TXT"_s.arg(title) << u"%1.JPG"_s.arg(title);
    for (const QString& file : owned)
        QVERIFY2(file.compare(readingfile::kName, Qt::CaseInsensitive) != 0, qPrintable(file));

    // Deleting such a title leaves the readings where they were.
    ReadingTable table;
    QVERIFY(!table.set(ReadingKind::Title, title, u"ヨミデータ"_s));
    QVERIFY(SaveReadingFile(*m_folder, table).ok());
    for (const QString& file : titlerules::filesDeletedWithTitle(title))
        QVERIFY(fixture::write(m_tmp->filePath(file), "x") && m_folder->remove(file));
    QVERIFY(QFile::exists(path()));
}

// How well MeCab reads a list of real artists is measured by bench_readings; here, that
// its reading and its doubt come through: a close second reading (達郎 タツオ or タツロウ),
// a word it does not know, kana it does not know, punctuation.
void TestReadings::suggestsReadings_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reading");
    QTest::addColumn<bool>("unsure");

    QTest::newRow("known words") << u"椎名林檎"_s << u"シイナリンゴ"_s << false;
    QTest::newRow("kanji and katakana") << u"宇多田ヒカル"_s << u"ウタダヒカル"_s << false;
    QTest::newRow("a close second reading") << u"山下達郎"_s << u"ヤマシタタツオ"_s << true;
    QTest::newRow("an unknown word kept") << u"乃木坂Qwxz"_s << u"ノギザカQwxz"_s << true;
    QTest::newRow("unknown kana read as written") << u"ぴょろぽ"_s << u"ピョロポ"_s << false;
    QTest::newRow("punctuation not read") << u"モーニング娘。"_s << u"モーニングムスメ"_s << false;
}

void TestReadings::suggestsReadings()
{
    QFETCH(QString, name);
    QFETCH(QString, reading);
    QFETCH(bool, unsure);
    const std::unique_ptr<ReadingGuesser> guesser = makeReadingGuesser();
    if (!guesser->isAvailable())
        QSKIP("MeCab with a UTF-8 IPA dictionary is not installed");
    QCOMPARE(guesser->guess(name), std::optional(ReadingGuess{reading, unsure}));
}

QTEST_GUILESS_MAIN(TestReadings)
#include "tst_readings.moc"
