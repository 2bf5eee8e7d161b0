#include "../store/fixture.h"

#include "store/datafolder.h"
#include "store/filelisting.h"
#include "platform/grid.h"
#include "platform/linebreaks.h"
#include "platform/picturebox.h"
#include "platform/qtdialogs.h"
#include "platform/qtjapanese.h"
#include "platform/texthelpviewer.h"

#include <QApplication>
#include <QHeaderView>
#include <QFileIconProvider>
#include <QImage>
#include <QMessageBox>
#include <QTimer>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>

using namespace Qt::Literals::StringLiterals;

// The desktop ports the screens are built on.
class TestPlatform : public QObject {
    Q_OBJECT

private slots:
    void gridCountsRowsWithItsHeader();
    void gridSortsRowsKeepingTheCurrentRowNumber();
    void gridNameColumnsShareItsWidth();
    void fileListingMatchesPatterns_data();
    void fileListingMatchesPatterns();
    void fileListingIsASnapshot();
    void pictureThatFailsLeavesThePictureShown();
    void helpPrefersTheDataFolderCopy();
    void helpOpensInsideTheScreen();
    void qtDialogsSpeakJapanese();
    void longLinesBreakBetweenWords_data();
    void longLinesBreakBetweenWords();
    void messageBoxesAreAsWideAsTheirTitles_data();
    void messageBoxesAreAsWideAsTheirTitles();
};

void TestPlatform::gridCountsRowsWithItsHeader()
{
    Grid g;
    g.setCols(3);
    g.setRows(1);
    QCOMPARE(g.rows(), 1);
    g.setText(0, 1, u"曲名"_s);
    g.setRows(3);
    g.setText(2, 1, u"二曲目"_s);
    QCOMPARE(g.text(0, 1), u"曲名"_s);
    QCOMPARE(g.text(2, 1), u"二曲目"_s);
    QCOMPARE(g.text(1, 1), QString());
    QCOMPARE(g.model()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), u"曲名"_s);
    // Out of range reads give nothing instead of failing.
    QCOMPARE(g.text(9, 9), QString());
    g.setColWidth(2, 0);
    QVERIFY(g.isColumnHidden(2));
    g.setColWidth(2, 460);
    QVERIFY(!g.isColumnHidden(2));
    QCOMPARE(g.columnWidth(2), 31);
    QCOMPARE(g.row(), 0);
    g.setCurrentCell(2, 1);
    QCOMPARE(g.row(), 2);
    // From the keyboard, Space clicks the current row and Enter double-clicks it.
    QSignalSpy clicked(&g, &Grid::cellClicked);
    QSignalSpy doubleClicked(&g, &Grid::cellDoubleClicked);
    QTest::keyClick(&g, Qt::Key_Space);
    QTest::keyClick(&g, Qt::Key_Return);
    QCOMPARE(clicked.size(), 1);
    QCOMPARE(clicked[0][0].toInt(), 2);
    QCOMPARE(doubleClicked.size(), 1);
    QCOMPARE(doubleClicked[0][0].toInt(), 2);

    g.setRows(1);
    QCOMPARE(g.rows(), 1);
    QCOMPARE(g.text(0, 1), u"曲名"_s);
    QTest::keyClick(&g, Qt::Key_Return);
    QCOMPARE(doubleClicked.size(), 1);
}

void TestPlatform::gridSortsRowsKeepingTheCurrentRowNumber()
{
    Grid g;
    g.setCols(2);
    g.setDataRows({{u"b"_s, u"10"_s}, {u"a"_s, u"9"_s}, {u"c"_s, u"100"_s}, {u"a"_s, u"1"_s}});
    QCOMPARE(g.rows(), 5);
    g.setCurrentCell(2, 0);
    g.sortRows(1, Qt::AscendingOrder, Grid::SortAs::Number);
    QCOMPARE((QStringList{g.text(1, 1), g.text(2, 1), g.text(3, 1), g.text(4, 1)}),
             (QStringList{u"1"_s, u"9"_s, u"10"_s, u"100"_s}));
    QCOMPARE(g.row(), 2);
    g.sortRows(1, Qt::AscendingOrder, Grid::SortAs::Text);
    QCOMPARE((QStringList{g.text(1, 1), g.text(2, 1), g.text(3, 1), g.text(4, 1)}),
             (QStringList{u"1"_s, u"10"_s, u"100"_s, u"9"_s}));
    // Equal keys keep their order.
    g.sortRows(0, Qt::DescendingOrder, Grid::SortAs::Text);
    QCOMPARE((QStringList{g.text(1, 0), g.text(3, 0), g.text(3, 1), g.text(4, 1)}),
             (QStringList{u"c"_s, u"a"_s, u"1"_s, u"9"_s}));

    // Text sorts in Japanese order: a reading in hiragana and the same in katakana stand
    // together (as equals, so they keep their order), letter case is kept apart, and
    // rows with equal text keep their order, descending too.
    const QStringList names{u"う"_s, u"ア"_s, u"b"_s, u"い"_s, u"あ"_s, u"B"_s, u"a"_s, u"A"_s, u"かっこう"_s, u"カッコウ"_s};
    std::vector<QStringList> rows;
    for (int i = 0; i < names.size(); ++i)
        rows.push_back({names[i], QString::number(i)});
    rows.push_back({u"あ"_s, u"last"_s});
    g.setDataRows(rows);
    g.sortRows(0, Qt::AscendingOrder, Grid::SortAs::Text);
    QStringList sorted;
    for (int r = 1; r < g.rows(); ++r)
        sorted.append(g.text(r, 0) + g.text(r, 1));
    QCOMPARE(sorted, (QStringList{u"a6"_s, u"A7"_s, u"b2"_s, u"B5"_s, u"ア1"_s, u"あ4"_s, u"あlast"_s, u"い3"_s,
                                  u"う0"_s, u"かっこう8"_s, u"カッコウ9"_s}));
    g.sortRows(0, Qt::DescendingOrder, Grid::SortAs::Text);
    QCOMPARE(g.text(5, 0) + g.text(5, 1) + g.text(6, 1) + g.text(7, 1), u"ア14last"_s);
}

void TestPlatform::gridNameColumnsShareItsWidth()
{
    // A compilation's track grid: number, song, artist, mark, and a hidden column.
    Grid g;
    const auto layOut = [&g] {
        g.setCols(5);
        for (int c = 0; c < 5; ++c) {
            g.setColWidth(c, QList{440, 2880, 1950, 460, 0}[c]);
            g.setColFills(c, c == 1 || c == 2);
        }
    };
    layOut();
    g.resize(640, 300);
    g.show();
    QVERIFY(QTest::qWaitForWindowExposed(&g));
    // The columns end at the right edge, number and mark keep their widths, the names
    // share the rest as their widths stand; a user's width is kept through window
    // resizes and new layouts, the song taking what is left.
    bool byHand = false;
    for (int width : {640, 900, 700, 1000}) {
        g.resize(width, 300);
        layOut();
        QCOMPARE(g.columnViewportPosition(3) + g.columnWidth(3), g.viewport()->width());
        QCOMPARE(g.columnWidth(0), Grid::twipsToPixels(440));
        QCOMPARE(g.columnWidth(3), Grid::twipsToPixels(460));
        QVERIFY(g.isColumnHidden(4));
        if (byHand)
            QCOMPARE(g.columnWidth(2), 150);
        else
            QVERIFY(qAbs(g.columnWidth(1) * 1950 - g.columnWidth(2) * 2880) <= 2880 + 1950);
        if (width == 900) {
            g.horizontalHeader()->resizeSection(2, 150);
            byHand = true;
        }
    }
    // A style whose header draws no section under 40 px: the mark column gets 40 and the
    // columns still end at the right edge, with no scroll bar.
    g.horizontalHeader()->setMinimumSectionSize(40);
    layOut();
    QCOMPARE(g.columnWidth(3), 40);
    QCOMPARE(g.columnViewportPosition(3) + g.columnWidth(3), g.viewport()->width());
}

void TestPlatform::fileListingMatchesPatterns_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("matches");
    QTest::newRow("lyrics") << u"歌詞_*.txt"_s << u"歌詞_曲_歌手.txt"_s << true;
    QTest::newRow("extension case") << u"歌詞_*.txt"_s << u"歌詞_曲_歌手.TXT"_s << true;
    QTest::newRow("other prefix") << u"歌詞_*.txt"_s << u"曲目_題.txt"_s << false;
    QTest::newRow("kept copy is not listed") << u"曲目_*.txt"_s << u"曲目_題.txt.2026-12-07_100000.bak"_s << false;
    QTest::newRow("star matches nothing") << u"歌詞_*.txt"_s << u"歌詞_.txt"_s << true;
    QTest::newRow("question mark") << u"?.jpg"_s << u"A.JPG"_s << true;
    QTest::newRow("full-width letters do not fold") << u"a.txt"_s << u"Ａ.txt"_s << false;
}

void TestPlatform::fileListingMatchesPatterns()
{
    QFETCH(QString, pattern);
    QFETCH(QString, name);
    QFETCH(bool, matches);
    QCOMPARE(FileListing::matches(pattern, name), matches);
}

void TestPlatform::fileListingIsASnapshot()
{
    QTemporaryDir dir;
    QVERIFY(fixture::write(dir.filePath(u"歌詞_A_B.txt"_s), "x"));
    QVERIFY(fixture::write(dir.filePath(u"曲目_A.txt"_s), "x"));
    const DataFolder folder(dir.path());
    FileListing listing(folder, u"歌詞_*.txt"_s);
    QCOMPARE(listing.names(), QStringList{u"歌詞_A_B.txt"_s});
    QVERIFY(listing.contains(u"歌詞_A_B.txt"_s));
    QVERIFY(!listing.contains(u"歌詞_A_B.TXT"_s));
    QVERIFY(fixture::write(dir.filePath(u"歌詞_C_D.txt"_s), "x"));
    QVERIFY(!listing.contains(u"歌詞_C_D.txt"_s));
    listing.refresh();
    QVERIFY(listing.contains(u"歌詞_C_D.txt"_s));
    QCOMPARE(listing.count(), 2);
}

void TestPlatform::pictureThatFailsLeavesThePictureShown()
{
    QTemporaryDir dir;
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(Qt::red);
    QVERIFY(image.save(dir.filePath(u"a.jpg"_s), "JPG"));
    QVERIFY(fixture::write(dir.filePath(u"broken.bmp"_s), "BM not really"));
    PictureBox box;
    box.resize(100, 100);
    QVERIFY(box.isEmpty());
    QVERIFY(box.load(dir.filePath(u"a.jpg"_s)));
    QVERIFY(!box.load(dir.filePath(u"broken.bmp"_s)));
    QVERIFY(!box.load(dir.filePath(u"missing.gif"_s)));
    QVERIFY(box.source().endsWith(u"a.jpg"_s));
    // Scaled to fit, proportions kept.
    QCOMPARE(box.pixmap().size(), QSize(100, 50));
    box.clearPicture();
    QVERIFY(box.isEmpty());
}

void TestPlatform::qtDialogsSpeakJapanese()
{
    QtJapanese japanese;
    const bool qtBase = japanese.loadQtBase();
    QApplication::installTranslator(&japanese);
    QTemporaryDir dir;
    // The type column of the file and folder dialogs.
    QCOMPARE(QFileIconProvider().type(QFileInfo(dir.path())), u"フォルダ"_s);
    if (qtBase)
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), u"キャンセル"_s);
    QApplication::removeTranslator(&japanese);
    QCOMPARE(QFileIconProvider().type(QFileInfo(dir.path())), u"Folder"_s);
}

void TestPlatform::helpOpensInsideTheScreen()
{
    TextHelpViewer viewer({}, u":/help/UtabakoHelp.html"_s);
    viewer.open();
    QWidget* window = viewer.window();
    QVERIFY(window && window->isVisible());
    const QRect room = window->screen()->availableGeometry();
    QVERIFY2(room.contains(window->frameGeometry()), qPrintable(u"%1 %2 %3 %4"_s.arg(window->frameGeometry().bottom())
                                                                    .arg(room.bottom()).arg(window->frameGeometry().right())
                                                                    .arg(room.right())));
    viewer.closeAll();
}

void TestPlatform::helpPrefersTheDataFolderCopy()
{
    QTemporaryDir dir;
    const QString inFolder = dir.filePath(u"UtabakoHelp.html"_s);
    TextHelpViewer viewer(inFolder, u":/help/UtabakoHelp.html"_s);
    viewer.open();
    QVERIFY(viewer.window()->isVisible());
    QCOMPARE(viewer.shownSource(), u"qrc:/help/UtabakoHelp.html"_s);
    auto* browser = qobject_cast<QTextBrowser*>(viewer.window());
    QVERIFY(browser->toPlainText().contains(u"ウタバコ"_s));

    QVERIFY(fixture::write(inFolder, "<html><body><p>folder copy</p><a name=\"main\"></a></body></html>"));
    viewer.open(u"main"_s);
    QCOMPARE(viewer.shownSource(), QUrl::fromLocalFile(inFolder).toString() + u"#main"_s);
    QVERIFY(browser->toPlainText().contains(u"folder copy"_s));
    viewer.closeAll();
    QVERIFY(!viewer.window() || !viewer.window()->isVisible());

    // Escape and Ctrl+W close it as well.
    for (const QKeySequence& keys : {QKeySequence(Qt::Key_Escape), QKeySequence(u"Ctrl+W"_s)}) {
        viewer.open();
        QApplication::setActiveWindow(viewer.window());
        QTest::keySequence(viewer.window(), keys);
        QTRY_VERIFY(!viewer.window() || !viewer.window()->isVisible());
    }
}

QTEST_MAIN(TestPlatform)
// Widths counted in characters: each character is one unit wide.
void TestPlatform::longLinesBreakBetweenWords_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("fits, own line ends kept") << u"楽をしましょう！\n\n（歌ネット）"_s << 8
                                             << QStringList{u"楽をしましょう！"_s, QString(), u"（歌ネット）"_s};
    QTest::newRow("after 、") << u"手入力も可能ですが、ここでもネット上から"_s << 14
                             << QStringList{u"手入力も可能ですが、"_s, u"ここでもネット上から"_s};
    QTest::newRow("after ！, never ending on （") << u"楽をしましょう！（歌ネット）"_s << 9
                                                 << QStringList{u"楽をしましょう！"_s, u"（歌ネット）"_s};
    QTest::newRow("after a particle, not inside the verb") << u"楽をしましょう！"_s << 6
                                                         << QStringList{u"楽を"_s, u"しましょう！"_s};
    QTest::newRow("katakana word whole") << u"曲名/アーティスト名"_s << 7 << QStringList{u"曲名/"_s, u"アーティスト名"_s};
    QTest::newRow("at its own spaces") << u"現在のデータを削除して　最初から　　スタートするとき　　　　　　　　　↓"_s << 11
                                       << QStringList{u"現在のデータを削除して"_s, u"最初から"_s, u"スタートするとき"_s, u"↓"_s};
    QTest::newRow("path kept whole") << u"元のデータは /tmp/data/old に残してあります。"_s << 14
                                     << QStringList{u"元のデータは"_s, u"/tmp/data/old"_s, u"に残してあります。"_s};
    QTest::newRow("one long word, anywhere") << u"abcdefgh"_s << 3 << QStringList{u"abc"_s, u"def"_s, u"gh"_s};
}

void TestPlatform::longLinesBreakBetweenWords()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(QStringList, lines);
    QCOMPARE(brokenLines(text, width, [](QStringView part) { return static_cast<int>(part.size()); }), lines);
}

void TestPlatform::messageBoxesAreAsWideAsTheirTitles_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::addColumn<Dialogs::Buttons>("buttons");
    QTest::newRow("search finished") << u"検索終了"_s << u"検索終了"_s << Dialogs::Buttons::Ok;
    QTest::newRow("title longer than its text")
        << u"ヘルプツアー機能をオンにします。"_s << u"ヘルプツアーＯＮ"_s << Dialogs::Buttons::Ok;
    QTest::newRow("long title, question") << u"A を削除しますか？"_s << u"メディア全データ削除確認"_s
                                          << Dialogs::Buttons::YesNo;
    QTest::newRow("short title, long text")
        << u"現在表示中の順番でメインのデータも並び替えますか？\r\n\r\n良かったらＯＫボタンを押してください"_s
        << u"メイン並び替え確認"_s << Dialogs::Buttons::OkCancel;
}

void TestPlatform::messageBoxesAreAsWideAsTheirTitles()
{
    QFETCH(QString, text);
    QFETCH(QString, title);
    QFETCH(Dialogs::Buttons, buttons);
    QtDialogs dialogs;
    int width = 0;
    int need = 0;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        width = box->width();
        need = QtDialogs::titleBarWidth(title, box->font());
        box->reject();
    });
    static_cast<Dialogs&>(dialogs).message(text, title, Dialogs::Icon::Information, buttons);
    QVERIFY(need > 0);
    QVERIFY2(width >= need, qPrintable(u"%1 < %2"_s.arg(width).arg(need)));
}

#include "tst_platform.moc"
