#include "../store/fixture.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace Qt::Literals::StringLiterals;

// The program as the desktop runs it: ended by a signal at logout, it ends the normal
// way and leaves the data folder free and unchanged.
class TestProgram : public QObject {
    Q_OBJECT

private slots:
    void endsNormallyOnASignal_data();
    void endsNormallyOnASignal();
};

void TestProgram::endsNormallyOnASignal_data()
{
    QTest::addColumn<int>("signal");
    // Started with nohup: the terminal closing leaves the program running.
    QTest::addColumn<bool>("nohup");
    QTest::newRow("SIGTERM (logout)") << SIGTERM << false;
    QTest::newRow("SIGHUP (terminal closed)") << SIGHUP << false;
    QTest::newRow("SIGINT (Ctrl+C)") << SIGINT << false;
    QTest::newRow("SIGHUP under nohup") << SIGHUP << true;
}

void TestProgram::endsNormallyOnASignal()
{
    QFETCH(int, signal);
    QFETCH(bool, nohup);
    QTemporaryDir dir;
    // The tour is on, so the program waits in its first guidance box, a modal dialog.
    const QByteArray titles = fixture::sjis(u"\"題\",\"歌手\",\"J-POP\",\"◎\",\"CD\",\"2026/12/08\",\"\"\r\n"_s);
    QVERIFY(fixture::write(dir.filePath(u"データ.TXT"_s), titles));
    QVERIFY(fixture::write(dir.filePath(u"設定.TXT"_s), fixture::sjis(u"\"ヘルプツアー\",1\r\n"_s)));
    QProcess program;
    if (nohup) {
        program.setStandardOutputFile(QProcess::nullDevice());
        program.start(u"nohup"_s, {QStringLiteral(UTABAKO_PROGRAM), dir.path()});
    } else {
        program.start(QStringLiteral(UTABAKO_PROGRAM), {dir.path()});
    }
    QVERIFY(program.waitForStarted());
    const QString lock = dir.filePath(u"utabako.lock"_s);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lock), 10000);
    QTest::qWait(500);
    QCOMPARE(program.state(), QProcess::Running);

    QVERIFY(::kill(static_cast<pid_t>(program.processId()), signal) == 0);
    if (nohup) {
        QVERIFY(!program.waitForFinished(500));
        QVERIFY(::kill(static_cast<pid_t>(program.processId()), SIGTERM) == 0);
    }
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QVERIFY(!QFile::exists(lock));
    QCOMPARE(fixture::read(dir.filePath(u"データ.TXT"_s)), titles);
}

QTEST_MAIN(TestProgram)
#include "tst_program.moc"
