#include "uifixture.h"

#include "platform/grid.h"
#include "store/namerules.h"
#include "title/mainscreen.h"
#include "tracks/trackentry.h"
#include "upkeep/deletedtitles.h"
#include "upkeep/masterscreen.h"

#include <QComboBox>
#include <QDirIterator>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QToolButton>

using namespace Qt::Literals::StringLiterals;
using fixture::sjis;

namespace {

const QString kTitles = u"データ.TXT"_s;

// Every file and folder under path, with the bytes of each file.
QMap<QString, QByteArray> folderContents(const QString& path)
{
    QMap<QString, QByteArray> out;
    QDirIterator it(path, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        out.insert(QDir(path).relativeFilePath(it.filePath()), it.fileInfo().isDir() ? "<folder>" : fixture::read(it.filePath()));
    }
    return out;
}

QStringList rowOf(const QTableWidget* grid, int row)
{
    QStringList out;
    for (int c = 0; c < grid->columnCount(); ++c)
        out.append(grid->item(row, c)->text());
    return out;
}

QStringList songsShown(const MainWindow& w)
{
    Grid* grid = w.fraMain->Frame1->msgKyokumoku;
    QStringList out;
    for (int r = 1; r < grid->rows(); ++r)
        out.append(grid->text(r, 1));
    return out;
}

DeletedTitlesPanel* openPanel(MainWindow& w)
{
    QTest::mouseClick(w.cmdMaster, Qt::LeftButton);
    QTest::mouseClick(w.fraMaster->cmdDeletedTitles, Qt::LeftButton);
    return w.fraMaster->fraDeletedTitles;
}

// A kept title as an older version left it: the record in 削除したタイトル.TXT.
void keepByHand(UiFixture& f, const QString& folder, const QString& record, const QMap<QString, QByteArray>& files)
{
    QDir(f.tmp.path()).mkdir(folder);
    QVERIFY(f.put(folder + u"/削除したタイトル.TXT"_s, record));
    for (auto it = files.begin(); it != files.end(); ++it)
        QVERIFY(f.putBytes(folder + u'/' + it.key(), it.value()));
}

} // namespace

// 削除したタイトル: the titles deletions kept, put back or removed for good.
class TestDeletedTitles : public QObject {
    Q_OBJECT

private slots:
    void deletedThenPutBackHasEveryFileAsBefore_data();
    void deletedThenPutBackHasEveryFileAsBefore();
    void aNameTakenMeanwhileIsNeverOverwritten();
    void purgeAsksWithTheSafeDefaultAndNeverFollowsALink();
};

void TestDeletedTitles::deletedThenPutBackHasEveryFileAsBefore_data()
{
    QTest::addColumn<int>("deleted");
    QTest::addColumn<QString>("name");
    QTest::newRow("a title in the middle goes to the end") << 2 << u"二"_s;
    QTest::newRow("the last title comes back where it was") << 3 << u"三.5"_s;
    // Its own text file has the name older versions gave the record.
    QTest::newRow("named as the older record file") << 1 << u"削除したタイトル"_s;
}

void TestDeletedTitles::deletedThenPutBackHasEveryFileAsBefore()
{
    QFETCH(int, deleted);
    QFETCH(QString, name);
    // A long memo makes the title file larger than what is written before it.
    QStringList lines{UiFixture::title(u"一"_s).replace(u"\"\"\r\n"_s, u"\"%1\"\r\n"_s.arg(QString(300, u'メ'))), UiFixture::title(u"二"_s, u"歌手二"_s), UiFixture::title(u"三.5"_s, u"歌手三"_s)};
    lines[deleted - 1] = UiFixture::title(name, u"消した歌手"_s).replace(u"\"\"\r\n"_s, u"\"2枚組,初回盤\"\r\n"_s);
    const QString artist = u"消した歌手"_s;
    UiFixture f;
    QVERIFY(f.put(kTitles, lines.join(QString())));
    QVERIFY(f.putBytes(name + u".jpg"_s, solidPicture(qRgb(200, 0, 0), "JPG")));
    QVERIFY(f.putBytes(name + u".GIF"_s, "GIF89a-not-really"));
    QVERIFY(f.put(name + u".TXT"_s, u"ライナーノーツ\r\n"_s));
    QVERIFY(f.put(u"曲目_"_s + name + u".txt"_s, u"雨\r\n風\r\n"_s));
    QVERIFY(f.put(u"曲目データ.TXT"_s, u"\"雨\",\"歌手\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"_s));
    const QMap<QString, QByteArray> before = folderContents(f.tmp.path());
    MainWindow& w = f.start();
    w.fraMain->hsbData->setValue(deleted);
    f.dialogs.answers = {Dialogs::Answer::Ok};
    QTest::mouseClick(w.cmdDel, Qt::LeftButton);
    QCOMPARE(w.state().titles.count(), 2);

    DeletedTitlesPanel* panel = openPanel(w);
    QVERIFY(panel->isVisible());
    QCOMPARE(panel->grdDeletedTitles->rowCount(), 1);
    const QStringList row = rowOf(panel->grdDeletedTitles, 0);
    QVERIFY2(QRegularExpression(u"^\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d$"_s).match(row[0]).hasMatch(), qPrintable(row[0]));
    QCOMPARE(row.mid(1), (QStringList{name, artist, u"あり"_s, u"あり"_s}));

#ifdef Q_OS_LINUX
    // The title file cannot take the record (the disk fills up once the files are back):
    // the files go back into their folder and nothing has changed.
    const QMap<QString, QByteArray> deletedState = folderContents(f.tmp.path());
    f.dialogs.clear();
    {
        const fixture::DiskFillsAt full(static_cast<rlim_t>(f.bytes(kTitles).size() + 5));
        QVERIFY(full.isSet());
        QTest::mouseClick(panel->cmdRestore, Qt::LeftButton);
    }
    QCOMPARE(f.dialogs.titles(), QStringList{u"書き込みエラー"_s});
    QVERIFY(f.dialogs.boxes[0].text.endsWith(u"タイトルは元に戻していません。「%1」フォルダもそのままです。"_s.arg(panel->titles().first().folder)));
    QCOMPARE(folderContents(f.tmp.path()), deletedState);
    QCOMPARE(panel->grdDeletedTitles->rowCount(), 1);
    QCOMPARE(w.state().titles.count(), 2);
#endif

    f.dialogs.clear();
    QTest::mouseClick(panel->cmdRestore, Qt::LeftButton);
    QCOMPARE(f.dialogs.titles(), QStringList{u"削除したタイトル"_s});
    QCOMPARE(f.dialogs.boxes[0].text, u"「%1」を元に戻しました。タイトルの並びの最後に加えてあります。"_s.arg(name));
    QCOMPARE(f.dialogs.unexpected, 0);

    // Every file byte for byte as before the deletion, the record at the end of the main
    // order, and no kept folder left.
    QMap<QString, QByteArray> expected = before;
    QStringList order = lines;
    order.append(order.takeAt(deleted - 1));
    expected[kTitles] = sjis(order.join(QString()));
    QCOMPARE(folderContents(f.tmp.path()), expected);
    QCOMPARE(panel->grdDeletedTitles->rowCount(), 0);
    QVERIFY(!panel->cmdRestore->isEnabled());

    // The main screen shows the title put back, with the track list it had.
    QCOMPARE(w.state().titles.count(), 3);
    QCOMPARE(w.state().titles.at(3).name, name);
    QCOMPARE(w.fraMain->cboName->currentText(), name);
    QCOMPARE(songsShown(w), (QStringList{u"雨"_s, u"風"_s}));
}

void TestDeletedTitles::aNameTakenMeanwhileIsNeverOverwritten()
{
    UiFixture f;
    const QString now = UiFixture::title(u"二"_s, u"今の歌手"_s);
    QVERIFY(f.put(kTitles, UiFixture::title(u"一"_s) + now));
    QVERIFY(f.put(u"二.txt"_s, u"今の二のメモ\r\n"_s));
    const QByteArray oldPicture = solidPicture(qRgb(0, 0, 200), "JPG");
    keepByHand(f, u"削除済み_20261201_101500"_s, UiFixture::title(u"二"_s, u"昔の歌手"_s),
               {{u"二.jpg"_s, oldPicture}, {u"二.txt"_s, sjis(u"昔の二のメモ\r\n"_s)}});
    MainWindow& w = f.start();
    DeletedTitlesPanel* panel = openPanel(w);
    QCOMPARE(rowOf(panel->grdDeletedTitles, 0), (QStringList{u"2026/12/01 10:15:00"_s, u"二"_s, u"昔の歌手"_s, u"あり"_s, u"あり"_s}));
    const QMap<QString, QByteArray> before = folderContents(f.tmp.path());

    // Cancelled at the name: nothing changes.
    f.dialogs.inputs = {QString()};
    QTest::mouseClick(panel->cmdRestore, Qt::LeftButton);
    QCOMPARE(f.dialogs.order, (QStringList{u"二重登録"_s, u"?"_s}));
    QCOMPARE(f.dialogs.boxes[0].text, u"「二」という名前のタイトルが既にあります。\r\n\r\n上書きはしません。別の名前を付けて元に戻します。"_s);
    QCOMPARE(f.dialogs.offered, QStringList{u"二_2"_s});
    QCOMPARE(folderContents(f.tmp.path()), before);

    // The taken name and a name the rules refuse are asked for again;
    // the name given then is used for the record and every file.
    f.dialogs.clear();
    f.dialogs.order.clear();
    f.dialogs.offered.clear();
    f.dialogs.inputs = {u"二"_s, u"二?"_s, u"二〜昔"_s};
    QTest::mouseClick(panel->cmdRestore, Qt::LeftButton);
    QCOMPARE(f.dialogs.order, (QStringList{u"二重登録"_s, u"?"_s, u"二重登録"_s, u"?"_s, namerules::titleNameRefusal(u"二?"_s)->title,
                                          u"?"_s, u"削除したタイトル"_s}));
    QVERIFY(f.dialogs.boxes.back().text.contains(u"曲目は「二」の名前で残っているため"_s));
    QCOMPARE(f.dialogs.unexpected, 0);
    QCOMPARE(f.bytes(kTitles), sjis(UiFixture::title(u"一"_s) + now + UiFixture::title(u"二～昔"_s, u"昔の歌手"_s)));
    QCOMPARE(f.bytes(u"二.txt"_s), sjis(u"今の二のメモ\r\n"_s));
    QVERIFY(!QFile::exists(f.path(u"二.jpg"_s)));
    QCOMPARE(f.bytes(u"二～昔.jpg"_s), oldPicture);
    QCOMPARE(f.bytes(u"二～昔.txt"_s), sjis(u"昔の二のメモ\r\n"_s));
    QVERIFY(!QFileInfo::exists(f.path(u"削除済み_20261201_101500"_s)));
    QCOMPARE(w.state().titles.count(), 3);
    QCOMPARE(w.fraMain->cboName->currentText(), u"二～昔"_s);
}

void TestDeletedTitles::purgeAsksWithTheSafeDefaultAndNeverFollowsALink()
{
    UiFixture f;
    QVERIFY(f.put(kTitles, UiFixture::title(u"一"_s)));
    QTemporaryDir outside;
    QVERIFY(fixture::write(outside.filePath(u"大事.jpg"_s), "keep me"));
    keepByHand(f, u"削除済み_20261130_090000"_s, UiFixture::title(u"古い"_s), {{u"古い.jpg"_s, "old"}});
    QVERIFY(QFile::link(outside.filePath(u"大事.jpg"_s), f.path(u"削除済み_20261130_090000/古い.bmp"_s)));
    // A folder of that name that is a link to another is no kept title.
    QVERIFY(QFile::link(outside.path(), f.path(u"削除済み_20261202_000000"_s)));
    QVERIFY(fixture::write(outside.filePath(u"削除したタイトル.TXT"_s), sjis(UiFixture::title(u"外"_s))));
    MainWindow& w = f.start();
    DeletedTitlesPanel* panel = openPanel(w);
    QCOMPARE(panel->grdDeletedTitles->rowCount(), 1);
    // Coming back to the panel lists what was kept meanwhile.
    keepByHand(f, u"削除済み_20261201_101500"_s, UiFixture::title(u"新しい"_s), {{u"新しい.txt"_s, "new"}});
    const QMap<QString, QByteArray> before = folderContents(f.tmp.path());
    QApplication::setActiveWindow(panel);
    QCOMPARE(panel->grdDeletedTitles->rowCount(), 2);
    QCOMPARE(rowOf(panel->grdDeletedTitles, 0).mid(1), (QStringList{u"古い"_s, u"歌手"_s, u"あり"_s, u"なし"_s}));
    QCOMPARE(rowOf(panel->grdDeletedTitles, 1).mid(1), (QStringList{u"新しい"_s, u"歌手"_s, u"なし"_s, u"あり"_s}));

    // Delete on the row asks; Enter on the question keeps everything.
    panel->grdDeletedTitles->setCurrentCell(0, 1);
    panel->grdDeletedTitles->setFocus();
    QTest::keyClick(panel->grdDeletedTitles, Qt::Key_Delete);
    QCOMPARE(f.dialogs.titles(), QStringList{u"完全に削除の確認"_s});
    QCOMPARE(f.dialogs.boxes[0].buttons, Dialogs::Buttons::YesNo);
    QCOMPARE(f.dialogs.boxes[0].def, Dialogs::Answer::No);
    QVERIFY(f.dialogs.boxes[0].text.contains(u"2026/11/30 09:00:00 に削除した「古い」"_s));
    QCOMPARE(folderContents(f.tmp.path()), before);

    f.dialogs.clear();
    f.dialogs.unexpected = 0;
    f.dialogs.answers = {Dialogs::Answer::Yes};
    QTest::mouseClick(panel->cmdPurge, Qt::LeftButton);
    QCOMPARE(f.dialogs.titles(), QStringList{u"完全に削除の確認"_s});
    QVERIFY(!QFileInfo::exists(f.path(u"削除済み_20261130_090000"_s)));
    QCOMPARE(fixture::read(outside.filePath(u"大事.jpg"_s)), QByteArray("keep me"));
    QVERIFY(QFileInfo::exists(f.path(u"削除済み_20261201_101500/新しい.txt"_s)));
    QCOMPARE(panel->grdDeletedTitles->rowCount(), 1);
    QCOMPARE(panel->grdDeletedTitles->item(0, 1)->text(), u"新しい"_s);
    QCOMPARE(f.dialogs.unexpected, 0);
}

QTEST_MAIN(TestDeletedTitles)
#include "tst_deletedtitles.moc"
