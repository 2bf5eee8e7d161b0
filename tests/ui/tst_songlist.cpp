#include "uifixture.h"

#include "lists/songlist.h"
#include "lists/titlelist.h"
#include "platform/grid.h"
#include "title/mainscreen.h"
#include "tracks/trackentry.h"
#include "upkeep/tourtexts.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;
using fixture::sjis;

namespace {

const QString kTracks = u"曲目データ.TXT"_s;

// A line of the track data; reserved is the last of its twelve fields.
QString song(const QString& name, const QString& artist, const QString& genre = QString(),
             const QString& lyricist = QString(), const QString& reserved = QString())
{
    return u"\"%1\",\"%2\",\"%3\",\"%4\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"%5\"\r\n"_s.arg(name, artist, genre, lyricist,
                                                                                         reserved);
}

QStringList column(const Grid* grid, int col)
{
    QStringList out;
    for (int r = 1; r < grid->rows(); ++r)
        out.append(grid->text(r, col));
    return out;
}

void clickRow(Grid* grid, int row, bool twice = false)
{
    const QPoint at = grid->visualRect(grid->model()->index(row - 1, 0)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    // A widget is sent the second press of a double-click as a double-click event.
    if (twice)
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
}

void sortBy(SongList* list, int button)
{
    QTest::mouseClick(list->cmdSort2[static_cast<size_t>(button)], Qt::LeftButton);
}

} // namespace

// The song list: lyrics marks, sorting, the song panel's save, and opening a title
// that holds a song.
class TestSongList : public QObject {
    Q_OBJECT

private slots:
    void listsSongsWithTheirLyricsMarks();
    void savesTheSongThePanelShowsInFileOrder();
    void failedSaveKeepsThePanel();
    void storedTabsDoNotBlockOtherSaves();
    void enterAddsNamesToTheirMasters_data();
    void enterAddsNamesToTheirMasters();
    void doubleClickOpensATitleHoldingTheSong_data();
    void doubleClickOpensATitleHoldingTheSong();
};

void TestSongList::listsSongsWithTheirLyricsMarks()
{
    UiFixture f;
    QVERIFY(f.put(u"データ.TXT"_s, UiFixture::title(u"題"_s)));
    QVERIFY(f.put(kTracks, song(u"朝"_s, u"a"_s) + song(u"夜"_s, u"b"_s) + song(u"昼"_s, u"c"_s)));
    QVERIFY(f.put(u"歌詞_夜_b.txt"_s, u"よる\r\n"_s));
    // Lyrics of the song by another artist, and a name differing in letter case only.
    QVERIFY(f.put(u"歌詞_朝_b.txt"_s, u"あさ\r\n"_s));
    QVERIFY(f.put(u"歌詞_昼_C.txt"_s, u"ひる\r\n"_s));
    QVERIFY(f.put(u"設定.TXT"_s, u"\"ヘルプツアー\",1\r\n"_s));
    MainWindow& w = f.start();
    f.dialogs.clear();
    SongList* list = w.fraIchiran2;

    // Sorting titles does not turn the song list's toggle.
    QTest::mouseClick(w.cmdIchiran, Qt::LeftButton);
    QTest::mouseClick(w.fraIchiran->cmdSort1[0], Qt::LeftButton);
    f.dialogs.clear();
    QTest::mouseClick(w.cmdIchiran2, Qt::LeftButton);
    QVERIFY(list->isVisible());
    QCOMPARE(f.dialogs.texts(), QStringList{tour::kSongList});
    QCOMPARE(column(list->msgIchiran2, 0), (QStringList{u"朝"_s, u"夜"_s, u"昼"_s}));
    QCOMPARE(column(list->msgIchiran2, 6), (QStringList{QString(), u"○"_s, QString()}));
    QCOMPARE(column(list->msgIchiran2, 13), (QStringList{u"00001"_s, u"00002"_s, u"00003"_s}));

    sortBy(list, 6);
    QCOMPARE(column(list->msgIchiran2, 0), (QStringList{u"朝"_s, u"昼"_s, u"夜"_s}));
    sortBy(list, 1);
    QCOMPARE(column(list->msgIchiran2, 1), (QStringList{u"c"_s, u"b"_s, u"a"_s}));
    QCOMPARE(f.dialogs.unexpected, 0);
}

// The values go to the song clicked, wherever a sort has moved it; the file keeps its
// own order, whatever the order on view, and every song's last reserved field.
void TestSongList::savesTheSongThePanelShowsInFileOrder()
{
    UiFixture f;
    QVERIFY(f.put(kTracks, song(u"あさ"_s, u"甲"_s, u"ポップス"_s, u"詞子"_s, u"予備1"_s)
                               + song(u"よる"_s, u"乙"_s, QString(), QString(), u"予備2"_s) + song(u"ひる"_s, u"丙"_s)));
    QVERIFY(f.put(u"ジャンルマスタ２.txt"_s, u"ポップス\r\n"_s));
    QVERIFY(f.put(u"作詞マスタ.txt"_s, u"詞子\r\n"_s));
    QVERIFY(f.put(u"作曲マスタ.txt"_s, u"曲夫\r\n"_s));
    const QByteArray before = f.bytes(kTracks);
    MainWindow& w = f.start();
    SongList* list = w.fraIchiran2;
    QTest::mouseClick(w.cmdIchiran2, Qt::LeftButton);
    QTest::mouseClick(list->cmdTuika2, Qt::LeftButton);
    QVERIFY(list->fraTuika2->isVisible());
    QTest::mouseClick(list->cmdThozon2, Qt::LeftButton);
    QCOMPARE(f.dialogs.titles(), QStringList{u"対象未選択"_s});
    f.dialogs.clear();

    clickRow(list->msgIchiran2, 1);
    QCOMPARE(list->lblTitle2->text(), u"あさ"_s);
    QCOMPARE(list->cboJanru2->currentText(), u"ポップス"_s);
    QCOMPARE(list->cboSakushi2->currentText(), u"詞子"_s);
    list->cboJanru2->setEditText(u"ロック"_s);
    list->cboSakushi2->setEditText(u"\"新人\""_s);
    list->cboSakkyoku2->setEditText(u"曲夫"_s);
    list->cboHenkyoku2->setEditText(u"編〜"_s);
    QTest::mouseClick(list->cmdThozon2, Qt::LeftButton);
    QCOMPARE(f.dialogs.titles(), QStringList{u"使用不可文字"_s});
    QCOMPARE(f.bytes(kTracks), before);
    QCOMPARE(list->cboSakushi2->currentText(), u"\"新人\""_s);
    f.dialogs.clear();

    list->cboSakushi2->setEditText(QString());
    sortBy(list, 0);
    sortBy(list, 0);
    QCOMPARE(column(list->msgIchiran2, 0), (QStringList{u"よる"_s, u"ひる"_s, u"あさ"_s}));
    // The song being edited stays marked where the sort took it.
    QCOMPARE(list->msgIchiran2->row(), 3);
    QTest::mouseClick(list->cmdThozon2, Qt::LeftButton);

    QVERIFY(f.dialogs.boxes.empty());
    QCOMPARE(f.bytes(kTracks),
             sjis(u"\"あさ\",\"甲\",\"ロック\",\"\",\"曲夫\",\"編～\",\"\",\"\",\"\",\"\",\"\",\"予備1\"\r\n"_s
                  + song(u"よる"_s, u"乙"_s, QString(), QString(), u"予備2"_s) + song(u"ひる"_s, u"丙"_s)));
    QCOMPARE(w.state().tracks.count(), 3);
    QCOMPARE(w.state().tracks.at(1).genre, u"ロック"_s);
    QCOMPARE(column(list->msgIchiran2, 13), (QStringList{u"00002"_s, u"00003"_s, u"00001"_s}));
    QCOMPARE(f.bytes(u"ジャンルマスタ２.txt"_s), sjis(u"ポップス\r\nロック\r\n"_s));
    QCOMPARE(f.bytes(u"作詞マスタ.txt"_s), sjis(u"詞子\r\n"_s));
    QCOMPARE(f.bytes(u"作曲マスタ.txt"_s), sjis(u"曲夫\r\n"_s));
    QCOMPARE(f.bytes(u"編曲マスタ.txt"_s), sjis(u"編～\r\n"_s));
    QCOMPARE(list->lblTitle2->text(), QString());
    QCOMPARE(list->cboHenkyoku2->currentText(), QString());
    QVERIFY(list->fraTuika2->isVisible());
    QCOMPARE(f.dialogs.unexpected, 0);
}

void TestSongList::failedSaveKeepsThePanel()
{
    UiFixture f;
    QVERIFY(f.put(kTracks, song(u"朝"_s, u"甲"_s)));
    MainWindow& w = f.start();
    SongList* list = w.fraIchiran2;
    QTest::mouseClick(w.cmdIchiran2, Qt::LeftButton);
    clickRow(list->msgIchiran2, 1);
    list->cboJanru2->setEditText(u"ロック"_s);
    // A folder where the track data was: it cannot be replaced.
    QVERIFY(QFile::remove(f.path(kTracks)));
    QVERIFY(QDir(f.tmp.path()).mkdir(kTracks));
    QTest::mouseClick(list->cmdThozon2, Qt::LeftButton);

    QCOMPARE(f.dialogs.titles(), QStringList{u"書き込みエラー"_s});
    QCOMPARE(list->lblTitle2->text(), u"朝"_s);
    QCOMPARE(list->cboJanru2->currentText(), u"ロック"_s);
    QCOMPARE(list->msgIchiran2->text(1, 2), QString());
    QVERIFY(!QFile::exists(f.path(u"ジャンルマスタ２.txt"_s)));
}

void TestSongList::enterAddsNamesToTheirMasters_data()
{
    QTest::addColumn<QString>("combo");
    QTest::addColumn<QString>("master");

    QTest::newRow("genre") << u"cboJanru2"_s << u"ジャンルマスタ２.txt"_s;
    QTest::newRow("lyricist") << u"cboSakushi2"_s << u"作詞マスタ.txt"_s;
    QTest::newRow("composer") << u"cboSakkyoku2"_s << u"作曲マスタ.txt"_s;
    QTest::newRow("arranger") << u"cboHenkyoku2"_s << u"編曲マスタ.txt"_s;
}

void TestSongList::enterAddsNamesToTheirMasters()
{
    QFETCH(QString, combo);
    QFETCH(QString, master);
    UiFixture f;
    QVERIFY(f.put(master, u"既存\r\n"_s));
    MainWindow& w = f.start();
    QTest::mouseClick(w.cmdIchiran2, Qt::LeftButton);
    auto* box = w.fraIchiran2->findChild<QComboBox*>(combo);
    QVERIFY(box);
    for (const QString& typed : {u"新顔〜"_s, u"新顔～"_s, u"既存"_s, QString()}) {
        box->setEditText(typed);
        QTest::keyClick(box, Qt::Key_Return);
    }
    QCOMPARE(f.bytes(master), sjis(u"既存\r\n新顔～\r\n"_s));
    QCOMPARE(box->count(), 2);
    QVERIFY(f.dialogs.boxes.empty());
}

void TestSongList::doubleClickOpensATitleHoldingTheSong_data()
{
    QTest::addColumn<QString>("titles");
    QTest::addColumn<QString>("opened");

    // The song is 朝 by 甲. 一 is by 乙 and holds a song 朝; 二 is a compilation.
    QTest::newRow("a title by another artist holding the song")
        << UiFixture::title(u"一"_s, u"乙"_s) + UiFixture::title(u"二"_s, u"複数"_s) + UiFixture::title(u"三"_s, u"甲"_s)
        << u"一"_s;
    QTest::newRow("compilation before the artist's own title")
        << UiFixture::title(u"二"_s, u"複数"_s) + UiFixture::title(u"三"_s, u"甲"_s) << u"二"_s;
    QTest::newRow("the artist's own title") << UiFixture::title(u"三"_s, u"甲"_s) << u"三"_s;
    QTest::newRow("no title holds it") << UiFixture::title(u"四"_s, u"甲"_s) << QString();
}

void TestSongList::doubleClickOpensATitleHoldingTheSong()
{
    QFETCH(QString, titles);
    QFETCH(QString, opened);
    UiFixture f;
    QVERIFY(f.put(u"データ.TXT"_s, titles));
    QVERIFY(f.put(u"曲目_一.txt"_s, u"朝\r\n"_s));
    QVERIFY(f.put(u"曲目_二.txt"_s, u"夜/乙\r\n朝/甲\r\n"_s));
    QVERIFY(f.put(u"曲目_三.txt"_s, u"昼\r\n朝\r\n"_s));
    QVERIFY(f.put(kTracks, song(u"昼"_s, u"甲"_s) + song(u"朝"_s, u"甲"_s)));
    MainWindow& w = f.start();
    SongList* list = w.fraIchiran2;
    QTest::mouseClick(w.cmdIchiran2, Qt::LeftButton);
    clickRow(list->msgIchiran2, 2, true);

    if (opened.isEmpty()) {
        QCOMPARE(f.dialogs.titles(), QStringList{u"タイトルなし"_s});
        QVERIFY2(f.dialogs.boxes[0].text.contains(u"「朝」（甲）"_s), qPrintable(f.dialogs.boxes[0].text));
        QVERIFY(list->isVisible());
        QCOMPARE(w.state().ListJumpIndex, 0);
        return;
    }
    QVERIFY(f.dialogs.boxes.empty());
    QVERIFY(w.fraMain->isVisible());
    QVERIFY(w.cmdDel->isEnabled());
    QCOMPARE(w.fraMain->cboName->currentText(), opened);
}

// Tabs and line breaks the Windows program stored stay as they are, without a word, when
// another value of the title or song is saved (and out of the masters).
void TestSongList::storedTabsDoNotBlockOtherSaves()
{
    UiFixture f;
    const QString title = u"\"A\",\"z\tY\",\"J-POP\",\"◎\",\"CD\tBOX\",\"%1\",\"2枚組\t初回盤\r\n帯付き\"\r\n"_s;
    QVERIFY(f.put(u"データ.TXT"_s, title.arg(u"2026/12/07"_s)));
    QVERIFY(f.put(kTracks, song(u"あさ"_s, u"甲"_s, u"ポップス"_s, u"詞子\t詞男"_s, u"予備"_s) + song(u"よる"_s, u"乙"_s)));
    MainWindow& w = f.start();
    TitleList* titles = w.fraIchiran;
    QTest::mouseClick(w.cmdIchiran, Qt::LeftButton);
    QTest::mouseClick(titles->cmdTuika, Qt::LeftButton);
    clickRow(titles->msgIchiran, 1);
    titles->txtHizuke->setText(u"2027/01/01"_s);
    QTest::mouseClick(titles->cmdThozon, Qt::LeftButton);
    SongList* list = w.fraIchiran2;
    QTest::mouseClick(w.cmdIchiran2, Qt::LeftButton);
    QTest::mouseClick(list->cmdTuika2, Qt::LeftButton);
    clickRow(list->msgIchiran2, 1);
    list->cboJanru2->setEditText(u"ロック"_s);
    QTest::mouseClick(list->cmdThozon2, Qt::LeftButton);

    QVERIFY(f.dialogs.boxes.empty());
    QCOMPARE(f.bytes(u"データ.TXT"_s), sjis(title.arg(u"2027/01/01"_s)));
    // A track list for the title whose stored artist holds a tab: its songs carry it.
    QTest::mouseClick(w.cmdMain, Qt::LeftButton);
    TrackEntry* t = w.fraMain->Frame1;
    QTest::mouseClick(t->cmdHensyu, Qt::LeftButton);
    t->txtKyokuHen->setPlainText(u"1.ひる\n"_s);
    QTest::mouseClick(t->cmdKakutei, Qt::LeftButton);

    QVERIFY2(f.dialogs.boxes.empty(), qPrintable(f.dialogs.texts().join(u'\n')));
    QCOMPARE(f.bytes(u"データ.TXT"_s), sjis(title.arg(u"2027/01/01"_s)));
    QCOMPARE(f.bytes(kTracks), sjis(song(u"あさ"_s, u"甲"_s, u"ロック"_s, u"詞子\t詞男"_s, u"予備"_s) + song(u"よる"_s, u"乙"_s)
                                    + song(u"ひる"_s, u"z\tY"_s)));
}

QTEST_MAIN(TestSongList)
#include "tst_songlist.moc"
