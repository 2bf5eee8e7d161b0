#include "uifixture.h"

#include "lists/songlist.h"
#include "lists/songsearch.h"
#include "lists/titlesearch.h"
#include "lyrics/lyricssearch.h"
#include "platform/grid.h"
#include "store/tracktable.h"
#include "title/mainscreen.h"
#include "upkeep/tourtexts.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;

namespace {

QString song(const QString& name, const QString& artist, const QString& genre = QString(),
             const QString& lyricist = QString(), const QString& composer = QString(),
             const QString& arranger = QString())
{
    return u"\"%1\",\"%2\",\"%3\",\"%4\",\"%5\",\"%6\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"_s.arg(
        name, artist, genre, lyricist, composer, arranger);
}

const QString kTracks = song(u"街の灯"_s, u"甲"_s, u"ロック"_s, u"作詞一"_s, u"作曲一"_s, u"編曲一"_s)
    + song(u"夜明け"_s, u"甲"_s, u"バラード"_s, u"作詞二"_s, u"作曲一"_s)
    + song(u"夜明け"_s, u"乙"_s, u"バラード"_s)
    + song(u"A_B"_s, u"C"_s)
    + song(u"夜明けの街"_s, u"乙"_s)
    + song(u"Love"_s, u"甲"_s)
    + song(u"ＬＯＶＥ"_s, u"甲"_s);

// Song and artist of each row of the result grid, with the mark between them.
QStringList found(const Grid* grid)
{
    QStringList out;
    for (int r = 1; r < grid->rows(); ++r)
        out.append(grid->text(r, 0) + u'|' + grid->text(r, 1) + u'|' + grid->text(r, 2));
    return out;
}

QStringList items(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out.append(list->item(i)->text());
    return out;
}

void clickItem(QListWidget* list, const QString& text, bool twice = false)
{
    const QList<QListWidgetItem*> hits = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(hits.size() == 1, qPrintable(text));
    const QPoint at = list->visualItemRect(hits[0]).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    if (twice)
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

void clickRow(Grid* grid, int row)
{
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(row - 1, 0)).center());
}

void type(QLineEdit* box, const QString& text)
{
    box->setText(text);
    QTest::keyClick(box, Qt::Key_Return);
}

MainWindow& openSearch(UiFixture& f)
{
    f.put(u"データ.TXT"_s, UiFixture::title(u"題A"_s, u"甲"_s) + UiFixture::title(u"集"_s, u"複数"_s)
                                + UiFixture::title(u"題B"_s, u"乙"_s));
    f.put(u"曲目_題A.txt"_s, u"街の灯\r\n夜明け\r\n"_s);
    f.put(u"曲目_集.txt"_s, u"夜明け/乙\r\nA_B/C\r\n"_s);
    f.put(u"曲目_題B.txt"_s, u"夜明けの街\r\n"_s);
    // Left behind by a title deleted by hand, and a copy named in other letter case.
    f.put(u"曲目_消えた題.txt"_s, u"夜明け\r\n"_s);
    f.put(u"曲目_題a.txt"_s, u"夜明け\r\n"_s);
    f.put(u"曲目データ.TXT"_s, kTracks);
    f.put(u"作詞マスタ.txt"_s, u"作詞一\r\n作詞二\r\n作詞三\r\n"_s);
    f.put(u"作曲マスタ.txt"_s, u"作曲一\r\n"_s);
    f.put(u"編曲マスタ.txt"_s, u"編曲一\r\n"_s);
    f.put(u"ジャンルマスタ２.txt"_s, u"ロック\r\nバラード\r\n"_s);
    f.put(u"歌詞_夜明け_甲.txt"_s, u"朝の光,愛の歌\r\n  \"愛してる\"\r\n"_s);
    f.put(u"歌詞_A_B_C.txt"_s, u"愛\r\n"_s);
    f.put(u"歌詞_街の灯_甲.txt"_s, u"空\r\nへ\r\n"_s);
    f.put(u"歌詞_消えた歌_丙.txt"_s, u"愛のうた\r\n"_s);
    f.put(u"歌詞_孤独.txt"_s, u"愛\r\n"_s);
    f.put(u"歌詞_読めない_甲.txt"_s, u"愛\r\n"_s);
    MainWindow& w = f.start();
    QTest::mouseClick(w.cmdList, Qt::LeftButton);
    return w;
}

const QStringList kAllSongs = {u"街の灯|○|甲"_s, u"夜明け|○|甲"_s, u"夜明け||乙"_s, u"A_B|○|C"_s,
                               u"夜明けの街||乙"_s, u"Love||甲"_s, u"ＬＯＶＥ||甲"_s};

} // namespace

// The song search: every song marked on opening, one attribute at a time, the lyrics
// keyword and presence searches, and a found song's lyrics and titles.
class TestSongSearch : public QObject {
    Q_OBJECT

private slots:
    void opensWithEverySongMarked();
    void findsByOneAttribute_data();
    void findsByOneAttribute();
    void presenceSplitsTheSongs();
    void lyricsKeyFindsWhatTheWordSearchSteps();
    void clickShowsLyricsAndTheTitlesHoldingTheSong();
    void titleIsFoundAfterItsArtistIsSet();
};

void TestSongSearch::opensWithEverySongMarked()
{
    UiFixture f;
    f.put(u"設定.TXT"_s, u"\"ヘルプツアー\",1\r\n"_s);
    MainWindow& w = openSearch(f);
    SongSearch* s = w.fraList;
    QVERIFY(s->isVisible());
    QCOMPARE(f.dialogs.texts().last(), tour::kSongSearch);
    QCOMPARE(found(s->msgKyokumoku2), kAllSongs);
    QCOMPARE(s->fraKensu2->title(), u"検索件数　7件"_s);
    QCOMPARE(items(s->lstSakusya3), (QStringList{u"甲"_s, u"乙"_s, u"C"_s}));
    QCOMPARE(items(s->lstKashi), (QStringList{u"有り"_s, u"無し"_s}));
    QCOMPARE(s->cboSakushi->count(), 3);
    QCOMPARE(items(s->lstKeisai3), (QStringList{u"ロック"_s, u"バラード"_s}));

    // The artist list only grows: names that left the track data stay, new ones are
    // added at the end.
    QVERIFY(f.put(u"曲目データ.TXT"_s, song(u"朝"_s, u"丁"_s) + song(u"昼"_s, u"乙"_s)));
    LoadTrackTable(*f.folder, &w.state().tracks);
    QTest::mouseClick(w.cmdMain, Qt::LeftButton);
    QTest::mouseClick(w.cmdList, Qt::LeftButton);
    QCOMPARE(items(s->lstSakusya3), (QStringList{u"甲"_s, u"乙"_s, u"C"_s, u"丁"_s}));
    QCOMPARE(s->fraKensu2->title(), u"検索件数　2件"_s);
    QCOMPARE(f.dialogs.unexpected, 0);
}

void TestSongSearch::findsByOneAttribute_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("artist") << u"lstSakusya3"_s << u"C"_s << QStringList{u"A_B|○|C"_s};
    QTest::newRow("genre") << u"lstKeisai3"_s << u"バラード"_s << QStringList{u"夜明け|○|甲"_s, u"夜明け||乙"_s};
    QTest::newRow("lyricist") << u"cboSakushi"_s << u"作詞二"_s << QStringList{u"夜明け|○|甲"_s};
    QTest::newRow("lyricist no song has") << u"cboSakushi"_s << u"作詞三"_s << QStringList();
    QTest::newRow("composer") << u"cboSakkyoku"_s << u"作曲一"_s << QStringList{u"街の灯|○|甲"_s, u"夜明け|○|甲"_s};
    QTest::newRow("arranger") << u"cboHenkyoku"_s << u"編曲一"_s << QStringList{u"街の灯|○|甲"_s};
    QTest::newRow("song key") << u"txtKyokukey"_s << u"夜明け"_s
                              << QStringList{u"夜明け|○|甲"_s, u"夜明け||乙"_s, u"夜明けの街||乙"_s};
    QTest::newRow("song key, other letter case") << u"txtKyokukey"_s << u"LOVE"_s << QStringList();
    QTest::newRow("song key, other width") << u"txtKyokukey"_s << u"Ｌｏｖｅ"_s << QStringList();
}

void TestSongSearch::findsByOneAttribute()
{
    QFETCH(QString, control);
    QFETCH(QString, text);
    QFETCH(QStringList, rows);

    UiFixture f;
    MainWindow& w = openSearch(f);
    SongSearch* s = w.fraList;
    QWidget* target = s->findChild<QWidget*>(control);
    QVERIFY(target);
    if (auto* list = qobject_cast<QListWidget*>(target)) {
        clickItem(list, text);
    } else if (auto* combo = qobject_cast<QComboBox*>(target)) {
        combo->setCurrentIndex(combo->findText(text) - 1);
        QTest::keyClick(combo, Qt::Key_Down);
    } else {
        type(qobject_cast<QLineEdit*>(target), text);
    }
    QCOMPARE(found(s->msgKyokumoku2), rows);
    QCOMPARE(s->fraKensu2->title(), u"検索件数　%1件"_s.arg(rows.size()));

    // Enter in the empty key box leaves the result as it is.
    s->txtKashiKey->clear();
    QTest::keyClick(s->txtKashiKey, Qt::Key_Return);
    QCOMPARE(found(s->msgKyokumoku2), rows);
}

void TestSongSearch::presenceSplitsTheSongs()
{
    UiFixture f;
    MainWindow& w = openSearch(f);
    SongSearch* s = w.fraList;
    clickItem(s->lstKashi, u"有り"_s);
    const QStringList with = found(s->msgKyokumoku2);
    QCOMPARE(with, (QStringList{u"街の灯|○|甲"_s, u"夜明け|○|甲"_s, u"A_B|○|C"_s}));
    QCOMPARE(s->fraKensu2->title(), u"検索件数　3件"_s);
    clickItem(s->lstKashi, u"無し"_s);
    const QStringList without = found(s->msgKyokumoku2);
    QCOMPARE(without, (QStringList{u"夜明け||乙"_s, u"夜明けの街||乙"_s, u"Love||甲"_s, u"ＬＯＶＥ||甲"_s}));
    // Together every song once, as opening the screen lists them.
    QStringList both = with + without;
    QStringList all = kAllSongs;
    both.sort();
    all.sort();
    QCOMPARE(both, all);
}

// The lyrics files listed are those holding the key as the lyrics box shows them, each
// named by its song in the track data; the key goes on to the word search.
void TestSongSearch::lyricsKeyFindsWhatTheWordSearchSteps()
{
    UiFixture f;
    MainWindow& w = openSearch(f);
    SongSearch* s = w.fraList;
    // Deleted since the listing was taken: passed over.
    QVERIFY(QFile::remove(f.path(u"歌詞_読めない_甲.txt"_s)));
    type(s->txtKashiKey, u"愛"_s);
    QCOMPARE(found(s->msgKyokumoku2), (QStringList{u"A_B|○|C"_s, u"夜明け|○|甲"_s, u"消えた歌|○|丙"_s}));
    QCOMPARE(s->fraKensu2->title(), u"検索件数　3件"_s);
    QCOMPARE(s->Frame7->txtKashiKey2->text(), u"愛"_s);
    for (int row = 1; row <= 3; ++row) {
        clickRow(s->msgKyokumoku2, row);
        QVERIFY(s->Frame7->lblKenken->text().toInt() > 0);
    }
    QCOMPARE(s->Frame7->txtKashi2->toPlainText(), u"愛のうた"_s);

    // Around a comma, inside quotes and after blanks as the text has them; never
    // across a line end.
    type(s->txtKashiKey, u"光,愛"_s);
    QCOMPARE(found(s->msgKyokumoku2), QStringList{u"夜明け|○|甲"_s});
    type(s->txtKashiKey, u"  \"愛"_s);
    QCOMPARE(found(s->msgKyokumoku2), QStringList{u"夜明け|○|甲"_s});
    clickRow(s->msgKyokumoku2, 1);
    QCOMPARE(s->Frame7->lblKenken->text(), u"1"_s);
    type(s->txtKashiKey, u"空へ"_s);
    QCOMPARE(found(s->msgKyokumoku2), QStringList());
    QCOMPARE(f.dialogs.unexpected, 0);
}

void TestSongSearch::clickShowsLyricsAndTheTitlesHoldingTheSong()
{
    UiFixture f;
    MainWindow& w = openSearch(f);
    SongSearch* s = w.fraList;
    clickRow(s->msgKyokumoku2, 2);
    QCOMPARE(s->Frame7->txtKashi2->toPlainText(), u"朝の光,愛の歌\n  \"愛してる\""_s);
    // Every title whose list holds the song of that artist, each once: not 集, whose
    // 夜明け is 乙's, nor 題B, whose "夜明けの街" merely contains the name, nor a list
    // whose title is gone.
    QCOMPARE(items(s->lstTitle), QStringList{u"題A"_s});
    QCOMPARE(s->Frame7->LoadedLyricsFile().row, 2);
    // A plain title's line is the song whoever the title's artist is.
    clickRow(s->msgKyokumoku2, 3);
    QCOMPARE(items(s->lstTitle), (QStringList{u"集"_s, u"題A"_s}));

    // The song named with "_" reads its lyrics and finds its compilation.
    clickRow(s->msgKyokumoku2, 4);
    QCOMPARE(s->Frame7->txtKashi2->toPlainText(), u"愛"_s);
    QCOMPARE(items(s->lstTitle), QStringList{u"集"_s});

    clickRow(s->msgKyokumoku2, 5);
    QCOMPARE(items(s->lstTitle), QStringList{u"題B"_s});

    // A track list deleted since the screen opened is passed over.
    QVERIFY(QFile::remove(f.path(u"曲目_集.txt"_s)));
    clickRow(s->msgKyokumoku2, 3);
    QCOMPARE(items(s->lstTitle), QStringList{u"題A"_s});
    clickRow(s->msgKyokumoku2, 2);

    clickItem(s->lstTitle, u"題A"_s, true);
    QVERIFY(w.fraMain->isVisible());
    QCOMPARE(w.fraMain->cboName->currentText(), u"題A"_s);
    QCOMPARE(f.dialogs.unexpected, 0);
}

// Songs entered before the title's artist was set are 未登録's, and still found on it.
void TestSongSearch::titleIsFoundAfterItsArtistIsSet()
{
    UiFixture f;
    QVERIFY(f.put(u"データ.TXT"_s, UiFixture::title(u"題"_s, u"未登録"_s)));
    QVERIFY(f.put(u"曲目_題.txt"_s, u"歌\r\n"_s));
    QVERIFY(f.put(u"曲目データ.TXT"_s, song(u"歌"_s, u"未登録"_s)));
    MainWindow& w = f.start();
    w.fraMain->cboSakusya->setEditText(u"甲"_s);
    QTest::keyClick(w.fraMain->cboSakusya, Qt::Key_Return);
    QTest::mouseClick(w.cmdList, Qt::LeftButton);
    clickRow(w.fraList->msgKyokumoku2, 1);
    QCOMPARE(items(w.fraList->lstTitle), QStringList{u"題"_s});

    QTest::mouseClick(w.cmdIchiran2, Qt::LeftButton);
    Grid* songs = w.fraIchiran2->msgIchiran2;
    const QPoint at = songs->visualRect(songs->model()->index(0, 0)).center();
    QTest::mouseClick(songs->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(songs->viewport(), Qt::LeftButton, {}, at);
    QVERIFY(w.fraMain->isVisible());
    QCOMPARE(w.state().titles.at(1).artist, u"甲"_s);
}

QTEST_MAIN(TestSongSearch)
#include "tst_songsearch.moc"
