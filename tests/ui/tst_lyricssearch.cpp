#include "uifixture.h"

#include "lists/songsearch.h"
#include "lyrics/lyricspanel.h"
#include "lyrics/lyricssearch.h"
#include "platform/grid.h"
#include "platform/qtprinter.h"
#include "store/filelisting.h"
#include "title/mainscreen.h"
#include "tracks/trackentry.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTextCursor>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;
using fixture::sjis;

namespace {

void clickRow(Grid* grid, int row)
{
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(row - 1, 0)).center());
}

// The song search open on one song, 歌 by 甲, whose lyrics file holds lyrics.
LyricsSearch* openOn(UiFixture& f, const QString& lyrics)
{
    f.put(u"データ.TXT"_s, UiFixture::title(u"題"_s, u"甲"_s));
    f.put(u"曲目_題.txt"_s, u"歌\r\n"_s);
    f.put(u"曲目データ.TXT"_s, u"\"歌\",\"甲\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"_s);
    if (!lyrics.isNull())
        f.put(u"歌詞_歌_甲.txt"_s, lyrics + u"\r\n"_s);
    MainWindow& w = f.start();
    QTest::mouseClick(w.cmdList, Qt::LeftButton);
    return w.fraList->Frame7;
}

// What the box shows after a step: the counter and the selection, after "終了 " when
// the search said it was finished.
QString state(LyricsSearch* l, ScriptedDialogs& dialogs)
{
    const QTextCursor c = l->txtKashi2->textCursor();
    QString shown = u"%1 %2+%3"_s.arg(l->lblKenken->text()).arg(c.selectionStart()).arg(c.selectionEnd() - c.selectionStart());
    if (!dialogs.boxes.empty()) {
        shown = dialogs.boxes.back().title + u' ' + shown;
        dialogs.clear();
    }
    return shown;
}

} // namespace

// The lyrics box of the song search: the word stepped through with its counter, the
// two refusals, saving, and printing from both lyrics boxes with the PDF fallback.
class TestLyricsSearch : public QObject {
    Q_OBJECT

private slots:
    void stepsThroughTheWord_data();
    void stepsThroughTheWord();
    void refusesWithoutLyricsOrKey();
    void savesWhatTheBoxShows();
    void comingBackShowsTheLyricsAsStored();
    void writesOnlyOverWhatItShowed_data();
    void writesOnlyOverWhatItShowed();
    void keepsTypedLyricsAcrossScreens_data();
    void keepsTypedLyricsAcrossScreens();
    void printsFromBothBoxes();
    void savesAPdfWhenNoPrinterTakesThePage();
};

void TestLyricsSearch::stepsThroughTheWord_data()
{
    QTest::addColumn<QString>("lyrics");
    QTest::addColumn<QString>("key");
    // "click" the result, "press" the search button, "enter" in the key box, "caret N".
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("shown");

    QTest::newRow("no overlap, then from the top again")
        << u"あああ"_s << u"ああ"_s << QStringList{u"press"_s, u"press"_s, u"press"_s}
        << QStringList{u"1 0+2"_s, u"検索終了 1 0+0"_s, u"1 0+2"_s};
    QTest::newRow("the caret moves the start, the count goes on")
        << u"空と空と空"_s << u"空"_s << QStringList{u"press"_s, u"caret 1"_s, u"press"_s, u"press"_s, u"press"_s}
        << QStringList{u"1 0+1"_s, u"1 1+0"_s, u"2 2+1"_s, u"3 4+1"_s, u"検索終了 3 0+0"_s};
    QTest::newRow("a click counts every occurrence, a press starts over")
        << u"空\n空,空"_s << u"空"_s << QStringList{u"click"_s, u"press"_s, u"enter"_s}
        << QStringList{u"3 0+0"_s, u"1 0+1"_s, u"2 2+1"_s};
    QTest::newRow("a click with a key that is not there")
        << u"空"_s << u"海"_s << QStringList{u"click"_s, u"press"_s} << QStringList{u"0 0+0"_s, u"検索終了 0 0+0"_s};
    QTest::newRow("a click with no key") << u"空"_s << QString() << QStringList{u"click"_s} << QStringList{u"0 0+0"_s};
}

void TestLyricsSearch::stepsThroughTheWord()
{
    QFETCH(QString, lyrics);
    QFETCH(QString, key);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, shown);

    UiFixture f;
    LyricsSearch* l = openOn(f, lyrics);
    Grid* results = f.window->fraList->msgKyokumoku2;
    clickRow(results, 1);
    l->txtKashiKey2->setText(key);
    QStringList seen;
    for (const QString& step : steps) {
        if (step == u"click"_s)
            clickRow(results, 1);
        else if (step == u"press"_s)
            QTest::mouseClick(l->cmdKashiKen, Qt::LeftButton);
        else if (step == u"enter"_s)
            QTest::keyClick(l->txtKashiKey2, Qt::Key_Return);
        else {
            QTextCursor c = l->txtKashi2->textCursor();
            c.setPosition(step.mid(6).toInt());
            l->txtKashi2->setTextCursor(c);
        }
        seen.append(state(l, f.dialogs));
    }
    QCOMPARE(seen, shown);
}

void TestLyricsSearch::refusesWithoutLyricsOrKey()
{
    UiFixture f;
    LyricsSearch* l = openOn(f, QString());
    l->txtKashiKey2->setText(u"空"_s);
    QTest::mouseClick(l->cmdKashiKen, Qt::LeftButton);
    clickRow(f.window->fraList->msgKyokumoku2, 1);
    l->txtKashi2->setPlainText(u"空へ"_s);
    l->txtKashiKey2->clear();
    QTest::mouseClick(l->cmdKashiKen, Qt::LeftButton);
    // Enter in the empty key box is no search.
    QTest::keyClick(l->txtKashiKey2, Qt::Key_Return);
    QCOMPARE(f.dialogs.titles(), (QStringList{u"歌詞未検出"_s, u"検索キー未入力"_s}));
    QCOMPARE(f.dialogs.texts(), (QStringList{u"まずは歌詞を呼び出してください"_s, u"検索したい語句を入力してください"_s}));
    QCOMPARE(f.dialogs.boxes[0].icon, Dialogs::Icon::Exclamation);
    QCOMPARE(l->lblKenken->text(), u"0"_s);
}

void TestLyricsSearch::savesWhatTheBoxShows()
{
    UiFixture f;
    LyricsSearch* l = openOn(f, QString());
    SongSearch* s = f.window->fraList;
    clickRow(s->msgKyokumoku2, 1);
    l->txtKashi2->setPlainText(u"一行目〜\n\n二行目"_s);
    QTest::mouseClick(l->cmdKashiHozon, Qt::LeftButton);
    QVERIFY(f.dialogs.boxes.empty());
    QCOMPARE(f.bytes(u"歌詞_歌_甲.txt"_s), sjis(u"一行目～\r\n\r\n二行目\r\n"_s));
    QCOMPARE(l->txtKashi2->toPlainText(), u"一行目～\n\n二行目"_s);
    // The row is marked, and the presence search finds the new file at once.
    QCOMPARE(s->msgKyokumoku2->text(1, 1), u"○"_s);
    QVERIFY(f.window->fraMain->filKashi1->contains(u"歌詞_歌_甲.txt"_s));

    // What the file cannot hold, and a write that fails, leave file and box as they were.
    l->txtKashi2->setPlainText(u"夜\U0001F303"_s);
    QTest::mouseClick(l->cmdKashiHozon, Qt::LeftButton);
    f.folder->setReadOnly(u"テスト"_s);
    l->txtKashi2->setPlainText(u"別の歌詞"_s);
    QTest::mouseClick(l->cmdKashiHozon, Qt::LeftButton);
    QCOMPARE(f.dialogs.titles().first(), u"使用不可文字"_s);
    QCOMPARE(f.dialogs.boxes.size(), size_t(2));
    QVERIFY(f.dialogs.boxes[1].text.contains(u"テスト"_s));
    QCOMPARE(l->txtKashi2->toPlainText(), u"別の歌詞"_s);
    QCOMPARE(f.bytes(u"歌詞_歌_甲.txt"_s), sjis(u"一行目～\r\n\r\n二行目\r\n"_s));
}

// Lyrics changed on another screen are what the box shows on coming back, so a save
// cannot put older lyrics back; what the user typed into the box is kept.
void TestLyricsSearch::comingBackShowsTheLyricsAsStored()
{
    UiFixture f;
    LyricsSearch* l = openOn(f, u"古い歌詞"_s);
    SongSearch* s = f.window->fraList;
    clickRow(s->msgKyokumoku2, 1);
    QCOMPARE(s->lstTitle->count(), 1);
    f.put(u"歌詞_歌_甲.txt"_s, u"新しい歌詞\r\n"_s);
    QTest::mouseClick(f.window->cmdIchiran, Qt::LeftButton);
    QTest::mouseClick(f.window->cmdList, Qt::LeftButton);
    QCOMPARE(l->txtKashi2->toPlainText(), u"新しい歌詞"_s);
    QCOMPARE(s->lstTitle->count(), 0);

    l->txtKashi2->moveCursor(QTextCursor::End);
    l->txtKashi2->insertPlainText(u"と続き"_s);
    f.put(u"歌詞_歌_甲.txt"_s, u"また別の歌詞\r\n"_s);
    QTest::mouseClick(f.window->cmdIchiran, Qt::LeftButton);
    QTest::mouseClick(f.window->cmdList, Qt::LeftButton);
    QCOMPARE(l->txtKashi2->toPlainText(), u"新しい歌詞と続き"_s);
}

void TestLyricsSearch::writesOnlyOverWhatItShowed_data()
{
    QTest::addColumn<bool>("mainTypes");
    QTest::newRow("main screen over the song search") << true;
    QTest::newRow("song search over the main screen") << false;
}

// Saved on one screen, lyrics show on the other where its box was not typed into; typed
// into there, a save asks first: No keeps file and text, Yes writes.
void TestLyricsSearch::writesOnlyOverWhatItShowed()
{
    QFETCH(bool, mainTypes);
    UiFixture f;
    LyricsSearch* l = openOn(f, u"一番"_s);
    MainWindow& w = *f.window;
    clickRow(w.fraList->msgKyokumoku2, 1);
    QTest::mouseClick(w.cmdMain, Qt::LeftButton);
    clickRow(w.fraMain->Frame1->msgKyokumoku, 1);
    struct Side { QToolButton* screen; QPlainTextEdit* box; QPushButton* save; };
    Side typing{w.cmdMain, w.fraMain->fraKashi1->txtKashi1, w.fraMain->fraKashi1->cmdKashiToroku};
    Side other{w.cmdList, l->txtKashi2, l->cmdKashiHozon};
    if (!mainTypes)
        std::swap(typing, other);
    // The side's screen shown, text typed at the end of its box, then saved when asked to.
    const auto step = [&f](const Side& side, const QString& typed, std::deque<Dialogs::Answer> save) {
        QTest::mouseClick(side.screen, Qt::LeftButton);
        side.box->moveCursor(QTextCursor::End);
        side.box->insertPlainText(typed);
        if (f.dialogs.answers = save; !save.empty())
            QTest::mouseClick(side.save, Qt::LeftButton);
    };
    step(other, u"\n二番"_s, {Dialogs::Answer::Ok});
    step(typing, QString(), {});
    QCOMPARE(typing.box->toPlainText(), u"一番\n二番"_s);
    step(typing, u"\n三番"_s, {});
    step(other, u"\n四番"_s, {Dialogs::Answer::Ok});
    step(typing, QString(), {Dialogs::Answer::No});
    QCOMPARE(f.bytes(u"歌詞_歌_甲.txt"_s), sjis(u"一番\r\n二番\r\n四番\r\n"_s));
    QCOMPARE(typing.box->toPlainText(), u"一番\n二番\n三番"_s);
    step(typing, QString(), {Dialogs::Answer::Yes});
    QCOMPARE(f.bytes(u"歌詞_歌_甲.txt"_s), sjis(u"一番\r\n二番\r\n三番\r\n"_s));
    QCOMPARE(f.dialogs.texts(), QStringList(2, u"「歌詞_歌_甲.txt」は、表示した後にほかの画面かほかのプログラムで"
                                               "書き換えられています。\r\n\r\n表示中の内容で上書きしますか？"_s));
    QCOMPARE(f.dialogs.titles().first(), u"上書きの確認"_s);
    QCOMPARE(f.dialogs.boxes[0].def, Dialogs::Answer::No);
}

void TestLyricsSearch::keepsTypedLyricsAcrossScreens_data()
{
    QTest::addColumn<QString>("stored");
    QTest::newRow("song with lyrics") << u"古い歌詞"_s;
    QTest::newRow("song without a lyrics file") << QString();
}

// Typed text outlives a search and a visit to another screen: in its stored form, it
// still counts as typed and can be undone.
void TestLyricsSearch::keepsTypedLyricsAcrossScreens()
{
    QFETCH(QString, stored);
    UiFixture f;
    LyricsSearch* l = openOn(f, stored);
    const QByteArray before = f.bytes(u"歌詞_歌_甲.txt"_s);
    clickRow(f.window->fraList->msgKyokumoku2, 1);
    l->txtKashi2->insertPlainText(u"波〜風"_s);
    l->txtKashiKey2->setText(u"風"_s);
    QTest::mouseClick(l->cmdKashiKen, Qt::LeftButton);
    QTest::mouseClick(f.window->cmdIchiran, Qt::LeftButton);
    QTest::mouseClick(f.window->cmdList, Qt::LeftButton);
    QCOMPARE(l->txtKashi2->toPlainText(), u"波～風"_s + stored);
    QVERIFY(l->txtKashi2->document()->isModified());
    QCOMPARE(f.bytes(u"歌詞_歌_甲.txt"_s), before);
    l->txtKashi2->undo();
    QVERIFY(l->txtKashi2->toPlainText().startsWith(u"波〜風"_s));
}

void TestLyricsSearch::printsFromBothBoxes()
{
    UiFixture f;
    LyricsSearch* l = openOn(f, u"一行目\r\n二行目"_s);
    clickRow(f.window->fraList->msgKyokumoku2, 1);
    f.dialogs.answers = {Dialogs::Answer::Cancel, Dialogs::Answer::Ok};
    QTest::mouseClick(l->cmdKashiPrint, Qt::LeftButton);
    QVERIFY(f.printer.printed.isEmpty());
    QTest::mouseClick(l->cmdKashiPrint, Qt::LeftButton);
    QCOMPARE(f.dialogs.titles(), (QStringList{u"印刷確認"_s, u"印刷確認"_s}));
    QCOMPARE(f.dialogs.boxes[0].text, u"表示中の歌詞を印刷しますか？\r\n\r\n良かったらＯＫボタンを押してください"_s);
    QCOMPARE(f.dialogs.boxes[0].buttons, Dialogs::Buttons::OkCancel);
    QCOMPARE(f.printer.printed, QStringList{u"歌　／　甲\n歌\n甲\n一行目\n二行目"_s});

    // The main screen's lyrics box prints the same way; a print dialog closed without
    // printing says nothing more, a failure says it and offers a PDF instead.
    QTest::mouseClick(f.window->cmdMain, Qt::LeftButton);
    TrackEntry* tracks = f.window->fraMain->Frame1;
    QTest::mouseClick(tracks->msgKyokumoku->viewport(), Qt::LeftButton, {},
                      tracks->msgKyokumoku->visualRect(tracks->msgKyokumoku->model()->index(0, 1)).center());
    LyricsPanel* panel = f.window->fraMain->fraKashi1;
    f.dialogs.clear();
    f.printer.outcomes = {Printer::Outcome::Cancelled, Printer::Outcome::Failed};
    f.dialogs.answers = {Dialogs::Answer::Ok, Dialogs::Answer::Ok, Dialogs::Answer::No};
    QTest::mouseClick(panel->cmdKashiPri, Qt::LeftButton);
    QTest::mouseClick(panel->cmdKashiPri, Qt::LeftButton);
    QCOMPARE(f.dialogs.titles(), (QStringList{u"印刷確認"_s, u"印刷確認"_s, u"印刷できません"_s}));
    QVERIFY(f.dialogs.texts()[2].startsWith(u"印刷できませんでした。"_s));
    QCOMPARE(f.printer.printed.size(), 3);
    QVERIFY(f.printer.suggestedPdfNames.isEmpty());

    // An empty box prints nothing and asks nothing.
    f.dialogs.clear();
    panel->txtKashi1->clear();
    QTest::mouseClick(panel->cmdKashiPri, Qt::LeftButton);
    QVERIFY(f.dialogs.boxes.empty());
    QCOMPARE(f.printer.printed.size(), 3);
    QCOMPARE(f.dialogs.unexpected, 0);
}

void TestLyricsSearch::savesAPdfWhenNoPrinterTakesThePage()
{
    // Lyrics for two pages and more, with a line longer than the paper is wide.
    QStringList lines;
    for (int i = 1; i <= 90; ++i)
        lines.append(u"そらへ%1かい"_s.arg(i));
    lines.append(QString(u"とても長い行"_s).repeated(40));
    UiFixture f;
    LyricsSearch* l = openOn(f, lines.join(u"\r\n"_s));
    clickRow(f.window->fraList->msgKyokumoku2, 1);
    const QString pdf = f.path(u"歌.pdf"_s);
    f.printer.outcomes = {Printer::Outcome::NoPrinter, Printer::Outcome::NoPrinter, Printer::Outcome::NoPrinter};
    f.printer.pdfPaths = {f.path(u"無いフォルダ/歌.pdf"_s), pdf};
    // Each print: confirm, take the offer; the save's outcome is told with OK.
    f.dialogs.answers = {Dialogs::Answer::Ok, Dialogs::Answer::Yes, Dialogs::Answer::Ok, Dialogs::Answer::Ok,
                         Dialogs::Answer::Yes, Dialogs::Answer::Ok, Dialogs::Answer::Ok, Dialogs::Answer::Yes};
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(l->cmdKashiPrint, Qt::LeftButton);
    // Offered once more after a failed save; the third time the dialog was cancelled.
    QCOMPARE(f.dialogs.titles(), (QStringList{u"印刷確認"_s, u"印刷できません"_s, u"PDF 保存失敗"_s, u"印刷確認"_s,
                                              u"印刷できません"_s, u"PDF 保存"_s, u"印刷確認"_s, u"印刷できません"_s}));
    QVERIFY(f.dialogs.texts()[1].startsWith(u"使えるプリンタが見つかりません。"_s));
    QCOMPARE(f.printer.suggestedPdfNames, QStringList(3, u"歌（甲）.pdf"_s));
    QVERIFY(!QFile::exists(f.path(u"無いフォルダ"_s)));

    const QByteArray bytes = f.bytes(u"歌.pdf"_s);
    QVERIFY(bytes.startsWith("%PDF-"));
    QVERIFY(bytes.trimmed().endsWith("%%EOF"));
    QVERIFY(bytes.count("/Type /Page\n") >= 2);
    // The text read back, where poppler's tools are installed.
    const QString pdftotext = QStandardPaths::findExecutable(u"pdftotext"_s);
    if (!pdftotext.isEmpty()) {
        QProcess p;
        p.start(pdftotext, {u"-enc"_s, u"UTF-8"_s, pdf, u"-"_s});
        QVERIFY(p.waitForFinished());
        const QString text = QString::fromUtf8(p.readAllStandardOutput());
        QVERIFY2(text.startsWith(u"歌"_s), qPrintable(text.left(200)));
        QVERIFY(text.contains(u"甲"_s));
        QVERIFY(text.contains(u"そらへ90かい"_s));
    }

    // The desktop's printer finds no printer on a system that has none, and opens no dialog.
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        QtPrinter desktop;
        const QTextDocument page(u"歌"_s);
        QCOMPARE(desktop.print(page), Printer::Outcome::NoPrinter);
    }
}

QTEST_MAIN(TestLyricsSearch)
#include "tst_lyricssearch.moc"
