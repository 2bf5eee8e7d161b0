#include "../store/fixture.h"
#include "scripteddialogs.h"

#include "app/mainwindow.h"
#include "platform/grid.h"
#include "platform/picturebox.h"
#include "platform/uifont.h"
#include "store/datafolder.h"
#include "lyrics/lyricspanel.h"
#include "title/mainscreen.h"
#include "tracks/trackentry.h"
#include "upkeep/coverimport.h"
#include "upkeep/masterscreen.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QLineEdit>
#include <QAbstractSlider>
#include <QAbstractItemView>
#include <QAbstractButton>
#include <QApplication>
#include <QFontDatabase>
#include <QPushButton>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QAccessible>
#include <QTest>
#include <QToolButton>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Qt::Literals::StringLiterals;
using fixture::sjis;

// The main window through its real widgets, on a temporary data folder.
class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void startUpShowsTheTourWhenItIsOn_data();
    void startUpShowsTheTourWhenItIsOn();
    void startsOnAnEmptyFolder();
    void reportsDamagedFilesAtStartUp();
    void showsTitleAttributesAndFaces_data();
    void showsTitleAttributesAndFaces();
    void movesBetweenTitles();
    void pickingTheShownNameChangesNothing();
    void coverPictureTakesTheLastThatLoads();
    void readsOnlyRegularFiles();
    void screenButtonsSwitchPanels();
    void mainButtonReturnsToTheTitleOpenedFromAList();
    void helpSwitchRewritesTheSettingsFile();
    void helpButtonOpensAndEndClosesTheHelp();
    void helpSwitchStaysWhenTheFileCannotBeWritten();
    void helpSwitchLooksOffWhenOff();
    void everyScreenDrawsWithOneJapaneseFamily();
    void closingWithAnEditedNameBoxIsSafe();
    void everyControlHasAName();
    void tabFollowsTheScreenAndReachesOnlyWhatIsSeen();

private:
    void writeTitles(const QStringList& lines);
    void putPicture(const QString& name, Qt::GlobalColor colour, const char* format);
    MainWindow& start();

    std::unique_ptr<QTemporaryDir> m_tmp;
    std::unique_ptr<DataFolder> m_folder;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<RecordingHelpViewer> m_help;
    RecordingPrinter m_printer;
    ScriptedGuesser m_guesser;
    std::unique_ptr<MainWindow> m_window;
};

void TestMainWindow::init()
{
    m_tmp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_tmp->isValid());
    m_folder = std::make_unique<DataFolder>(m_tmp->path());
    m_dialogs = std::make_unique<ScriptedDialogs>();
    m_help = std::make_unique<RecordingHelpViewer>();
}

void TestMainWindow::cleanup()
{
    m_window.reset();
    QCOMPARE(m_dialogs->unexpected, 0);
}

void TestMainWindow::writeTitles(const QStringList& lines)
{
    QString text;
    for (const QString& line : lines)
        text += line + u"\r\n"_s;
    QVERIFY(fixture::write(m_tmp->filePath(u"データ.TXT"_s), sjis(text)));
}

void TestMainWindow::putPicture(const QString& name, Qt::GlobalColor colour, const char* format)
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(colour);
    QVERIFY(image.save(m_tmp->filePath(name), format));
}

MainWindow& TestMainWindow::start()
{
    m_window = std::make_unique<MainWindow>(*m_folder, *m_dialogs, *m_help, m_printer, m_guesser);
    m_window->startUp();
    return *m_window;
}

static QString record(const QString& name, const QString& artist = u"歌手"_s, const QString& rating = u"◎"_s)
{
    return u"\"%1\",\"%2\",\"J-POP\",\"%3\",\"CD\",\"2026/12/07\",\"\""_s.arg(name, artist, rating);
}

void TestMainWindow::startUpShowsTheTourWhenItIsOn_data()
{
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<int>("boxes");
    QTest::newRow("on") << sjis(u"\"ヘルプツアー\",1"_s) << 2;
    QTest::newRow("off") << sjis(u"\"ヘルプツアー\",0"_s) << 0;
    QTest::newRow("missing") << QByteArray() << 0;
}

void TestMainWindow::startUpShowsTheTourWhenItIsOn()
{
    QFETCH(QByteArray, settings);
    QFETCH(int, boxes);
    writeTitles({record(u"A"_s)});
    // Written without its line end: a rewrite would add one.
    if (!settings.isEmpty())
        QVERIFY(fixture::write(m_tmp->filePath(u"設定.txt"_s), settings));
    MainWindow& w = start();

    QCOMPARE(static_cast<int>(m_dialogs->boxes.size()), boxes);
    if (boxes == 2) {
        QCOMPARE(m_dialogs->titles(), (QStringList{u"ヘルプツアー"_s, u"ヘルプツアー"_s}));
        QVERIFY(m_dialogs->boxes[0].text.startsWith(u"起動時のこの画面はタイトル１題目"_s));
        QVERIFY(m_dialogs->boxes[0].text.endsWith(u"一通り確認したら、左上の新規ボタンを押してみましょう"_s));
        QVERIFY(m_dialogs->boxes[1].text.startsWith(u"タイトルの画像や曲目、歌詞は"_s));
        QCOMPARE(m_dialogs->boxes[1].icon, Dialogs::Icon::Information);
    }
    QCOMPARE(w.chkHelp->isChecked(), boxes == 2);
    QCOMPARE(fixture::read(m_tmp->filePath(u"設定.txt"_s)), settings);
    QVERIFY(!w.state().StartingUp);
    QVERIFY(w.isVisible());
    QVERIFY(w.fraMain->isVisible());
    QVERIFY(w.cmdDel->isEnabled());
}

void TestMainWindow::startsOnAnEmptyFolder()
{
    putPicture(u"NOPIC.JPG"_s, Qt::gray, "JPG");
    MainWindow& w = start();
    MainScreen* s = w.fraMain;
    QCOMPARE(s->lblKensu->text(), u"0 / 0"_s);
    QCOMPARE(s->hsbData->minimum(), 1);
    QCOMPARE(s->hsbData->maximum(), 1);
    QCOMPARE(s->cboName->count(), 0);
    QVERIFY(s->imgGazou->source().endsWith(u"NOPIC.JPG"_s));
    QVERIFY(QFile::exists(m_tmp->filePath(u"データ.TXT"_s)));
    QCOMPARE(s->cboSakusya->count(), 1); // only "複数"
    QVERIFY(m_dialogs->boxes.empty());

    // Nothing names a title: scrolling and the screen buttons stay safe.
    s->hsbData->setValue(1);
    QTest::mouseClick(w.cmdIchiran, Qt::LeftButton);
    w.state().ListJumpIndex = 3;
    QTest::mouseClick(w.cmdMain, Qt::LeftButton);
    QCOMPARE(s->lblKensu->text(), u"0 / 0"_s);
}

void TestMainWindow::reportsDamagedFilesAtStartUp()
{
    QVERIFY(fixture::write(m_tmp->filePath(u"データ.TXT"_s), fixture::readFixture(u"titles_cut.TXT"_s)));
    MainWindow& w = start();
    QCOMPARE(w.state().titles.count(), 2);
    QCOMPARE(m_dialogs->titles(), QStringList{u"データファイルの確認"_s});
    QVERIFY(m_dialogs->boxes[0].text.contains(u"データ.TXT"_s));
    QCOMPARE(m_dialogs->boxes[0].icon, Dialogs::Icon::Exclamation);

    // A file read later is told of when it is met, once.
    QVERIFY(fixture::write(m_tmp->filePath(u"曲目_三.txt"_s), "ok\r\n\x85\x40\r\n"));
    m_dialogs->clear();
    w.fraMain->hsbData->setValue(2);
    w.fraMain->hsbData->setValue(1);
    w.fraMain->hsbData->setValue(2);
    QCOMPARE(m_dialogs->titles(), QStringList{u"データファイルの確認"_s});
    QVERIFY(m_dialogs->boxes[0].text.contains(u"「曲目_三.txt」の 2 行目"_s));
}

void TestMainWindow::showsTitleAttributesAndFaces_data()
{
    QTest::addColumn<QString>("rating");
    QTest::addColumn<int>("face");
    QTest::newRow("◎") << u"◎"_s << 0;
    QTest::newRow("○") << u"○"_s << 1;
    QTest::newRow("△") << u"△"_s << 2;
    QTest::newRow("未 shows the best face") << u"未"_s << 0;
    QTest::newRow("anything else too") << u"x"_s << 0;
}

void TestMainWindow::showsTitleAttributesAndFaces()
{
    QFETCH(QString, rating);
    QFETCH(int, face);
    writeTitles({record(u"一"_s, u"甲"_s, u"△"_s), record(u"二"_s, u"乙"_s, rating)});
    MainWindow& w = start();
    MainScreen* s = w.fraMain;
    QCOMPARE(s->cboName->currentText(), u"一"_s);
    QCOMPARE(s->imgFace1[2]->isVisibleTo(s), true);
    s->hsbData->setValue(2);
    QCOMPARE(s->cboName->currentText(), u"二"_s);
    QCOMPARE(s->cboSakusya->currentText(), u"乙"_s);
    QCOMPARE(s->cboKeisai->currentText(), u"J-POP"_s);
    QCOMPARE(s->cboHyouka->currentText(), rating);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(s->imgFace1[static_cast<size_t>(i)]->isVisibleTo(s), i == face);
}

void TestMainWindow::movesBetweenTitles()
{
    QStringList lines;
    for (int i = 1; i <= 120; ++i)
        lines.append(record(u"題%1"_s.arg(i)));
    writeTitles(lines);
    QVERIFY(fixture::write(m_tmp->filePath(u"歌手マスタ.txt"_s), sjis(u"甲\r\n乙\r\n"_s)));
    QVERIFY(fixture::write(m_tmp->filePath(u"ジャンルマスタ.txt"_s), sjis(u"J-POP\r\nロック\r\n"_s)));
    MainWindow& w = start();
    MainScreen* s = w.fraMain;
    QCOMPARE(s->lblKensu->text(), u"1 / 120"_s);
    QCOMPARE(s->hsbData->maximum(), 120);
    QCOMPARE(s->cboName->count(), 120);
    QCOMPARE(s->cboName->itemText(2), u"題3"_s);
    // The artist, genre and rating lists, with the title's own values on show.
    QCOMPARE(s->cboSakusya->count(), 3);
    QCOMPARE(s->cboSakusya->itemText(2), u"複数"_s);
    QCOMPARE(s->cboKeisai->itemText(1), u"ロック"_s);
    QCOMPARE(s->cboHyouka->count(), 3);
    QCOMPARE(s->cboSakusya->currentText(), u"歌手"_s);

    s->hsbData->setValue(3);
    QCOMPARE(s->lblKensu->text(), u"3 / 120"_s);
    QCOMPARE(s->cboName->currentText(), u"題3"_s);
    s->cboName->setCurrentIndex(99);
    emit s->cboName->activated(99);
    QCOMPARE(s->hsbData->value(), 100);
    QCOMPARE(s->lblKensu->text(), u"100 / 120"_s);
    // Arrow steps move one title.
    QTest::keyClick(s->hsbData, Qt::Key_Right);
    QCOMPARE(s->lblKensu->text(), u"101 / 120"_s);
}

void TestMainWindow::pickingTheShownNameChangesNothing()
{
    writeTitles({record(u"一"_s), record(u"二"_s)});
    MainWindow& w = start();
    MainScreen* s = w.fraMain;
    s->hsbData->setValue(2);
    s->cboSakusya->setEditText(u"打ちかけ"_s);
    emit s->cboName->activated(1);
    QCOMPARE(s->cboSakusya->currentText(), u"打ちかけ"_s);
    emit s->cboName->activated(0);
    QCOMPARE(s->cboSakusya->currentText(), u"歌手"_s);
    QCOMPARE(s->lblKensu->text(), u"1 / 2"_s);
}

void TestMainWindow::coverPictureTakesTheLastThatLoads()
{
    writeTitles({record(u"A"_s), record(u"B"_s), record(u"C"_s), record(u"D"_s)});
    putPicture(u"A.jpg"_s, Qt::red, "JPG");
    putPicture(u"A.bmp"_s, Qt::blue, "BMP");
    QVERIFY(fixture::write(m_tmp->filePath(u"B.gif"_s), fixture::readFixture(u"green.gif"_s)));
    putPicture(u"C.JPG"_s, Qt::yellow, "JPG");
    QVERIFY(fixture::write(m_tmp->filePath(u"D.bmp"_s), "not a picture"));
    putPicture(u"NOPIC.JPG"_s, Qt::gray, "JPG");
    MainWindow& w = start();
    MainScreen* s = w.fraMain;
    QCOMPARE(QFileInfo(s->imgGazou->source()).fileName(), u"A.bmp"_s);
    s->hsbData->setValue(2);
    QCOMPARE(QFileInfo(s->imgGazou->source()).fileName(), u"B.gif"_s);
    s->hsbData->setValue(3);
    QCOMPARE(QFileInfo(s->imgGazou->source()).fileName(), u"C.JPG"_s);
    s->hsbData->setValue(4);
    QCOMPARE(QFileInfo(s->imgGazou->source()).fileName(), u"NOPIC.JPG"_s);
    QVERIFY(!s->imgGazou->pixmap().isNull());
    QVERIFY(QFile::remove(m_tmp->filePath(u"NOPIC.JPG"_s)));
    s->hsbData->setValue(1);
    s->hsbData->setValue(4);
    QVERIFY(s->imgGazou->isEmpty());
}

// A FIFO (or a link to one) named like a cover, a track list or a lyrics file counts as
// missing and is never opened; a link to a picture is shown.
void TestMainWindow::readsOnlyRegularFiles()
{
#ifdef Q_OS_UNIX
    writeTitles({record(u"A"_s), record(u"B"_s)});
    for (const QString& fifo : {u"A.jpg"_s, u"曲目_A.txt"_s, u"歌詞_歌_歌手.txt"_s, u"fifo"_s})
        QCOMPARE(::mkfifo(QFile::encodeName(m_tmp->filePath(fifo)).constData(), 0644), 0);
    QVERIFY(QFile::link(m_tmp->filePath(u"fifo"_s), m_tmp->filePath(u"A.gif"_s)));
    putPicture(u"blue.bmp"_s, Qt::blue, "BMP");
    QVERIFY(QFile::link(m_tmp->filePath(u"blue.bmp"_s), m_tmp->filePath(u"B.bmp"_s)));
    putPicture(u"NOPIC.JPG"_s, Qt::gray, "JPG");
    QVERIFY(fixture::write(m_tmp->filePath(u"曲目_B.txt"_s), sjis(u"歌\r\n"_s)));
    ::alarm(30); // a read that waits on a FIFO ends the test here
    MainScreen* s = start().fraMain;
    QCOMPARE(QFileInfo(s->imgGazou->source()).fileName(), u"NOPIC.JPG"_s);
    QCOMPARE(s->Frame1->msgKyokumoku->rows(), 1);
    s->hsbData->setValue(2);
    Grid* grid = s->Frame1->msgKyokumoku;
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(0, 1)).center());
    ::alarm(0);
    QCOMPARE(QFileInfo(s->imgGazou->source()).fileName(), u"B.bmp"_s);
    QCOMPARE(grid->text(1, 2), QString()); // no lyrics mark
    QVERIFY(s->fraKashi1->isVisible());
    QCOMPARE(s->fraKashi1->txtKashi1->toPlainText(), QString());
#else
    QSKIP("needs FIFOs");
#endif
}

void TestMainWindow::screenButtonsSwitchPanels()
{
    writeTitles({record(u"一"_s)});
    MainWindow& w = start();
    const QList<std::pair<QToolButton*, QFrame*>> screens = {
        {w.cmdPic, w.fraPic},         {w.cmdIchiran, w.fraIchiran}, {w.cmdKensaku, w.fraKensaku},
        {w.cmdIchiran2, w.fraIchiran2}, {w.cmdList, w.fraList},     {w.cmdRank, w.fraRank},
        {w.cmdMaster, w.fraMaster},   {w.cmdMain, w.fraMain},
    };
    const QList<QFrame*> panels = {w.fraMain, w.fraList, w.fraIchiran, w.fraIchiran2,
                                   w.fraKensaku, w.fraMaster, w.fraPic, w.fraRank};
    // Only the button of the screen on view stands checked, and says so to a screen reader.
    const auto checkedButtons = [&] {
        QList<QToolButton*> checked;
        for (const auto& [b, p] : screens) {
            if (b->isChecked() && QAccessible::queryAccessibleInterface(b)->state().checked)
                checked.append(b);
        }
        return checked;
    };
    QCOMPARE(checkedButtons(), QList<QToolButton*>{w.cmdMain});
    for (const auto& [button, panel] : screens) {
        QTest::mouseClick(button, Qt::LeftButton);
        for (QFrame* p : panels)
            QCOMPARE(p->isVisible(), p == panel);
        QCOMPARE(w.cmdDel->isEnabled(), panel == w.fraMain);
        QCOMPARE(checkedButtons(), QList<QToolButton*>{button});
        // Pressed again, a screen button leaves its screen alone.
        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(panel->isVisible());
        QCOMPARE(checkedButtons(), QList<QToolButton*>{button});
    }
    // The music import is a part of the master screen.
    QTest::mouseClick(w.cmdMaster, Qt::LeftButton);
    QTest::mouseClick(w.fraMaster->cmdImportMusic, Qt::LeftButton);
    QCOMPARE(checkedButtons(), QList<QToolButton*>{w.cmdMaster});
    QVERIFY(m_dialogs->boxes.empty());
}

void TestMainWindow::mainButtonReturnsToTheTitleOpenedFromAList()
{
    QStringList lines;
    for (int i = 1; i <= 10; ++i)
        lines.append(record(u"題%1"_s.arg(i)));
    writeTitles(lines);
    MainWindow& w = start();
    MainScreen* s = w.fraMain;
    // Pressed on the main screen it changes nothing, not even the title.
    w.state().ListJumpIndex = 7;
    s->hsbData->setValue(9);
    QTest::mouseClick(w.cmdMain, Qt::LeftButton);
    QCOMPARE(s->hsbData->value(), 9);

    QTest::mouseClick(w.cmdRank, Qt::LeftButton);
    QTest::mouseClick(w.cmdMain, Qt::LeftButton);
    QCOMPARE(s->hsbData->value(), 7);
    QCOMPARE(s->lblKensu->text(), u"7 / 10"_s);
    QVERIFY(w.cmdDel->isEnabled());

    // A remembered title beyond the last one (titles were deleted) shows the last.
    w.state().ListJumpIndex = 25;
    QTest::mouseClick(w.cmdRank, Qt::LeftButton);
    QTest::mouseClick(w.cmdMain, Qt::LeftButton);
    QCOMPARE(s->hsbData->value(), 10);
    QCOMPARE(s->lblKensu->text(), u"10 / 10"_s);

    // The title opened from a list is found again after a title before it is deleted.
    w.ShowTitleByName(u"題4"_s);
    s->hsbData->setValue(1);
    m_dialogs->answers = {Dialogs::Answer::Ok};
    QTest::mouseClick(w.cmdDel, Qt::LeftButton);
    QTest::mouseClick(w.cmdRank, Qt::LeftButton);
    QTest::mouseClick(w.cmdMain, Qt::LeftButton);
    QCOMPARE(s->cboName->currentText(), u"題4"_s);
    QCOMPARE(s->lblKensu->text(), u"3 / 9"_s);
}

void TestMainWindow::helpSwitchRewritesTheSettingsFile()
{
    writeTitles({record(u"一"_s)});
    MainWindow& w = start();
    const QString settings = m_tmp->filePath(u"設定.TXT"_s);
    QVERIFY(!QFile::exists(settings));

    QTest::mouseClick(w.chkHelp, Qt::LeftButton);
    QVERIFY(w.chkHelp->isChecked());
    QCOMPARE(m_dialogs->titles(), QStringList{u"ヘルプツアーＯＮ"_s});
    QCOMPARE(m_dialogs->texts(), QStringList{u"ヘルプツアー機能をオンにします。"_s});
    QCOMPARE(fixture::read(settings), sjis(u"\"ヘルプツアー\",1\r\n"_s));
    QCOMPARE(w.state().tour.HelpTourOn(), 1);

    // A screen reader toggles the switch through the accessibility interface: the
    // same question and the same write as a click.
    m_dialogs->clear();
    QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(w.chkHelp);
    QVERIFY(reader && reader->actionInterface());
    QCOMPARE(reader->text(QAccessible::Name), u"ヘルプツアー"_s);
    QCOMPARE(reader->role(), QAccessible::CheckBox);
    QVERIFY(reader->state().checked);
    reader->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    // The reader has its answer before the question is asked.
    QVERIFY(m_dialogs->boxes.empty());
    QTRY_VERIFY(!w.chkHelp->isChecked());
    QVERIFY(!reader->state().checked);
    QCOMPARE(m_dialogs->titles(), QStringList{u"ヘルプツアーＯＦＦ"_s});
    QCOMPARE(fixture::read(settings), sjis(u"\"ヘルプツアー\",0\r\n"_s));
    QCOMPARE(w.state().tour.HelpTourOn(), 0);

    // With the tour off no guidance box shows.
    m_dialogs->clear();
    w.state().tour.show(u"案内"_s);
    QVERIFY(m_dialogs->boxes.empty());
}

void TestMainWindow::helpButtonOpensAndEndClosesTheHelp()
{
    MainWindow& w = start();
    QTest::mouseClick(w.cmdHelp, Qt::LeftButton);
    QCOMPARE(m_help->openWindows, 1);
    QCOMPARE(m_help->opened, QStringList{QString()});
    QTest::mouseClick(w.cmdEnd, Qt::LeftButton);
    QCOMPARE(m_help->openWindows, 0);
    QVERIFY(!w.isVisible());
}

// Nothing is told before the change is made: a switch that cannot be stored says only
// why, and stays as it was.
void TestMainWindow::helpSwitchStaysWhenTheFileCannotBeWritten()
{
    // A folder where the settings file should be: no file to read, none can be made.
    QVERIFY(QDir(m_tmp->path()).mkdir(u"設定.TXT"_s));
    MainWindow& w = start();
    QVERIFY(m_dialogs->boxes.empty());
    QTest::mouseClick(w.chkHelp, Qt::LeftButton);
    QCOMPARE(m_dialogs->titles(), QStringList{u"書き込みエラー"_s});
    QVERIFY(m_dialogs->boxes[0].text.contains(u"設定.TXT"_s));
    QVERIFY(!w.chkHelp->isChecked());
    QCOMPARE(w.state().tour.HelpTourOn(), 0);

    // A folder on a read-only disk says so.
    m_folder->setReadOnly(readOnlyDiskReason(u"フォルダ「/media/cd」"_s));
    m_dialogs->clear();
    QTest::mouseClick(w.chkHelp, Qt::LeftButton);
    QCOMPARE(m_dialogs->texts(), QStringList{u"このデータフォルダには書き込めないため、変更は保存されません。\r\n"
                                             "（フォルダ「/media/cd」は読み取り専用のディスクにあるため書き込めません）\r\n"
                                             "「設定.TXT」は元のままです。"_s});
    QVERIFY(!w.chkHelp->isChecked());
}

// The bulb is lit only while the tour is on.
void TestMainWindow::helpSwitchLooksOffWhenOff()
{
    MainWindow& w = start();
    const auto warmPixels = [&w] {
        const QImage shown = w.chkHelp->grab().toImage();
        int warm = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x) {
                const QColor c = shown.pixelColor(x, y);
                warm += c.red() > 200 && c.red() - c.blue() > 60;
            }
        return warm;
    };
    QVERIFY(!w.chkHelp->isChecked());
    QCOMPARE(warmPixels(), 0);
    QTest::mouseClick(w.chkHelp, Qt::LeftButton);
    QVERIFY(w.chkHelp->isChecked());
    QVERIFY(warmPixels() > 100);
    QCOMPARE(m_dialogs->titles(), QStringList{u"ヘルプツアーＯＮ"_s});
}

// Latin letters, digits, marks and kana come from one Japanese family on every screen,
// whatever the desktop's language, and rows of a list are one height.
void TestMainWindow::everyScreenDrawsWithOneJapaneseFamily()
{
    const QFont desktop = QApplication::font();
    useJapaneseUiFont();
    const QString family = japaneseUiFamily();
    QVERIFY(QFontDatabase::writingSystems(family).contains(QFontDatabase::Japanese));
    writeTitles({record(u"一"_s)});
    QVERIFY(fixture::write(m_tmp->filePath(u"歌手マスタ.txt"_s), sjis(u"ミナモ航路\r\nABC\r\n葉月つむぎ\r\n"_s)));
    MainWindow& w = start();
    QStringList others;
    const auto check = [&] {
        for (QWidget* widget : w.findChildren<QWidget*>()) {
            const QString used = QFontInfo(widget->font()).family();
            if (used != family)
                others.append(widget->objectName() + u": "_s + used);
        }
    };
    check();
    for (QToolButton* screen : {w.cmdIchiran, w.cmdKensaku, w.cmdIchiran2, w.cmdList, w.cmdRank, w.cmdPic, w.cmdMaster}) {
        QTest::mouseClick(screen, Qt::LeftButton);
        check();
    }
    QApplication::setFont(desktop);
    QVERIFY2(others.isEmpty(), qPrintable(others.join(u", "_s)));
    QListWidget* artists = w.fraMaster->lstSakusya2;
    QCOMPARE(artists->count(), 3);
    QCOMPARE(artists->visualItemRect(artists->item(1)).height(), artists->visualItemRect(artists->item(0)).height());
    QCOMPARE(artists->visualItemRect(artists->item(2)).height(), artists->visualItemRect(artists->item(0)).height());
}

void TestMainWindow::closingWithAnEditedNameBoxIsSafe()
{
    writeTitles({record(u"一"_s), record(u"二"_s)});
    MainWindow& w = start();
    // Leaving the box with another title's name in it makes the combo pick that entry
    // while the window is taken down.
    w.fraMain->cboName->setFocus();
    w.fraMain->cboName->setEditText(u"二"_s);
    m_window.reset();
    QVERIFY(!m_window);
}

// A screen reader names every control it can reach on every screen: buttons by their
// captions, boxes and lists by the label in front of them.
void TestMainWindow::everyControlHasAName()
{
    writeTitles({record(u"一"_s)});
    MainWindow& w = start();
    QStringList unnamed;
    const auto check = [&] {
        for (QWidget* control : w.findChildren<QWidget*>()) {
            const bool reachable = control->isVisible() && control->isEnabled() && control->focusPolicy() != Qt::NoFocus;
            const bool kind = qobject_cast<QAbstractButton*>(control) || qobject_cast<QComboBox*>(control)
                || qobject_cast<QLineEdit*>(control) || qobject_cast<QAbstractItemView*>(control)
                || qobject_cast<QPlainTextEdit*>(control) || qobject_cast<QAbstractSlider*>(control)
                || qobject_cast<PictureBox*>(control);
            if (!reachable || !kind || (qobject_cast<QLineEdit*>(control) && qobject_cast<QComboBox*>(control->parent())))
                continue;
            QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(control);
            // A box is named by what it is for, not by the value it shows.
            const QString spoken = reader ? reader->text(QAccessible::Name).trimmed() : QString();
            const QString shown = reader ? reader->text(QAccessible::Value).trimmed() : QString();
            // Where the platform says a box's value as its name, the label in front of
            // it names it (a "labelled by" relation).
            const bool box = qobject_cast<QComboBox*>(control) || qobject_cast<QLineEdit*>(control);
            const bool labelled = reader && !reader->relations(QAccessible::Label).isEmpty();
            if (spoken.isEmpty() || (box && !labelled && !shown.isEmpty() && spoken == shown)) {
                const QString name = control->objectName().isEmpty() ? QString::fromLatin1(control->metaObject()->className())
                                                                     : control->objectName();
                if (!unnamed.contains(name))
                    unnamed.append(name);
            }
        }
    };
    check();
    for (QToolButton* screen : {w.cmdIchiran, w.cmdKensaku, w.cmdIchiran2, w.cmdList, w.cmdRank, w.cmdPic, w.cmdMaster}) {
        QTest::mouseClick(screen, Qt::LeftButton);
        check();
    }
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(u", "_s)));
}

// The controls Tab reaches, in the order it reaches them.
static QList<QWidget*> tabStops(QWidget& window)
{
    QList<QWidget*> stops;
    for (QWidget* w = window.nextInFocusChain(); w != &window; w = w->nextInFocusChain()) {
        if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy())
            stops.append(w);
    }
    return stops;
}

// On every screen and every panel of the main screen Tab goes down the screen, or on
// to the next column to the right, and never to a control a panel lies over. The
// cover and the lyrics open from the keyboard.
void TestMainWindow::tabFollowsTheScreenAndReachesOnlyWhatIsSeen()
{
    writeTitles({record(u"一"_s)});
    QVERIFY(fixture::write(m_tmp->filePath(u"曲目_一.txt"_s), sjis(u"歌\r\n"_s)));
    MainWindow& w = start();
    w.resize(1280, 770);
    MainScreen* main = w.fraMain;
    QStringList faults;
    const auto check = [&](const QString& screen) {
        const QList<QWidget*> stops = tabStops(w);
        QVERIFY(stops.size() > 12);
        for (qsizetype i = 1; i < stops.size(); ++i) {
            const QRect a(stops[i - 1]->mapTo(&w, QPoint()), stops[i - 1]->size());
            const QRect b(stops[i]->mapTo(&w, QPoint()), stops[i]->size());
            if (b.top() < a.top() && b.left() < a.left() + a.width())
                faults.append(u"%1: %2 → %3"_s.arg(screen, stops[i - 1]->objectName(), stops[i]->objectName()));
        }
    };
    check(u"main"_s);
    QVERIFY(tabStops(w).contains(main->imgGazou));

    // A panel opened from the keyboard takes it, and gives it back when it closes.
    QApplication::setActiveWindow(&w);
    main->imgGazou->setFocus();
    QTest::keyClick(main->imgGazou, Qt::Key_Space);
    QVERIFY(main->fraPicget->isVisible());
    QTRY_VERIFY(main->fraPicget->isAncestorOf(QApplication::focusWidget()));
    QVERIFY(!tabStops(w).contains(main->Frame1->msgKyokumoku));
    check(u"cover import"_s);
    QTest::mouseClick(main->fraPicget->findChild<QWidget*>(u"cmdYame"_s), Qt::LeftButton);
    QVERIFY(tabStops(w).contains(main->Frame1->msgKyokumoku));
    QTRY_COMPARE(QApplication::focusWidget(), main->imgGazou);

    // Tab leaves a grid for the next control instead of walking its cells.
    QApplication::setActiveWindow(&w);
    main->Frame1->msgKyokumoku->setFocus();
    main->Frame1->msgKyokumoku->setCurrentCell(1, 1);
    QTest::keyClick(main->Frame1->msgKyokumoku, Qt::Key_Tab);
    QVERIFY(QApplication::focusWidget() != main->Frame1->msgKyokumoku);
    main->Frame1->msgKyokumoku->setCurrentCell(1, 1);
    QTest::keyClick(main->Frame1->msgKyokumoku, Qt::Key_Space);
    QVERIFY(main->fraKashi1->isVisible());
    QVERIFY(!tabStops(w).contains(main->imgGazou));
    check(u"lyrics"_s);
    // Tab leaves the lyrics box instead of typing into it.
    QApplication::setActiveWindow(&w);
    main->fraKashi1->txtKashi1->setFocus();
    QTest::keyClick(main->fraKashi1->txtKashi1, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), main->fraKashi1->cmdKashiToroku);
    QVERIFY(!main->fraKashi1->txtKashi1->toPlainText().contains(u'\t'));
    main->fraKashi1->cmdGazo->setFocus();
    QTest::keyClick(main->fraKashi1->cmdGazo, Qt::Key_Space);
    QVERIFY(tabStops(w).contains(main->imgGazou));
    QTRY_COMPARE(QApplication::focusWidget(), main->Frame1->msgKyokumoku);

    // The track memo takes the keyboard when it opens and gives it back when it closes.
    main->Frame1->cmdHensyu->setFocus();
    QTest::keyClick(main->Frame1->cmdHensyu, Qt::Key_Space);
    QCOMPARE(QApplication::focusWidget(), main->Frame1->txtKyokuHen);
    check(u"track editing"_s);
    QTest::mouseClick(main->Frame1->cmdCansel, Qt::LeftButton);
    QCOMPARE(QApplication::focusWidget(), main->Frame1->cmdHensyu);

    for (QToolButton* screen : {w.cmdIchiran, w.cmdKensaku, w.cmdIchiran2, w.cmdList, w.cmdRank, w.cmdPic, w.cmdMaster}) {
        QTest::mouseClick(screen, Qt::LeftButton);
        check(screen->objectName());
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u", "_s)));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
