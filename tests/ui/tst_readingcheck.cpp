#include "uifixture.h"

#include "upkeep/masterscreen.h"
#include "upkeep/readingcheck.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

using namespace Qt::Literals::StringLiterals;
using fixture::sjis;

namespace {

const QString kReadings = u"読みデータ.DAT"_s;

// The rows on screen: kind, name, reading, note, and a tick as "✓".
QStringList shownRows(ReadingCheck& screen)
{
    QStringList out;
    const QAbstractItemModel& m = screen.rows();
    for (int r = 0; r < m.rowCount(); ++r) {
        QStringList cells;
        for (int c = ReadingRows::Kind; c < ReadingRows::ColumnCount; ++c)
            cells.append(m.index(r, c).data().toString());
        const bool ticked = m.index(r, ReadingRows::Tick).data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
        out.append((ticked ? u"✓"_s : u"・"_s) + cells.join(u'|'));
    }
    return out;
}

int rowOf(ReadingCheck& screen, const QString& name)
{
    const QAbstractItemModel& m = screen.rows();
    for (int r = 0; r < m.rowCount(); ++r) {
        if (m.index(r, ReadingRows::Name).data().toString() == name)
            return r;
    }
    return -1;
}

void typeReading(ReadingCheck& screen, const QString& name, const QString& typed)
{
    screen.rows().setData(screen.rows().index(rowOf(screen, name), ReadingRows::Reading), typed, Qt::EditRole);
}

} // namespace

class TestReadingCheck : public QObject {
    Q_OBJECT

private slots:
    void listsNamesWaitingAndKeepsTheTicked();
    void refusedReadingsKeepTheTypedTextAndWriteNothing_data();
    void refusedReadingsKeepTheTypedTextAndWriteNothing();
};

// A damaged line of the readings file is told at start-up with the file and its line.
// 編集 → 読みの確認: artists once however many titles they have, then titles; names of
// kana or Latin alone, names with a reading and the stand-in artists are left out. Sure
// suggestions come ticked, doubtful ones and rows without one wait for the user; a typed
// reading is ticked and shown as katakana. 登録 writes the ticked rows in one write,
// drops the reading of a name that is gone and the damaged line (kept in a copy), and
// leaves the doubtful row listed.
void TestReadingCheck::listsNamesWaitingAndKeepsTheTicked()
{
    UiFixture ui;
    QVERIFY(ui.put(u"データ.TXT"_s, UiFixture::title(u"罪と罰"_s, u"椎名林檎"_s) + UiFixture::title(u"無罪モラトリアム"_s, u"椎名林檎"_s)
                                        + UiFixture::title(u"ハイウェイ"_s, u"椎名林檎"_s) + UiFixture::title(u"First Love"_s, u"宇多田ヒカル"_s)
                                        + UiFixture::title(u"夜明け"_s, u"未登録"_s)));
    QVERIFY(ui.put(kReadings, u"\"歌手\",\"宇多田ヒカル\",\"ウタダヒカル\"\r\n\"人\",\"米津玄師\",\"ヨネヅ\"\r\n"
                              "\"タイトル\",\"消えた題\",\"キエタダイ\"\r\n"_s));
    ui.guesser.guesses = {{u"椎名林檎"_s, {u"シイナリンゴ"_s, false}},
                          {u"罪と罰"_s, {u"ツミトバツ"_s, false}},
                          {u"無罪モラトリアム"_s, {u"ムザイモラトリアム"_s, true}}};
    MainWindow& w = ui.start();
    QCOMPARE(ui.dialogs.titles(), QStringList{u"データファイルの確認"_s});
    QVERIFY2(ui.dialogs.boxes[0].text.contains(u"「読みデータ.DAT」の 2 行目"_s), qPrintable(ui.dialogs.boxes[0].text));
    QCOMPARE(w.state().readings.reading(ReadingKind::Artist, u"宇多田ヒカル"_s), u"ウタダヒカル"_s);
    w.fraMaster->cmdMaster_Click();
    w.fraMaster->cmdReadingCheck->click();
    ReadingCheck& screen = *w.fraReadingCheck;
    QVERIFY(screen.isVisible());
    QTRY_VERIFY(!screen.isGuessing());
    QCOMPARE(shownRows(screen), QStringList({u"✓歌手|椎名林檎|シイナリンゴ|"_s, u"✓タイトル|罪と罰|ツミトバツ|"_s,
                                             u"・タイトル|無罪モラトリアム|ムザイモラトリアム|要確認"_s,
                                             u"・タイトル|夜明け||候補なし"_s}));
    QVERIFY(screen.rows().index(0, ReadingRows::Name).data(Qt::ToolTipRole).toString().contains(u"3 件"_s));

    // Typed in the cell, and still being typed when 登録 is pressed.
    const QModelIndex cell = screen.rows().index(rowOf(screen, u"夜明け"_s), ReadingRows::Reading);
    screen.tblReadings->setCurrentIndex(cell);
    screen.tblReadings->edit(cell);
    auto* editor = qobject_cast<QLineEdit*>(screen.tblReadings->indexWidget(cell));
    QVERIFY(editor);
    editor->insert(u"よあけ"_s);
    screen.cmdRegister->click();
    QCOMPARE(ui.dialogs.boxes.back().title, u"読みの登録"_s);
    QCOMPARE(ui.dialogs.unexpected, 0);
    QCOMPARE(ui.bytes(kReadings), sjis(u"\"歌手\",\"宇多田ヒカル\",\"ウタダヒカル\"\r\n\"歌手\",\"椎名林檎\",\"シイナリンゴ\"\r\n"
                                        "\"タイトル\",\"罪と罰\",\"ツミトバツ\"\r\n\"タイトル\",\"夜明け\",\"ヨアケ\"\r\n"_s));
    QCOMPARE(shownRows(screen), QStringList({u"・タイトル|無罪モラトリアム|ムザイモラトリアム|要確認"_s}));
    QCOMPARE(QDir(ui.tmp.path()).entryList({kReadings + u".*.bak"_s}).size(), 1);
    // The artist's one reading serves all its titles.
    QCOMPARE(w.state().readings.reading(ReadingKind::Artist, u"椎名林檎"_s), u"シイナリンゴ"_s);
}

void TestReadingCheck::refusedReadingsKeepTheTypedTextAndWriteNothing_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("told");
    QTest::addColumn<QString>("shown");

    QTest::newRow("latin") << u"shiina"_s << false << u"使用不可文字"_s << u"「s」は読みに使えない文字です"_s << u"shiina"_s;
    QTest::newRow("kanji") << u"しいな林檎"_s << false << u"使用不可文字"_s << u"「林」"_s << u"しいな林檎"_s;
    QTest::newRow("blank") << u"　"_s << false << u"読み未入力"_s << u"「椎名林檎」の読みを入力してください"_s << QString();
    QTest::newRow("read-only folder") << u"しいなりんご"_s << true << QString() << QString() << u"シイナリンゴ"_s;
}

// A reading that cannot be kept is told in a box naming the character, and a ticked row
// without a reading asks for one; a folder that cannot be written is told as every
// write is. The typed text stays on screen, the row stays listed and ticked, the file is
// not made and the readings in memory are as before.
void TestReadingCheck::refusedReadingsKeepTheTypedTextAndWriteNothing()
{
    QFETCH(QString, typed);
    QFETCH(bool, readOnly);
    QFETCH(QString, title);
    QFETCH(QString, told);
    QFETCH(QString, shown);

    UiFixture ui;
    QVERIFY(ui.put(u"データ.TXT"_s, UiFixture::title(u"林檎"_s, u"椎名林檎"_s)));
    ui.guesser.guesses = {{u"林檎"_s, {u"リンゴ"_s, false}}};
    MainWindow& w = ui.start();
    if (readOnly)
        ui.folder->setReadOnly(u"テストのため"_s);
    w.fraReadingCheck->ShowReadingCheck();
    ReadingCheck& screen = *w.fraReadingCheck;
    QTRY_VERIFY(!screen.isGuessing());
    typeReading(screen, u"椎名林檎"_s, typed);
    screen.rows().setData(screen.rows().index(rowOf(screen, u"椎名林檎"_s), ReadingRows::Tick), Qt::Checked,
                          Qt::CheckStateRole);
    const QStringList before = shownRows(screen);
    const qsizetype boxes = ui.dialogs.boxes.size();
    screen.cmdRegister->click();
    QCOMPARE(ui.dialogs.boxes.size(), boxes + 1);
    if (!title.isEmpty())
        QCOMPARE(ui.dialogs.boxes.back().title, title);
    QVERIFY2(ui.dialogs.boxes.back().text.contains(told), qPrintable(ui.dialogs.boxes.back().text));
    QCOMPARE(shownRows(screen), before);
    QCOMPARE(screen.rows().index(rowOf(screen, u"椎名林檎"_s), ReadingRows::Reading).data().toString(), shown);
    QVERIFY(!QFileInfo::exists(ui.path(kReadings)));
    QCOMPARE(w.state().readings.count(), 0);
}

QTEST_MAIN(TestReadingCheck)
#include "tst_readingcheck.moc"
