#include "uifixture.h"

#include "store/titletable.h"
#include "upkeep/historypanel.h"
#include "upkeep/historyrules.h"
#include "upkeep/masterscreen.h"

#include <QDirIterator>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>

using namespace Qt::Literals::StringLiterals;
using fixture::sjis;

namespace {

// Every file under path with its bytes, by its path inside.
QMap<QString, QByteArray> filesUnder(const QString& path)
{
    QMap<QString, QByteArray> out;
    QDirIterator it(path, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        out.insert(QDir(path).relativeFilePath(it.filePath()), fixture::read(it.filePath()));
    }
    return out;
}

HistoryPanel& openPanel(MainWindow& w)
{
    QTest::mouseClick(w.cmdMaster, Qt::LeftButton);
    QTest::mouseClick(w.fraMaster->cmdHistory, Qt::LeftButton);
    return *w.fraMaster->frmHistory;
}

} // namespace

// The way back: a reset undone and a day of the history put back, each file byte for
// byte, with what was there before kept in a folder of its own.
class TestHistoryPanel : public QObject {
    Q_OBJECT

private slots:
    void resetUndonePutsEveryFileBack();
    void aDayOfTheHistoryIsPutBack();
};

void TestHistoryPanel::resetUndonePutsEveryFileBack()
{
    UiFixture f;
    const QMap<QString, QByteArray> collection{
        {u"データ.TXT"_s, sjis(UiFixture::title(u"abc"_s) + UiFixture::title(u"設定"_s) + UiFixture::title(u"曲目_b"_s))},
        {u"曲目データ.TXT"_s, sjis(u"\"一\",\"歌手\",\"演歌\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\"\r\n"_s)},
        {u"歌手マスタ.txt"_s, sjis(u"歌手\r\n"_s)}, {u"作詞マスタ.txt"_s, sjis(u"詞\r\n"_s)}, {u"ABC.txt"_s, "x"},
        {u"abc.JPG"_s, "\xff\xd8jpeg"}, {u"曲目_abc.txt"_s, sjis(u"一\r\n"_s)}, {u"歌詞_一_歌手.TXT"_s, sjis(u"歌\r\n"_s)},
        {u"設定.TXT"_s, sjis(u"\"ヘルプツアー\",0\r\n"_s)}, {u"NOPIC.JPG"_s, "nopic"},
        {u"履歴/20261201/データ.TXT"_s, "kept"}}; // left alone by the reset and its undoing
    QVERIFY(QDir(f.tmp.path()).mkpath(u"履歴/20261201"_s));
    for (auto it = collection.begin(); it != collection.end(); ++it)
        QVERIFY(f.putBytes(it.key(), it.value()));

    MainWindow& w = f.start();
    f.dialogs.clear();
    f.dialogs.answers = {Dialogs::Answer::Yes};
    QTest::mouseClick(w.cmdMaster, Qt::LeftButton);
    QTest::mouseClick(w.fraMaster->cmdAllDel, Qt::LeftButton);
    QCOMPARE(f.dialogs.titles(), (QStringList{u"タイトル全データ削除確認"_s, u"データ削除"_s}));

    // A new collection begun after the reset.
    MainWindow& again = f.restart();
    const QByteArray today = sjis(UiFixture::title(u"新しい"_s));
    QVERIFY(f.folder->rewrite(u"データ.TXT"_s, UiFixture::title(u"新しい"_s)).ok());
    HistoryPanel& panel = openPanel(again);
    QCOMPARE(panel.lstKept->topLevelItemCount(), 1);
    QCOMPARE(panel.lstKept->topLevelItem(0)->text(1), u"初期化の前"_s);
    QCOMPARE(panel.lstKept->topLevelItem(0)->text(2), u"3"_s);

    // Nothing chosen: told so. Then No: nothing changes.
    f.dialogs.clear();
    f.dialogs.answers = {Dialogs::Answer::Ok, Dialogs::Answer::No};
    QTest::mouseClick(panel.cmdKeptBack, Qt::LeftButton);
    panel.lstKept->setCurrentItem(panel.lstKept->topLevelItem(0));
    QTest::mouseClick(panel.cmdKeptBack, Qt::LeftButton);
    QCOMPARE(f.dialogs.titles(), (QStringList{u"対象未選択"_s, u"元に戻す確認"_s}));
    QCOMPARE(f.dialogs.boxes[1].def, Dialogs::Answer::No);
    QCOMPARE(f.bytes(u"データ.TXT"_s), today);

    f.dialogs.clear();
    f.dialogs.answers = {Dialogs::Answer::Yes};
    QTest::mouseClick(panel.cmdKeptBack, Qt::LeftButton);
    QCOMPARE(f.dialogs.titles(), (QStringList{u"元に戻す確認"_s, u"元に戻す"_s}));
    QCOMPARE(f.dialogs.busyDepth, 0);
    QVERIFY(!again.isVisible());

    // Every file as before the reset; today's in a folder of its own, named in the message.
    const QDir data(f.tmp.path());
    const QStringList aside = data.entryList({u"戻す前_*"_s}, QDir::Dirs);
    QCOMPARE(aside.size(), 1);
    QCOMPARE(data.entryList({u"初期化前_*"_s}, QDir::Dirs), QStringList());
    QVERIFY(f.dialogs.boxes[1].text.contains(QDir::toNativeSeparators(data.filePath(aside[0]))));
    QMap<QString, QByteArray> now = filesUnder(f.tmp.path());
    QCOMPARE(now.value(aside[0] + u"/データ.TXT"_s), today);
    QCOMPARE(now.value(aside[0] + u"/歌手マスタ.txt"_s), QByteArray());
    QVERIFY(now.contains(aside[0] + u"/作曲マスタ.txt"_s));
    for (auto it = now.begin(); it != now.end();)
        it = it.key().startsWith(aside[0] + u'/') ? now.erase(it) : std::next(it);
    QCOMPARE(now, collection);
    QCOMPARE(f.dialogs.unexpected, 0);
}

void TestHistoryPanel::aDayOfTheHistoryIsPutBack()
{
    UiFixture f;
    QDate today(2026, 12, 1);
    const auto keep = [&] { f.folder->keepDailyHistory(historyrules::keptFiles(), [&today] { return today; }); };
    const QByteArray morning = sjis(UiFixture::title(u"朝"_s) + UiFixture::title(u"消す"_s));
    const QByteArray artists = sjis(u"歌手\r\n"_s);
    QVERIFY(f.putBytes(u"データ.TXT"_s, morning));
    QVERIFY(f.putBytes(u"歌手マスタ.txt"_s, artists));
    keep();
    QVERIFY(f.folder->rewrite(u"データ.TXT"_s, UiFixture::title(u"朝"_s) + UiFixture::title(u"消す"_s) + UiFixture::title(u"一日目"_s)).ok());
    today = today.addDays(1);
    QVERIFY(f.folder->rewrite(u"データ.TXT"_s, UiFixture::title(u"朝"_s, u"別の歌手"_s) + UiFixture::title(u"一日目"_s)
                                                 + UiFixture::title(u"二日目"_s)).ok());
    QVERIFY(f.folder->rewrite(u"歌手マスタ.txt"_s, u"歌手\r\n別の歌手\r\n"_s).ok());
    const QMap<QString, QByteArray> history = filesUnder(f.path(u"履歴"_s));
    QCOMPARE(history.keys(), (QStringList{u"20261201/データ.TXT"_s, u"20261202/データ.TXT"_s, u"20261202/歌手マスタ.txt"_s}));

    MainWindow& w = f.restart();
    keep();
    HistoryPanel& panel = openPanel(w);
    QCOMPARE(panel.lstDays->count(), 2);
    QCOMPARE(panel.lstDays->item(1)->text(), u"2026年12月01日"_s);
    panel.lstDays->setCurrentRow(1);
    const QString told = panel.txtDayDiff->toPlainText();
    QVERIFY2(told.contains(u"追加 2 件、削除 1 件、変更 1 件"_s), qPrintable(told));
    for (const QString& name : {u"一日目"_s, u"二日目"_s, u"消す"_s, u"朝"_s})
        QVERIFY2(told.contains(name), qPrintable(name));

    f.dialogs.answers = {Dialogs::Answer::Yes};
    const QByteArray now = f.bytes(u"データ.TXT"_s);
    const QByteArray nowArtists = f.bytes(u"歌手マスタ.txt"_s);
    QTest::mouseClick(panel.cmdDayBack, Qt::LeftButton);
    QCOMPARE(f.dialogs.titles(), (QStringList{u"元に戻す確認"_s, u"元に戻す"_s}));
    QCOMPARE(f.bytes(u"データ.TXT"_s), morning);
    QCOMPARE(f.bytes(u"歌手マスタ.txt"_s), artists);
    // Today's files set aside; the history keeps every day as it was.
    const QStringList aside = QDir(f.tmp.path()).entryList({u"戻す前_*"_s}, QDir::Dirs);
    QCOMPARE(aside.size(), 1);
    QCOMPARE(filesUnder(f.path(aside[0])), (QMap<QString, QByteArray>{{u"データ.TXT"_s, now}, {u"歌手マスタ.txt"_s, nowArtists}}));
    QCOMPARE(filesUnder(f.path(u"履歴"_s)), history);
    QCOMPARE(f.dialogs.unexpected, 0);
}

QTEST_MAIN(TestHistoryPanel)
#include "tst_historypanel.moc"
