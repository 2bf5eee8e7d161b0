#include "uifixture.h"

#include "app/appstate.h"
#include "lists/songlist.h"
#include "lists/songsearch.h"
#include "lists/titlelist.h"
#include "lists/titlesearch.h"
#include "overviews/ranking.h"
#include "platform/grid.h"
#include "title/mainscreen.h"

#include <QApplication>
#include <QCheckBox>
#include <QCompleter>
#include <QScrollBar>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;

namespace {

QString song(const QString& name, const QString& artist)
{
    return u"\"%1\",\"%2\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"_s.arg(name, artist);
}

// Kanji names whose readings run in another order than their characters' codes, a
// Latin name, and names in half-width and full-width letters.
MainWindow& collection(UiFixture& f)
{
    f.put(u"データ.TXT"_s, UiFixture::title(u"明日"_s, u"椎名林檎"_s) + UiFixture::title(u"今日"_s, u"米津玄師"_s)
                                + UiFixture::title(u"昨日"_s, u"嵐"_s) + UiFixture::title(u"Lemon"_s, u"宇多田ヒカル"_s)
                                + UiFixture::title(u"ｷｬﾘｰの歌"_s, u"嵐"_s) + UiFixture::title(u"ＢＡＤ ＤＡＹ"_s, u"米津玄師"_s));
    f.put(u"曲目データ.TXT"_s, song(u"今日"_s, u"米津玄師"_s) + song(u"明日"_s, u"椎名林檎"_s)
                                   + song(u"丸の内サディスティック"_s, u"椎名林檎"_s) + song(u"昨日"_s, u"嵐"_s));
    f.put(u"歌手マスタ.txt"_s, u"椎名林檎\r\n米津玄師\r\n嵐\r\n宇多田ヒカル\r\n"_s);
    MainWindow& w = f.start();
    ReadingTable& readings = w.state().readings;
    const std::pair<QString, QString> artists[] = {
        {u"椎名林檎"_s, u"しいなりんご"_s}, {u"米津玄師"_s, u"ヨネヅケンシ"_s}, {u"嵐"_s, u"アラシ"_s}, {u"宇多田ヒカル"_s, u"ウタダヒカル"_s}};
    for (const auto& [name, reading] : artists)
        readings.set(ReadingKind::Artist, name, reading);
    for (const ReadingKind kind : {ReadingKind::Title, ReadingKind::Song}) {
        readings.set(kind, u"明日"_s, u"アシタ"_s);
        readings.set(kind, u"今日"_s, u"キョウ"_s);
        readings.set(kind, u"昨日"_s, u"キノウ"_s);
    }
    readings.set(ReadingKind::Song, u"丸の内サディスティック"_s, u"マルノウチサディスティック"_s);
    return w;
}

QStringList column(const Grid* grid, int col)
{
    QStringList out;
    for (int r = 1; r < grid->rows(); ++r)
        out.append(grid->text(r, col));
    return out;
}

QStringList items(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out.append(list->item(i)->text());
    return out;
}

// The order box set by the user, from the keyboard, to 読み (0) or 文字コード (1).
void chooseOrder(QComboBox* choice, bool byReading)
{
    choice->setCurrentIndex(byReading ? 1 : 0);
    QTest::keyClick(choice, byReading ? Qt::Key_Up : Qt::Key_Down);
    QCOMPARE(listoptions::readingOrder(), byReading);
}

} // namespace

class TestNameOrder : public QObject {
    Q_OBJECT
private slots:
    void listsOrderNamesAsChosen_data();
    void listsOrderNamesAsChosen();
    void typeAheadFindsByReading();
    void searchesFindAsChosen_data();
    void searchesFindAsChosen();
    void titleBoxOffersTitlesFound();
};

void TestNameOrder::listsOrderNamesAsChosen_data()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<int>("col");
    QTest::addColumn<bool>("byReading");
    QTest::addColumn<QStringList>("order");

    // Artists by their readings: アラシ ウタダ シイナ ヨネヅ; by their characters' codes
    // (JIS order of kanji): 宇 椎 米 嵐.
    QTest::newRow("titles by artist, readings") << u"titles"_s << 1 << true
        << QStringList{u"嵐"_s, u"嵐"_s, u"宇多田ヒカル"_s, u"椎名林檎"_s, u"米津玄師"_s, u"米津玄師"_s};
    QTest::newRow("titles by artist, codes") << u"titles"_s << 1 << false
        << QStringList{u"宇多田ヒカル"_s, u"椎名林檎"_s, u"米津玄師"_s, u"米津玄師"_s, u"嵐"_s, u"嵐"_s};
    // Latin first, kana and names by readings next: アシタ キノウ キャリー キョウ.
    QTest::newRow("titles by name, readings") << u"titles"_s << 0 << true
        << QStringList{u"ＢＡＤ ＤＡＹ"_s, u"Lemon"_s, u"明日"_s, u"昨日"_s, u"ｷｬﾘｰの歌"_s, u"今日"_s};
    QTest::newRow("titles by name, codes") << u"titles"_s << 0 << false
        << QStringList{u"ＢＡＤ ＤＡＹ"_s, u"Lemon"_s, u"ｷｬﾘｰの歌"_s, u"今日"_s, u"昨日"_s, u"明日"_s};
    QTest::newRow("songs by name, readings") << u"songs"_s << 0 << true
        << QStringList{u"明日"_s, u"昨日"_s, u"今日"_s, u"丸の内サディスティック"_s};
    QTest::newRow("songs by name, codes") << u"songs"_s << 0 << false
        << QStringList{u"丸の内サディスティック"_s, u"今日"_s, u"昨日"_s, u"明日"_s};
    QTest::newRow("songs by artist, readings") << u"songs"_s << 1 << true
        << QStringList{u"嵐"_s, u"椎名林檎"_s, u"椎名林檎"_s, u"米津玄師"_s};
    // Equal counts keep their order of the counts' sort: the readings' or the master's.
    QTest::newRow("ranking, readings") << u"ranking"_s << 1 << true
        << QStringList{u"嵐"_s, u"米津玄師"_s, u"宇多田ヒカル"_s, u"椎名林檎"_s, u"複数"_s};
    QTest::newRow("ranking, codes") << u"ranking"_s << 1 << false
        << QStringList{u"米津玄師"_s, u"嵐"_s, u"椎名林檎"_s, u"宇多田ヒカル"_s, u"複数"_s};
}

void TestNameOrder::listsOrderNamesAsChosen()
{
    QFETCH(QString, screen);
    QFETCH(int, col);
    QFETCH(bool, byReading);
    QFETCH(QStringList, order);

    UiFixture f;
    MainWindow& w = collection(f);
    const QStringList filesBefore = QDir(f.tmp.path()).entryList(QDir::Files);
    // The screen's box says what the settings hold, and a choice in it is kept there.
    setListOptions(!byReading, false);
    Grid* grid = nullptr;
    if (screen == u"titles") {
        QTest::mouseClick(w.cmdIchiran, Qt::LeftButton);
        QCOMPARE(w.fraIchiran->cboNarabi1->currentIndex(), byReading ? 1 : 0);
        chooseOrder(w.fraIchiran->cboNarabi1, byReading);
        grid = w.fraIchiran->msgIchiran;
        QTest::mouseClick(w.fraIchiran->cmdSort1[static_cast<size_t>(col)], Qt::LeftButton);
    } else if (screen == u"songs") {
        QTest::mouseClick(w.cmdIchiran2, Qt::LeftButton);
        chooseOrder(w.fraIchiran2->cboNarabi2, byReading);
        grid = w.fraIchiran2->msgIchiran2;
        QTest::mouseClick(w.fraIchiran2->cmdSort2[static_cast<size_t>(col)], Qt::LeftButton);
    } else {
        setListOptions(byReading, false);
        QTest::mouseClick(w.cmdRank, Qt::LeftButton);
        grid = w.fraRank->msgSaku;
    }
    QCOMPARE(column(grid, col), order);
    if (screen != u"ranking") {
        // The next click turns the order round, equal names staying as they came.
        QStringList reversed = order;
        std::reverse(reversed.begin(), reversed.end());
        QTest::mouseClick(screen == u"titles" ? w.fraIchiran->cmdSort1[static_cast<size_t>(col)]
                                              : w.fraIchiran2->cmdSort2[static_cast<size_t>(col)],
                          Qt::LeftButton);
        const QStringList descending = column(grid, col);
        QCOMPARE(QSet<QString>(descending.begin(), descending.end()), QSet<QString>(reversed.begin(), reversed.end()));
        QVERIFY(std::is_sorted(descending.begin(), descending.end(), [&](const QString& a, const QString& b) {
            return reversed.indexOf(a) < reversed.indexOf(b);
        }));
    }
    // The choice lives in the user's settings, never in the collection's folder.
    QCOMPARE(QDir(f.tmp.path()).entryList(QDir::Files), filesBefore);
    QVERIFY(!QSettings(QSettings::NativeFormat, QSettings::UserScope, u"utabako"_s, u"utabako"_s)
                 .fileName()
                 .startsWith(QDir::homePath() + u"/.config"_s));
}

void TestNameOrder::typeAheadFindsByReading()
{
    UiFixture f;
    MainWindow& w = collection(f);
    QApplication::setKeyboardInputInterval(150);
    QTest::mouseClick(w.cmdIchiran, Qt::LeftButton);
    Grid* grid = w.fraIchiran->msgIchiran;
    grid->setFocus();
    // From the row of 昨日 by 嵐: a search starts at the row after it, and a row found
    // by none stays where it is.
    const auto typeOn = [grid](int col, const QString& letters) {
        QTest::qWait(300);
        grid->setCurrentCell(3, col);
        // Typed as an input method hands text over, a character at a time.
        for (const QChar c : letters) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(grid, &press);
        }
        return grid->text(grid->row(), 0);
    };
    // Exact, as Qt's own: only the start of the text as written.
    QCOMPARE(typeOn(1, u"しいな"_s), u"昨日"_s);
    QCOMPARE(typeOn(0, u"L"_s), u"Lemon"_s);
    QCOMPARE(typeOn(0, u"きゃ"_s), u"昨日"_s);

    setListOptions(false, true);
    // The artist column by the artists' readings, in kana or romaji; the name column by
    // its reading, or folded.
    QCOMPARE(typeOn(1, u"しいな"_s), u"明日"_s);
    QCOMPARE(typeOn(1, u"よね"_s), u"ＢＡＤ ＤＡＹ"_s);
    QCOMPARE(typeOn(1, u"uta"_s), u"Lemon"_s);
    QCOMPARE(typeOn(0, u"きのう"_s), u"昨日"_s);
    QCOMPARE(typeOn(0, u"あし"_s), u"明日"_s);
    QCOMPARE(typeOn(0, u"きゃ"_s), u"ｷｬﾘｰの歌"_s);
    QCOMPARE(typeOn(0, u"bad"_s), u"ＢＡＤ ＤＡＹ"_s);
    // A reading's middle is not its start.
    QCOMPARE(typeOn(1, u"りんご"_s), u"昨日"_s);

    // The search screens' lists: the artists by their readings, the titles found by theirs.
    QTest::mouseClick(w.cmdKensaku, Qt::LeftButton);
    const auto typeInList = [](QListWidget* list, const QString& letters) {
        QTest::qWait(300);
        list->setFocus();
        list->setCurrentRow(0);
        for (const QChar c : letters) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(list, &press);
        }
        return list->currentItem()->text();
    };
    QCOMPARE(typeInList(w.fraKensaku->lstDaimei, u"きの"_s), u"昨日"_s);
    // Moving to an artist chooses it, as any move there does.
    QCOMPARE(typeInList(w.fraKensaku->lstSakusya, u"yone"_s), u"米津玄師"_s);
    QCOMPARE(items(w.fraKensaku->lstDaimei), (QStringList{u"今日"_s, u"ＢＡＤ ＤＡＹ"_s}));
    setListOptions(false, false);
    QCOMPARE(typeInList(w.fraKensaku->lstSakusya, u"yone"_s), u"椎名林檎"_s);
}

void TestNameOrder::searchesFindAsChosen_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("query");
    QTest::addColumn<bool>("fuzzy");
    QTest::addColumn<QStringList>("found");

    QTest::newRow("hiragana finds half-width katakana") << u"txtNamae"_s << u"きゃりー"_s << true << QStringList{u"ｷｬﾘｰの歌"_s};
    QTest::newRow("lower case finds full width") << u"txtNamae"_s << u"bad"_s << true << QStringList{u"ＢＡＤ ＤＡＹ"_s};
    QTest::newRow("title by reading") << u"txtNamae"_s << u"きのう"_s << true << QStringList{u"昨日"_s};
    QTest::newRow("title by romaji") << u"txtNamae"_s << u"ashita"_s << true << QStringList{u"明日"_s};
    QTest::newRow("voicing is kept") << u"txtNamae"_s << u"ぎゃりー"_s << true << QStringList{};
    QTest::newRow("exact: kana apart") << u"txtNamae"_s << u"きゃりー"_s << false << QStringList{};
    QTest::newRow("exact: width apart") << u"txtNamae"_s << u"BAD"_s << false << QStringList{};
    QTest::newRow("exact: no readings") << u"txtNamae"_s << u"きのう"_s << false << QStringList{};
    QTest::newRow("exact: as written") << u"txtNamae"_s << u"ＢＡＤ"_s << false << QStringList{u"ＢＡＤ ＤＡＹ"_s};
    QTest::newRow("song by reading") << u"txtKyokukey"_s << u"まるのうち"_s << true << QStringList{u"丸の内サディスティック"_s};
    QTest::newRow("song by romaji") << u"txtKyokukey"_s << u"marunouchi"_s << true << QStringList{u"丸の内サディスティック"_s};
    QTest::newRow("song folded") << u"txtKyokukey"_s << u"さでぃ"_s << true << QStringList{u"丸の内サディスティック"_s};
    QTest::newRow("song exact") << u"txtKyokukey"_s << u"まるのうち"_s << false << QStringList{};
    QTest::newRow("song exact, as written") << u"txtKyokukey"_s << u"サディ"_s << false << QStringList{u"丸の内サディスティック"_s};
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
    QCheckBox* fuzzySwitch = titles ? w.fraKensaku->chkFuzzy : w.fraList->chkFuzzy2;
    // The switch shows the settings, and the user's click on it is kept there.
    QCOMPARE(fuzzySwitch->isChecked(), !fuzzy);
    QTest::mouseClick(fuzzySwitch, Qt::LeftButton, {}, QPoint(4, fuzzySwitch->height() / 2));
    QCOMPARE(listoptions::fuzzySearch(), fuzzy);

    auto* edit = (titles ? static_cast<QWidget*>(w.fraKensaku) : w.fraList)->findChild<QLineEdit*>(box);
    QVERIFY(edit);
    edit->setText(query);
    QTest::keyClick(edit, Qt::Key_Return);
    if (titles) {
        QCOMPARE(items(w.fraKensaku->lstDaimei), found);
    } else {
        QCOMPARE(column(w.fraList->msgKyokumoku2, 0), found);
    }
}

void TestNameOrder::titleBoxOffersTitlesFound()
{
    UiFixture f;
    MainWindow& w = collection(f);
    QComboBox* box = w.fraMain->cboName;
    box->setFocus();
    // Exact: typed text is only typed text, and nothing is offered.
    QTest::keyClicks(box->lineEdit(), u"kinou"_s);
    QVERIFY(!box->completer());
    QCOMPARE(w.fraMain->hsbData->value(), 1);

    setListOptions(false, true);
    box->lineEdit()->clear();
    QTest::keyClicks(box->lineEdit(), u"kinou"_s);
    QVERIFY(box->completer());
    QCOMPARE(box->completer()->completionModel()->rowCount(), 1);
    QCOMPARE(box->completer()->completionModel()->index(0, 0).data().toString(), u"昨日"_s);
    // Picking the title offered shows it, as a pick from the box's own list does.
    QAbstractItemView* offered = box->completer()->popup();
    QVERIFY(offered->isVisible());
    QTest::keyClick(offered, Qt::Key_Down);
    QTest::keyClick(offered, Qt::Key_Return);
    QCOMPARE(w.fraMain->hsbData->value(), 3);
    QCOMPARE(box->currentText(), u"昨日"_s);

    // The artist box, filled again, and the title search's artists list the artists in
    // 五十音 order when the user's order is by readings.
    setListOptions(true, true);
    w.reloadMaster(Master::Artist);
    QStringList artists;
    for (int i = 0; i < w.fraMain->cboSakusya->count(); ++i)
        artists.append(w.fraMain->cboSakusya->itemText(i));
    QCOMPARE(artists, (QStringList{u"嵐"_s, u"宇多田ヒカル"_s, u"椎名林檎"_s, u"米津玄師"_s, u"複数"_s}));
    QTest::mouseClick(w.cmdKensaku, Qt::LeftButton);
    QCOMPARE(items(w.fraKensaku->lstSakusya), artists.mid(0, 4));
}

QTEST_MAIN(TestNameOrder)
#include "tst_nameorder.moc"
