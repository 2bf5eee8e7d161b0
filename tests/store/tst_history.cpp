#include "fixture.h"

#include "store/dailyhistory.h"
#include "store/datafolder.h"
#include "store/restore.h"
#include "upkeep/historyrules.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using fixture::sjis;

// The daily history: the first rewrite of a day keeps the main file as it was, whole and
// never changed again, and only the newest days stay.
class TestHistory : public QObject {
    Q_OBJECT

private slots:
    void keepsEachFileAsItWasBeforeTheDaysFirstRewrite_data();
    void keepsEachFileAsItWasBeforeTheDaysFirstRewrite();
    void keepsTheNewestDaysAndNeverFollowsALink();
    void tellsHowTitlesDifferByName();
    void aRestoreThatFailsLeavesEveryFileAsItWas();
};

void TestHistory::keepsEachFileAsItWasBeforeTheDaysFirstRewrite_data()
{
    QTest::addColumn<QString>("onDisk");
    QTest::addColumn<QString>("written");
    QTest::addColumn<bool>("kept");
    QTest::newRow("title file") << u"データ.TXT"_s << u"データ.TXT"_s << true;
    QTest::newRow("spelt otherwise on disk") << u"データ.txt"_s << u"データ.TXT"_s << true;
    QTest::newRow("a master") << u"歌手マスタ.txt"_s << u"歌手マスタ.txt"_s << true;
    QTest::newRow("a title's own file") << u"データ2.TXT"_s << u"データ2.TXT"_s << false;
}

void TestHistory::keepsEachFileAsItWasBeforeTheDaysFirstRewrite()
{
    QFETCH(QString, onDisk);
    QFETCH(QString, written);
    QFETCH(bool, kept);
    QTemporaryDir dir;
    QTemporaryDir elsewhere;
    const QByteArray original = sjis(u"元の内容\r\n"_s);
    QVERIFY(fixture::write(dir.filePath(onDisk), original));
    // A history folder that is a link is never written through: the rewrite is refused.
    QVERIFY(QFile::link(elsewhere.path(), dir.filePath(u"履歴"_s)));
    QDate today(2026, 12, 7);
    DataFolder folder(dir.path());
    folder.keepDailyHistory(historyrules::keptFiles(), [&today] { return today; });
    const QString day = dir.filePath(u"履歴/20261208/"_s + onDisk);
    const WriteResult refused = folder.rewrite(written, u"一度目\r\n"_s);
    QCOMPARE(refused.ok(), !kept);
    QCOMPARE(fixture::read(dir.filePath(onDisk)), kept ? original : sjis(u"一度目\r\n"_s));
    QVERIFY(QDir(elsewhere.path()).isEmpty());
    QVERIFY(QFile::remove(dir.filePath(u"履歴"_s)));
    today = today.addDays(1);

    QVERIFY(folder.rewrite(written, u"一度目\r\n"_s).ok());
    QVERIFY(folder.rewrite(written, u"二度目\r\n"_s).ok());
    QCOMPARE(QFile::exists(day), kept);
    if (!kept) {
        QVERIFY(!QFileInfo::exists(dir.filePath(u"履歴"_s)));
        return;
    }
    // The file as it was before the day's first rewrite, untouched by the later ones.
    QCOMPARE(fixture::read(day), original);
    QCOMPARE(refused.message().isEmpty(), false);
    // A write that fails keeps nothing (the second file cannot be put in place, over a
    // folder); the next day keeps the file as the day left it.
    today = today.addDays(1);
    QVERIFY(QDir(dir.path()).mkdir(u"曲目データ.TXT"_s));
    QVERIFY(!folder.write({{written, u"三度目\r\n"_s}, {u"曲目データ.TXT"_s, {}}}).ok());
    QVERIFY(!QFileInfo::exists(dir.filePath(u"履歴/20261209"_s)) || QDir(dir.filePath(u"履歴/20261209"_s)).isEmpty());
    QVERIFY(folder.rewrite(written, u"四度目\r\n"_s).ok());
    QCOMPARE(fixture::read(dir.filePath(u"履歴/20261209/"_s + onDisk)), sjis(u"二度目\r\n"_s));
    QCOMPARE(fixture::read(day), original);
    QCOMPARE(DailyHistory::days(dir.path()), (QList<QDate>{QDate(2026, 12, 9), QDate(2026, 12, 8)}));
}

void TestHistory::keepsTheNewestDaysAndNeverFollowsALink()
{
    QTemporaryDir dir;
    QTemporaryDir outside;
    QVERIFY(QDir(outside.path()).mkpath(u"20260101"_s));
    QVERIFY(fixture::write(outside.filePath(u"20260101/データ.TXT"_s), "outside"));
    QDir data(dir.path());
    QList<QDate> made;
    for (int i = 0; i < DailyHistory::kDays + 3; ++i) {
        const QDate day = QDate(2026, 11, 1).addDays(i * 2);
        QVERIFY(data.mkpath(DailyHistory::dayFolder(day)));
        QVERIFY(fixture::write(data.filePath(DailyHistory::dayFolder(day) + u"/データ.TXT"_s), "x"));
        made.prepend(day);
    }
    // A link among the days, older than all: the folder it points to stays.
    QVERIFY(QFile::link(outside.filePath(u"20260101"_s), data.filePath(u"履歴/20260101"_s)));
    QCOMPARE(DailyHistory::removeOldDays(dir.path()).size(), 3);
    QCOMPARE(DailyHistory::days(dir.path()), made.mid(0, DailyHistory::kDays));
    QCOMPARE(fixture::read(outside.filePath(u"20260101/データ.TXT"_s)), QByteArray("outside"));
}

void TestHistory::tellsHowTitlesDifferByName()
{
    // "name:memo" for each title.
    const auto records = [](const QString& list) {
        std::vector<TitleRecord> out;
        for (const QString& entry : list.split(u' ', Qt::SkipEmptyParts))
            out.push_back({entry.section(u':', 0, 0), u"歌手"_s, {}, {}, {}, {}, entry.section(u':', 1)});
        return out;
    };
    const auto differ = [&](const QString& then, const QString& now) {
        const historyrules::Difference d = historyrules::compare(records(then), records(now));
        return QStringList{d.added.join(u','), d.removed.join(u','), d.changed.join(u','),
                           d.reordered ? u"reordered"_s : QString(), d.none() ? u"none"_s : QString()};
    };
    QCOMPARE(differ(u"a: b:"_s, u"a: b:"_s), (QStringList{{}, {}, {}, {}, u"none"_s}));
    // A list's 反映 changes nothing but the order.
    QCOMPARE(differ(u"a: b: c:"_s, u"c: a: b:"_s), (QStringList{{}, {}, {}, u"reordered"_s, {}}));
    // Titles added or removed between the others move none of them.
    QCOMPARE(differ(u"a: b: c:"_s, u"a:memo d: c:"_s), (QStringList{u"d"_s, u"b"_s, u"a"_s, {}, {}}));
    QCOMPARE(differ(QString(), u"x: y:"_s), (QStringList{u"x,y"_s, {}, {}, {}, {}}));
}

void TestHistory::aRestoreThatFailsLeavesEveryFileAsItWas()
{
    QTemporaryDir dir;
    const QDir data(dir.path());
    QVERIFY(data.mkpath(u"履歴/20261201"_s));
    const QMap<QString, QByteArray> files{{u"データ.TXT"_s, "now"}, {u"履歴/20261201/データ.TXT"_s, "then"},
                                          {u"履歴/20261201/歌手マスタ.txt"_s, "then"}, {u"履歴/20261201/曲目データ.TXT"_s, "then"}};
    for (auto it = files.begin(); it != files.end(); ++it)
        QVERIFY(fixture::write(data.filePath(it.key()), it.value()));
    // The second file cannot be put back: a link stands under its name.
    QVERIFY(QFile::link(data.filePath(u"nowhere"_s), data.filePath(u"歌手マスタ.txt"_s)));
    QVERIFY(data.mkdir(u"曲目データ.TXT"_s));
    DataFolder folder(dir.path());
    QString aside;
    QString note;
    const auto putBack = [&](const QStringList& names) {
        QList<restore::Piece> pieces;
        for (const QString& name : names)
            pieces.append({u"履歴/20261201"_s, name});
        return restore::putBack(folder, u"履歴から戻す作業"_s, restore::Way::Copy, pieces, {}, QDateTime::currentDateTime(), &aside, &note);
    };
    QVERIFY(!putBack({u"データ.TXT"_s, u"歌手マスタ.txt"_s}).ok());
    // A folder under a kept file's name is refused before anything moves.
    QCOMPARE(putBack({u"データ.TXT"_s, u"曲目データ.TXT"_s}).detail, u"同じ名前のフォルダがデータフォルダにあります"_s);
    QCOMPARE(aside, QString());
    QCOMPARE(note, QString());
    QCOMPARE(data.entryList({u"戻す前_*"_s}, QDir::Dirs), QStringList());
    for (auto it = files.begin(); it != files.end(); ++it)
        QCOMPARE(fixture::read(data.filePath(it.key())), it.value());
    QVERIFY(QFileInfo(data.filePath(u"歌手マスタ.txt"_s)).isSymLink());
}

QTEST_APPLESS_MAIN(TestHistory)
#include "tst_history.moc"
