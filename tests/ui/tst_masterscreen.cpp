#include "uifixture.h"

#include "title/mainscreen.h"
#include "upkeep/masterscreen.h"
#include "upkeep/tourtexts.h"

#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;
using fixture::sjis;

namespace {

const QString kArtists = u"歌手マスタ.txt"_s;

QStringList entries(const QListWidget* list)
{
    QStringList out;
    for (int r = 0; r < list->count(); ++r)
        out.append(list->item(r)->text());
    return out;
}

// Every file and folder under path, with the bytes of each file.
QMap<QString, QByteArray> folderContents(const QString& path)
{
    QMap<QString, QByteArray> out;
    QDirIterator it(path, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        out.insert(QDir(path).relativeFilePath(it.filePath()), it.fileInfo().isDir() ? "<folder>" : fixture::read(it.filePath()));
    }
    return out;
}

// The (value, maximum) a progress bar showed each time it was painted.
struct PaintedValues : QObject {
    explicit PaintedValues(QProgressBar* bar) { bar->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            const auto* bar = static_cast<QProgressBar*>(watched);
            values.append({bar->value(), bar->maximum()});
        }
        return false;
    }
    QList<std::pair<int, int>> values;
};

void doubleClickRow(QListWidget* list, int row)
{
    const QPoint at = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

} // namespace

// The master screen: one entry or a whole master deleted, and the full reset that keeps
// a copy of everything it takes.
class TestMasterScreen : public QObject {
    Q_OBJECT

private slots:
    void deletesTheEntryDoubleClicked();
    void resetTakesOnlyTheCollectionAndKeepsACopy();
    void resetWithoutACopyTakesNothing();
};

void TestMasterScreen::deletesTheEntryDoubleClicked()
{
    UiFixture f;
    QVERIFY(f.put(kArtists, u"A\r\nB\r\nA\r\nC\r\n"_s));
    QVERIFY(f.put(u"作詞マスタ.txt"_s, u"only\r\n"_s));
    QVERIFY(f.put(u"設定.TXT"_s, u"\"ヘルプツアー\",1\r\n"_s));
    MainWindow& w = f.start();
    f.dialogs.clear();
    MasterScreen* screen = w.fraMaster;
    QTest::mouseClick(w.cmdMaster, Qt::LeftButton);
    QVERIFY(screen->isVisible());
    QCOMPARE(f.dialogs.texts(), QStringList{tour::kMaster});
    QCOMPARE(entries(screen->lstSakusya2), (QStringList{u"A"_s, u"B"_s, u"A"_s, u"C"_s}));
    // "メディアマスタ.txt" is missing: an empty list, made on its first write.
    QCOMPARE(screen->lstMedia2->count(), 0);

    // No, the default, changes nothing.
    f.dialogs.clear();
    f.dialogs.answers = {Dialogs::Answer::No};
    doubleClickRow(screen->lstSakusya2, 2);
    QCOMPARE(f.dialogs.boxes.size(), size_t(1));
    QCOMPARE(f.dialogs.boxes[0].text, u"A を削除しますか？"_s);
    QCOMPARE(f.dialogs.boxes[0].title, u"削除確認"_s);
    QCOMPARE(f.dialogs.boxes[0].buttons, Dialogs::Buttons::YesNo);
    QCOMPARE(f.dialogs.boxes[0].def, Dialogs::Answer::No);
    QCOMPARE(f.bytes(kArtists), sjis(u"A\r\nB\r\nA\r\nC\r\n"_s));

    // Yes takes the second A, the one clicked, and keeps the rest in order.
    f.dialogs.answers = {Dialogs::Answer::Yes};
    doubleClickRow(screen->lstSakusya2, 2);
    QCOMPARE(entries(screen->lstSakusya2), (QStringList{u"A"_s, u"B"_s, u"C"_s}));
    QCOMPARE(f.bytes(kArtists), sjis(u"A\r\nB\r\nC\r\n"_s));

    // From the keyboard, Delete asks about the entry the cursor is on.
    f.dialogs.clear();
    f.dialogs.answers = {Dialogs::Answer::No};
    screen->lstSakusya2->setCurrentRow(1);
    QTest::keyClick(screen->lstSakusya2, Qt::Key_Delete);
    QCOMPARE(f.dialogs.texts(), QStringList{u"B を削除しますか？"_s});

    // The only entry leaves an empty file.
    f.dialogs.answers = {Dialogs::Answer::Yes};
    doubleClickRow(screen->lstSakushi2, 0);
    QCOMPARE(screen->lstSakushi2->count(), 0);
    QVERIFY(QFile::exists(f.path(u"作詞マスタ.txt"_s)));
    QCOMPARE(f.bytes(u"作詞マスタ.txt"_s), QByteArray());

    // Emptying a master: No keeps it, Yes leaves an empty file, a missing one is made.
    f.dialogs.clear();
    f.dialogs.answers = {Dialogs::Answer::No, Dialogs::Answer::Yes, Dialogs::Answer::Yes};
    QTest::mouseClick(screen->cmdSakuDel, Qt::LeftButton);
    QCOMPARE(screen->lstSakusya2->count(), 3);
    QTest::mouseClick(screen->cmdSakuDel, Qt::LeftButton);
    QTest::mouseClick(screen->cmdMediaDel, Qt::LeftButton);
    QCOMPARE(f.dialogs.texts(), (QStringList{u"現在登録されているアーティストデータを全てクリアしますか？"_s,
                                             u"現在登録されているアーティストデータを全てクリアしますか？"_s,
                                             u"現在登録されているメディアデータを全てクリアしますか？"_s}));
    QCOMPARE(f.dialogs.boxes[2].title, u"メディア全データ削除確認"_s);
    QCOMPARE(f.dialogs.boxes[2].def, Dialogs::Answer::No);
    QCOMPARE(screen->lstSakusya2->count(), 0);
    QCOMPARE(f.bytes(kArtists), QByteArray());
    // The main screen's artist box lists what the master holds now ("複数" only), so a
    // name taken out goes back into the master when it is typed there again.
    QCOMPARE(w.fraMain->cboSakusya->count(), 1);
    QVERIFY(QFile::exists(f.path(u"メディアマスタ.txt"_s)));

    // A master that cannot be written is told, the list left as the file has it.
    QVERIFY(f.put(kArtists, u"X\r\nY\r\n"_s));
    QTest::mouseClick(w.cmdMaster, Qt::LeftButton);
    f.folder->setReadOnly(u"テスト"_s);
    f.dialogs.clear();
    f.dialogs.answers = {Dialogs::Answer::Yes};
    doubleClickRow(screen->lstSakusya2, 0);
    QCOMPARE(f.dialogs.boxes.size(), size_t(2));
    QCOMPARE(entries(screen->lstSakusya2), (QStringList{u"X"_s, u"Y"_s}));
    QCOMPARE(f.bytes(kArtists), sjis(u"X\r\nY\r\n"_s));
    QCOMPARE(f.dialogs.unexpected, 0);
}

void TestMasterScreen::resetTakesOnlyTheCollectionAndKeepsACopy()
{
    UiFixture f;
    // Titles named like the program's own files and another title's track list.
    QVERIFY(f.put(u"データ.TXT"_s, UiFixture::title(u"データ"_s) + UiFixture::title(u"曲目_b"_s)
                                      + UiFixture::title(u"ジャンルマスタ"_s) + UiFixture::title(u"abc"_s)
                                      + UiFixture::title(u"設定"_s)));
    const QMap<QString, QByteArray> emptied{
        {u"曲目データ.TXT"_s, sjis(u"\"abc\",\"1\"\r\n"_s)}, {kArtists, sjis(u"歌手\r\n"_s)},
        {u"作詞マスタ.txt"_s, sjis(u"詞\r\n"_s)},          {u"作曲マスタ.txt"_s, sjis(u"曲\r\n"_s)},
        {u"編曲マスタ.txt"_s, sjis(u"編\r\n"_s)}};
    const QMap<QString, QByteArray> deleted{
        {u"ABC.txt"_s, "x"},           {u"abc.JPG"_s, "\xff\xd8jpeg"}, {u"Abc.gif"_s, "GIF89a"},
        {u"abc.bmp"_s, "BM"},          {u"曲目_b.txt"_s, sjis(u"一\r\n"_s)}, {u"曲目_abc.txt"_s, sjis(u"二\r\n"_s)},
        {u"歌詞_x_y.TXT"_s, sjis(u"歌\r\n"_s)}, {u"読みデータ.DAT"_s, sjis(u"\"歌手\",\"歌手\",\"カシュ\"\r\n"_s)}};
    const QMap<QString, QByteArray> kept{
        {u"ジャンルマスタ.txt"_s, sjis(u"J-POP\r\n"_s)}, {u"ジャンルマスタ２.txt"_s, sjis(u"演歌\r\n"_s)},
        {u"メディアマスタ.txt"_s, sjis(u"CD\r\n"_s)},    {u"設定.TXT"_s, sjis(u"\"ヘルプツアー\",0\r\n"_s)},
        {u"NOPIC.JPG"_s, "nopic"},                       {u"other.jpg"_s, "other"},
        {u"memo.doc"_s, "memo"},                         {u"UtabakoHelp.html"_s, "<html>"}};
    for (const auto* files : {&emptied, &deleted, &kept})
        for (auto it = files->begin(); it != files->end(); ++it)
            QVERIFY(f.putBytes(it.key(), it.value()));
    const QByteArray titleBytes = f.bytes(u"データ.TXT"_s);

    MainWindow& w = f.start();
    QTest::mouseClick(w.cmdMaster, Qt::LeftButton);
    // Saved after the screen opened: it goes too.
    QVERIFY(f.putBytes(u"歌詞_new_song.txt"_s, "new"));
    auto removed = deleted;
    removed.insert(u"歌詞_new_song.txt"_s, "new");

    // Enter at once answers No: nothing changes.
    f.dialogs.clear();
    f.dialogs.answers = {Dialogs::Answer::No};
    QTest::mouseClick(w.fraMaster->cmdAllDel, Qt::LeftButton);
    QCOMPARE(f.dialogs.boxes[0].def, Dialogs::Answer::No);
    QCOMPARE(f.dialogs.boxes[0].title, u"タイトル全データ削除確認"_s);
    QCOMPARE(f.bytes(u"データ.TXT"_s), titleBytes);
    QVERIFY(QFile::exists(f.path(u"abc.JPG"_s)));

    f.dialogs.clear();
    f.dialogs.answers = {Dialogs::Answer::Yes};
    PaintedValues progress(w.fraMaster->prgAllDel);
    QTest::mouseClick(w.fraMaster->cmdAllDel, Qt::LeftButton);
    QCOMPARE(f.dialogs.titles(), (QStringList{u"タイトル全データ削除確認"_s, u"データ削除"_s}));
    QCOMPARE(f.dialogs.busyDepth, 0);
    // The progress was painted while the reset ran, last with every file moved.
    QVERIFY(!progress.values.isEmpty());
    QCOMPARE(progress.values.back(), std::make_pair(int(removed.size()), int(removed.size())));
    QVERIFY(!w.fraMaster->prgAllDel->isVisible());
    QVERIFY(!w.isVisible());

    const QDir data(f.tmp.path());
    const QStringList backups = data.entryList({u"初期化前_*"_s}, QDir::Dirs);
    QCOMPARE(backups.size(), 1);
    QVERIFY(QRegularExpression(u"^初期化前_\\d{8}_\\d{6}$"_s).match(backups[0]).hasMatch());
    const QDir backup(data.filePath(backups[0]));
    QVERIFY(f.dialogs.boxes[1].text.startsWith(u"一旦プログラムを終了しますので再起動してください。"_s));
    QVERIFY(f.dialogs.boxes[1].text.contains(
        u"元のデータは %1 に残してあります。"_s.arg(QDir::toNativeSeparators(backup.absolutePath()))));

    auto copy = [&](const QString& name) { return fixture::read(backup.filePath(name)); };
    QCOMPARE(f.bytes(u"データ.TXT"_s), QByteArray());
    QCOMPARE(copy(u"データ.TXT"_s), titleBytes);
    for (auto it = emptied.begin(); it != emptied.end(); ++it) {
        QVERIFY2(QFile::exists(f.path(it.key())) && f.bytes(it.key()).isEmpty(), qPrintable(it.key()));
        QCOMPARE(copy(it.key()), it.value());
    }
    for (auto it = removed.begin(); it != removed.end(); ++it) {
        QVERIFY2(!QFile::exists(f.path(it.key())), qPrintable(it.key()));
        QCOMPARE(copy(it.key()), it.value());
    }
    for (auto it = kept.begin(); it != kept.end(); ++it)
        QCOMPARE(f.bytes(it.key()), it.value());
    QCOMPARE(backup.entryList(QDir::Files).size(), 1 + emptied.size() + removed.size());
    QCOMPARE(data.entryList({u"歌詞_*"_s, u"曲目_*"_s}, QDir::Files), QStringList());
    QCOMPARE(f.dialogs.unexpected, 0);
}

void TestMasterScreen::resetWithoutACopyTakesNothing()
{
    UiFixture f;
    QVERIFY(f.put(u"データ.TXT"_s, UiFixture::title(u"abc"_s)));
    QVERIFY(f.putBytes(u"abc.jpg"_s, QByteArray(20000, 'j')));
    QVERIFY(f.put(u"歌詞_雨_歌手.txt"_s, u"雨の歌\r\n"_s));
    QVERIFY(f.put(u"曲目_abc.txt"_s, u"雨\r\n"_s));
    QVERIFY(f.put(u"作詞マスタ.txt"_s, u"詞\r\n"_s));
    QVERIFY(f.put(kArtists, u"歌手の名前\r\n"_s.repeated(1000)));
    MainWindow& w = f.start();
    QTest::mouseClick(w.cmdMaster, Qt::LeftButton);
    const QMap<QString, QByteArray> before = folderContents(f.tmp.path());
    const auto untouched = [&] {
        QVERIFY(w.isVisible());
        QCOMPARE(folderContents(f.tmp.path()), before);
    };

    // The files are moved aside, but the artists cannot be copied (the disk fills up):
    // everything goes back, and the backup folder with them.
    f.dialogs.clear();
    f.dialogs.answers = {Dialogs::Answer::Yes};
    {
        const fixture::DiskFillsAt full(8000);
        QVERIFY(full.isSet());
        QTest::mouseClick(w.fraMaster->cmdAllDel, Qt::LeftButton);
    }
    QCOMPARE(f.dialogs.titles(), (QStringList{u"タイトル全データ削除確認"_s, u"初期化の中止"_s}));
    QVERIFY(f.dialogs.boxes[1].text.contains(u"データは何も消していません。"_s));
    QVERIFY(!w.fraMaster->prgAllDel->isVisible());
    untouched();

    // A folder opened read-only gets no copy either, and says why.
    f.folder->setReadOnly(u"テスト"_s);
    f.dialogs.clear();
    f.dialogs.answers = {Dialogs::Answer::Yes};
    QTest::mouseClick(w.fraMaster->cmdAllDel, Qt::LeftButton);
    QCOMPARE(f.dialogs.boxes.size(), size_t(2));
    QVERIFY(f.dialogs.boxes[1].text.startsWith(u"このデータフォルダには書き込めないため"_s));
    QVERIFY(f.dialogs.boxes[1].text.contains(u"テスト"_s));
    untouched();
}

QTEST_MAIN(TestMasterScreen)
#include "tst_masterscreen.moc"
