#include "uifixture.h"

#include "overviews/draglist.h"
#include "overviews/ranking.h"
#include "platform/grid.h"
#include "platform/uifont.h"
#include "title/mainscreen.h"
#include "upkeep/tourtexts.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QStyle>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;
using fixture::sjis;

namespace {

const QString kTitles = u"データ.TXT"_s;
const QColor kPending(255, 224, 192);

// The colour the apply button is drawn in, inside its border.
QColor shown(QPushButton* button)
{
    return button->grab().toImage().pixelColor(6, button->height() / 2);
}

QString song(const QString& name, const QString& artist)
{
    return u"\"%1\",\"%2\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"_s.arg(name, artist);
}

// Every data row of a ranking grid as "rank name count".
QStringList rows(const Grid* grid)
{
    QStringList out;
    for (int r = 1; r < grid->rows(); ++r)
        out.append(grid->text(r, 0) + u' ' + grid->text(r, 1) + u' ' + grid->text(r, 2));
    return out;
}

QString titlesNamed(const QString& names)
{
    QString out;
    for (const QString& name : names.split(u' '))
        out += UiFixture::title(name);
    return out;
}

// A drag with the mouse as a user makes it: press on one entry, move over the list,
// release on another (or below the last).
void drag(DragList* list, int from, int to)
{
    QWidget* view = list->viewport();
    const QPoint start = list->visualRect(list->model()->index(from, 0)).center();
    const QPoint end = to < list->model()->rowCount() ? list->visualRect(list->model()->index(to, 0)).center()
                                                      : QPoint(start.x(), view->height() - 2);
    QTest::mousePress(view, Qt::LeftButton, {}, start);
    QTest::mouseMove(view, (start + end) / 2);
    QTest::mouseMove(view, end);
    QTest::mouseRelease(view, Qt::LeftButton, {}, end);
}

} // namespace

// The ranking screen: artists counted by titles and by songs and ranked both ways; the
// fine-tuning list that drags titles into a new main order.
class TestRanking : public QObject {
    Q_OBJECT

private slots:
    void ranksArtistsByTitlesAndSongs();
    void emptyCollectionListsEveryArtistAtZero();
    void dragPlacesTheTitleBeforeTheTarget_data();
    void dragPlacesTheTitleBeforeTheTarget();
    void ctrlArrowsMoveTheSelectedTitle_data();
    void ctrlArrowsMoveTheSelectedTitle();
    void appliesTheListOrderToTheMainOrder();
    void numbersAreWholeAtTheLeastWindowSize();
};

void TestRanking::ranksArtistsByTitlesAndSongs()
{
    UiFixture f;
    QVERIFY(f.put(u"歌手マスタ.txt"_s, u"ミナモ航路\r\nネオン金魚\r\n葉月つむぎ\r\n"_s));
    QVERIFY(f.put(kTitles, UiFixture::title(u"A"_s, u"ネオン金魚"_s) + UiFixture::title(u"B"_s, u"葉月つむぎ"_s)
                               + UiFixture::title(u"C"_s, u"複数"_s) + UiFixture::title(u"D"_s, u"未登録"_s)
                               + UiFixture::title(u"E"_s, u"葉月つむぎ"_s) + UiFixture::title(u"F"_s, u"ネオン金魚"_s)));
    QVERIFY(f.put(u"曲目データ.TXT"_s, song(u"s1"_s, u"ネオン金魚"_s) + song(u"s2"_s, u"葉月つむぎ＆ネオン金魚"_s)
                                           + song(u"s3"_s, u"ネオン金魚"_s) + song(u"s4"_s, u"ミナモ航路"_s)));
    QVERIFY(f.put(u"設定.TXT"_s, u"\"ヘルプツアー\",1\r\n"_s));
    MainWindow& w = f.start();
    f.dialogs.clear();
    Ranking* rank = w.fraRank;
    QTest::mouseClick(w.cmdRank, Qt::LeftButton);
    QVERIFY(rank->isVisible());
    QCOMPARE(f.dialogs.texts(), QStringList{tour::kRanking});

    // Equal counts get consecutive ranks; "複数" is a row; "未登録" is counted nowhere.
    QCOMPARE(rows(rank->msgSaku), (QStringList{u"1 ネオン金魚 2"_s, u"2 葉月つむぎ 2"_s, u"3 複数 1"_s, u"4 ミナモ航路 0"_s}));
    QCOMPARE(rows(rank->msgKei), (QStringList{u"1 ネオン金魚 2"_s, u"2 葉月つむぎ＆ネオン金魚 1"_s, u"3 ミナモ航路 1"_s}));
    QVERIFY(rank->optSaku1->isChecked() && rank->optKei1->isChecked());

    // Each option renumbers from 1; the two pairs switch apart.
    QTest::mouseClick(rank->optSaku2, Qt::LeftButton);
    QCOMPARE(rows(rank->msgSaku), (QStringList{u"1 ミナモ航路 0"_s, u"2 複数 1"_s, u"3 ネオン金魚 2"_s, u"4 葉月つむぎ 2"_s}));
    QVERIFY(rank->optKei1->isChecked());
    QTest::mouseClick(rank->optKei2, Qt::LeftButton);
    QCOMPARE(rows(rank->msgKei), (QStringList{u"1 葉月つむぎ＆ネオン金魚 1"_s, u"2 ミナモ航路 1"_s, u"3 ネオン金魚 2"_s}));
    QTest::mouseClick(rank->optSaku1, Qt::LeftButton);
    QCOMPARE(rows(rank->msgSaku), (QStringList{u"1 ネオン金魚 2"_s, u"2 葉月つむぎ 2"_s, u"3 複数 1"_s, u"4 ミナモ航路 0"_s}));

    // The button of the screen on show changes nothing.
    QTest::mouseClick(w.cmdRank, Qt::LeftButton);
    QVERIFY(rank->optKei2->isChecked());
    QCOMPARE(f.dialogs.boxes.size(), size_t(1));

    // A deleted title lowers its artist; the songs stay, and an artist whose songs are
    // gone from the track data keeps a row at 0.
    QTest::mouseClick(w.cmdMain, Qt::LeftButton);
    w.fraMain->hsbData->setValue(1);
    f.dialogs.answers = {Dialogs::Answer::Ok};
    QTest::mouseClick(w.cmdDel, Qt::LeftButton);
    w.state().tracks = TrackTable({{u"s1"_s, u"ネオン金魚"_s, {}, {}, {}, {}, {}}});
    QTest::mouseClick(w.cmdRank, Qt::LeftButton);
    QCOMPARE(rows(rank->msgSaku), (QStringList{u"1 葉月つむぎ 2"_s, u"2 ネオン金魚 1"_s, u"3 複数 1"_s, u"4 ミナモ航路 0"_s}));
    QCOMPARE(rows(rank->msgKei), (QStringList{u"1 ネオン金魚 1"_s, u"2 葉月つむぎ＆ネオン金魚 0"_s, u"3 ミナモ航路 0"_s}));
    QCOMPARE(f.dialogs.unexpected, 0);
}

void TestRanking::emptyCollectionListsEveryArtistAtZero()
{
    UiFixture f;
    QVERIFY(f.put(u"歌手マスタ.txt"_s, u"ミナモ航路\r\nネオン金魚\r\n"_s));
    MainWindow& w = f.start();
    QTest::mouseClick(w.cmdRank, Qt::LeftButton);
    QCOMPARE(rows(w.fraRank->msgSaku), (QStringList{u"1 ミナモ航路 0"_s, u"2 ネオン金魚 0"_s, u"3 複数 0"_s}));
    QCOMPARE(w.fraRank->msgKei->rows(), 1);
    QCOMPARE(w.fraRank->lstBicho->names(), QStringList());
    // A drag on the empty list does nothing.
    QTest::mousePress(w.fraRank->lstBicho->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
    QTest::mouseRelease(w.fraRank->lstBicho->viewport(), Qt::LeftButton, {}, QPoint(20, 40));
    QVERIFY(shown(w.fraRank->cmdSortCng2) != kPending);
}

void TestRanking::dragPlacesTheTitleBeforeTheTarget_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("after");

    QTest::newRow("E onto B") << 4 << 1 << u"A E B C D F"_s;
    QTest::newRow("B onto E") << 1 << 4 << u"A C D B E F"_s;
    QTest::newRow("A onto F") << 0 << 5 << u"B C D E A F"_s;
    QTest::newRow("A below the last") << 0 << 6 << u"B C D E A F"_s;
    QTest::newRow("B onto its successor") << 1 << 2 << u"A B C D E F"_s;
    QTest::newRow("B onto itself") << 1 << 1 << u"A B C D E F"_s;
}

void TestRanking::dragPlacesTheTitleBeforeTheTarget()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, after);
    UiFixture f;
    QVERIFY(f.put(kTitles, titlesNamed(u"A B C D E F"_s)));
    MainWindow& w = f.start();
    QTest::mouseClick(w.cmdRank, Qt::LeftButton);
    DragList* list = w.fraRank->lstBicho;
    drag(list, from, to);

    QCOMPARE(list->names().join(u' '), after);
    const bool moved = after != u"A B C D E F"_s;
    QCOMPARE(shown(w.fraRank->cmdSortCng2) == kPending, moved);
    QCOMPARE(f.bytes(kTitles), sjis(titlesNamed(u"A B C D E F"_s)));
    QVERIFY(f.dialogs.boxes.empty());
}

void TestRanking::ctrlArrowsMoveTheSelectedTitle_data()
{
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("selectedAfter");

    QTest::newRow("C up") << 2 << int(Qt::Key_Up) << u"A C B D E F"_s << 1;
    QTest::newRow("C down") << 2 << int(Qt::Key_Down) << u"A B D C E F"_s << 3;
    QTest::newRow("E down to the end") << 4 << int(Qt::Key_Down) << u"A B C D F E"_s << 5;
    QTest::newRow("A up stays") << 0 << int(Qt::Key_Up) << u"A B C D E F"_s << 0;
    QTest::newRow("F down stays") << 5 << int(Qt::Key_Down) << u"A B C D E F"_s << 5;
}

void TestRanking::ctrlArrowsMoveTheSelectedTitle()
{
    QFETCH(int, selected);
    QFETCH(int, key);
    QFETCH(QString, after);
    QFETCH(int, selectedAfter);
    UiFixture f;
    QVERIFY(f.put(kTitles, titlesNamed(u"A B C D E F"_s)));
    MainWindow& w = f.start();
    QTest::mouseClick(w.cmdRank, Qt::LeftButton);
    DragList* list = w.fraRank->lstBicho;
    list->selectRow(selected);
    QTest::keyClick(list, static_cast<Qt::Key>(key), Qt::ControlModifier);

    QCOMPARE(list->names().join(u' '), after);
    QCOMPARE(list->selectedRow(), selectedAfter);
    const bool moved = after != u"A B C D E F"_s;
    QCOMPARE(shown(w.fraRank->cmdSortCng2) == kPending, moved);
    // A plain arrow only moves the selection.
    QTest::keyClick(list, Qt::Key_Up);
    QCOMPARE(list->names().join(u' '), after);
    QCOMPARE(f.bytes(kTitles), sjis(titlesNamed(u"A B C D E F"_s)));
}

void TestRanking::appliesTheListOrderToTheMainOrder()
{
    UiFixture f;
    QVERIFY(f.put(kTitles, titlesNamed(u"A B C D E F"_s)));
    MainWindow& w = f.start();
    Ranking* rank = w.fraRank;
    QTest::mouseClick(w.cmdRank, Qt::LeftButton);
    drag(rank->lstBicho, 4, 1);

    f.dialogs.answers = {Dialogs::Answer::Cancel};
    QTest::mouseClick(rank->cmdSortCng2, Qt::LeftButton);
    QCOMPARE(f.dialogs.titles(), QStringList{u"メイン並び替え確認"_s});
    QCOMPARE(f.dialogs.boxes[0].text, u"表示順位微調整リストの順番でメインのデータも並び替えますか？\r\n\r\n良かったらＯＫボタンを押してください"_s);
    QCOMPARE(f.bytes(kTitles), sjis(titlesNamed(u"A B C D E F"_s)));
    QCOMPARE(w.state().titles.at(2).name, u"B"_s);
    QCOMPARE(shown(rank->cmdSortCng2), kPending);

    // A write that fails keeps the moves and their mark.
    QVERIFY(QFile::rename(f.path(kTitles), f.path(u"saved"_s)));
    QVERIFY(QDir(f.tmp.path()).mkdir(kTitles));
    f.dialogs.clear();
    f.dialogs.answers = {Dialogs::Answer::Ok};
    QTest::mouseClick(rank->cmdSortCng2, Qt::LeftButton);
    QCOMPARE(f.dialogs.titles(), (QStringList{u"メイン並び替え確認"_s, u"書き込みエラー"_s}));
    QCOMPARE(shown(rank->cmdSortCng2), kPending);
    QVERIFY(QDir(f.tmp.path()).rmdir(kTitles));
    QVERIFY(QFile::rename(f.path(u"saved"_s), f.path(kTitles)));

    f.dialogs.clear();
    w.state().CatalogueReady = true;
    w.fraMain->hsbData->setValue(3);
    f.dialogs.answers = {Dialogs::Answer::Ok};
    QTest::mouseClick(rank->cmdSortCng2, Qt::LeftButton);
    QCOMPARE(f.dialogs.titles(), (QStringList{u"メイン並び替え確認"_s, u"並び替え完了"_s}));
    QCOMPARE(f.dialogs.boxes[1].text, u"並び替えた順番をメインの順番に反映させました。"_s);
    QCOMPARE(f.dialogs.boxes[1].icon, Dialogs::Icon::Information);
    QCOMPARE(f.bytes(kTitles), sjis(titlesNamed(u"A E B C D F"_s)));
    QVERIFY(shown(rank->cmdSortCng2) != kPending);
    QVERIFY(!w.state().CatalogueReady);

    // The main screen starts from the first title of the new order and steps through it.
    QTest::mouseClick(w.cmdMain, Qt::LeftButton);
    MainScreen* s = w.fraMain;
    QCOMPARE(s->lblKensu->text(), u"1 / 6"_s);
    s->hsbData->setValue(2);
    QCOMPARE(s->cboName->currentText(), u"E"_s);

    // Moves not applied are gone when the screen opens again, and so is their mark.
    QTest::mouseClick(w.cmdRank, Qt::LeftButton);
    drag(rank->lstBicho, 0, 3);
    QCOMPARE(shown(rank->cmdSortCng2), kPending);
    QTest::mouseClick(w.cmdMain, Qt::LeftButton);
    QTest::mouseClick(w.cmdRank, Qt::LeftButton);
    QCOMPARE(rank->lstBicho->names().join(u' '), u"A E B C D F"_s);
    QVERIFY(shown(rank->cmdSortCng2) != kPending);
    QCOMPARE(f.dialogs.unexpected, 0);
}

QTEST_MAIN(TestRanking)
void TestRanking::numbersAreWholeAtTheLeastWindowSize()
{
    // Enough artists for a vertical scroll bar, long names, and counts of three and four
    // digits, in the program's Japanese font on a desktop with a large font.
    const QFont desktop = QApplication::font();
    const auto restore = qScopeGuard([&] { QApplication::setFont(desktop); });
    useJapaneseUiFont();
    QFont large = QApplication::font();
    large.setPointSize(14);
    QApplication::setFont(large);
    UiFixture f;
    QString master;
    QString titles;
    QString songs;
    for (int a = 0; a < 60; ++a) {
        const QString artist = u"とても長い名前のアーティスト%1"_s.arg(a);
        master += artist + u"\r\n"_s;
        for (int n = 0; n < (a == 0 ? 380 : a % 7 + 1); ++n)
            titles += UiFixture::title(u"題%1_%2"_s.arg(a).arg(n), artist);
        for (int n = 0; n < (a == 1 ? 1234 : a % 11 + 1); ++n)
            songs += song(u"曲%1_%2"_s.arg(a).arg(n), artist);
    }
    QVERIFY(f.put(u"歌手マスタ.txt"_s, master));
    QVERIFY(f.put(kTitles, titles));
    QVERIFY(f.put(u"曲目データ.TXT"_s, songs));
    MainWindow& w = f.start();
    w.resize(w.minimumSizeHint());
    QTest::mouseClick(w.cmdRank, Qt::LeftButton);
    QCoreApplication::processEvents();
    for (Grid* grid : {w.fraRank->msgSaku, w.fraRank->msgKei}) {
        QVERIFY(grid->verticalScrollBar()->isVisible());
        QVERIFY(!grid->horizontalScrollBar()->isVisible());
        const int margin = grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1;
        for (const int c : {0, 2}) {
            QVERIFY(grid->columnViewportPosition(c) + grid->columnWidth(c) <= grid->viewport()->width());
            for (int r = 1; r < grid->rows(); ++r)
                QVERIFY2(grid->fontMetrics().horizontalAdvance(grid->text(r, c)) + 2 * margin <= grid->columnWidth(c),
                         qPrintable(u"%1 row %2: %3"_s.arg(grid->objectName()).arg(r).arg(grid->text(r, c))));
        }
    }
    QCOMPARE(w.fraRank->msgSaku->text(1, 2), u"380"_s);
    QCOMPARE(w.fraRank->msgKei->text(1, 2), u"1234"_s);
}

#include "tst_ranking.moc"
