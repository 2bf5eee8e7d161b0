#include "uifixture.h"

#include "exchange/csvexport.h"
#include "exchange/exportpanel.h"
#include "exchange/htmlcatalogue.h"
#include "upkeep/masterscreen.h"

#include <QBuffer>
#include <QComboBox>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QXmlStreamReader>

#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// The rows of a CSV file as Python's csv module reads them.
std::vector<QStringList> readByPython(const QString& path, const QString& encoding)
{
    const QString python = QStandardPaths::findExecutable(u"python3"_s);
    if (python.isEmpty())
        return {};
    QProcess p;
    p.start(python, {u"-c"_s, u"import csv,json,sys\n"
                              "with open(sys.argv[1], newline='', encoding=sys.argv[2]) as f:\n"
                              "    json.dump(list(csv.reader(f, strict=True)), sys.stdout)\n"_s,
                     path, encoding});
    p.waitForFinished();
    std::vector<QStringList> rows;
    for (const QJsonValue& row : QJsonDocument::fromJson(p.readAllStandardOutput()).array()) {
        QStringList cells;
        for (const QJsonValue& cell : row.toArray())
            cells.append(cell.toString());
        rows.push_back(cells);
    }
    return rows;
}

// A collection whose fields hold what CSV and HTML must carry safely.
struct ExportFixture {
    ExportFixture()
    {
        QVERIFY(f.put(u"データ.TXT"_s,
                      u"\"Blue\",\"歌手, その他\",\"J-POP\",\"◎\",\"CD\",\"2026/12/07\",\"初回盤,①髙﨑 <script>&'\"\r\n"
                      "\"ベスト\",\"複数\",\"アニメ\",\"○\",\"LP\",\"2020/01/01\",\"\"\r\n"_s));
        QVERIFY(f.put(u"曲目データ.TXT"_s,
                      u"\"海, 夜\",\"歌手, その他\",\"J-POP\",\"髙橋\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"
                      "\"空\",\"Ａ&B\",\"アニメ\",\"\",\"①\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"_s));
        QVERIFY(f.put(u"曲目_Blue.txt"_s, u"海, 夜\r\n<b>波</b>\r\n"_s));
        QVERIFY(f.put(u"曲目_ベスト.txt"_s, u"空/Ａ&B\r\n"_s));
        QVERIFY(f.put(u"歌詞_空_Ａ&B.txt"_s, u"らら\r\n"_s));
        QImage cover(300, 200, QImage::Format_RGB32);
        cover.fill(qRgb(0, 90, 200));
        QBuffer buffer(&coverBytes);
        buffer.open(QIODevice::WriteOnly);
        cover.save(&buffer, "JPG");
        QVERIFY(f.putBytes(u"Blue.jpg"_s, coverBytes));
        MainWindow& w = f.start();
        QTest::mouseClick(w.fraMaster->cmdExport, Qt::LeftButton);
        panel = w.fraMaster->frmExport;
        QVERIFY(panel->isVisible());
    }

    UiFixture f;
    QTemporaryDir out;
    QByteArray coverBytes;
    ExportPanel* panel = nullptr;
};

} // namespace

// 書き出し: the lists as CSV a spreadsheet reads back as the list screens show them, and
// the HTML catalogue, each written whole or not at all.
class TestExport : public QObject {
    Q_OBJECT

private slots:
    void csvQuoting_data();
    void csvQuoting();
    void listsReadBackAsShown_data();
    void listsReadBackAsShown();
    void catalogueParsesBackEscaped();
    void catalogueReplacedOnlyWhenAgreed();
};

void TestExport::csvQuoting_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("field");
    QTest::newRow("plain") << u"青い灯台"_s << u"青い灯台"_s;
    QTest::newRow("comma") << u"a,b"_s << u"\"a,b\""_s;
    QTest::newRow("quote doubled") << u"say \"hi\""_s << u"\"say \"\"hi\"\"\""_s;
    QTest::newRow("line break") << u"1\r\n2"_s << u"\"1\r\n2\""_s;
    QTest::newRow("lone LF") << u"1\n2"_s << u"\"1\n2\""_s;
    QTest::newRow("empty") << QString() << QString();
}

void TestExport::csvQuoting()
{
    QFETCH(QString, text);
    QFETCH(QString, field);
    QCOMPARE(csvexport::field(text), field);
    // What a CSV reader gives back is the text.
    const QString file = QDir::temp().filePath(u"utabako-field-%1.csv"_s.arg(QCoreApplication::applicationPid()));
    const auto bytes = csvexport::encode(csvexport::table({u"h"_s}, {{text}}), csvexport::Encoding::Utf8Bom);
    QVERIFY(fixture::write(file, *bytes));
    const std::vector<QStringList> rows = readByPython(file, u"utf-8-sig"_s);
    QFile::remove(file);
    QCOMPARE(rows.size(), size_t(2));
    QCOMPARE(rows[1].value(0), text);
    // A character without CP932 form is named, never written as a stand-in.
    QString bad;
    QVERIFY(!csvexport::encode(text + u"😀"_s, csvexport::Encoding::Cp932, &bad));
    QCOMPARE(bad, u"😀"_s);
}

void TestExport::listsReadBackAsShown_data()
{
    QTest::addColumn<bool>("songs");
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QString>("pythonEncoding");
    QTest::addColumn<QByteArray>("start");
    QTest::newRow("titles, UTF-8") << false << 0 << u"utf-8-sig"_s << QByteArray("\xEF\xBB\xBF");
    QTest::newRow("titles, CP932") << false << 1 << u"cp932"_s << fixture::sjis(u"タイトル名"_s);
    QTest::newRow("songs, UTF-8") << true << 0 << u"utf-8-sig"_s << QByteArray("\xEF\xBB\xBF");
    QTest::newRow("songs, CP932") << true << 1 << u"cp932"_s << fixture::sjis(u"曲名"_s);
}

void TestExport::listsReadBackAsShown()
{
    QFETCH(bool, songs);
    QFETCH(int, encoding);
    QFETCH(QString, pythonEncoding);
    QFETCH(QByteArray, start);
    ExportFixture x;
    (songs ? x.panel->optSongCsv : x.panel->optTitleCsv)->setChecked(true);
    x.panel->cboEncoding->setCurrentIndex(encoding);
    const QString path = x.out.filePath(u"一覧.csv"_s);
    QVERIFY(fixture::write(path, "old"));
    x.f.dialogs.paths = {path};
    QTest::mouseClick(x.panel->cmdWrite, Qt::LeftButton);
    QCOMPARE(x.f.dialogs.titles(), QStringList{u"書き出し"_s});

    const QByteArray bytes = fixture::read(path);
    QVERIFY(bytes.startsWith(start));
    QVERIFY(bytes.endsWith("\r\n"));
    QVERIFY(!bytes.contains('?'));
    const std::vector<QStringList> expected = songs
        ? std::vector<QStringList>{{u"曲名"_s, u"アーティスト名"_s, u"ジャンル"_s, u"作詞"_s, u"作曲"_s, u"編曲"_s, u"詩"_s},
                                   {u"海, 夜"_s, u"歌手, その他"_s, u"J-POP"_s, u"髙橋"_s, {}, {}, {}},
                                   {u"空"_s, u"Ａ&B"_s, u"アニメ"_s, {}, u"①"_s, {}, u"○"_s}}
        : std::vector<QStringList>{{u"タイトル名"_s, u"アーティスト名"_s, u"ジャンル"_s, u"評価"_s, u"メディア"_s, u"日付け"_s, u"メモ"_s},
                                   {u"Blue"_s, u"歌手, その他"_s, u"J-POP"_s, u"◎"_s, u"CD"_s, u"2026/12/07"_s, u"初回盤,①髙﨑 <script>&'"_s},
                                   {u"ベスト"_s, u"複数"_s, u"アニメ"_s, u"○"_s, u"LP"_s, u"2020/01/01"_s, {}}};
    QCOMPARE(readByPython(path, pythonEncoding), expected);
}

void TestExport::catalogueParsesBackEscaped()
{
    ExportFixture x;
    x.panel->optCatalogue->setChecked(true);
    QVERIFY(!x.panel->cboEncoding->isEnabled());
    // A pipe under a cover's name is no cover, and is never waited on.
    QCOMPARE(mkfifo(QFile::encodeName(x.f.tmp.filePath(u"ベスト.jpg"_s)).constData(), 0600), 0);
    x.f.dialogs.paths = {x.out.path()};
    QSignalSpy done(x.panel, &ExportPanel::catalogueDone);
    QTest::mouseClick(x.panel->cmdWrite, Qt::LeftButton);
    QVERIFY(done.wait(10000));
    QCOMPARE(x.f.dialogs.titles(), QStringList{u"書き出し"_s});
    const QDir catalogue(x.out.filePath(u"ウタバコカタログ"_s));
    QCOMPARE(QDir(x.out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{u"ウタバコカタログ"_s});
    QVERIFY(catalogue.exists(u"style.css"_s));

    // Every text comes back as it is stored, from well-formed markup with no script.
    QFile index(catalogue.filePath(u"index.html"_s));
    QVERIFY(index.open(QIODevice::ReadOnly));
    const QByteArray html = index.readAll();
    QVERIFY(!html.contains("<script"));
    QXmlStreamReader xml(html);
    QStringList headings, items, details, links, images;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QString name = xml.name().toString();
        if (name == u"a"_s)
            links.append(xml.attributes().value(u"href"_s).toString());
        else if (name == u"img"_s)
            images.append(xml.attributes().value(u"src"_s).toString());
        else if (name == u"h2"_s)
            headings.append(xml.readElementText(QXmlStreamReader::IncludeChildElements));
        else if (name == u"li"_s)
            items.append(xml.readElementText(QXmlStreamReader::IncludeChildElements));
        else if (name == u"dd"_s)
            details.append(xml.readElementText(QXmlStreamReader::IncludeChildElements));
    }
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
    QCOMPARE(headings, (QStringList{u"Blue"_s, u"ベスト"_s}));
    QCOMPARE(items, (QStringList{u"海, 夜"_s, u"<b>波</b>"_s, u"空 / Ａ&B"_s}));
    QCOMPARE(details, (QStringList{u"歌手, その他"_s, u"J-POP"_s, u"◎"_s, u"CD"_s, u"2026/12/07"_s, u"初回盤,①髙﨑 <script>&'"_s,
                                   u"複数"_s, u"アニメ"_s, u"○"_s, u"LP"_s, u"2020/01/01"_s}));
    // The cover linked is a copy of the cover; the thumbnail is small.
    QCOMPARE(links.size(), 1);
    QCOMPARE(fixture::read(catalogue.filePath(links[0])), x.coverBytes);
    const QImage thumbnail(catalogue.filePath(images.value(0)));
    QCOMPARE(thumbnail.size(), QSize(120, 80));

    // Quotes in an attribute stay inside it.
    const QString hostile = u"<script>&\"'"_s;
    htmlcatalogue::Entry entry{{hostile, hostile, {}, {}, {}, {}, hostile}, false, {{hostile, {}}}, {}};
    QXmlStreamReader page(htmlcatalogue::page({entry}, {u"0001.jpg"_s}));
    int hostileTexts = 0;
    while (!page.atEnd()) {
        if (page.readNext() == QXmlStreamReader::StartElement) {
            if (page.name() == u"img"_s)
                QCOMPARE(page.attributes().value(u"alt"_s).toString(), hostile + u" のジャケット画像"_s);
        } else if (page.isCharacters() && page.text() == hostile) {
            ++hostileTexts;
        }
    }
    QVERIFY(!page.hasError());
    QCOMPARE(hostileTexts, 4);
}

void TestExport::catalogueReplacedOnlyWhenAgreed()
{
    ExportFixture x;
    x.panel->optCatalogue->setChecked(true);
    const QString target = x.out.filePath(u"ウタバコカタログ"_s);
    QVERIFY(QDir().mkpath(target));
    QVERIFY(fixture::write(target + u"/index.html"_s, "old"));
    QVERIFY(fixture::write(target + u"/mine.txt"_s, "kept"));

    x.f.dialogs.paths = {x.out.path()};
    x.f.dialogs.answers = {Dialogs::Answer::No};
    QTest::mouseClick(x.panel->cmdWrite, Qt::LeftButton);
    QCOMPARE(x.f.dialogs.titles(), QStringList{u"置き換え確認"_s});
    QCOMPARE(x.f.dialogs.boxes[0].buttons, Dialogs::Buttons::YesNo);
    QVERIFY(!x.panel->isWriting());
    QCOMPARE(fixture::read(target + u"/index.html"_s), QByteArray("old"));

    x.f.dialogs.clear();
    x.f.dialogs.paths = {x.out.path()};
    x.f.dialogs.answers = {Dialogs::Answer::Yes};
    QSignalSpy done(x.panel, &ExportPanel::catalogueDone);
    QTest::mouseClick(x.panel->cmdWrite, Qt::LeftButton);
    QVERIFY(done.wait(10000));
    QCOMPARE(x.f.dialogs.titles(), (QStringList{u"置き換え確認"_s, u"書き出し"_s}));
    QVERIFY(fixture::read(target + u"/index.html"_s).startsWith("<!DOCTYPE html>"));
    QVERIFY(!QFile::exists(target + u"/mine.txt"_s));
    QCOMPARE(QDir(x.out.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{u"ウタバコカタログ"_s});
    QCOMPARE(x.f.dialogs.unexpected, 0);
}

QTEST_MAIN(TestExport)
#include "tst_export.moc"
