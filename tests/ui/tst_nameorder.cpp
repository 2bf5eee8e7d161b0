#include "uifixture.h"

#include "lists/songlist.h"
#include "lists/songsearch.h"
#include "lists/titlelist.h"
#include "lists/titlesearch.h"
#include "overviews/ranking.h"
#include "platform/grid.h"
#include "title/mainscreen.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;

namespace {

QString song(const QString& name, const QString& artist)
{
    return u"\"%1\",\"%2\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"_s.arg(name, artist);
}

// Kanji names read in another order than their codes', Latin, half and full width.
MainWindow& collection(UiFixture& f)
{
    f.put(u"データ.TXT"_s, UiFixture::title(u"明日"_s, u"椎名林檎"_s) + UiFixture::title(u"今日"_s, u"米津玄師"_s)
                                + UiFixture::title(u"昨日"_s, u"嵐"_s) + UiFixture::title(u"Lemon"_s, u"宇多田ヒカル"_s)
                                + UiFixture::title(u"ｷｬﾘｰの歌"_s, u"嵐"_s) + UiFixture::title(u"ＢＡＤ ＤＡＹ"_s, u"米津玄師"_s));
    f.put(u"曲目データ.TXT"_s, song(u"今日"_s, u"米津玄師"_s) + song(u"明日"_s, u"椎名林檎"_s) + song(u"昨日"_s, u"嵐"_s));
    f.put(u"歌手マスタ.txt"_s, u"椎名林檎\r\n米津玄師\r\n嵐\r\n宇多田ヒカル\r\n"_s);
    MainWindow& w = f.start();
    ReadingTable& readings = w.state().readings;
    const QString artists[][2] = {{u"椎名林檎"_s, u"しいなりんご"_s}, {u"米津玄師"_s, u"ヨネヅケンシ"_s},
                                  {u"嵐"_s, u"アラシ"_s}, {u"宇多田ヒカル"_s, u"ウタダヒカル"_s}};
    for (const auto& [name, reading] : artists)
        readings.set(ReadingKind::Artist, name, reading);
    for (const ReadingKind kind : {ReadingKind::Title, ReadingKind::Song}) {
        for (const auto& [name, reading] : {std::pair(u"明日"_s, u"アシタ"_s), {u"今日"_s, u"キョウ"_s}, {u"昨日"_s, u"キノウ"_s}})
            readings.set(kind, name, reading);
    }
    return w;
}

QStringList column(const Grid* grid, int col)
{
    QStringList out;
    for (int r = 1; r < grid->rows(); ++r)
        out.append(grid->text(r, col));
    return out;
}

// Letters typed as an input method hands them over, once earlier ones have lapsed.
void typeLetters(QWidget* list, const QString& letters)
{
    QTest::qWait(300);
    for (const QChar c : letters) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(list, &press);
    }
}

} // namespace

class TestNameOrder : public QObject {
    Q_OBJECT
private slots:
    void listsOrderNamesAsChosen_data();
    void listsOrderNamesAsChosen();
    void typingFindsByReading();
    void searchesFindAsChosen_data();
    void searchesFindAsChosen();
};

void TestNameOrder::listsOrderNamesAsChosen_data()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<int>("col");
    QTest::addColumn<bool>("byReading");
    QTest::addColumn<QString>("order");

    // Artists by readings: アラシ ウタダ シイナ ヨネヅ; by codes (kanji in JIS order): 宇 椎 米 嵐.
    QTest::newRow("titles by artist, readings") << u"titles"_s << 1 << true << u"嵐 嵐 宇多田ヒカル 椎名林檎 米津玄師 米津玄師"_s;
    QTest::newRow("titles by artist, codes") << u"titles"_s << 1 << false << u"宇多田ヒカル 椎名林檎 米津玄師 米津玄師 嵐 嵐"_s;
    // Latin first; then kana and readings together: アシタ キノウ キャリー キョウ.
    QTest::newRow("titles by name, readings") << u"titles"_s << 0 << true << u"ＢＡＤ Lemon 明日 昨日 ｷｬﾘｰの歌 今日"_s;
    QTest::newRow("titles by name, codes") << u"titles"_s << 0 << false << u"ＢＡＤ Lemon ｷｬﾘｰの歌 今日 昨日 明日"_s;
    QTest::newRow("songs by name, readings") << u"songs"_s << 0 << true << u"明日 昨日 今日"_s;
    // Equal counts stay in the order before the counts' sort: the readings' or the master's.
    QTest::newRow("ranking, readings") << u"ranking"_s << 1 << true << u"嵐 米津玄師 宇多田ヒカル 椎名林檎 複数"_s;
    QTest::newRow("ranking, codes") << u"ranking"_s << 1 << false << u"米津玄師 嵐 椎名林檎 宇多田ヒカル 複数"_s;
}

void TestNameOrder::listsOrderNamesAsChosen()
{
    QFETCH(QString, screen);
    QFETCH(int, col);
    QFETCH(bool, byReading);
    QFETCH(QString, order);
    UiFixture f;
    MainWindow& w = collection(f);
    const uint files = QDir(f.tmp.path()).count();
    setListOptions(screen == u"ranking" ? byReading : !byReading, false);
    const bool titles = screen == u"titles";
    QTest::mouseClick(titles ? w.cmdIchiran : screen == u"songs" ? w.cmdIchiran2 : w.cmdRank, Qt::LeftButton);
    Grid* grid = titles ? w.fraIchiran->msgIchiran : screen == u"songs" ? w.fraIchiran2->msgIchiran2 : w.fraRank->msgSaku;
    if (screen != u"ranking") {
        // The screen's box shows the settings, and the user's choice in it is kept there.
        QComboBox* choice = titles ? w.fraIchiran->cboNarabi1 : w.fraIchiran2->cboNarabi2;
        QCOMPARE(choice->currentIndex(), byReading ? 1 : 0);
        QTest::keyClick(choice, byReading ? Qt::Key_Up : Qt::Key_Down);
        QCOMPARE(listoptions::readingOrder(), byReading);
        QTest::mouseClick(titles ? w.fraIchiran->cmdSort1[size_t(col)] : w.fraIchiran2->cmdSort2[size_t(col)], Qt::LeftButton);
    }
    QCOMPARE(column(grid, col).join(u' ').replace(u"ＢＡＤ ＤＡＹ"_s, u"ＢＡＤ"_s), order);
    // The main screen's artist box follows a choice made on a list at once.
    if (screen != u"ranking")
        QCOMPARE(w.fraMain->cboSakusya->itemText(byReading ? 0 : 2), u"嵐"_s);
    // The settings are the user's own, never in the collection's folder.
    QCOMPARE(QDir(f.tmp.path()).count(), files);
}

void TestNameOrder::typingFindsByReading()
{
    UiFixture f;
    MainWindow& w = collection(f);
    QApplication::setKeyboardInputInterval(150);
    QTest::mouseClick(w.cmdIchiran, Qt::LeftButton);
    Grid* grid = w.fraIchiran->msgIchiran;
    // From 昨日's row: a search starts at the next row; none found stays there.
    const auto typeOn = [grid](int col, const QString& letters) {
        grid->setCurrentCell(3, col);
        typeLetters(grid, letters);
        return grid->text(grid->row(), 0);
    };
    // Exact, as Qt's own: only the start of the text as written.
    QCOMPARE(typeOn(1, u"しいな"_s), u"昨日"_s);
    setListOptions(false, true);
    // Artists by their readings in kana or romaji, names by theirs or folded.
    QCOMPARE(typeOn(1, u"しいな"_s), u"明日"_s);
    QCOMPARE(typeOn(1, u"yone"_s), u"ＢＡＤ ＤＡＹ"_s);
    QCOMPARE(typeOn(0, u"きゃ"_s), u"ｷｬﾘｰの歌"_s);
    // A reading's middle is not its start.
    QCOMPARE(typeOn(1, u"りんご"_s), u"昨日"_s);
    // The search screens' lists; moving to an artist chooses it, as any move there does.
    QTest::mouseClick(w.cmdKensaku, Qt::LeftButton);
    TitleSearch* s = w.fraKensaku;
    typeLetters(s->lstSakusya, u"yone"_s);
    QCOMPARE(s->lstSakusya->currentItem()->text(), u"米津玄師"_s);
    // The title box offers the titles found and shows the one picked; switched off, none.
    QComboBox* box = w.fraMain->cboName;
    QTest::mouseClick(w.cmdMain, Qt::LeftButton);
    box->lineEdit()->clear();
    QTest::keyClicks(box->lineEdit(), u"kinou"_s);
    QCOMPARE(box->completer()->completionModel()->rowCount(), 1);
    QTest::keyClick(box->completer()->popup(), Qt::Key_Down);
    QTest::keyClick(box->completer()->popup(), Qt::Key_Return);
    QCOMPARE(w.fraMain->hsbData->value(), 3);
    QCOMPARE(box->currentText(), u"昨日"_s);
    setListOptions(false, false);
    QTest::keyClicks(box->lineEdit(), u"a"_s);
    QVERIFY(!box->completer());
}

void TestNameOrder::searchesFindAsChosen_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("query");
    QTest::addColumn<bool>("fuzzy");
    QTest::addColumn<QStringList>("found");
    const QString title = u"txtNamae"_s, song = u"txtKyokukey"_s;
    QTest::newRow("kana and width folded") << title << u"きゃりー"_s << true << QStringList{u"ｷｬﾘｰの歌"_s};
    QTest::newRow("title by reading") << title << u"きのう"_s << true << QStringList{u"昨日"_s};
    QTest::newRow("title by romaji") << title << u"ashita"_s << true << QStringList{u"明日"_s};
    QTest::newRow("exact: kana apart") << title << u"きゃりー"_s << false << QStringList{};
    QTest::newRow("exact: as written") << title << u"ＢＡＤ"_s << false << QStringList{u"ＢＡＤ ＤＡＹ"_s};
    QTest::newRow("song by romaji") << song << u"kinou"_s << true << QStringList{u"昨日"_s};
    QTest::newRow("song exact") << song << u"きのう"_s << false << QStringList{};
}

void TestNameOrder::searchesFindAsChosen()
{
    QFETCH(QString, box);
    QFETCH(QString, query);
    QFETCH(bool, fuzzy);
    QFETCH(QStringList, found);
    UiFixture f;
    MainWindow& w = collection(f);
    setListOptions(false, !fuzzy);
    const bool titles = box == u"txtNamae";
    QTest::mouseClick(titles ? w.cmdKensaku : w.cmdList, Qt::LeftButton);
    // The switch shows the settings, and the user's click on it is kept there.
    QCheckBox* fuzzySwitch = titles ? w.fraKensaku->chkFuzzy : w.fraList->chkFuzzy2;
    QCOMPARE(fuzzySwitch->isChecked(), !fuzzy);
    QTest::mouseClick(fuzzySwitch, Qt::LeftButton, {}, QPoint(4, fuzzySwitch->height() / 2));
    QCOMPARE(listoptions::fuzzySearch(), fuzzy);
    auto* edit = (titles ? static_cast<QWidget*>(w.fraKensaku) : w.fraList)->findChild<QLineEdit*>(box);
    edit->setText(query);
    QTest::keyClick(edit, Qt::Key_Return);
    QStringList shown;
    for (int i = 0; titles && i < w.fraKensaku->lstDaimei->count(); ++i)
        shown.append(w.fraKensaku->lstDaimei->item(i)->text());
    QCOMPARE(titles ? shown : column(w.fraList->msgKyokumoku2, 0), found);
}

QTEST_MAIN(TestNameOrder)
#include "tst_nameorder.moc"
