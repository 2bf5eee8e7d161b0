#include "uifixture.h"

#include "exchange/musicimport.h"
#include "lists/titlesearch.h"
#include "store/masterlist.h"
#include "platform/grid.h"
#include "store/cp932.h"
#include "title/mainscreen.h"
#include "upkeep/masterscreen.h"
#include "upkeep/readingcheck.h"
#include "tracks/trackentry.h"

#include <QBuffer>
#include <QComboBox>
#include <QImage>
#include <QHeaderView>
#include <QToolButton>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTableWidget>

#ifdef Q_OS_LINUX
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <attachedpictureframe.h>
#include <fileref.h>
#include <flacfile.h>
#include <id3v2tag.h>
#include <mp4file.h>
#include <mpegfile.h>
#include <textidentificationframe.h>
#include <tpropertymap.h>
#include <unsynchronizedlyricsframe.h>

using namespace Qt::Literals::StringLiterals;

namespace {

TagLib::String utf8(const QString& s)
{
    return TagLib::String(s.toUtf8().constData(), TagLib::String::UTF8);
}

// A copy of the silent fixture of that kind at path, tagged with tags (TagLib's names).
void put(const QString& path, const char* kind, const std::map<const char*, QString>& tags)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QVERIFY(fixture::write(path, fixture::readFixture(u"music/silence."_s + QLatin1StringView(kind))));
    TagLib::FileRef ref(QFile::encodeName(path).constData());
    QVERIFY(!ref.isNull());
    TagLib::PropertyMap map;
    for (const auto& [key, value] : tags)
        map[key] = TagLib::StringList(utf8(value));
    ref.file()->setProperties(map);
    QVERIFY(ref.save());
}

// An MP3 whose ID3v2.3 text frames are Latin-1 frames holding the CP932 bytes of the
// texts, as Japanese players wrote them, with a lyrics frame and a front cover.
void putShiftJisMp3(const QString& path, const std::map<const char*, QString>& frames, const QString& lyrics,
                    const QByteArray& cover)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QVERIFY(fixture::write(path, fixture::readFixture(u"music/silence.mp3"_s)));
    TagLib::MPEG::File file(QFile::encodeName(path).constData());
    TagLib::ID3v2::Tag* tag = file.ID3v2Tag(true);
    for (const auto& [id, text] : frames) {
        const QByteArray bytes = fixture::sjis(text);
        auto* frame = new TagLib::ID3v2::TextIdentificationFrame(id, TagLib::String::Latin1);
        frame->setText(TagLib::String(TagLib::ByteVector(bytes.constData(), static_cast<unsigned>(bytes.size())),
                                      TagLib::String::Latin1));
        tag->addFrame(frame);
    }
    if (!lyrics.isEmpty()) {
        auto* uslt = new TagLib::ID3v2::UnsynchronizedLyricsFrame(TagLib::String::UTF16);
        uslt->setText(utf8(lyrics));
        tag->addFrame(uslt);
    }
    if (!cover.isEmpty()) {
        auto* apic = new TagLib::ID3v2::AttachedPictureFrame;
        apic->setMimeType("image/jpeg");
        apic->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
        apic->setPicture(TagLib::ByteVector(cover.constData(), static_cast<unsigned>(cover.size())));
        tag->addFrame(apic);
    }
    QVERIFY(file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers, TagLib::ID3v2::v3));
}

// Whether iconv reads the bytes as CP932 without complaint.
bool iconvReads(const QByteArray& bytes)
{
    QProcess iconv;
    iconv.start(u"iconv"_s, {u"-f"_s, u"CP932"_s, u"-t"_s, u"UTF-8"_s});
    iconv.write(bytes);
    iconv.closeWriteChannel();
    return iconv.waitForFinished() && iconv.exitCode() == 0;
}

#ifdef Q_OS_LINUX
// Runs the current test function again in a child capped in memory and time, so that
// a scan that eats all memory or waits for ever fails the test, not the machine.
// True in the child, which goes on with the test; the parent checks how it ended.
bool inCappedChild()
{
    if (qEnvironmentVariableIsSet("UTABAKO_CAPPED_CHILD")) {
        const rlimit cap{rlim_t(3) << 30, rlim_t(3) << 30};
        setrlimit(RLIMIT_AS, &cap);
        ::alarm(60);
        return true;
    }
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    qputenv("UTABAKO_CAPPED_CHILD", "1");
    child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(QTest::currentTestFunction())});
    qunsetenv("UTABAKO_CAPPED_CHILD");
    if (!child.waitForFinished(90000))
        child.kill();
    child.waitForFinished();
    [&] { QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, "crashed, hung or failed"); }();
    return false;
}
#endif

QStringList rowTexts(const QTableWidget& table, int row)
{
    QStringList texts{table.item(row, MusicImport::Tick)->checkState() == Qt::Checked ? u"☑"_s : u"☐"_s};
    for (int column = MusicImport::Name; column < MusicImport::ColumnCount; ++column)
        texts.append(table.item(row, column)->text());
    return texts;
}

struct ImportFixture {
    ImportFixture()
    {
        QVERIFY(f.put(u"データ.TXT"_s, UiFixture::title(u"既存"_s)));
        QVERIFY(f.put(u"曲目データ.TXT"_s, {}));
        const QString m = music.path();
        // Shift-JIS in Latin-1 frames, numbered out of file order, a song name with a
        // forbidden character, lyrics and an embedded cover.
        putShiftJisMp3(m + u"/街/b.mp3"_s, {{"TALB", u"街の風景"_s}, {"TPE1", u"ウタバコ楽団"_s}, {"TIT2", u"はじまり"_s},
                                            {"TRCK", u"2"_s}, {"TCON", u"J-POP"_s}, {"TYER", u"2004"_s}}, {}, cover);
        putShiftJisMp3(m + u"/街/a.mp3"_s, {{"TALB", u"街の風景"_s}, {"TPE1", u"ウタバコ楽団"_s}, {"TIT2", u"What?"_s},
                                            {"TRCK", u"1"_s}}, u"一行目\n二行目"_s, {});
        // A compilation of a year alone, its lyrics in a Vorbis comment.
        put(m + u"/best/1.flac"_s, "flac", {{"ALBUM", u"Best"_s}, {"ARTIST", u"X"_s}, {"TITLE", u"Song1"_s},
                                            {"TRACKNUMBER", u"1"_s}, {"DATE", u"2003"_s}, {"LYRICS", u"歌"_s}});
        put(m + u"/best/2.opus"_s, "opus", {{"ALBUM", u"Best"_s}, {"ARTIST", u"Y"_s}, {"TITLE", u"Song2"_s},
                                            {"TRACKNUMBER", u"2"_s}});
        // No album tag: the folder names the title; its cover is the folder's picture.
        put(m + u"/無題/x.m4a"_s, "m4a", {{"ARTIST", u"Z"_s}, {"TITLE", u"Alone"_s}});
        QVERIFY(fixture::write(m + u"/無題/Cover.JPG"_s, folderCover));
        // Refused, present, and two albums of one name.
        put(m + u"/slash/1.wav"_s, "wav", {{"ALBUM", u"A/B"_s}, {"ARTIST", u"W"_s}, {"TITLE", u"w"_s}});
        put(m + u"/old/1.ogg"_s, "ogg", {{"ALBUM", u"既存"_s}, {"ARTIST", u"歌手"_s}, {"TITLE", u"o"_s}});
        put(m + u"/p/1.ogg"_s, "ogg", {{"ALBUM", u"Greatest"_s}, {"ALBUMARTIST", u"P"_s}, {"TITLE", u"p"_s}});
        put(m + u"/q/1.mp3"_s, "mp3", {{"ALBUM", u"Greatest"_s}, {"ALBUMARTIST", u"Q"_s}, {"TITLE", u"q"_s}});
        MainWindow& w = f.start();
        panel = w.fraMusicImport;
        w.fraMaster->cmdMaster_Click();
        w.fraMaster->cmdImportMusic->click();
        QVERIFY(panel->isVisible());
    }

    void scan()
    {
        QSignalSpy done(panel, &MusicImport::scanFinished);
        f.dialogs.paths.push_back(music.path());
        panel->cmdFolder->click();
        QVERIFY(done.wait(20000) || done.count() == 1);
    }

    // 取り込む pressed, and waited for until the worker has written.
    void importTicked()
    {
        QSignalSpy writing(panel, &MusicImport::writing);
        panel->cmdImport->click();
        if (!writing.isEmpty())
            QTRY_COMPARE_WITH_TIMEOUT(writing.count(), 2, 20000);
    }

    QStringList dataFiles() const { return QDir(f.tmp.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot); }

    UiFixture f;
    QTemporaryDir music;
    QByteArray cover = solidPicture(qRgb(200, 0, 0), "JPG");
    QByteArray folderCover = solidPicture(qRgb(0, 0, 200), "JPG");
    MusicImport* panel = nullptr;
};

} // namespace

class TstMusicImport : public QObject {
    Q_OBJECT
private slots:
    void importThroughTheScreen();
    void failingTitleLeavesNoTrace();
    void cancelledScanWritesNothing();
    void hostileFolderIsScannedAndTold();
    void stopAndCloseNeverWait();
    void oneCoverKeptPerAlbum();
    void filesInTheWayAtWritingTime_data();
    void filesInTheWayAtWritingTime();
    void collectionLimits_data();
    void collectionLimits();
    void fullDiskIsTold();
    void mastersAndTitleSearchAfterImport();
    void unstorableSongCharacterStandsIn();
    void tableFromTheKeyboard();
    void readingsFromSortTags();
};

// A file a new title would write that is already there when 取り込む is pressed (the
// scan knew nothing of it): the user is asked, naming the title and the file, and a
// "no" keeps the file and leaves the album out; a link is never written through; a title
// another program added after the scan is not added twice.
void TstMusicImport::filesInTheWayAtWritingTime_data()
{
    QTest::addColumn<QString>("file");     // put into the data folder after the scan
    QTest::addColumn<QString>("link");     // ... or as a link to a file outside
    QTest::addColumn<bool>("titleAdded");  // another program adds the title's record too
    QTest::addColumn<int>("answer");       // to 上書き確認: -1 none asked, 0 no, 1 yes
    QTest::addColumn<bool>("made");
    QTest::addColumn<QString>("note");     // the start of the album's note after
    QTest::newRow("track list left by a deleted title, kept") << u"曲目_街の風景.txt"_s << QString() << false << 0 << false
                                                              << u"既にある「曲目_街の風景.txt」を残す"_s;
    QTest::newRow("track list left by a deleted title, replaced") << u"曲目_街の風景.txt"_s << QString() << false << 1
                                                                 << true << u"取り込みました"_s;
    QTest::newRow("picture put in by hand in capitals") << u"街の風景.JPG"_s << QString() << false << 0 << false
                                                        << u"既にある「街の風景.JPG」を残す"_s;
    QTest::newRow("link to a picture outside") << QString() << u"街の風景.jpg"_s << false << -1 << false
                                               << u"取り込めませんでした：「街の風景.jpg」が別の場所を指すリンク"_s;
    QTest::newRow("dangling link as a lyrics file") << QString() << u"歌詞_What？_ウタバコ楽団.txt"_s << false << -1 << false
                                                    << u"取り込めませんでした：「歌詞_What？_ウタバコ楽団.txt」が別の場所を指すリンク"_s;
    // Asked while the screen's tables knew nothing of it; found when written.
    QTest::newRow("title and list added by another program") << u"曲目_街の風景.txt"_s << QString() << true << 1 << false
                                                             << u"登録済み"_s;
}

void TstMusicImport::filesInTheWayAtWritingTime()
{
    QFETCH(QString, file);
    QFETCH(QString, link);
    QFETCH(bool, titleAdded);
    QFETCH(int, answer);
    QFETCH(bool, made);
    QFETCH(QString, note);
    ImportFixture x;
    x.scan();
    const QByteArray mine = fixture::sjis(u"手で書いた曲目\r\n"_s);
    QTemporaryDir outside;
    const QString target = outside.filePath(u"picture.jpg"_s);
    QVERIFY(fixture::write(target, mine));
    if (!file.isEmpty())
        QVERIFY(x.f.putBytes(file, mine));
    // A lyrics file's link points nowhere: it must not be taken for a missing file.
    if (!link.isEmpty())
        QVERIFY(QFile::link(link.startsWith(u"歌詞"_s) ? outside.filePath(u"nowhere"_s) : target, x.f.path(link)));
    QByteArray titles = x.f.bytes(u"データ.TXT"_s);
    if (titleAdded) {
        titles += fixture::sjis(UiFixture::title(u"街の風景"_s, u"ウタバコ楽団"_s));
        QFile data(x.f.path(u"データ.TXT"_s));
        QVERIFY(data.open(QIODevice::Append) && data.write(titles.mid(x.f.bytes(u"データ.TXT"_s).size())) > 0);
    }
    if (answer >= 0)
        x.f.dialogs.answers.push_back(answer ? Dialogs::Answer::Yes : Dialogs::Answer::No);
    x.importTicked();
    QCOMPARE(x.f.dialogs.unexpected, 0);
    if (answer >= 0) {
        const ScriptedDialogs::Box& asked = x.f.dialogs.boxes.front();
        QCOMPARE(asked.title, u"上書き確認"_s);
        QCOMPARE(asked.def, Dialogs::Answer::No);
        QVERIFY2(asked.text.startsWith(u"「街の風景」の次のファイルが既にあります。\r\n\r\n%1\r\n"_s.arg(file)), qPrintable(asked.text));
    } else {
        QCOMPARE(x.f.dialogs.titles(), QStringList{u"取り込み"_s});
    }
    QVERIFY2(x.panel->tblAlbums->item(6, MusicImport::Problem)->text().startsWith(note),
             qPrintable(x.panel->tblAlbums->item(6, MusicImport::Problem)->text()));
    QCOMPARE(fixture::read(target), mine);
    QVERIFY(!QFileInfo::exists(outside.filePath(u"nowhere"_s)));
    if (!file.isEmpty())
        QCOMPARE(x.f.bytes(file), made ? fixture::sjis(u"What？\r\nはじまり\r\n"_s) : mine);
    // The others are made all the same; the album left out leaves nothing behind.
    const QByteArray now = x.f.bytes(u"データ.TXT"_s);
    QVERIFY(now.startsWith(titles));
    QVERIFY(now.contains(fixture::sjis(u"\"無題\""_s)));
    QCOMPARE(now.count(fixture::sjis(u"\"街の風景\""_s)), titleAdded || made ? 1 : 0);
    QCOMPARE(x.f.dialogs.boxes.back().text.startsWith(u"%1 件"_s.arg(made ? 5 : 4)), true);
    QCOMPARE(x.f.bytes(u"曲目データ.TXT"_s).contains(fixture::sjis(u"はじまり"_s)), made);
}

// Past the collection's limits nothing is written of the albums that would pass them,
// and the user is told how many more the collection can take.
void TstMusicImport::collectionLimits_data()
{
    QTest::addColumn<int>("titles"); // in the collection before
    QTest::addColumn<int>("songs");
    QTest::addColumn<int>("made");
    QTest::addColumn<QString>("room");
    QTest::newRow("room for two titles") << 32764 << 0 << 2 << u"あと 0 件のタイトルと 32,763 曲"_s;
    QTest::newRow("room for three songs") << 1 << 32763 << 2 << u"あと 32,763 件のタイトルと 0 曲"_s;
}

void TstMusicImport::collectionLimits()
{
    QFETCH(int, titles);
    QFETCH(int, songs);
    QFETCH(int, made);
    QFETCH(QString, room);
    ImportFixture x;
    QString titleText = UiFixture::title(u"既存"_s);
    for (int i = 1; i < titles; ++i)
        titleText += UiFixture::title(u"t%1"_s.arg(i));
    QString songText;
    for (int i = 0; i < songs; ++i)
        songText += u"\"s%1\",\"a\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"_s.arg(i);
    QVERIFY(x.f.put(u"データ.TXT"_s, titleText));
    QVERIFY(x.f.put(u"曲目データ.TXT"_s, songText));
    MainWindow& w = x.f.restart();
    x.panel = w.fraMusicImport;
    w.fraMaster->cmdImportMusic->click();
    x.scan();
    x.importTicked();
    QCOMPARE(w.state().titles.count(), titles + made);
    QVERIFY(w.state().tracks.count() <= 32766);
    const QString text = x.f.dialogs.boxes.back().text;
    QVERIFY2(text.startsWith(u"%1 件のタイトルを取り込みました。"_s.arg(made)), qPrintable(text));
    QVERIFY2(text.contains(u"上限の 32,766"_s) && text.contains(room), qPrintable(text));
}

// A disk that fills up while the albums are written is told as the store tells it, and
// nothing of them is written.
void TstMusicImport::fullDiskIsTold()
{
    ImportFixture x;
    x.scan();
    const QByteArray before = x.f.bytes(u"データ.TXT"_s);
    {
        const fixture::DiskFillsAt full(120);
        QVERIFY(full.isSet());
        x.importTicked();
    }
    const WriteResult full{WriteResult::Kind::DiskFull, {}, {}, {}};
    QCOMPARE(x.f.dialogs.titles(), QStringList{full.title()});
    QVERIFY(x.f.dialogs.boxes.back().text.startsWith(u"ディスクの空きが足りないため"_s));
    QCOMPARE(x.f.bytes(u"データ.TXT"_s), before);
    QVERIFY(!QFileInfo::exists(x.f.path(u"曲目_無題.txt"_s)));
    QVERIFY(x.panel->tblAlbums->item(0, MusicImport::Problem)->text().contains(u"ディスクの空きが足りない"_s));
}

// The artists and genres of the titles made reach their masters once each, as a title
// typed in adds them, so the title search lists them with every title.
void TstMusicImport::mastersAndTitleSearchAfterImport()
{
    ImportFixture x;
    QVERIFY(x.f.put(u"歌手マスタ.txt"_s, u"P\r\n"_s));
    MainWindow& w = x.f.restart();
    x.panel = w.fraMusicImport;
    w.fraMaster->cmdMaster_Click();
    w.fraMaster->cmdImportMusic->click();
    x.scan();
    x.importTicked();
    QCOMPARE(ReadMaster(*x.f.folder, Master::Artist), (QStringList{u"P"_s, u"Q"_s, u"Z"_s, u"ウタバコ楽団"_s}));
    QCOMPARE(ReadMaster(*x.f.folder, Master::TitleGenre), QStringList{u"J-POP"_s});
    w.cmdKensaku->click();
    QCOMPARE(w.fraKensaku->lstSakusya->count(), 4);
    QCOMPARE(w.fraKensaku->lstDaimei->count(), 6);
}

// A song name with characters the files cannot hold keeps its album: the note names
// each song and character with its code, and the album, ticked by the user, is made
// with 〓 in their place.
void TstMusicImport::unstorableSongCharacterStandsIn()
{
    ImportFixture x;
    put(x.music.filePath(u"emoji/1.flac"_s), "flac", {{"ALBUM", u"絵文字"_s}, {"ARTIST", u"E"_s}, {"TITLE", u"Guitar 🎸"_s},
                                                      {"TRACKNUMBER", u"1"_s}});
    put(x.music.filePath(u"emoji/2.flac"_s), "flac", {{"ALBUM", u"絵文字"_s}, {"ARTIST", u"E"_s}, {"TITLE", u"𠮷野家"_s},
                                                      {"TRACKNUMBER", u"2"_s}});
    x.scan();
    QTableWidget& table = *x.panel->tblAlbums;
    const int row = table.findItems(u"絵文字"_s, Qt::MatchExactly).front()->row();
    QTableWidgetItem* tick = table.item(row, MusicImport::Tick);
    QCOMPARE(tick->checkState(), Qt::Unchecked);
    QVERIFY(tick->flags() & Qt::ItemIsUserCheckable);
    QCOMPARE(table.item(row, MusicImport::Problem)->text(),
             u"保存できない文字があります。チェックを付けると〓にして取り込みます："
             "1曲目「Guitar 🎸」の「🎸」（U+1F3B8）、2曲目「𠮷野家」の「𠮷」（U+20BB7）"_s);
    tick->setCheckState(Qt::Checked);
    x.importTicked();
    QCOMPARE(x.f.bytes(u"曲目_絵文字.txt"_s), fixture::sjis(u"Guitar 〓\r\n〓野家\r\n"_s));
    QVERIFY(x.f.bytes(u"曲目データ.TXT"_s).contains(fixture::sjis(u"\"〓野家\",\"E\""_s)));
}

// Every row is reached from the keyboard, refused ones too; Space ticks the current row
// whatever its column; all can be ticked and unticked at once; a sorted table still
// makes the albums its rows show; and the panel opened again shows no old folder.
void TstMusicImport::tableFromTheKeyboard()
{
    ImportFixture x;
    MainWindow& w = *x.f.window;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    w.fraMaster->cmdMaster_Click();
    w.fraMaster->cmdImportMusic->click();
    QCOMPARE(QApplication::focusWidget(), x.panel->cmdFolder);
    x.scan();
    QTableWidget& table = *x.panel->tblAlbums;
    // A refused album first.
    table.horizontalHeader()->sectionClicked(MusicImport::Problem);
    table.horizontalHeader()->sectionClicked(MusicImport::Problem);
    QVERIFY(!(table.item(0, MusicImport::Tick)->flags() & Qt::ItemIsUserCheckable));
    table.setFocus();
    QCOMPARE(table.currentRow(), 0);
    QTest::keyClick(&table, Qt::Key_Space);
    QCOMPARE(table.item(0, MusicImport::Tick)->checkState(), Qt::Unchecked);
    QTest::keyClick(&table, Qt::Key_End);
    QCOMPARE(table.currentRow(), 6);
    QTest::keyClick(&table, Qt::Key_Home);
    QTest::keyClick(&table, Qt::Key_Down);
    QCOMPARE(table.currentRow(), 1);
    QCOMPARE(table.item(1, MusicImport::Tick)->checkState(), Qt::Checked);
    QTest::keyClick(&table, Qt::Key_Space);
    QCOMPARE(table.item(1, MusicImport::Tick)->checkState(), Qt::Unchecked);
    x.panel->cmdSelectNone->click();
    x.panel->cmdSelectAll->click();
    int ticked = 0;
    for (int row = 0; row < table.rowCount(); ++row)
        ticked += table.item(row, MusicImport::Tick)->checkState() == Qt::Checked;
    QCOMPARE(ticked, 5);
    table.horizontalHeader()->sectionClicked(MusicImport::Name);
    const int greatestQ = table.findItems(u"Greatest（Q）"_s, Qt::MatchExactly).front()->row();
    table.setCurrentCell(greatestQ, MusicImport::Genre);
    QTest::keyClick(&table, Qt::Key_Space);
    x.importTicked();
    QCOMPARE(x.f.dialogs.boxes.back().text, u"4 件のタイトルを取り込みました。"_s);
    QVERIFY(!QFileInfo::exists(x.f.path(u"曲目_Greatest（Q）.txt"_s)));
    QCOMPARE(table.item(greatestQ, MusicImport::Problem)->text(), QString());

    x.panel->cmdClose->click();
    w.fraMaster->cmdImportMusic->click();
    QCOMPARE(table.rowCount(), 0);
    QCOMPARE(x.panel->lblFolder->text(), u"フォルダを選んでください。"_s);
}


// The folder chosen, scanned, listed one album a row, one row unticked and the rest
// made titles: the collection's files byte for byte, and the main screen shows them.
void TstMusicImport::importThroughTheScreen()
{
    ImportFixture x;
    x.scan();
    QTableWidget& table = *x.panel->tblAlbums;
    QCOMPARE(table.rowCount(), 7);
    const QString today = QDate::currentDate().toString(u"yyyy/MM/dd"_s);
    const QList<QStringList> rows{
        {u"☑"_s, u"Best"_s, u"複数"_s, u"未登録"_s, u"2003"_s, u"2"_s, {}, u"○"_s, {}},
        {u"☐"_s, u"既存"_s, u"歌手"_s, u"未登録"_s, today, u"1"_s, {}, {}, u"登録済み"_s},
        {u"☑"_s, u"Greatest"_s, u"P"_s, u"未登録"_s, today, u"1"_s, {}, {}, {}},
        {u"☑"_s, u"Greatest（Q）"_s, u"Q"_s, u"未登録"_s, today, u"1"_s, {}, {}, {}},
        {u"☐"_s, u"A/B"_s, u"W"_s, u"未登録"_s, today, u"1"_s, {}, {}, u"名前に使えない文字「/」"_s},
        {u"☑"_s, u"無題"_s, u"Z"_s, u"未登録"_s, today, u"1"_s, u"○"_s, {}, {}},
        {u"☑"_s, u"街の風景"_s, u"ウタバコ楽団"_s, u"J-POP"_s, u"2004"_s, u"2"_s, u"○"_s, u"○"_s,
         u"曲名の使えない文字を全角にしました"_s},
    };
    for (int row = 0; row < table.rowCount(); ++row)
        QCOMPARE(rowTexts(table, row), rows[row]);

    table.item(3, MusicImport::Tick)->setCheckState(Qt::Unchecked);
    x.importTicked();
    QCOMPARE(x.f.dialogs.boxes.back().text, u"4 件のタイトルを取り込みました。"_s);
    QCOMPARE(x.f.dialogs.unexpected, 0);

    const QString tail = u"\"未\",\"未登録\",\"%1\",\"\"\r\n"_s;
    const QByteArray titles = x.f.bytes(u"データ.TXT"_s);
    QCOMPARE(titles, fixture::sjis(UiFixture::title(u"既存"_s) + u"\"Best\",\"複数\",\"未登録\","_s + tail.arg(u"2003"_s)
                                   + u"\"Greatest\",\"P\",\"未登録\","_s + tail.arg(today)
                                   + u"\"無題\",\"Z\",\"未登録\","_s + tail.arg(today)
                                   + u"\"街の風景\",\"ウタバコ楽団\",\"J-POP\","_s + tail.arg(u"2004"_s)));
    const QString empty = u",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"_s;
    QCOMPARE(x.f.bytes(u"曲目データ.TXT"_s),
             fixture::sjis(u"\"Song1\",\"X\""_s + empty + u"\"Song2\",\"Y\""_s + empty + u"\"p\",\"P\""_s + empty
                           + u"\"Alone\",\"Z\""_s + empty + u"\"What？\",\"ウタバコ楽団\""_s + empty
                           + u"\"はじまり\",\"ウタバコ楽団\""_s + empty));
    QCOMPARE(x.f.bytes(u"曲目_街の風景.txt"_s), fixture::sjis(u"What？\r\nはじまり\r\n"_s));
    QCOMPARE(x.f.bytes(u"曲目_Best.txt"_s), fixture::sjis(u"Song1/X\r\nSong2/Y\r\n"_s));
    QCOMPARE(x.f.bytes(u"歌詞_What？_ウタバコ楽団.txt"_s), fixture::sjis(u"一行目\r\n二行目\r\n"_s));
    QCOMPARE(x.f.bytes(u"歌詞_Song1_X.txt"_s), fixture::sjis(u"歌\r\n"_s));
    QCOMPARE(x.f.bytes(u"街の風景.jpg"_s), x.cover);
    QCOMPARE(x.f.bytes(u"無題.jpg"_s), x.folderCover);
    for (const QString& name : QStringList{u"データ.TXT"_s, u"曲目データ.TXT"_s, u"曲目_街の風景.txt"_s, u"歌詞_What？_ウタバコ楽団.txt"_s})
        QVERIFY2(iconvReads(x.f.bytes(name)), qPrintable(name));
    QVERIFY(!QFileInfo::exists(x.f.path(u"曲目_Greatest（Q）.txt"_s)));
    QVERIFY(!QFileInfo::exists(x.f.path(u"曲目_既存.txt"_s)));
    QCOMPARE(table.item(0, MusicImport::Problem)->text(), u"取り込みました"_s);

    // The new titles are the collection's: listed and shown with their songs and lyrics.
    MainWindow& w = *x.f.window;
    QCOMPARE(w.fraMain->cboName->count(), 5);
    w.ShowTitleByName(u"街の風景"_s);
    const Grid& grid = *w.fraMain->Frame1->msgKyokumoku;
    QCOMPARE(grid.rows(), 3);
    QCOMPARE((QStringList{grid.text(1, 1), grid.text(1, 2), grid.text(2, 1), grid.text(2, 2)}),
             (QStringList{u"What？"_s, u"○"_s, u"はじまり"_s, QString()}));
    QCOMPARE(w.fraMain->cboSakusya->currentText(), u"ウタバコ楽団"_s);
}

// A title that cannot be written (here its cover's name is taken by a folder) leaves
// nothing behind and is named with its reason; the others are made.
void TstMusicImport::failingTitleLeavesNoTrace()
{
    ImportFixture x;
    QVERIFY(QDir(x.f.tmp.path()).mkdir(u"街の風景.jpg"_s));
    const QByteArray tracksBefore = x.f.bytes(u"曲目データ.TXT"_s);
    x.scan();
    x.importTicked();
    const ScriptedDialogs::Box& box = x.f.dialogs.boxes.back();
    QCOMPARE(box.title, u"取り込み"_s);
    QCOMPARE(box.icon, Dialogs::Icon::Exclamation);
    QVERIFY2(box.text.startsWith(u"4 件のタイトルを取り込みました。\r\n\r\n次のタイトルは取り込めませんでした（何も書き込んでいません）。\r\n街の風景："_s),
             qPrintable(box.text));
    QVERIFY(!x.f.bytes(u"データ.TXT"_s).contains(fixture::sjis(u"街の風景"_s)));
    QVERIFY(x.f.bytes(u"データ.TXT"_s).contains(fixture::sjis(u"無題"_s)));
    QVERIFY(!x.f.bytes(u"曲目データ.TXT"_s).contains(fixture::sjis(u"ウタバコ楽団"_s)));
    QVERIFY(x.f.bytes(u"曲目データ.TXT"_s).startsWith(tracksBefore));
    for (const QString& name : QStringList{u"曲目_街の風景.txt"_s, u"歌詞_What？_ウタバコ楽団.txt"_s})
        QVERIFY2(!QFileInfo::exists(x.f.path(name)), qPrintable(name));
    QVERIFY(x.panel->tblAlbums->item(6, MusicImport::Problem)->text().startsWith(u"取り込めませんでした："_s));
}

// Stopped while it reads, a scan lists nothing and nothing can be imported.
void TstMusicImport::cancelledScanWritesNothing()
{
    ImportFixture x;
    const QByteArray mp3 = x.f.bytes(u"データ.TXT"_s);
    for (int i = 0; i < 400; ++i)
        QVERIFY(QFile::copy(x.music.filePath(u"q/1.mp3"_s), x.music.filePath(u"q/copy%1.mp3"_s.arg(i))));
    const QStringList before = x.dataFiles();
    QSignalSpy done(x.panel, &MusicImport::scanFinished);
    x.panel->scan(x.music.path());
    QVERIFY(x.panel->cmdStop->isVisible());
    x.panel->cmdStop->click();
    QVERIFY(done.wait(20000) || done.count() == 1);
    QCOMPARE(x.panel->tblAlbums->rowCount(), 0);
    QCOMPARE(x.panel->lblScan->text(), u"読み込みを中止しました。"_s);
    QVERIFY(!x.panel->cmdImport->isEnabled());
    x.panel->cmdImport->click();
    QCOMPARE(x.dataFiles(), before);
    QCOMPARE(x.f.bytes(u"データ.TXT"_s), mp3);
    QVERIFY(x.f.dialogs.boxes.empty());
}

#ifdef Q_OS_LINUX
// A folder of links to devices and FIFOs under music and cover names, a link loop, a
// dangling link, an album reached through a link, and files that only look like music:
// the scan ends, never opens a file for writing, makes titles of the music alone and
// lists each file it could not read with its reason.
void TstMusicImport::hostileFolderIsScannedAndTold()
{
    if (!inCappedChild())
        return;
    ImportFixture x;
    QTemporaryDir outside;
    const QString m = x.music.path() + u"/hostile"_s;
    const QString town = m + u"/街"_s;
    for (const QString& song : {u"一"_s, u"二"_s})
        put(town + u'/' + song + u".mp3"_s, "mp3", {{"ALBUM", u"街"_s}, {"ARTIST", u"A"_s}, {"TITLE", song}});
    QCOMPARE(::mkfifo(QFile::encodeName(town + u"/3.mp3"_s).constData(), 0644), 0);
    QVERIFY(QFile::link(u"/dev/zero"_s, town + u"/4.flac"_s));
    QVERIFY(QFile::link(town + u"/nowhere"_s, town + u"/5.ogg"_s));
    QVERIFY(QFile::link(u"/dev/zero"_s, town + u"/cover.jpg"_s));
    QCOMPARE(::mkfifo(QFile::encodeName(town + u"/Folder.JPG"_s).constData(), 0644), 0);
    QVERIFY(fixture::write(town + u"/front.jpg"_s, x.folderCover));
    put(outside.path() + u"/港/1.mp3"_s, "mp3", {{"ALBUM", u"港"_s}, {"ARTIST", u"A"_s}, {"TITLE", u"海"_s}});
    QVERIFY(QFile::link(outside.path() + u"/港"_s, m + u"/港"_s));
    QVERIFY(QFile::link(m, outside.path() + u"/港/また"_s));
    QDir().mkpath(m + u"/壊れた"_s);
    QVERIFY(fixture::write(m + u"/壊れた/偽物.mp3"_s, "This is no music at all.\n"));
    QVERIFY(fixture::write(m + u"/壊れた/途中で切れた.mp3"_s, fixture::readFixture(u"music/silence.mp3"_s).left(100)));
    QVERIFY(fixture::write(m + u"/壊れた/途中.wav"_s, fixture::readFixture(u"music/silence.wav"_s).left(300)));

    // Every close of a file opened for writing shows here.
    const int watch = ::inotify_init1(IN_NONBLOCK);
    for (const QString& folder : {town, outside.path() + u"/港"_s, m + u"/壊れた"_s})
        QVERIFY(::inotify_add_watch(watch, QFile::encodeName(folder).constData(), IN_CLOSE_WRITE) >= 0);
    QSignalSpy done(x.panel, &MusicImport::scanFinished);
    x.panel->scan(m);
    QVERIFY(done.wait(20000) || done.count() == 1);
    char events[4096];
    QCOMPARE(::read(watch, events, sizeof events), ssize_t(-1));

    QTableWidget& table = *x.panel->tblAlbums;
    QCOMPARE(table.rowCount(), 2);
    const QString today = QDate::currentDate().toString(u"yyyy/MM/dd"_s);
    QCOMPARE(rowTexts(table, 0), (QStringList{u"☑"_s, u"港"_s, u"A"_s, u"未登録"_s, today, u"1"_s, {}, {}, {}}));
    QCOMPARE(rowTexts(table, 1), (QStringList{u"☑"_s, u"街"_s, u"A"_s, u"未登録"_s, today, u"2"_s, u"○"_s, {}, {}}));
    const QString noSound = u"：音声もタグもありません（音楽ファイルでないか、途中で切れています）"_s;
    const QString fifo = u"：名前付きパイプで、普通のファイルではありません"_s;
    const QString device = u"：デバイスで、普通のファイルではありません"_s;
    QStringList listed;
    for (int i = 0; i < x.panel->lstUnreadable->count(); ++i)
        listed.append(x.panel->lstUnreadable->item(i)->text().remove(QDir::toNativeSeparators(m + u'/')));
    QCOMPARE(listed, (QStringList{u"壊れた/偽物.mp3"_s + noSound, u"壊れた/途中.wav"_s + noSound,
                                  u"壊れた/途中で切れた.mp3"_s + noSound, u"街/3.mp3"_s + fifo, u"街/4.flac"_s + device,
                                  u"街/5.ogg：リンク先がありません"_s, u"街/Folder.JPG"_s + fifo, u"街/cover.jpg"_s + device}));
    QVERIFY(x.panel->lstUnreadable->isVisibleTo(x.panel));
    QCOMPARE(x.panel->lblUnreadable->text(), u"読めないファイルが 8 個あります（取り込みません）："_s);
    QCOMPARE(x.panel->lstUnreadable->accessibleName(), u"読めないファイル"_s);

    x.importTicked();
    QCOMPARE(x.f.bytes(u"曲目_港.txt"_s), fixture::sjis(u"海\r\n"_s));
    QCOMPARE(x.f.bytes(u"街.jpg"_s), x.folderCover);
}

// 中止 frees the panel within a second and the worker ends as soon, whatever file it
// is in (here one that reads as gigabytes of nothing); closing the window mid-scan
// never waits on the scan either.
void TstMusicImport::stopAndCloseNeverWait()
{
    if (!inCappedChild())
        return;
    ImportFixture x;
    const QString slow = x.music.filePath(u"slow/big.mp3"_s);
    QVERIFY(QDir().mkpath(QFileInfo(slow).absolutePath()) && fixture::write(slow, {}));
    QVERIFY(QFile::resize(slow, qint64(64) << 30));
    for (const bool closeWindow : {false, true}) {
        QSignalSpy done(x.panel, &MusicImport::scanFinished);
        x.panel->scan(x.music.filePath(u"slow"_s));
        QTest::qWait(300);
        QVERIFY(x.panel->isScanning());
        QElapsedTimer clock;
        clock.start();
        if (closeWindow) {
            x.f.window.reset();
        } else {
            x.panel->cmdStop->click();
            QVERIFY(done.wait(1000) || done.count() == 1);
            QCOMPARE(x.panel->lblScan->text(), u"読み込みを中止しました。"_s);
        }
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        // The worker lets go of the file as soon.
        const auto reading = [&] {
            const QFileInfoList open = QDir(u"/proc/self/fd"_s).entryInfoList(QDir::System);
            return std::any_of(open.cbegin(), open.cend(), [&](const QFileInfo& fd) { return fd.symLinkTarget() == slow; });
        };
        QTRY_VERIFY_WITH_TIMEOUT(!reading(), 1000);
    }
}

// The most memory this process has held since the mark was last cleared, in bytes.
qint64 peakMemory()
{
    const QByteArray status = fixture::read(u"/proc/self/status"_s);
    return status.mid(status.indexOf("VmHWM:") + 6).trimmed().split(' ').front().toLongLong() * 1024;
}

// An album of many files that each embed a large picture keeps the first file's
// picture only: the scan's peak memory grows by a few pictures, not one a file.
void TstMusicImport::oneCoverKeptPerAlbum()
{
    ImportFixture x;
    const QString album = x.music.filePath(u"many"_s);
    QByteArray large(2 * 1024 * 1024, 'Z');
    large.replace(0, 3, "\xFF\xD8\xFF");
    for (int i = 0; i < 64; ++i)
        putShiftJisMp3(album + u"/%1.mp3"_s.arg(i, 2, 10, QLatin1Char('0')), {{"TALB", u"多"_s}, {"TPE1", u"A"_s}}, {},
                       i == 0 ? x.cover : large);
    QVERIFY(fixture::write(u"/proc/self/clear_refs"_s, "5"));
    const qint64 before = peakMemory();
    QSignalSpy done(x.panel, &MusicImport::scanFinished);
    x.panel->scan(album);
    QVERIFY(done.wait(20000) || done.count() == 1);
    const qint64 grown = peakMemory() - before;
    QVERIFY2(grown < 40 * 1024 * 1024, qPrintable(QString::number(grown)));
    QCOMPARE(x.panel->tblAlbums->rowCount(), 1);
    x.importTicked();
    QCOMPARE(x.f.bytes(u"多.jpg"_s), x.cover);
}
#endif

// The kana sort tags of the files give the readings of the names they make: a
// Shift-JIS TSOP (hiragana, kept as katakana) on an MP3, soar on an M4A, ARTISTSORT on
// a FLAC, with the album and song sort tags beside them. A Latin sort tag on a Japanese
// name says nothing, and a reading kept before stays. They are written with the titles;
// the names still without one are offered for checking after the import.
void TstMusicImport::readingsFromSortTags()
{
    ImportFixture x;
    const QString m = x.music.path() + u"/yomi"_s;
    putShiftJisMp3(m + u"/1/a.mp3"_s, {{"TALB", u"罪と罰"_s}, {"TPE1", u"椎名林檎"_s}, {"TIT2", u"丸の内"_s},
                                      {"TSOP", u"しいなりんご"_s}, {"TSOA", u"ツミトバツ"_s}, {"TSOT", u"マルノウチ"_s}}, {}, {});
    {
        const QString path = m + u"/2/a.m4a"_s;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QVERIFY(fixture::write(path, fixture::readFixture(u"music/silence.m4a"_s)));
        TagLib::MP4::File file(QFile::encodeName(path).constData());
        QVERIFY(file.isValid());
        TagLib::MP4::Tag* tag = file.tag();
        for (const auto& [key, value] : std::map<const char*, QString>{
                 {"\xA9" "alb", u"初恋"_s}, {"\xA9" "ART", u"宇多田ヒカル"_s}, {"\xA9" "nam", u"誓い"_s},
                 {"soar", u"ウタダヒカル"_s}, {"soal", u"ハツコイ"_s}, {"sonm", u"Chikai"_s}})
            tag->setItem(TagLib::String(key, TagLib::String::Latin1), TagLib::MP4::Item(TagLib::StringList(utf8(value))));
        QVERIFY(file.save());
    }
    put(m + u"/3/a.flac"_s, "flac", {{"ALBUM", u"夜明け"_s}, {"ARTIST", u"米津玄師"_s}, {"TITLE", u"馬と鹿"_s},
                                     {"ARTISTSORT", u"ヨネヅケンシ"_s}, {"ALBUMSORT", u"Yoake"_s}, {"TITLESORT", u"ウマトシカ"_s}});
    put(m + u"/4/a.ogg"_s, "ogg", {{"ALBUM", u"寒水魚"_s}, {"ARTIST", u"中島みゆき"_s}, {"TITLE", u"悪女"_s},
                                   {"ARTISTSORT", u"ナカジマ"_s}});
    QVERIFY(x.f.put(u"読みデータ.DAT"_s, u"\"歌手\",\"中島みゆき\",\"ナカジマミユキ\"\r\n"_s));
    x.scan();
    x.importTicked();
    QCOMPARE(x.f.dialogs.unexpected, 0);
    QCOMPARE(x.f.bytes(u"読みデータ.DAT"_s),
             fixture::sjis(u"\"歌手\",\"中島みゆき\",\"ナカジマミユキ\"\r\n"
                           "\"タイトル\",\"罪と罰\",\"ツミトバツ\"\r\n\"歌手\",\"椎名林檎\",\"シイナリンゴ\"\r\n"
                           "\"曲\",\"丸の内\",\"マルノウチ\"\r\n"
                           "\"タイトル\",\"初恋\",\"ハツコイ\"\r\n\"歌手\",\"宇多田ヒカル\",\"ウタダヒカル\"\r\n"
                           "\"歌手\",\"米津玄師\",\"ヨネヅケンシ\"\r\n\"曲\",\"馬と鹿\",\"ウマトシカ\"\r\n"_s));
    MainWindow& w = *x.f.window;
    QCOMPARE(w.state().readings.reading(ReadingKind::Artist, u"宇多田ヒカル"_s), u"ウタダヒカル"_s);

    // What no tag read: the fixture's 無題, 街の風景 and its band, 夜明け and 寒水魚.
    QVERIFY(x.panel->cmdReadings->isVisible());
    QCOMPARE(x.panel->cmdReadings->text(), u"読みの確認（5 件）"_s);
    x.panel->cmdReadings->click();
    ReadingCheck& check = *w.fraReadingCheck;
    QVERIFY(check.isVisible());
    QStringList names;
    for (int r = 0; r < check.rows().rowCount(); ++r)
        names.append(check.rows().index(r, ReadingRows::Name).data().toString());
    QCOMPARE(names.first(), u"ウタバコ楽団"_s);
    names.sort();
    QCOMPARE(names, (QStringList{u"ウタバコ楽団"_s, u"夜明け"_s, u"寒水魚"_s, u"無題"_s, u"街の風景"_s}));
}

QTEST_MAIN(TstMusicImport)
#include "tst_musicimport.moc"
