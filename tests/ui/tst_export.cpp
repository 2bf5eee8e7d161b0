#include "uifixture.h"

#include "exchange/csvexport.h"
#include "exchange/exportpanel.h"
#include "exchange/htmlcatalogue.h"
#include "store/cp932.h"
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

#include <QDirIterator>

#include <cerrno>
#include <cstdio>
#include <sys/mount.h>
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

// Every file and folder under root, links not followed: relative path -> content (a
// folder or link as "name/").
QMap<QString, QByteArray> tree(const QString& root)
{
    QMap<QString, QByteArray> out;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        const QString name = QDir(root).relativeFilePath(info.filePath());
        const bool file = info.isFile() && !info.isSymLink();
        out.insert(file ? name : name + u'/', file ? fixture::read(info.filePath()) : QByteArray());
    }
    return out;
}

QStringList entriesOf(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

void copyTree(const QMap<QString, QByteArray>& files, const QString& root)
{
    for (auto it = files.begin(); it != files.end(); ++it)
        QVERIFY(QDir(root).mkpath(QFileInfo(it.key()).path())
                && (it.key().endsWith(u'/') || fixture::write(QDir(root).filePath(it.key()), it.value())));
}

// A process number no process has (above every system's largest).
const QString kGone = u"999999999"_s;
const QString kWriteCatalogue = u"-write-catalogue"_s;

// Titles with covers: an old collection of two, a new one of three (one without cover).
std::vector<htmlcatalogue::Entry> catalogueEntries(bool old, const QString& covers)
{
    std::vector<htmlcatalogue::Entry> entries;
    for (int i = 0; i < (old ? 2 : 3); ++i) {
        const QString name = (old ? u"旧%1"_s : u"新%1"_s).arg(i + 1);
        QImage picture(160 + 40 * i, 120, QImage::Format_RGB32);
        picture.fill(qRgb(old ? 200 : 20, 40 * i, 120));
        const QString cover = QDir(covers).filePath(name + u".jpg"_s);
        picture.save(cover, "JPG");
        entries.push_back({{name, u"歌手"_s, {}, {}, {}, {}, {}}, false, {{u"一曲目"_s, {}}}, i == 1 && !old ? QString() : cover});
    }
    return entries;
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
    void catalogueNeverThroughALink();
    void leftoversOfKilledExportsCleared();
    void catalogueOnAFullDiskToldAsFull();
    void catalogueKilledAtEveryWrite();
    void panelTakesTheKeyboardBack();
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
    // What a spreadsheet would evaluate is shown as text.
    QTest::newRow("= group") << u"=LOVE"_s << u"\"'=LOVE\""_s;
    QTest::newRow("DDE memo") << u"=cmd|' /C calc'!A0"_s << u"\"'=cmd|' /C calc'!A0\""_s;
    QTest::newRow("plus") << u"+81 3"_s << u"\"'+81 3\""_s;
    QTest::newRow("minus") << u"-1+2"_s << u"\"'-1+2\""_s;
    QTest::newRow("at") << u"@SUM(A1)"_s << u"\"'@SUM(A1)\""_s;
    QTest::newRow("tab") << u"\t=1"_s << u"\"'\t=1\""_s;
    QTest::newRow("CR") << u"\r=1"_s << u"\"'\r=1\""_s;
    QTest::newRow("full-width =") << u"＝1+1"_s << u"\"'＝1+1\""_s;
    QTest::newRow("quote after guard") << u"=\"x\""_s << u"\"'=\"\"x\"\"\""_s;
    QTest::newRow("sign inside") << u"J-POP=1"_s << u"J-POP=1"_s;
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
    // A cell kept from being evaluated reads back with its apostrophe.
    QCOMPARE(rows[1].value(0), field.startsWith(u"\"'"_s) ? u'\'' + text : text);
    // No character is written as a stand-in: one without CP932 form, or with only a
    // look-alike's, is named; the look-alikes themselves read back as they are.
    for (const QString& bad : {u"😀"_s, u"−"_s, u"〜"_s, u"¥"_s}) {
        QString named;
        QVERIFY(!csvexport::encode(text + bad, csvexport::Encoding::Cp932, &named));
        QCOMPARE(named, bad);
    }
    QCOMPARE(cp932::decode(*csvexport::encode(text + u"～－￥"_s, csvexport::Encoding::Cp932)), text + u"～－￥"_s);
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

void TestExport::catalogueNeverThroughALink()
{
    ExportFixture x;
    x.panel->optCatalogue->setChecked(true);
    QTemporaryDir elsewhere;
    copyTree({{u"大事.txt"_s, "keep"}, {u".hidden"_s, "keep"}, {u"sub/.deep"_s, "keep"}}, elsewhere.path());
    const QMap<QString, QByteArray> before = tree(elsewhere.path());
    const QString target = x.out.filePath(u"ウタバコカタログ"_s);
    QVERIFY(QFile::link(elsewhere.path(), target));
    const QMap<QString, QByteArray> outBefore = tree(x.out.path());

    x.f.dialogs.paths = {x.out.path()};
    QTest::mouseClick(x.panel->cmdWrite, Qt::LeftButton);
    QCOMPARE(x.f.dialogs.titles(), QStringList{u"書き出し不可"_s});
    const QString told = x.f.dialogs.boxes[0].text;
    QVERIFY2(told.startsWith(u"「%1」はリンク"_s.arg(target)), qPrintable(told));
    // Asked straight, as when the name became a link after the user agreed.
    QCOMPARE(htmlcatalogue::write({}, target), told);
    QCOMPARE(tree(x.out.path()), outBefore);
    // Nor is a list written through a link.
    QVERIFY(QFile::link(elsewhere.filePath(u"大事.txt"_s), x.out.filePath(u"一覧.csv"_s)));
    x.panel->optTitleCsv->setChecked(true);
    x.f.dialogs.paths = {x.out.filePath(u"一覧.csv"_s)};
    QTest::mouseClick(x.panel->cmdWrite, Qt::LeftButton);
    QCOMPARE(x.f.dialogs.titles().last(), u"書き出し不可"_s);
    QCOMPARE(tree(elsewhere.path()), before);
}

void TestExport::leftoversOfKilledExportsCleared()
{
    ExportFixture x;
    const QString out = x.out.path();
    const QString half = u".ウタバコカタログ.new-"_s + kGone;
    const QString save = u"~utabako-save-%1-7.tmp"_s.arg(kGone);
    // Names that only look like the program's stay, as do a running export's and a link.
    const QString running = u".ウタバコカタログ.new-%1"_s.arg(QCoreApplication::applicationPid() == 1 ? 2 : 1);
    const QString linked = u".ウタバコカタログ.old-"_s + kGone;
    copyTree({{half + u"/pictures/0001.jpg"_s, "cut"}, {half + u"/.hidden"_s, "x"}, {save, "cut csv"},
              {u".ウタバコカタログ.new-12x/a"_s, "x"}, {running + u"/a"_s, "x"}, {u"mine.txt"_s, "mine"}}, out);
    QTemporaryDir elsewhere;
    QVERIFY(fixture::write(elsewhere.filePath(u"大事.txt"_s), "keep"));
    QVERIFY(QFile::link(elsewhere.path(), QDir(out).filePath(linked)));

    x.f.dialogs.paths = {QDir(out).filePath(u"一覧.csv"_s)};
    QTest::mouseClick(x.panel->cmdWrite, Qt::LeftButton);
    QVERIFY(!QFile::exists(QDir(out).filePath(save)));
    x.panel->optCatalogue->setChecked(true);
    x.f.dialogs.paths = {out};
    QSignalSpy done(x.panel, &ExportPanel::catalogueDone);
    QTest::mouseClick(x.panel->cmdWrite, Qt::LeftButton);
    QVERIFY(done.wait(10000));
    QCOMPARE(x.f.dialogs.titles(), (QStringList{u"書き出し"_s, u"書き出し"_s}));
    QStringList kept{u".ウタバコカタログ.new-12x"_s, running, linked, u"mine.txt"_s, u"ウタバコカタログ"_s, u"一覧.csv"_s};
    kept.sort();
    QCOMPARE(entriesOf(out), kept);
    QCOMPARE(fixture::read(elsewhere.filePath(u"大事.txt"_s)), QByteArray("keep"));
}

void TestExport::catalogueOnAFullDiskToldAsFull()
{
    QTemporaryDir disk, covers;
    const QByteArray mountPoint = QFile::encodeName(disk.path());
    if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=4k") != 0)
        QSKIP("a small disk needs a tmpfs mount, which only root may make");
    ::umount2(mountPoint.constData(), MNT_DETACH);
    const std::vector<htmlcatalogue::Entry> entries = catalogueEntries(false, covers.path());
    const QString target = disk.filePath(u"ウタバコカタログ"_s);
    const QString full = u"ディスクの空きが足りないため、「%1」にカタログを書き出せませんでした。"_s.arg(target);
    int failures = 0, written = 0;
    // Every size from a page up to enough, and too few inodes; the old catalogue in its
    // place, or where a killed export set it aside.
    for (int size = 4; size <= 64; size += 4) {
        for (const bool setAside : {false, true}) {
            for (const QByteArray& inodes : {QByteArray(), QByteArray(",nr_inodes=5")}) {
                const QByteArray options = "size=" + QByteArray::number(size) + 'k' + inodes;
                QCOMPARE(::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, options.constData()), 0);
                copyTree({{(setAside ? u".ウタバコカタログ.old-"_s + kGone : u"ウタバコカタログ"_s) + u"/index.html"_s, "old"}}, disk.path());
                const QString error = htmlcatalogue::write(entries, target);
                const QStringList left = entriesOf(disk.path());
                const QByteArray index = fixture::read(target + u"/index.html"_s);
                ::umount2(mountPoint.constData(), MNT_DETACH);
                const QString where = QString::fromLatin1(options) + u' ' + left.join(u' ') + u": "_s + error;
                ++(error.isEmpty() ? written : failures);
                QVERIFY2(error.isEmpty() ? index.startsWith("<!DOCTYPE html>") : error.startsWith(full) && index == "old",
                         qPrintable(where));
                QVERIFY2(!error.contains(u".ウタバコ"_s) && left == QStringList{u"ウタバコカタログ"_s}, qPrintable(where));
            }
        }
    }
    QVERIFY(failures > 20 && written > 4);
}

void TestExport::catalogueKilledAtEveryWrite()
{
    const QString strace = QStandardPaths::findExecutable(u"strace"_s);
    if (strace.isEmpty())
        QSKIP("strace is needed to kill the writer at each of its writes");
    QTemporaryDir work;
    const QString out = work.filePath(u"out"_s);
    const QString target = out + u"/ウタバコカタログ"_s;
    // This program writes the catalogue when asked, as a child that can be killed.
    auto writer = [&](QProcess& p, const QString& which, bool wait) {
        p.start(QCoreApplication::applicationFilePath(), {kWriteCatalogue, target, which, wait ? u"wait"_s : QString()});
        return wait || (p.waitForFinished(20000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0);
    };
    QMap<QString, QByteArray> trees[2];
    for (const bool old : {true, false}) {
        QProcess p;
        QVERIFY(QDir(out).removeRecursively() && QDir().mkpath(out) && writer(p, old ? u"old"_s : u"new"_s, false));
        trees[old] = tree(target);
    }
    int kills = 0;
    for (const QString& call : {u"mkdir"_s, u"openat"_s, u"write"_s, u"fsync"_s, u"rename"_s, u"renameat2"_s, u"unlink"_s,
                                u"unlinkat"_s, u"rmdir"_s}) {
        for (int n = 1;; ++n) {
            QVERIFY(QDir(out).removeRecursively());
            copyTree(trees[true], target);
            QProcess p, tracer;
            writer(p, u"new"_s, true);
            QVERIFY(p.waitForReadyRead(20000) && p.readLine() == "ready\n");
            // Traced from here on: its n-th call of this kind is where it dies.
            tracer.setReadChannel(QProcess::StandardError);
            tracer.start(strace, {u"-o"_s, u"/dev/null"_s, u"-e"_s, u"trace="_s + call, u"-e"_s,
                                  u"inject=%1:signal=KILL:when=%2"_s.arg(call).arg(n), u"-p"_s, QString::number(p.processId())});
            if (!tracer.waitForReadyRead(10000) || !tracer.readAll().contains("attached"))
                QSKIP("strace cannot attach to the writer here");
            p.write("go\n");
            QVERIFY(p.waitForFinished(20000) && tracer.waitForFinished(5000));
            // The old catalogue or the new one, whole; never none, never a mixture.
            const QString where = u"%1 #%2: "_s.arg(call).arg(n) + QStringList(tree(out).keys()).join(u' ');
            QVERIFY2(tree(target) == trees[true] || tree(target) == trees[false], qPrintable(where));
            QVERIFY(p.exitStatus() == QProcess::CrashExit || p.exitCode() == 0);
            if (p.exitStatus() == QProcess::NormalExit)
                break;
            ++kills;
            // The next export clears what the killed one left and gives what an uncut one gives.
            QProcess again;
            QVERIFY2(writer(again, u"new"_s, false) && tree(target) == trees[false], qPrintable(where));
            QVERIFY2(entriesOf(out) == QStringList{u"ウタバコカタログ"_s}, qPrintable(where));
        }
    }
    QVERIFY(kills > 20);
}

void TestExport::panelTakesTheKeyboardBack()
{
    ExportFixture x;
    x.f.dialogs.paths = {x.out.filePath(u"一覧.csv"_s)};
    // A chooser or box closing gives the keyboard to the window it belongs to.
    x.f.window->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(x.f.window.get()));
    QTest::mouseClick(x.panel->cmdWrite, Qt::LeftButton);
    QCOMPARE(x.f.dialogs.titles(), QStringList{u"書き出し"_s});
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(x.panel));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTRY_VERIFY(!x.panel->isVisible());
}

// Run as "<this test> -write-catalogue <target> old|new [wait]": writes one of two small
// catalogues; with "wait" only after printing "ready" and reading a line, so that a
// tracer can be attached in between.
int main(int argc, char* argv[])
{
    if (argc > 3 && QString::fromLocal8Bit(argv[1]) == kWriteCatalogue) {
        QCoreApplication app(argc, argv);
        QTemporaryDir covers;
        const auto entries = catalogueEntries(qstrcmp(argv[3], "old") == 0, covers.path());
        if (argc > 4 && *argv[4] && (std::puts("ready") < 0 || std::fflush(stdout) != 0 || std::getchar() == EOF))
            return 2;
        return htmlcatalogue::write(entries, QFile::decodeName(argv[2])).isEmpty() ? 0 : 1;
    }
    QTEST_MAIN_SETUP()
    TestExport test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_export.moc"
