#include "uifixture.h"

#include "lists/sortbuttons.h"
#include "lists/titlelist.h"
#include "platform/grid.h"
#include "store/titletable.h"
#include "title/mainscreen.h"
#include "upkeep/tourtexts.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;
using fixture::sjis;

namespace {

const QString kTitles = u"データ.TXT"_s;
const QString kMedia = u"メディアマスタ.txt"_s;

QString line(const QString& name, const QString& artist, const QString& media = u"CD"_s,
             const QString& date = u"2026/12/07"_s, const QString& memo = QString())
{
    return u"\"%1\",\"%2\",\"J-POP\",\"◎\",\"%3\",\"%4\",\"%5\"\r\n"_s.arg(name, artist, media, date, memo);
}

// Titles A, B, C in main order, by artists z, y, x.
const QString kABC = line(u"A"_s, u"z"_s) + line(u"B"_s, u"y"_s) + line(u"C"_s, u"x"_s);

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

void sortBy(TitleList* list, int button)
{
    QTest::mouseClick(list->cmdSort1[static_cast<size_t>(button)], Qt::LeftButton);
}

// The button that shows a direction, as read and as told to a screen reader; every
// other button reads as its name.
QString orderShown(const TitleList* list)
{
    QString shown;
    for (const QPushButton* b : list->cmdSort1) {
        if (b->text() != b->accessibleName())
            shown += b->text() + u'/' + b->accessibleDescription();
    }
    return shown;
}

// Each visible sort button starts where its column's header does and is as wide.
void checkButtonsOverColumns(TitleList* list)
{
    const QHeaderView* header = list->msgIchiran->horizontalHeader();
    for (int i = 0; i < 7; ++i) {
        const QPushButton* b = list->cmdSort1[static_cast<size_t>(i)];
        const int left = header->mapToGlobal(QPoint(header->sectionViewportPosition(i), 0)).x();
        QCOMPARE(b->mapToGlobal(QPoint(0, 0)).x(), left);
        QCOMPARE(b->width(), header->sectionSize(i));
    }
}

} // namespace

// The title list: sorting with the shared toggle, making the order on view the main
// order, the info panel, and opening a title from the list.
class TestTitleList : public QObject {
    Q_OBJECT

private slots:
    void sortsWithOneToggleForAllColumns();
    void appliesTheOrderOnViewToTheMainOrder();
    void savesTheTitleThePanelShows();
    void refusesWhatTheFileCannotHold_data();
    void refusesWhatTheFileCannotHold();
    void failedSaveKeepsThePanel();
    void keepsTheReadingsTypedInThePanel();
    void doubleClickOpensTheTitle();
    void unknownNameLeavesAValidTitle();
    void restoresTheMainOrderBeyondTenThousandTitles();
    void longGenresShowWholeInBothLists();
};

void TestTitleList::sortsWithOneToggleForAllColumns()
{
    UiFixture f;
    QVERIFY(f.put(kTitles, kABC));
    QVERIFY(f.put(u"設定.TXT"_s, u"\"ヘルプツアー\",1\r\n"_s));
    MainWindow& w = f.start();
    f.dialogs.clear();
    TitleList* list = w.fraIchiran;
    QTest::mouseClick(w.cmdIchiran, Qt::LeftButton);
    QVERIFY(list->isVisible());
    QCOMPARE(f.dialogs.texts(), QStringList{tour::kTitleList});
    QCOMPARE(column(list->msgIchiran, 0), (QStringList{u"A"_s, u"B"_s, u"C"_s}));
    checkButtonsOverColumns(list);
    // A date shows whole, and the memo runs to the grid's right edge.
    Grid* grid = list->msgIchiran;
    QVERIFY(grid->columnWidth(5) > grid->fontMetrics().horizontalAdvance(u"2026/12/08"_s));
    QCOMPARE(grid->columnViewportPosition(6) + grid->columnWidth(6), grid->viewport()->width());

    QCOMPARE(orderShown(list), QString());
    sortBy(list, 1);
    QCOMPARE(column(list->msgIchiran, 0), (QStringList{u"C"_s, u"B"_s, u"A"_s}));
    QCOMPARE(orderShown(list), u"アーティスト ▲/昇順"_s);
    sortBy(list, 0);
    QCOMPARE(column(list->msgIchiran, 0), (QStringList{u"C"_s, u"B"_s, u"A"_s}));
    QCOMPARE(orderShown(list), u"タイトル ▼/降順"_s);
    QCOMPARE(list->cmdSort1[0]->accessibleName(), u"タイトル"_s);
    // A click on a column's header is a click on its button.
    QTest::mouseClick(grid->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(10, grid->horizontalHeader()->height() / 2));
    QCOMPARE(column(list->msgIchiran, 0), (QStringList{u"A"_s, u"B"_s, u"C"_s}));
    QCOMPARE(orderShown(list), u"タイトル ▲/昇順"_s);
    QCOMPARE(column(list->msgIchiran, 7), (QStringList{u"0001"_s, u"0002"_s, u"0003"_s}));

    // Reopened, the list is in main order again; the toggle is as it was left.
    sortBy(list, 1);
    QTest::mouseClick(w.cmdMain, Qt::LeftButton);
    QTest::mouseClick(w.cmdIchiran, Qt::LeftButton);
    QCOMPARE(column(list->msgIchiran, 0), (QStringList{u"A"_s, u"B"_s, u"C"_s}));
    QCOMPARE(orderShown(list), QString());
    sortBy(list, 0);
    QCOMPARE(column(list->msgIchiran, 0), (QStringList{u"A"_s, u"B"_s, u"C"_s}));
    sortBy(list, 0);
    QCOMPARE(column(list->msgIchiran, 0), (QStringList{u"C"_s, u"B"_s, u"A"_s}));

    // The buttons follow a widened column and the grid scrolled sideways.
    list->msgIchiran->horizontalHeader()->resizeSection(0, 900);
    checkButtonsOverColumns(list);
    list->msgIchiran->horizontalScrollBar()->setValue(250);
    checkButtonsOverColumns(list);
    QCOMPARE(f.dialogs.unexpected, 0);
}

void TestTitleList::appliesTheOrderOnViewToTheMainOrder()
{
    UiFixture f;
    QVERIFY(f.put(kTitles, kABC));
    MainWindow& w = f.start();
    TitleList* list = w.fraIchiran;
    QTest::mouseClick(w.cmdIchiran, Qt::LeftButton);
    sortBy(list, 1);

    f.dialogs.answers = {Dialogs::Answer::Cancel};
    QTest::mouseClick(list->cmdSortCng1, Qt::LeftButton);
    QCOMPARE(f.dialogs.titles(), QStringList{u"メイン並び替え確認"_s});
    QCOMPARE(f.dialogs.boxes[0].text, u"現在表示中の順番でメインのデータも並び替えますか？\r\n\r\n良かったらＯＫボタンを押してください"_s);
    QCOMPARE(f.dialogs.boxes[0].buttons, Dialogs::Buttons::OkCancel);
    QCOMPARE(f.bytes(kTitles), sjis(kABC));
    QCOMPARE(w.state().titles.at(1).name, u"A"_s);
    QCOMPARE(column(list->msgIchiran, 7), (QStringList{u"0003"_s, u"0002"_s, u"0001"_s}));

    f.dialogs.clear();
    w.state().CatalogueReady = true;
    f.dialogs.answers = {Dialogs::Answer::Ok};
    QTest::mouseClick(list->cmdSortCng1, Qt::LeftButton);
    QCOMPARE(f.dialogs.titles(), (QStringList{u"メイン並び替え確認"_s, u"並び替え完了"_s}));
    QCOMPARE(f.dialogs.boxes[1].text, u"並び替えた順番をメインの順番に反映させました。"_s);
    QCOMPARE(f.bytes(kTitles), sjis(line(u"C"_s, u"x"_s) + line(u"B"_s, u"y"_s) + line(u"A"_s, u"z"_s)));
    QCOMPARE(column(list->msgIchiran, 7), (QStringList{u"0001"_s, u"0002"_s, u"0003"_s}));
    QVERIFY(list->isVisible());
    QVERIFY(!w.state().CatalogueReady);

    // The main screen steps through the new order from its first title.
    QTest::mouseClick(w.cmdMain, Qt::LeftButton);
    MainScreen* s = w.fraMain;
    QCOMPARE(s->cboName->currentText(), u"C"_s);
    QCOMPARE(s->cboSakusya->currentText(), u"x"_s);
    s->hsbData->setValue(2);
    QCOMPARE(s->cboName->currentText(), u"B"_s);

    // Nothing to reorder: nothing is asked.
    UiFixture empty;
    MainWindow& e = empty.start();
    QTest::mouseClick(e.cmdIchiran, Qt::LeftButton);
    QTest::mouseClick(e.fraIchiran->cmdSortCng1, Qt::LeftButton);
    QVERIFY(empty.dialogs.boxes.empty());
    QCOMPARE(f.dialogs.unexpected + empty.dialogs.unexpected, 0);
}

// The row clicked is saved, wherever a sort has moved it before the save; the order on
// view becomes the main order.
void TestTitleList::savesTheTitleThePanelShows()
{
    UiFixture f;
    QVERIFY(f.put(kTitles, kABC));
    QVERIFY(f.put(kMedia, u"CD\r\n"_s));
    MainWindow& w = f.start();
    TitleList* list = w.fraIchiran;
    QTest::mouseClick(w.cmdIchiran, Qt::LeftButton);
    QCOMPARE(list->cboMedia->count(), 1);

    // A click fills the panel even while it is hidden; opening it empties it again.
    clickRow(list->msgIchiran, 2);
    QVERIFY(!list->fraTuika->isVisible());
    QCOMPARE(list->lblTitle->text(), u"B"_s);
    QCOMPARE(list->lblArt->text(), u"y"_s);
    QCOMPARE(list->txtHizuke->text(), u"2026/12/07"_s);
    sortBy(list, 0);
    sortBy(list, 0);
    QTest::mouseClick(list->cmdTuika, Qt::LeftButton);
    QVERIFY(list->fraTuika->isVisible());
    QCOMPARE(list->lblTitle->text(), QString());
    QCOMPARE(column(list->msgIchiran, 0), (QStringList{u"A"_s, u"B"_s, u"C"_s}));
    QCOMPARE(list->msgIchiran->row(), 0);
    QTest::mouseClick(list->cmdThozon, Qt::LeftButton);
    QCOMPARE(f.dialogs.titles(), QStringList{u"対象未選択"_s});
    QCOMPARE(f.bytes(kTitles), sjis(kABC));
    f.dialogs.clear();

    clickRow(list->msgIchiran, 1);
    QCOMPARE(list->lblTitle->text(), u"A"_s);
    list->cboMedia->setEditText(u"LP〜"_s);
    list->txtHizuke->setText(u"1999/01/02"_s);
    list->txtMemo->setText(u"妹に貸し出し中, 箱なし"_s);
    sortBy(list, 1);
    // The title being edited stays marked where the sort took it.
    QCOMPARE(list->msgIchiran->row(), 3);
    QCOMPARE(list->msgIchiran->text(3, 0), u"A"_s);
    QTest::mouseClick(list->cmdThozon, Qt::LeftButton);

    // Saved in main order, whatever the order on view: only "メインに反映" reorders.
    QVERIFY(f.dialogs.boxes.empty());
    const QString saved = line(u"A"_s, u"z"_s, u"LP～"_s, u"1999/01/02"_s, u"妹に貸し出し中, 箱なし"_s)
        + line(u"B"_s, u"y"_s) + line(u"C"_s, u"x"_s);
    QCOMPARE(f.bytes(kTitles), sjis(saved));
    QCOMPARE(w.state().titles.at(1).media, u"LP～"_s);
    QCOMPARE(column(list->msgIchiran, 4), (QStringList{u"CD"_s, u"CD"_s, u"LP～"_s}));
    QCOMPARE(column(list->msgIchiran, 7), (QStringList{u"0003"_s, u"0002"_s, u"0001"_s}));
    QCOMPARE(f.bytes(kMedia), sjis(u"CD\r\nLP～\r\n"_s));
    for (const QString& text : {list->lblTitle->text(), list->lblArt->text(), list->cboMedia->currentText(),
                                list->txtHizuke->text(), list->txtMemo->text()})
        QCOMPARE(text, QString());
    QCOMPARE(w.fraMain->cboName->currentText(), u"A"_s);

    // A known medium is not added again, by a save or by Enter.
    clickRow(list->msgIchiran, 2);
    list->cboMedia->setEditText(u"LP～"_s);
    QTest::mouseClick(list->cmdThozon, Qt::LeftButton);
    list->cboMedia->setEditText(u"カセット"_s);
    QTest::keyClick(list->cboMedia, Qt::Key_Return);
    list->cboMedia->setEditText(u"カセット"_s);
    QTest::keyClick(list->cboMedia, Qt::Key_Return);
    QCOMPARE(f.bytes(kMedia), sjis(u"CD\r\nLP～\r\nカセット\r\n"_s));
    QCOMPARE(f.dialogs.unexpected, 0);
}

void TestTitleList::refusesWhatTheFileCannotHold_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");

    QTest::newRow("double quote in the memo") << u"txtMemo"_s << u"\"限定\"盤"_s << u"\" の文字"_s;
    QTest::newRow("line break in the memo") << u"txtMemo"_s << u"一行目\n二行目"_s << u"制御文字"_s;
    QTest::newRow("emoji in the date") << u"txtHizuke"_s << u"2024😀"_s << u"「😀」"_s;
    QTest::newRow("character CP932 lacks in the media") << u"cboMedia"_s << u"한국"_s << u"「한」"_s;
    QTest::newRow("Latin in the title's reading") << u"txtReading"_s << u"bii"_s << u"「b」は読みに使えない"_s;
    QTest::newRow("kanji in the artist's reading") << u"txtArtistReading"_s << u"ワイ様"_s << u"「様」"_s;
}

void TestTitleList::refusesWhatTheFileCannotHold()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    UiFixture f;
    QVERIFY(f.put(kTitles, kABC));
    QVERIFY(f.put(kMedia, u"CD\r\n"_s));
    MainWindow& w = f.start();
    TitleList* list = w.fraIchiran;
    QTest::mouseClick(w.cmdIchiran, Qt::LeftButton);
    QTest::mouseClick(list->cmdTuika, Qt::LeftButton);
    clickRow(list->msgIchiran, 2);
    QWidget* edited = list->findChild<QWidget*>(box);
    QVERIFY(edited);
    if (auto* combo = qobject_cast<QComboBox*>(edited))
        combo->setEditText(typed);
    else
        qobject_cast<QLineEdit*>(edited)->setText(typed);
    QTest::mouseClick(list->cmdThozon, Qt::LeftButton);

    QCOMPARE(f.dialogs.titles(), QStringList{u"使用不可文字"_s});
    QCOMPARE(f.dialogs.boxes[0].icon, Dialogs::Icon::Exclamation);
    QVERIFY2(f.dialogs.boxes[0].text.contains(message), qPrintable(f.dialogs.boxes[0].text));
    QCOMPARE(f.bytes(kTitles), sjis(kABC));
    QCOMPARE(f.bytes(kMedia), sjis(u"CD\r\n"_s));
    QCOMPARE(edited->property(qobject_cast<QComboBox*>(edited) ? "currentText" : "text").toString(), typed);
    QCOMPARE(list->lblTitle->text(), u"B"_s);
}

void TestTitleList::failedSaveKeepsThePanel()
{
    UiFixture f;
    QVERIFY(f.put(kTitles, kABC));
    MainWindow& w = f.start();
    TitleList* list = w.fraIchiran;
    QTest::mouseClick(w.cmdIchiran, Qt::LeftButton);
    QTest::mouseClick(list->cmdTuika, Qt::LeftButton);
    clickRow(list->msgIchiran, 3);
    list->txtMemo->setText(u"サイン入り"_s);
    list->txtReading->setText(u"しい"_s);
    // A folder where the title file was: it cannot be replaced.
    QVERIFY(QFile::remove(f.path(kTitles)));
    QVERIFY(QDir(f.tmp.path()).mkdir(kTitles));
    QTest::mouseClick(list->cmdThozon, Qt::LeftButton);

    QCOMPARE(f.dialogs.titles(), QStringList{u"書き込みエラー"_s});
    QVERIFY(QFileInfo(f.path(kTitles)).isDir());
    QCOMPARE(list->lblTitle->text(), u"C"_s);
    QCOMPARE(list->txtMemo->text(), u"サイン入り"_s);
    QCOMPARE(list->msgIchiran->text(3, 6), QString());
    QCOMPARE(w.state().titles.at(3).memo, QString());
    // The reading goes with the title file, or not at all.
    QVERIFY(!QFileInfo::exists(f.path(u"読みデータ.DAT"_s)));
    QCOMPARE(w.state().readings.count(), 0);
    QCOMPARE(list->txtReading->text(), u"しい"_s);
}

// The panel shows the readings of the title clicked and of its artist, and 保存 keeps
// what is typed there (as katakana) in the same write as the title file; an artist's
// reading shows for every title of that artist, and an emptied box drops the reading.
void TestTitleList::keepsTheReadingsTypedInThePanel()
{
    UiFixture f;
    const QString titles = line(u"罪と罰"_s, u"椎名林檎"_s) + line(u"無罪モラトリアム"_s, u"椎名林檎"_s) + line(u"B"_s, u"未登録"_s);
    QVERIFY(f.put(kTitles, titles));
    QVERIFY(f.put(u"読みデータ.DAT"_s, u"\"タイトル\",\"罪と罰\",\"ツミ\"\r\n"_s));
    MainWindow& w = f.start();
    TitleList* list = w.fraIchiran;
    QTest::mouseClick(w.cmdIchiran, Qt::LeftButton);
    QTest::mouseClick(list->cmdTuika, Qt::LeftButton);
    clickRow(list->msgIchiran, 1);
    QCOMPARE(list->txtReading->text(), u"ツミ"_s);
    QCOMPARE(list->txtArtistReading->text(), QString());
    list->txtReading->setText(u"つみとばつ"_s);
    list->txtArtistReading->setText(u"しいな　りんご "_s);
    QTest::mouseClick(list->cmdThozon, Qt::LeftButton);
    QVERIFY(f.dialogs.boxes.empty());
    QCOMPARE(f.bytes(u"読みデータ.DAT"_s), sjis(u"\"タイトル\",\"罪と罰\",\"ツミトバツ\"\r\n\"歌手\",\"椎名林檎\",\"シイナ リンゴ\"\r\n"_s));
    QCOMPARE(f.bytes(kTitles), sjis(titles));

    clickRow(list->msgIchiran, 2);
    QCOMPARE(list->txtReading->text(), QString());
    QCOMPARE(list->txtArtistReading->text(), u"シイナ リンゴ"_s);
    clickRow(list->msgIchiran, 3);
    QVERIFY(!list->txtArtistReading->isEnabled());
    clickRow(list->msgIchiran, 1);
    list->txtReading->clear();
    QTest::mouseClick(list->cmdThozon, Qt::LeftButton);
    QCOMPARE(f.bytes(u"読みデータ.DAT"_s), sjis(u"\"歌手\",\"椎名林檎\",\"シイナ リンゴ\"\r\n"_s));
    QCOMPARE(w.state().readings.count(), 1);
    QCOMPARE(f.dialogs.unexpected, 0);
}

void TestTitleList::doubleClickOpensTheTitle()
{
    UiFixture f;
    QVERIFY(f.put(kTitles, kABC));
    MainWindow& w = f.start();
    TitleList* list = w.fraIchiran;
    QTest::mouseClick(w.cmdIchiran, Qt::LeftButton);
    sortBy(list, 1);
    clickRow(list->msgIchiran, 2, true);

    QVERIFY(!list->isVisible());
    QVERIFY(w.fraMain->isVisible());
    QVERIFY(w.cmdDel->isEnabled());
    QCOMPARE(w.fraMain->cboName->currentText(), u"B"_s);
    QCOMPARE(w.fraMain->lblKensu->text(), u"2 / 3"_s);
    QCOMPARE(w.state().ListJumpIndex, 2);
    QVERIFY(f.dialogs.boxes.empty());

    // Enter on a row opens it too, and the keyboard goes with it to the title's name.
    QTest::mouseClick(w.cmdIchiran, Qt::LeftButton);
    QApplication::setActiveWindow(&w);
    list->msgIchiran->setFocus();
    list->msgIchiran->setCurrentCell(3, 0);
    QTest::keyClick(list->msgIchiran, Qt::Key_Return);
    QCOMPARE(w.fraMain->lblKensu->text(), u"3 / 3"_s);
    QCOMPARE(QApplication::focusWidget(), w.fraMain->cboName);

    // A name no title has shows the title opened last.
    w.fraMain->hsbData->setValue(1);
    w.ShowTitleByName(u"無い"_s);
    QCOMPARE(w.fraMain->lblKensu->text(), u"3 / 3"_s);
}

// Before any title was opened from a list, a name no title has leaves the main screen
// on a title it can show, or on the empty collection.
void TestTitleList::unknownNameLeavesAValidTitle()
{
    UiFixture f;
    QVERIFY(f.put(kTitles, kABC));
    MainWindow& w = f.start();
    w.fraMain->hsbData->setValue(3);
    QTest::mouseClick(w.cmdIchiran, Qt::LeftButton);
    w.ShowTitleByName(u"無い"_s);
    QVERIFY(w.fraMain->isVisible());
    QCOMPARE(w.fraMain->lblKensu->text(), u"3 / 3"_s);
    QCOMPARE(w.fraMain->cboName->currentText(), u"C"_s);
    QCOMPARE(w.state().ListJumpIndex, 0);

    UiFixture empty;
    MainWindow& e = empty.start();
    QTest::mouseClick(e.cmdIchiran, Qt::LeftButton);
    QCOMPARE(e.fraIchiran->msgIchiran->rows(), 1);
    e.ShowTitleByName(QString());
    QVERIFY(e.fraMain->isVisible());
    QCOMPARE(e.fraMain->lblKensu->text(), u"0 / 0"_s);
    QCOMPARE(e.fraMain->cboName->currentText(), QString());
}

// The hidden key column gives the main order back at any size, also where its text
// order would not (10000 sorts before 1001 as text).
void TestTitleList::restoresTheMainOrderBeyondTenThousandTitles()
{
    UiFixture f;
    std::vector<TitleRecord> titles;
    for (int i = 1; i <= 10012; ++i)
        titles.push_back({u"題%1"_s.arg(i), u"歌手%1"_s.arg(i % 7), {}, {}, {}, {}, {}});
    QVERIFY(SaveTitleFile(*f.folder, titles).ok());
    MainWindow& w = f.start();
    TitleList* list = w.fraIchiran;
    QTest::mouseClick(w.cmdIchiran, Qt::LeftButton);
    sortBy(list, 0);
    QCOMPARE(list->msgIchiran->text(2, 0), u"題10"_s);
    QTest::mouseClick(list->cmdTuika, Qt::LeftButton);
    QStringList expected;
    for (const TitleRecord& t : titles)
        expected.append(t.name);
    QCOMPARE(column(list->msgIchiran, 0), expected);
    QCOMPARE(list->msgIchiran->text(10000, 7), u"10000"_s);

    // Saved from there, the file keeps the main order.
    clickRow(list->msgIchiran, 1);
    QTest::mouseClick(list->cmdThozon, Qt::LeftButton);
    TitleTable reloaded;
    LoadTitleFile(*f.folder, &reloaded);
    QCOMPARE(reloaded.records(), titles);
}

QTEST_MAIN(TestTitleList)
void TestTitleList::longGenresShowWholeInBothLists()
{
    UiFixture f;
    QVERIFY(f.put(kTitles, u"\"映画の音楽\",\"歌手\",\"サウンドトラック\",\"◎\",\"CD\",\"2026/12/07\",\"\"\r\n"_s));
    QVERIFY(f.put(u"曲目データ.TXT"_s, u"\"主題曲\",\"歌手\",\"サウンドトラック\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"_s));
    MainWindow& w = f.start();
    // The program's window on a 1280 x 800 screen.
    w.resize(1260, 760);
    for (QToolButton* opens : {w.cmdIchiran, w.cmdIchiran2}) {
        QTest::mouseClick(opens, Qt::LeftButton);
        Grid* grid = opens == w.cmdIchiran ? w.fraIchiran->msgIchiran : w.fraIchiran2->msgIchiran2;
        QCOMPARE(grid->text(1, 2), u"サウンドトラック"_s);
        QVERIFY2(grid->widestText(2) <= grid->columnWidth(2), qPrintable(grid->objectName()));
        // The header row says nothing the sort buttons above it say.
        QVERIFY(grid->horizontalHeader()->height() < w.fraIchiran->cmdSort1[0]->height() / 2);
    }
}

#include "tst_titlelist.moc"
