#include "fixture.h"

#include "store/dailyhistory.h"
#include "store/datafolder.h"
#include "upkeep/historyrules.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using fixture::sjis;

namespace {

QString titleLine(const QString& name, const QString& memo = {})
{
    return u"\"%1\",\"歌手\",\"J-POP\",\"◎\",\"CD\",\"2026/12/07\",\"%2\"\r\n"_s.arg(name, memo);
}

} // namespace

// The daily history: the first rewrite of a day keeps the main file as it was, whole and
// never changed again; a day is read back as the files kept from that day on.
class TestHistory : public QObject {
    Q_OBJECT

private slots:
    void keepsEachFileAsItWasBeforeTheDaysFirstRewrite_data();
    void keepsEachFileAsItWasBeforeTheDaysFirstRewrite();
    void keepsTheNewestDaysAndNeverFollowsALink();
    void aDayIsTheFilesKeptFromThatDayOn();
    void tellsHowTitlesDiffer_data();
    void tellsHowTitlesDiffer();
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

void TestHistory::aDayIsTheFilesKeptFromThatDayOn()
{
    QTemporaryDir dir;
    const QDir data(dir.path());
    const auto put = [&](const QString& path, const QString& text) {
        QVERIFY(data.mkpath(QFileInfo(data.filePath(path)).path()));
        QVERIFY(fixture::write(data.filePath(path), sjis(text)));
    };
    put(u"履歴/20261201/データ.TXT"_s, titleLine(u"一日"_s));
    put(u"履歴/20261203/データ.TXT"_s, titleLine(u"三日"_s));
    put(u"履歴/20261203/歌手マスタ.txt"_s, u"三日の歌手\r\n"_s);
    put(u"履歴/20261205/曲目データ.TXT"_s, u"五日\r\n"_s);
    put(u"データ.TXT"_s, titleLine(u"今日"_s));
    DataFolder folder(dir.path());
    const auto pieces = [&](const QDate& day) {
        QStringList out;
        for (const restore::Piece& p : historyrules::dayPieces(folder, day))
            out.append(p.folder + u'/' + p.name);
        out.sort();
        return out;
    };
    QCOMPARE(pieces(QDate(2026, 12, 1)), (QStringList{u"履歴/20261201/データ.TXT"_s, u"履歴/20261203/歌手マスタ.txt"_s,
                                                      u"履歴/20261205/曲目データ.TXT"_s}));
    QCOMPARE(pieces(QDate(2026, 12, 3)), (QStringList{u"履歴/20261203/データ.TXT"_s, u"履歴/20261203/歌手マスタ.txt"_s,
                                                      u"履歴/20261205/曲目データ.TXT"_s}));
    QCOMPARE(pieces(QDate(2026, 12, 5)), (QStringList{u"履歴/20261205/曲目データ.TXT"_s}));
    const auto titles = historyrules::keptTitles(folder, historyrules::dayPieces(folder, QDate(2026, 12, 3)));
    QVERIFY(titles && titles->size() == 1);
    QCOMPARE(titles->front().name, u"三日"_s);
    QVERIFY(!historyrules::keptTitles(folder, historyrules::dayPieces(folder, QDate(2026, 12, 5))));
}

void TestHistory::tellsHowTitlesDiffer_data()
{
    QTest::addColumn<QStringList>("then"); // name:memo
    QTest::addColumn<QStringList>("now");
    QTest::addColumn<QString>("added");
    QTest::addColumn<QString>("removed");
    QTest::addColumn<QString>("changed");
    QTest::newRow("same") << QStringList{u"a:"_s, u"b:"_s} << QStringList{u"a:"_s, u"b:"_s} << QString() << QString() << QString();
    QTest::newRow("reordered is no change") << QStringList{u"a:"_s, u"b:"_s} << QStringList{u"b:"_s, u"a:"_s} << QString()
                                            << QString() << QString();
    QTest::newRow("each kind") << QStringList{u"a:"_s, u"b:"_s, u"c:"_s} << QStringList{u"c:memo"_s, u"a:"_s, u"d:"_s}
                               << u"d"_s << u"b"_s << u"c"_s;
    QTest::newRow("from nothing") << QStringList{} << QStringList{u"x:"_s, u"y:"_s} << u"x,y"_s << QString() << QString();
}

void TestHistory::tellsHowTitlesDiffer()
{
    QFETCH(QStringList, then);
    QFETCH(QStringList, now);
    const auto records = [](const QStringList& list) {
        std::vector<TitleRecord> out;
        for (const QString& entry : list)
            out.push_back({entry.section(u':', 0, 0), u"歌手"_s, {}, {}, {}, {}, entry.section(u':', 1)});
        return out;
    };
    QFETCH(QString, added);
    QFETCH(QString, removed);
    QFETCH(QString, changed);
    const historyrules::Difference d = historyrules::compare(records(then), records(now));
    QCOMPARE(d.added.join(u','), added);
    QCOMPARE(d.removed.join(u','), removed);
    QCOMPARE(d.changed.join(u','), changed);
    QCOMPARE(d.none(), added.isEmpty() && removed.isEmpty() && changed.isEmpty());
}

QTEST_APPLESS_MAIN(TestHistory)
#include "tst_history.moc"
