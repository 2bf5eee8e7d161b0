#include "uifixture.h"

#include "lyrics/lyricspanel.h"
#include "platform/grid.h"
#include "title/mainscreen.h"
#include "tracks/trackentry.h"
#include "upkeep/tourtexts.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;
using fixture::sjis;

// Entering a title's songs and lyrics through the main screen.
class TestTracks : public QObject {
    Q_OBJECT

private slots:
    void entersACompactDisc();
    void cutsPastedLists_data();
    void cutsPastedLists();
    void refusesListsItCannotStore_data();
    void refusesListsItCannotStore();
    void typedListsAddTheirSongsOnce_data();
    void typedListsAddTheirSongsOnce();
    void lyricsOfATypedArtistKeepTheirMark_data();
    void lyricsOfATypedArtistKeepTheirMark();
    void unconfirmedArtistTextChangesNothing();
    void listThatCannotBeWrittenAddsNoSongs();
    void asksBeforeStoringAnUnknownArtist();
    void emptyListLeavesAnEmptyFile();
    void addsOnlySongsNotYetKnown();
    void reopensTheListForEditing();
    void listsKnownArtists();
    void marksLyricsOfCompilationTracks();
    void savesLyricsOfAnyNameButNotUnstorableText();
    void tourFillsTheExamples();
    void listStaysWithTheTitleItWasTypedFor();

private:
    static void clickRow(Grid* grid, int row);
    static QString songRecord(const QString& song, const QString& artist);
    static QStringList column(Grid* grid, int col);
};

void TestTracks::clickRow(Grid* grid, int row)
{
    const QRect cell = grid->visualRect(grid->model()->index(row - 1, 1));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

QString TestTracks::songRecord(const QString& song, const QString& artist)
{
    return u"\"%1\",\"%2\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"_s.arg(song, artist);
}

QStringList TestTracks::column(Grid* grid, int col)
{
    QStringList out;
    for (int r = 1; r < grid->rows(); ++r)
        out.append(grid->text(r, col));
    return out;
}

// The road of a new CD: create the title, set its artist, paste the track list, click a
// track and keep its lyrics.
void TestTracks::entersACompactDisc()
{
    UiFixture f;
    QVERIFY(f.put(u"歌手マスタ.txt"_s, u"ルリタテハ楽団\r\n"_s));
    MainWindow& w = f.start();
    MainScreen* s = w.fraMain;
    TrackEntry* t = s->Frame1;

    f.dialogs.inputs = {u"灯台の夜"_s};
    QTest::mouseClick(w.cmdNew, Qt::LeftButton);
    QCOMPARE(s->lblKensu->text(), u"1 / 1"_s);
    QCOMPARE(t->cmdHensyu->text(), u"曲目登録"_s);

    s->cboSakusya->setEditText(u"ミナモ航路"_s);
    QTest::keyClick(s->cboSakusya, Qt::Key_Return);
    QCOMPARE(f.dialogs.beeps, 1);
    QCOMPARE(f.bytes(u"歌手マスタ.txt"_s), sjis(u"ルリタテハ楽団\r\nミナモ航路\r\n"_s));
    QVERIFY(f.bytes(u"データ.TXT"_s).startsWith(sjis(u"\"灯台の夜\",\"ミナモ航路\",\"未登録\",\"未\""_s)));

    QTest::mouseClick(t->cmdHensyu, Qt::LeftButton);
    QVERIFY(t->fraHensyu->isVisible());
    QVERIFY(!t->cmdHensyu->isEnabled());
    QCOMPARE(t->cboTrim->currentText(), u".（ピリオド）"_s);
    QCOMPARE(t->cboTrim->count(), 3);
    t->txtKyokuHen->setPlainText(u"1.潮騒のプロローグ\n2.灯台\n3.夜明け"_s);
    QTest::mouseClick(t->cmdKakutei, Qt::LeftButton);

    QCOMPARE(f.bytes(u"曲目_灯台の夜.txt"_s), sjis(u"潮騒のプロローグ\r\n灯台\r\n夜明け\r\n"_s));
    QCOMPARE(f.bytes(u"曲目データ.TXT"_s),
             sjis(u"\"潮騒のプロローグ\",\"ミナモ航路\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"
                  "\"灯台\",\"ミナモ航路\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"
                  "\"夜明け\",\"ミナモ航路\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"_s));
    QCOMPARE(w.state().tracks.count(), 3);
    QCOMPARE(column(t->msgKyokumoku, 0), (QStringList{u"01"_s, u"02"_s, u"03"_s}));
    QCOMPARE(column(t->msgKyokumoku, 1), (QStringList{u"潮騒のプロローグ"_s, u"灯台"_s, u"夜明け"_s}));
    QCOMPARE(t->cmdHensyu->text(), u"曲目編集"_s);
    QVERIFY(!t->fraHensyu->isVisible());
    QVERIFY(t->cmdHensyu->isEnabled());

    clickRow(t->msgKyokumoku, 2);
    LyricsPanel* lyrics = s->fraKashi1;
    QVERIFY(lyrics->isVisible());
    QCOMPARE(lyrics->txtKashi1->toPlainText(), QString());
    const QString text = u"ひかりが\n\n海を渡る\n"_s;
    lyrics->txtKashi1->setPlainText(text);
    QTest::mouseClick(lyrics->cmdKashiToroku, Qt::LeftButton);
    QCOMPARE(f.bytes(u"歌詞_灯台_ミナモ航路.txt"_s), sjis(u"ひかりが\r\n\r\n海を渡る\r\n\r\n"_s));
    QCOMPARE(column(t->msgKyokumoku, 2), (QStringList{QString(), u"○"_s, QString()}));

    // Arrow keys load the song of the row they move to; tabbing into the grid of a
    // title shown anew does not, so typed lyrics are not lost.
    QTest::keyClick(t->msgKyokumoku, Qt::Key_Down);
    QCOMPARE(lyrics->LoadedLyricsFile().song, u"夜明け"_s);
    lyrics->txtKashi1->setPlainText(u"書きかけ"_s);
    s->showTitle(1);
    QCOMPARE(t->msgKyokumoku->row(), 0);
    t->msgKyokumoku->setFocus(Qt::TabFocusReason);
    QCOMPARE(t->msgKyokumoku->row(), 1);
    QCOMPARE(lyrics->txtKashi1->toPlainText(), u"書きかけ"_s);

    QTest::mouseClick(lyrics->cmdGazo, Qt::LeftButton);
    QVERIFY(!lyrics->isVisible());
    clickRow(t->msgKyokumoku, 1);
    QCOMPARE(lyrics->txtKashi1->toPlainText(), QString());
    clickRow(t->msgKyokumoku, 2);
    QCOMPARE(lyrics->txtKashi1->toPlainText(), text);

    // The mark comes back with the title.
    s->hsbData->setValue(1);
    s->showTitle(1);
    QCOMPARE(column(t->msgKyokumoku, 2), (QStringList{QString(), u"○"_s, QString()}));
    QCOMPARE(f.dialogs.unexpected, 0);
}

void TestTracks::cutsPastedLists_data()
{
    QTest::addColumn<QString>("artist");
    QTest::addColumn<QString>("cutText");
    QTest::addColumn<QString>("memo");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("songs");
    QTest::addColumn<QStringList>("artists");

    const QString plain = u"歌手"_s;
    const QString several = u"複数"_s;
    QTest::newRow("period cuts the number")
        << plain << u".（ピリオド）"_s << u"1.雨\n 2. 晴れ \n曇り"_s << u"雨\r\n晴れ\r\n曇り\r\n"_s
        << QStringList{u"雨"_s, u"晴れ"_s, u"曇り"_s} << QStringList();
    QTest::newRow("name with the cut character loses its front")
        << plain << u".（ピリオド）"_s << u"Mr.ブルー\n"_s << u"ブルー\r\n"_s << QStringList{u"ブルー"_s} << QStringList();
    QTest::newRow("hyphen")
        << plain << u"-（ハイフォン）"_s << u"01-朝\n02 - 夜\n"_s << u"朝\r\n夜\r\n"_s
        << QStringList{u"朝"_s, u"夜"_s} << QStringList();
    QTest::newRow("typed cut text: its first character")
        << plain << u"）と"_s << u"(1）朝\n(2）夜\n"_s << u"朝\r\n夜\r\n"_s << QStringList{u"朝"_s, u"夜"_s} << QStringList();
    QTest::newRow("empty cut text drops the first character")
        << plain << QString() << u"A朝\nB夜\n"_s << u"朝\r\n夜\r\n"_s << QStringList{u"朝"_s, u"夜"_s} << QStringList();
    QTest::newRow("blank lines are empty tracks, tabs and ideographic spaces stay")
        << plain << u".（ピリオド）"_s << u"朝\n\n\t夜　\n"_s << u"朝\r\n\r\n\t夜　\r\n"_s
        << QStringList{u"朝"_s, QString(), u"\t夜　"_s} << QStringList();
    QTest::newRow("typed wave dash cuts where the stored one stands")
        << plain << u"〜"_s << u"1～朝\n2〜夜\n"_s << u"朝\r\n夜\r\n"_s << QStringList{u"朝"_s, u"夜"_s} << QStringList();
    QTest::newRow("compilation: no slash, one, two, blanks beside")
        << several << u".（ピリオド）"_s << u"1.朝\n2.夜/甲\n3.昼/乙/丙\n4.歌 / 丁\n"_s
        << u"朝\r\n夜/甲\r\n昼/乙/丙\r\n歌 / 丁\r\n"_s
        << QStringList{u"朝"_s, u"夜"_s, u"昼"_s, u"歌 "_s}
        << QStringList{u"未登録"_s, u"甲"_s, u"乙/丙"_s, u" 丁"_s};
}

void TestTracks::cutsPastedLists()
{
    QFETCH(QString, artist);
    QFETCH(QString, cutText);
    QFETCH(QString, memo);
    QFETCH(QString, file);
    QFETCH(QStringList, songs);
    QFETCH(QStringList, artists);
    UiFixture f;
    QVERIFY(f.put(u"データ.TXT"_s, UiFixture::title(u"題"_s, artist)));
    MainWindow& w = f.start();
    TrackEntry* t = w.fraMain->Frame1;
    QTest::mouseClick(t->cmdHensyu, Qt::LeftButton);
    t->cboTrim->setEditText(cutText);
    t->txtKyokuHen->setPlainText(memo);
    QTest::mouseClick(t->cmdKakutei, Qt::LeftButton);
    QVERIFY(f.dialogs.boxes.empty());
    QCOMPARE(f.bytes(u"曲目_題.txt"_s), sjis(file));
    QCOMPARE(column(t->msgKyokumoku, 1), songs);
    if (!artists.isEmpty())
        QCOMPARE(column(t->msgKyokumoku, 2), artists);
    // A memo without a final line end gets one; one that has it gets no second.
    QVERIFY(!t->txtKyokuHen->toPlainText().endsWith(u"\n\n"_s));
}

void TestTracks::refusesListsItCannotStore_data()
{
    QTest::addColumn<QString>("artist");
    QTest::addColumn<QString>("memo");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("message");

    QTest::newRow("first forbidden character in order")
        << u"歌手"_s << u"a;b\\c\n"_s << u"使用不可文字"_s << u"\\ の文字は使えないので何かに置き換えてください。"_s;
    QTest::newRow("double quote")
        << u"歌手"_s << u"say \"hi\"\n"_s << u"使用不可文字"_s << u"\" の文字は使えないので何かに置き換えてください。"_s;
    QTest::newRow("slash in a plain title")
        << u"歌手"_s << u"朝/夜\n"_s << u"使用不可文字"_s << u"/ の文字は使えないので何かに置き換えてください。"_s;
    QTest::newRow("the worked example in a plain title")
        << u"歌手"_s << QString(tour::kTrackEntryExample).replace(u"\r\n"_s, u"\n"_s) << u"使用不可文字"_s
        << u": の文字は使えないので何かに置き換えてください。"_s;
    QTest::newRow("a character CP932 lacks")
        << u"歌手"_s << u"朝\n夜\U0001F319\n"_s << u"使用不可文字"_s << u"\U0001F319"_s;
}

void TestTracks::refusesListsItCannotStore()
{
    QFETCH(QString, artist);
    QFETCH(QString, memo);
    QFETCH(QString, title);
    QFETCH(QString, message);
    UiFixture f;
    QVERIFY(f.put(u"データ.TXT"_s, UiFixture::title(u"題"_s)));
    QVERIFY(f.put(u"曲目_題.txt"_s, u"前の曲\r\n"_s));
    MainWindow& w = f.start();
    TrackEntry* t = w.fraMain->Frame1;
    w.fraMain->cboSakusya->setEditText(artist);
    QTest::mouseClick(t->cmdHensyu, Qt::LeftButton);
    t->txtKyokuHen->setPlainText(memo);
    QTest::mouseClick(t->cmdKakutei, Qt::LeftButton);
    QCOMPARE(f.dialogs.titles(), QStringList{title});
    QVERIFY2(f.dialogs.boxes[0].text.contains(message), qPrintable(f.dialogs.boxes[0].text));
    QCOMPARE(t->txtKyokuHen->toPlainText(), memo);
    QVERIFY(t->fraHensyu->isVisible());
    QCOMPARE(f.bytes(u"曲目_題.txt"_s), sjis(u"前の曲\r\n"_s));
    QVERIFY(!QFile::exists(f.path(u"曲目データ.TXT"_s)));
    // Cancel keeps the list as it was.
    QTest::mouseClick(t->cmdCansel, Qt::LeftButton);
    QCOMPARE(column(t->msgKyokumoku, 1), QStringList{u"前の曲"_s});
}

void TestTracks::typedListsAddTheirSongsOnce_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    for (const StoredForm& form : storedForms())
        QTest::newRow(form.row) << form.typed << form.stored;
}

// The artist typed and entered, the list pasted and confirmed twice on one title and
// once on another by the same artist: each song joins the track data once.
void TestTracks::typedListsAddTheirSongsOnce()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    UiFixture f;
    QVERIFY(f.put(u"データ.TXT"_s, UiFixture::title(u"海"_s, u"未登録"_s) + UiFixture::title(u"空"_s, u"未登録"_s)));
    MainWindow& w = f.start();
    MainScreen* s = w.fraMain;
    TrackEntry* t = s->Frame1;
    const QString artist = u"ミナモ%1航路"_s.arg(stored);
    const QString song = u"恋%1はじまり%1"_s.arg(stored);
    for (const int k : {1, 1, 2}) {
        s->hsbData->setValue(k);
        s->cboSakusya->setEditText(u"ミナモ%1航路"_s.arg(typed));
        QTest::keyClick(s->cboSakusya, Qt::Key_Return);
        QCOMPARE(s->cboSakusya->currentText(), artist);
        QTest::mouseClick(t->cmdHensyu, Qt::LeftButton);
        t->txtKyokuHen->setPlainText(u"1.恋%1はじまり%1\n2.海\n"_s.arg(typed));
        QTest::mouseClick(t->cmdKakutei, Qt::LeftButton);
        QCOMPARE(column(t->msgKyokumoku, 1), (QStringList{song, u"海"_s}));
    }

    QVERIFY2(f.dialogs.boxes.empty(), qPrintable(f.dialogs.texts().join(u'\n')));
    QCOMPARE(f.bytes(u"曲目データ.TXT"_s), sjis(songRecord(song, artist) + songRecord(u"海"_s, artist)));
    QCOMPARE(f.bytes(u"曲目_海.txt"_s), sjis(song + u"\r\n海\r\n"_s));
    QCOMPARE(f.bytes(u"曲目_空.txt"_s), sjis(song + u"\r\n海\r\n"_s));
    QCOMPARE(f.bytes(u"歌手マスタ.txt"_s), sjis(artist + u"\r\n"_s));
    QCOMPARE(w.state().titles.at(1).artist, artist);
    QCOMPARE(w.state().tracks.count(), 2);
}

void TestTracks::lyricsOfATypedArtistKeepTheirMark_data()
{
    typedListsAddTheirSongsOnce_data();
}

// Lyrics saved while the artist box holds a typed form of the title's artist are filed
// under the artist as stored, and found there after a restart.
void TestTracks::lyricsOfATypedArtistKeepTheirMark()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    UiFixture f;
    const QString artist = u"ミナモ%1航路"_s.arg(stored);
    const QString song = u"恋%1はじまり"_s.arg(stored);
    QVERIFY(f.put(u"データ.TXT"_s, UiFixture::title(u"海"_s, artist)));
    QVERIFY(f.put(u"曲目_海.txt"_s, song + u"\r\n"_s));
    MainWindow& w = f.start();
    w.fraMain->cboSakusya->setEditText(u"ミナモ%1航路"_s.arg(typed));
    clickRow(w.fraMain->Frame1->msgKyokumoku, 1);
    LyricsPanel* lyrics = w.fraMain->fraKashi1;
    lyrics->txtKashi1->setPlainText(u"波%1風"_s.arg(typed));
    QTextCursor cursor = lyrics->txtKashi1->textCursor();
    cursor.setPosition(1);
    lyrics->txtKashi1->setTextCursor(cursor);
    QTest::mouseClick(lyrics->cmdKashiToroku, Qt::LeftButton);

    QVERIFY2(f.dialogs.boxes.empty(), qPrintable(f.dialogs.texts().join(u'\n')));
    QCOMPARE(QDir(f.tmp.path()).entryList({u"歌詞_*"_s}, QDir::Files),
             QStringList{u"歌詞_%1_%2.txt"_s.arg(song, artist)});
    QCOMPARE(lyrics->txtKashi1->toPlainText(), u"波%1風"_s.arg(stored));
    QCOMPARE(lyrics->txtKashi1->textCursor().position(), 1);
    QCOMPARE(w.state().titles.at(1).artist, artist);

    MainWindow& again = f.restart();
    TrackEntry* t = again.fraMain->Frame1;
    QCOMPARE(column(t->msgKyokumoku, 2), QStringList{u"○"_s});
    clickRow(t->msgKyokumoku, 1);
    QCOMPARE(again.fraMain->fraKashi1->txtKashi1->toPlainText(), u"波%1風"_s.arg(stored));
}

// Text typed into the artist box without Enter is not the title's artist: the lyrics
// and the track list go by the artist the title file holds.
void TestTracks::unconfirmedArtistTextChangesNothing()
{
    UiFixture f;
    QVERIFY(f.put(u"データ.TXT"_s, UiFixture::title(u"海"_s, u"甲"_s) + UiFixture::title(u"集"_s, u"複数"_s)
                                      + UiFixture::title(u"山"_s, u"乙"_s)));
    QVERIFY(f.put(u"曲目_海.txt"_s, u"歌\r\n"_s));
    QVERIFY(f.put(u"曲目_山.txt"_s, u"歌\r\n"_s));
    QVERIFY(f.put(u"曲目_集.txt"_s, u"朝/甲\r\n夜/乙\r\n"_s));
    QVERIFY(f.put(u"歌詞_歌_甲.txt"_s, u"本物\r\n"_s));
    MainWindow& w = f.start();
    MainScreen* s = w.fraMain;
    TrackEntry* t = s->Frame1;

    // "複数" typed on a plain title: the lyrics are still those of 甲.
    s->cboSakusya->setEditText(u"複数"_s);
    clickRow(t->msgKyokumoku, 1);
    QCOMPARE(s->fraKashi1->txtKashi1->toPlainText(), u"本物"_s);
    QCOMPARE(s->fraKashi1->LoadedLyricsFile().artist, u"甲"_s);

    // Text the files could not hold, typed and not confirmed, stops nothing.
    QVERIFY(f.put(u"曲目_海.txt"_s, u"前\r\n"_s));
    s->showTitle(1);
    s->cboSakusya->setEditText(u"The \"A\""_s);
    QTest::mouseClick(t->cmdHensyu, Qt::LeftButton);
    t->txtKyokuHen->setPlainText(u"歌\n"_s);
    QTest::mouseClick(t->cmdKakutei, Qt::LeftButton);
    QCOMPARE(f.bytes(u"曲目_海.txt"_s), sjis(u"歌\r\n"_s));

    // Another artist typed on a compilation: the songs keep their own artists.
    s->showTitle(2);
    s->cboSakusya->setEditText(u"丙"_s);
    QTest::mouseClick(t->cmdHensyu, Qt::LeftButton);
    QCOMPARE(t->txtKyokuHen->toPlainText(), u"朝/甲\n夜/乙\n"_s);
    QTest::mouseClick(t->cmdKakutei, Qt::LeftButton);
    QCOMPARE(f.bytes(u"曲目_集.txt"_s), sjis(u"朝/甲\r\n夜/乙\r\n"_s));
    QVERIFY(f.dialogs.boxes.empty());

    // Lyrics of 甲's 歌 saved while 乙's 山 is on screen: 山's 歌 gets no mark.
    s->showTitle(1);
    clickRow(t->msgKyokumoku, 1);
    s->fraKashi1->txtKashi1->setPlainText(u"新しい歌詞"_s);
    s->showTitle(3);
    QTest::mouseClick(s->fraKashi1->cmdKashiToroku, Qt::LeftButton);
    QCOMPARE(f.bytes(u"歌詞_歌_甲.txt"_s), sjis(u"新しい歌詞\r\n"_s));
    QCOMPARE(t->msgKyokumoku->text(1, 2), QString());

    // A list confirmed for the title the name box names files its songs under that
    // title's artist, not under the artist of the title on screen.
    s->showTitle(1);
    QTest::mouseClick(t->cmdHensyu, Qt::LeftButton);
    t->txtKyokuHen->setPlainText(u"新曲\n"_s);
    s->cboName->setEditText(u"山"_s);
    f.dialogs.answers = {Dialogs::Answer::Yes};
    QTest::mouseClick(t->cmdKakutei, Qt::LeftButton);
    QCOMPARE(f.dialogs.titles(), QStringList{u"登録先の確認"_s});
    QCOMPARE(f.bytes(u"曲目_山.txt"_s), sjis(u"新曲\r\n"_s));
    QVERIFY(f.bytes(u"曲目データ.TXT"_s).contains(sjis(u"\"新曲\",\"乙\""_s)));
}

// A list whose file cannot be written adds none of its songs: both files stay as they
// were, the user is told, and the typed list stays on screen.
void TestTracks::listThatCannotBeWrittenAddsNoSongs()
{
    UiFixture f;
    QVERIFY(f.put(u"データ.TXT"_s, UiFixture::title(u"題"_s)));
    QVERIFY(f.put(u"曲目データ.TXT"_s, songRecord(u"朝"_s, u"歌手"_s)));
    // A folder holds the list's name, so no file of that name can be written there.
    QVERIFY(QDir(f.tmp.path()).mkdir(u"曲目_題.txt"_s));
    const QByteArray tracks = f.bytes(u"曲目データ.TXT"_s);
    MainWindow& w = f.start();
    // A folder is no file: the title shows no list, and start-up says nothing.
    QVERIFY(f.dialogs.boxes.empty());
    TrackEntry* t = w.fraMain->Frame1;
    QTest::mouseClick(t->cmdHensyu, Qt::LeftButton);
    const QString memo = u"朝\n夜\n"_s;
    t->txtKyokuHen->setPlainText(memo);
    QTest::mouseClick(t->cmdKakutei, Qt::LeftButton);

    QCOMPARE(f.dialogs.titles(), QStringList{u"書き込みエラー"_s});
    QCOMPARE(f.dialogs.boxes[0].icon, Dialogs::Icon::Exclamation);
    QVERIFY2(f.dialogs.boxes[0].text.contains(u"「曲目_題.txt」"_s), qPrintable(f.dialogs.boxes[0].text));
    QVERIFY2(f.dialogs.boxes[0].text.contains(u"ファイルは元のままです。"_s), qPrintable(f.dialogs.boxes[0].text));
    QCOMPARE(f.bytes(u"曲目データ.TXT"_s), tracks);
    QCOMPARE(w.state().tracks.count(), 1);
    QVERIFY(QFileInfo(f.path(u"曲目_題.txt"_s)).isDir());
    QVERIFY(t->fraHensyu->isVisible());
    QCOMPARE(t->txtKyokuHen->toPlainText(), memo);
    QCOMPARE(f.dialogs.unexpected, 0);
}

void TestTracks::asksBeforeStoringAnUnknownArtist()
{
    UiFixture f;
    QVERIFY(f.put(u"データ.TXT"_s, UiFixture::title(u"題"_s, u"未登録"_s)));
    MainWindow& w = f.start();
    TrackEntry* t = w.fraMain->Frame1;
    QTest::mouseClick(t->cmdHensyu, Qt::LeftButton);
    t->txtKyokuHen->setPlainText(u"朝\n"_s);
    f.dialogs.answers = {Dialogs::Answer::Cancel};
    QTest::mouseClick(t->cmdKakutei, Qt::LeftButton);
    QCOMPARE(f.dialogs.titles(), QStringList{u"印刷確認"_s});
    QCOMPARE(f.dialogs.boxes[0].buttons, Dialogs::Buttons::OkCancel);
    QVERIFY(!QFile::exists(f.path(u"曲目_題.txt"_s)));

    f.dialogs.answers = {Dialogs::Answer::Ok};
    QTest::mouseClick(t->cmdKakutei, Qt::LeftButton);
    QCOMPARE(f.bytes(u"曲目データ.TXT"_s),
             sjis(u"\"朝\",\"未登録\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"_s));

    // The name box must name a title; typed text never becomes a file name.
    QTest::mouseClick(t->cmdHensyu, Qt::LeftButton);
    w.fraMain->cboName->setEditText(u"../よそ"_s);
    f.dialogs.clear();
    QTest::mouseClick(t->cmdKakutei, Qt::LeftButton);
    QCOMPARE(f.dialogs.titles(), QStringList{u"タイトル未選択"_s});
    QCOMPARE(QDir(f.tmp.path()).entryList(QDir::Files).size(), 3);
    QCOMPARE(f.dialogs.unexpected, 0);
}

void TestTracks::emptyListLeavesAnEmptyFile()
{
    UiFixture f;
    QVERIFY(f.put(u"データ.TXT"_s, UiFixture::title(u"題"_s) + UiFixture::title(u"次"_s)));
    QVERIFY(f.put(u"曲目_題.txt"_s, u"朝\r\n"_s));
    MainWindow& w = f.start();
    TrackEntry* t = w.fraMain->Frame1;
    QTest::mouseClick(t->cmdHensyu, Qt::LeftButton);
    t->txtKyokuHen->clear();
    QTest::mouseClick(t->cmdKakutei, Qt::LeftButton);
    QCOMPARE(f.bytes(u"曲目_題.txt"_s), QByteArray());
    QVERIFY(QFile::exists(f.path(u"曲目_題.txt"_s)));
    QCOMPARE(t->msgKyokumoku->rows(), 1);
    QVERIFY(t->fraHensyu->isVisible());
    QVERIFY(!QFile::exists(f.path(u"曲目データ.TXT"_s)));
    w.fraMain->hsbData->setValue(2);
    QCOMPARE(t->cmdHensyu->text(), u"曲目登録"_s);
    w.fraMain->hsbData->setValue(1);
    QCOMPARE(t->cmdHensyu->text(), u"曲目編集"_s);
}

void TestTracks::addsOnlySongsNotYetKnown()
{
    UiFixture f;
    QVERIFY(f.put(u"データ.TXT"_s, UiFixture::title(u"題"_s)));
    const QString known = u"\"朝\",\"歌手\",\"バラード\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"_s;
    QVERIFY(f.put(u"曲目データ.TXT"_s, known));
    MainWindow& w = f.start();
    TrackEntry* t = w.fraMain->Frame1;
    QTest::mouseClick(t->cmdHensyu, Qt::LeftButton);
    t->txtKyokuHen->setPlainText(u"朝\n\n夜\n夜\n"_s);
    QTest::mouseClick(t->cmdKakutei, Qt::LeftButton);
    const QString night = u"\"夜\",\"歌手\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"_s;
    QCOMPARE(f.bytes(u"曲目データ.TXT"_s), sjis(known + night));
    QCOMPARE(column(t->msgKyokumoku, 0), (QStringList{u"01"_s, u"02"_s, u"03"_s, u"04"_s}));
}

void TestTracks::reopensTheListForEditing()
{
    UiFixture f;
    QVERIFY(f.put(u"データ.TXT"_s, UiFixture::title(u"集"_s, u"複数"_s)));
    QVERIFY(f.put(u"曲目_集.txt"_s, u"朝/甲\r\n夜\r\n"_s));
    MainWindow& w = f.start();
    TrackEntry* t = w.fraMain->Frame1;
    QCOMPARE(t->msgKyokumoku->cols(), 4);
    QTest::mouseClick(t->cmdHensyu, Qt::LeftButton);
    QCOMPARE(t->txtKyokuHen->toPlainText(), u"朝/甲\n夜/未登録\n"_s);
    QTest::mouseClick(t->cmdKakutei, Qt::LeftButton);
    QCOMPARE(f.bytes(u"曲目_集.txt"_s), sjis(u"朝/甲\r\n夜/未登録\r\n"_s));
    QCOMPARE(w.state().tracks.count(), 2);
    QCOMPARE(w.state().tracks.at(2).artist, u"未登録"_s);

    // Names with the cut character in them survive a second confirmation: the lines as
    // they were filled in stay whole, a line added is cut. A cut chosen anew cuts all.
    QVERIFY(f.put(u"曲目_集.txt"_s, u"innocent world/Mr.Children\r\nm-flo/m-flo\r\n"_s));
    w.fraMain->showTitle(1);
    QTest::mouseClick(t->cmdHensyu, Qt::LeftButton);
    t->txtKyokuHen->setPlainText(t->txtKyokuHen->toPlainText() + u"3. 新曲/甲\n"_s);
    QTest::mouseClick(t->cmdKakutei, Qt::LeftButton);
    QCOMPARE(f.bytes(u"曲目_集.txt"_s), sjis(u"innocent world/Mr.Children\r\nm-flo/m-flo\r\n新曲/甲\r\n"_s));
    QTest::mouseClick(t->cmdHensyu, Qt::LeftButton);
    t->cboTrim->setEditText(u"-（ハイフォン）"_s);
    QTest::mouseClick(t->cmdKakutei, Qt::LeftButton);
    QCOMPARE(f.bytes(u"曲目_集.txt"_s), sjis(u"innocent world/Mr.Children\r\nflo/m-flo\r\n新曲/甲\r\n"_s));
}

void TestTracks::listsKnownArtists()
{
    UiFixture f;
    QVERIFY(f.put(u"データ.TXT"_s, UiFixture::title(u"集"_s, u"複数"_s)));
    QString songs;
    for (const QString& artist : {u"AB"_s, u"甲"_s, u"B"_s, u"甲"_s})
        songs += u"\"曲\",\"%1\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"_s.arg(artist);
    QVERIFY(f.put(u"曲目データ.TXT"_s, songs));
    MainWindow& w = f.start();
    TrackEntry* t = w.fraMain->Frame1;
    QTest::mouseClick(t->cmdHensyu, Qt::LeftButton);
    QVERIFY(!t->txtKasyu->isVisible());
    QTest::mouseClick(t->cmdKasyu, Qt::LeftButton);
    QVERIFY(t->txtKasyu->isVisible());
    QCOMPARE(t->txtKasyu->toPlainText(), u"/AB\n/甲\n"_s);
    // One name is taken with the keyboard, to be copied.
    QTest::keyClick(t->txtKasyu, Qt::Key_Down);
    QTest::keyClick(t->txtKasyu, Qt::Key_End, Qt::ShiftModifier);
    QCOMPARE(t->txtKasyu->textCursor().selectedText(), u"/甲"_s);
    QTest::mouseClick(t->cmdCansel, Qt::LeftButton);
    QVERIFY(!t->txtKasyu->isVisible());
}

void TestTracks::marksLyricsOfCompilationTracks()
{
    UiFixture f;
    QVERIFY(f.put(u"データ.TXT"_s, UiFixture::title(u"集"_s, u"複数"_s) + UiFixture::title(u"盤"_s, u"甲"_s)));
    QVERIFY(f.put(u"曲目_集.txt"_s, u"朝 / 甲\r\n夜\r\n"_s));
    QVERIFY(f.put(u"曲目_盤.txt"_s, u"朝 \r\n"_s));
    QVERIFY(f.put(u"歌詞_朝 _ 甲.txt"_s, u"朝の歌\r\n"_s));
    QVERIFY(f.put(u"歌詞_夜_未登録.txt"_s, u"夜の歌\r\n"_s));
    MainWindow& w = f.start();
    TrackEntry* t = w.fraMain->Frame1;
    QCOMPARE(column(t->msgKyokumoku, 3), (QStringList{u"○"_s, u"○"_s}));
    clickRow(t->msgKyokumoku, 2);
    QCOMPARE(w.fraMain->fraKashi1->txtKashi1->toPlainText(), u"夜の歌"_s);
    QCOMPARE(w.fraMain->fraKashi1->LoadedLyricsFile().artist, u"未登録"_s);
    // Above the lyrics, whose they are: the row's song and artist.
    QCOMPARE(w.fraMain->fraKashi1->lblKashiTitle->accessibleName(), u"夜　／　未登録"_s);
    clickRow(t->msgKyokumoku, 1);
    QCOMPARE(w.fraMain->fraKashi1->lblKashiTitle->text(), u"朝 　／　 甲"_s);
    clickRow(t->msgKyokumoku, 2);
    // The plain title's song "朝 " by 甲 has no lyrics file of that exact name.
    w.fraMain->hsbData->setValue(2);
    QCOMPARE(t->msgKyokumoku->cols(), 3);
    QCOMPARE(column(t->msgKyokumoku, 2), QStringList{QString()});
    // Showing another title leaves the lyrics box and its caption as they were.
    QCOMPARE(w.fraMain->fraKashi1->txtKashi1->toPlainText(), u"夜の歌"_s);
    QCOMPARE(w.fraMain->fraKashi1->lblKashiTitle->text(), u"夜　／　未登録"_s);
}

void TestTracks::savesLyricsOfAnyNameButNotUnstorableText()
{
    UiFixture f;
    QVERIFY(f.put(u"データ.TXT"_s, UiFixture::title(u"集"_s, u"複数"_s)));
    QVERIFY(f.put(u"曲目_集.txt"_s, u"朝/甲/乙\r\n夜/丙\r\n"_s));
    MainWindow& w = f.start();
    TrackEntry* t = w.fraMain->Frame1;
    LyricsPanel* lyrics = w.fraMain->fraKashi1;
    // An artist holding "/" has lyrics too: the file name holds it as "／", the grid
    // shows it as typed.
    clickRow(t->msgKyokumoku, 1);
    lyrics->txtKashi1->setPlainText(u"歌"_s);
    QTest::mouseClick(lyrics->cmdKashiToroku, Qt::LeftButton);
    QVERIFY(f.dialogs.boxes.empty());
    QCOMPARE(QDir(f.tmp.path()).entryList({u"歌詞_*"_s}, QDir::Files), QStringList{u"歌詞_朝_甲／乙.txt"_s});
    QCOMPARE(f.bytes(u"歌詞_朝_甲／乙.txt"_s), sjis(u"歌\r\n"_s));
    QCOMPARE(t->msgKyokumoku->text(1, 2), u"甲/乙"_s);
    QCOMPARE(t->msgKyokumoku->text(1, 3), u"○"_s);

    // Text CP932 cannot hold is refused too, and kept on screen.
    f.dialogs.clear();
    clickRow(t->msgKyokumoku, 2);
    lyrics->txtKashi1->setPlainText(u"夜\U0001F303"_s);
    QTest::mouseClick(lyrics->cmdKashiToroku, Qt::LeftButton);
    QCOMPARE(f.dialogs.titles(), QStringList{u"使用不可文字"_s});
    QCOMPARE(lyrics->txtKashi1->toPlainText(), u"夜\U0001F303"_s);
    QVERIFY(!QFile::exists(f.path(u"歌詞_夜_丙.txt"_s)));

    // An empty box saves nothing and leaves an existing file alone.
    QVERIFY(f.put(u"歌詞_夜_丙.txt"_s, u"前\r\n"_s));
    clickRow(t->msgKyokumoku, 2);
    lyrics->txtKashi1->clear();
    QTest::mouseClick(lyrics->cmdKashiToroku, Qt::LeftButton);
    QCOMPARE(f.bytes(u"歌詞_夜_丙.txt"_s), sjis(u"前\r\n"_s));
}

void TestTracks::tourFillsTheExamples()
{
    UiFixture f;
    QVERIFY(f.put(u"設定.TXT"_s, u"\"ヘルプツアー\",1\r\n"_s));
    QVERIFY(f.put(u"データ.TXT"_s, UiFixture::title(u"題"_s)));
    MainWindow& w = f.start();
    TrackEntry* t = w.fraMain->Frame1;
    f.dialogs.clear();
    QTest::mouseClick(t->cmdHensyu, Qt::LeftButton);
    QCOMPARE(t->txtKyokuHen->toPlainText(), QString(tour::kTrackEntryExample).replace(u"\r\n"_s, u"\n"_s));
    QCOMPARE(f.dialogs.texts(), QStringList{tour::kTrackEntry});

    t->txtKyokuHen->setPlainText(u"朝\n"_s);
    f.dialogs.clear();
    QTest::mouseClick(t->cmdKakutei, Qt::LeftButton);
    QCOMPARE(f.dialogs.texts(), QStringList{tour::kTracksRegistered});

    // A title with a track list gets no example: the memo holds its songs.
    QTest::mouseClick(t->cmdHensyu, Qt::LeftButton);
    QCOMPARE(t->txtKyokuHen->toPlainText(), u"朝\n"_s);
    QTest::mouseClick(t->cmdCansel, Qt::LeftButton);

    f.dialogs.clear();
    clickRow(t->msgKyokumoku, 1);
    QCOMPARE(w.fraMain->fraKashi1->txtKashi1->toPlainText(), QString(tour::kLyricsExample).replace(u"\r\n"_s, u"\n"_s));
    QCOMPARE(f.dialogs.texts(), QStringList{tour::kLyrics});
}

// A list typed for one title goes to another, or over its own list changed since, only
// when the user agrees; No keeps every list and the memo.
void TestTracks::listStaysWithTheTitleItWasTypedFor()
{
    UiFixture f;
    QVERIFY(f.put(u"データ.TXT"_s, UiFixture::title(u"海"_s, u"甲"_s) + UiFixture::title(u"山"_s, u"乙"_s)));
    QVERIFY(f.put(u"曲目_山.txt"_s, u"古い曲\r\n"_s));
    MainWindow& w = f.start();
    TrackEntry* t = w.fraMain->Frame1;
    QTest::mouseClick(t->cmdHensyu, Qt::LeftButton);
    t->txtKyokuHen->setPlainText(u"1.朝\n2.夜\n"_s);
    QTest::mouseClick(w.cmdIchiran, Qt::LeftButton);
    w.ShowTitleByName(u"山"_s);
    f.dialogs.answers = {Dialogs::Answer::No, Dialogs::Answer::Yes};
    QTest::mouseClick(t->cmdKakutei, Qt::LeftButton);
    QCOMPARE(QDir(f.tmp.path()).entryList({u"曲目*"_s}), QStringList{u"曲目_山.txt"_s});
    QCOMPARE(f.bytes(u"曲目_山.txt"_s), sjis(u"古い曲\r\n"_s));
    QCOMPARE(t->txtKyokuHen->toPlainText(), u"1.朝\n2.夜\n"_s);
    QTest::mouseClick(t->cmdKakutei, Qt::LeftButton);
    QCOMPARE(f.bytes(u"曲目_山.txt"_s), sjis(u"朝\r\n夜\r\n"_s));
    QCOMPARE(f.dialogs.texts(), QStringList(2, u"このメモは「海」の曲目として開いたものです。\r\n\r\n"
                                               "「山」の曲目として登録し、「山」の曲目を置き換えますか？"_s));

    w.fraMain->showTitle(1);
    QTest::mouseClick(t->cmdHensyu, Qt::LeftButton);
    t->txtKyokuHen->setPlainText(u"波\n"_s);
    QVERIFY(f.put(u"曲目_海.txt"_s, u"外から\r\n"_s));
    f.dialogs.answers = {Dialogs::Answer::No};
    QTest::mouseClick(t->cmdKakutei, Qt::LeftButton);
    QCOMPARE(f.dialogs.titles().last(), u"上書きの確認"_s);
    QCOMPARE(f.bytes(u"曲目_海.txt"_s), sjis(u"外から\r\n"_s));
}

QTEST_MAIN(TestTracks)
#include "tst_tracks.moc"
