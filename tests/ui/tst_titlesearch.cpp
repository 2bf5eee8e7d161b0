#include "uifixture.h"

#include "lists/titlesearch.h"
#include "title/mainscreen.h"
#include "upkeep/tourtexts.h"

#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;

namespace {

QString line(const QString& name, const QString& artist, const QString& genre, const QString& rating,
             const QString& media, const QString& date, const QString& memo)
{
    return u"\"%1\",\"%2\",\"%3\",\"%4\",\"%5\",\"%6\",\"%7\"\r\n"_s.arg(name, artist, genre, rating, media, date, memo);
}

const QString kTitles = line(u"青い地図"_s, u"甲"_s, u"J-POP"_s, u"◎"_s, u"CD"_s, u"2005/03/10"_s, u"限定盤"_s)
    + line(u"Love Map"_s, u"乙"_s, u"ロック"_s, u"未"_s, u"LP"_s, u"2006/03/01"_s, u"Limited"_s)
    + line(u"ＬＯＶＥ"_s, u"甲"_s, u"J-POP"_s, u"○"_s, u"CD"_s, u"2005/12/03"_s, u"初回～"_s);

QStringList items(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out.append(list->item(i)->text());
    return out;
}

void clickItem(QListWidget* list, const QString& text, bool twice = false)
{
    const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
    QVERIFY2(found.size() == 1, qPrintable(text));
    const QPoint at = list->visualItemRect(found[0]).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    if (twice)
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

void type(QLineEdit* box, const QString& text)
{
    box->setText(text);
    QTest::keyClick(box, Qt::Key_Return);
}

// The criteria that hold a choice or a key, by name.
QStringList criteriaShown(const TitleSearch* s)
{
    QStringList shown;
    for (const QListWidget* list : {s->lstSakusya, s->lstKeisai, s->lstHyouka})
        shown.append(list->selectedItems().isEmpty() ? QString() : list->objectName());
    shown.append(s->cboMedia2->currentIndex() < 0 ? QString() : s->cboMedia2->objectName());
    for (const QLineEdit* box : {s->txtNamae, s->txtHizuk, s->txtMemok})
        shown.append(box->text().isEmpty() ? QString() : box->objectName());
    shown.removeAll(QString());
    return shown;
}

UiFixture& collection(UiFixture& f, bool tour = false)
{
    f.put(u"データ.TXT"_s, kTitles);
    f.put(u"歌手マスタ.txt"_s, u"甲\r\n乙\r\n丙\r\n"_s);
    f.put(u"ジャンルマスタ.txt"_s, u"J-POP\r\nロック\r\n"_s);
    f.put(u"メディアマスタ.txt"_s, u"CD\r\nLP\r\nMD\r\n"_s);
    f.put(u"設定.TXT"_s, tour ? u"\"ヘルプツアー\",1\r\n"_s : u"\"ヘルプツアー\",0\r\n"_s);
    return f;
}

} // namespace

// The title search: every title on opening, one field at a time, a choice matching
// exactly and a key contained, and a found title opened on the main screen.
class TestTitleSearch : public QObject {
    Q_OBJECT

private slots:
    void opensWithEveryTitle();
    void findsByOneField_data();
    void findsByOneField();
    void enterInAnEmptyKeyBoxChangesNothing();
    void doubleClickOpensTheTitle();
};

void TestTitleSearch::opensWithEveryTitle()
{
    UiFixture f;
    MainWindow& w = collection(f, true).start();
    f.dialogs.clear();
    QTest::mouseClick(w.cmdKensaku, Qt::LeftButton);
    TitleSearch* s = w.fraKensaku;
    QVERIFY(s->isVisible());
    QCOMPARE(f.dialogs.texts(), QStringList{tour::kTitleSearch});
    QCOMPARE(items(s->lstDaimei), (QStringList{u"青い地図"_s, u"Love Map"_s, u"ＬＯＶＥ"_s}));
    QCOMPARE(s->fraKensu->title(), u"検索件数　3件"_s);
    QCOMPARE(items(s->lstSakusya), (QStringList{u"甲"_s, u"乙"_s, u"丙"_s}));
    QCOMPARE(items(s->lstKeisai), (QStringList{u"J-POP"_s, u"ロック"_s}));
    QCOMPARE(items(s->lstHyouka), (QStringList{u"◎"_s, u"○"_s, u"△"_s, u"未"_s}));
    QCOMPARE(s->cboMedia2->count(), 3);

    // Opened again from another screen: every title afresh, the keys as they were.
    type(s->txtNamae, u"地図"_s);
    QCOMPARE(s->fraKensu->title(), u"検索件数　1件"_s);
    QTest::mouseClick(w.cmdMain, Qt::LeftButton);
    QTest::mouseClick(w.cmdKensaku, Qt::LeftButton);
    QCOMPARE(s->lstDaimei->count(), 3);
    QCOMPARE(s->txtNamae->text(), u"地図"_s);
    QCOMPARE(f.dialogs.unexpected, 0);
}

void TestTitleSearch::findsByOneField_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("found");

    const QStringList both{u"青い地図"_s, u"ＬＯＶＥ"_s};
    QTest::newRow("artist") << u"lstSakusya"_s << u"甲"_s << both;
    QTest::newRow("artist no title has") << u"lstSakusya"_s << u"丙"_s << QStringList();
    QTest::newRow("genre") << u"lstKeisai"_s << u"ロック"_s << QStringList{u"Love Map"_s};
    QTest::newRow("never rated") << u"lstHyouka"_s << u"未"_s << QStringList{u"Love Map"_s};
    QTest::newRow("rated ◎") << u"lstHyouka"_s << u"◎"_s << QStringList{u"青い地図"_s};
    QTest::newRow("media") << u"cboMedia2"_s << u"CD"_s << both;
    QTest::newRow("title key") << u"txtNamae"_s << u"地図"_s << QStringList{u"青い地図"_s};
    QTest::newRow("title key, other letter case") << u"txtNamae"_s << u"love"_s << QStringList();
    QTest::newRow("title key, other width") << u"txtNamae"_s << u"LOVE"_s << QStringList();
    QTest::newRow("title key, full width") << u"txtNamae"_s << u"ＬＯ"_s << QStringList{u"ＬＯＶＥ"_s};
    QTest::newRow("date key, a month of a year") << u"txtHizuk"_s << u"2005/03"_s << QStringList{u"青い地図"_s};
    QTest::newRow("date key, a month of any year")
        << u"txtHizuk"_s << u"/03/"_s << QStringList{u"青い地図"_s, u"Love Map"_s};
    QTest::newRow("memo key") << u"txtMemok"_s << u"限定"_s << QStringList{u"青い地図"_s};
    QTest::newRow("memo key typed as pasted text has it") << u"txtMemok"_s << u"回〜"_s << QStringList{u"ＬＯＶＥ"_s};
}

void TestTitleSearch::findsByOneField()
{
    QFETCH(QString, control);
    QFETCH(QString, text);
    QFETCH(QStringList, found);

    UiFixture f;
    MainWindow& w = collection(f).start();
    QTest::mouseClick(w.cmdKensaku, Qt::LeftButton);
    TitleSearch* s = w.fraKensaku;
    QWidget* target = s->findChild<QWidget*>(control);
    QVERIFY(target);
    // Left over from earlier searches: a choice in every list and a key in every box.
    for (QListWidget* list : {s->lstSakusya, s->lstKeisai, s->lstHyouka})
        list->setCurrentRow(1);
    s->cboMedia2->setCurrentIndex(2);
    for (QLineEdit* box : {s->txtNamae, s->txtHizuk, s->txtMemok})
        box->setText(u"前のキー"_s);
    if (auto* list = qobject_cast<QListWidget*>(target)) {
        clickItem(list, text);
    } else if (auto* combo = qobject_cast<QComboBox*>(target)) {
        // Chosen from the keyboard: one step down onto the entry.
        combo->setCurrentIndex(combo->findText(text) - 1);
        QTest::keyClick(combo, Qt::Key_Down);
    } else {
        type(qobject_cast<QLineEdit*>(target), text);
    }
    QCOMPARE(items(s->lstDaimei), found);
    QCOMPARE(s->fraKensu->title(), u"検索件数　%1件"_s.arg(found.size()));
    // The screen shows only what was searched for.
    QCOMPARE(criteriaShown(s), QStringList{control});

    // The same choice again after another search repeats it.
    if (auto* list = qobject_cast<QListWidget*>(target)) {
        type(s->txtNamae, u"ＬＯＶＥ"_s);
        clickItem(list, text);
        QCOMPARE(items(s->lstDaimei), found);
    }
}

void TestTitleSearch::enterInAnEmptyKeyBoxChangesNothing()
{
    UiFixture f;
    MainWindow& w = collection(f).start();
    QTest::mouseClick(w.cmdKensaku, Qt::LeftButton);
    TitleSearch* s = w.fraKensaku;
    clickItem(s->lstKeisai, u"ロック"_s);
    for (QLineEdit* box : {s->txtNamae, s->txtHizuk, s->txtMemok}) {
        box->clear();
        // The keystroke goes on to the box, which leaves it to the window.
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, u"\r"_s);
        QApplication::sendEvent(box, &enter);
        QVERIFY(!enter.isAccepted());
        QCOMPARE(items(s->lstDaimei), QStringList{u"Love Map"_s});
        QCOMPARE(s->fraKensu->title(), u"検索件数　1件"_s);
    }
    // With a key the search takes the keystroke.
    s->txtMemok->setText(u"該当なし"_s);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, u"\r"_s);
    QApplication::sendEvent(s->txtMemok, &enter);
    QVERIFY(enter.isAccepted());
    QCOMPARE(s->lstDaimei->count(), 0);
    QCOMPARE(s->fraKensu->title(), u"検索件数　0件"_s);
}

void TestTitleSearch::doubleClickOpensTheTitle()
{
    UiFixture f;
    MainWindow& w = collection(f).start();
    QTest::mouseClick(w.cmdKensaku, Qt::LeftButton);
    clickItem(w.fraKensaku->lstDaimei, u"Love Map"_s, true);
    QVERIFY(w.fraMain->isVisible());
    QVERIFY(!w.fraKensaku->isVisible());
    QCOMPARE(w.fraMain->cboName->currentText(), u"Love Map"_s);
    QCOMPARE(w.state().ListJumpIndex, 2);
    QVERIFY(w.cmdDel->isEnabled());
    QVERIFY(f.dialogs.boxes.empty());
}

QTEST_MAIN(TestTitleSearch)
#include "tst_titlesearch.moc"
