// The real program, started as a user's desktop starts it, in a folder of its own.
#include <signal.h>

#include <QTemporaryDir>
#include <QTest>

#include "platform/text_codec.h"
#include "tests/support/launch_sandbox.h"
#include "tests/support/test_files.h"

namespace {

const QByteArray kVisitors =
    EncodeCp932(QStringLiteral("山田花子\t1203344\t9\t2026年12月06日 22:19\t同期\r\n"
                               "髙橋 誠\t874512\t7\t2026年12月06日 08:02\t\r\n"));

const QString kStarted = QStringLiteral("起動 Kestrelview");

bool endedWell(QProcess& process) {
    return process.waitForFinished(20000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

}  // namespace

class ProgramTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void secondStartRaisesTheFirstAndEnds();
    void killedCopyDoesNotBlockTheNextStart();
    void exitSignalsEndInOrder_data();
    void exitSignalsEndInOrder();
};

void ProgramTest::secondStartRaisesTheFirstAndEnds() {
    QTemporaryDir dir;
    ProgramCopy copy(QStringLiteral(KV_PROGRAM), dir.path());
    writeBytes(dir.filePath(QStringLiteral("zodadud_data.dat")), kVisitors);
    // An argument this version does not know does not stop the start.
    QProcess& first = copy.start({QStringLiteral("--verbose"), QStringLiteral("--later-option")});
    QVERIFY(copy.waitForLog(kStarted));

    QProcess& second = copy.start();
    QVERIFY(endedWell(second));
    QVERIFY(copy.waitForLog(QStringLiteral("前面に表示")));
    QCOMPARE(copy.log().count(kStarted), 1);
    QCOMPARE(first.state(), QProcess::Running);

    first.terminate();
    QVERIFY(endedWell(first));
    QCOMPARE(readBytes(dir.filePath(QStringLiteral("zodadud_data.dat"))), kVisitors);
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("setting.bak"))));
    // --verbose: the log's lines on standard error as well.
    QVERIFY(QString::fromLocal8Bit(first.readAllStandardError()).contains(kStarted));
}

void ProgramTest::killedCopyDoesNotBlockTheNextStart() {
    QTemporaryDir dir;
    ProgramCopy copy(QStringLiteral(KV_PROGRAM), dir.path());
    QProcess& killed = copy.start();
    QVERIFY(copy.waitForLog(kStarted));
    killed.kill();
    QVERIFY(killed.waitForFinished(10000));

    QProcess& next = copy.start();
    QVERIFY(copy.waitForLog(kStarted, 2));
    // And it answers the start after it.
    QVERIFY(endedWell(copy.start()));
    QVERIFY(copy.waitForLog(QStringLiteral("前面に表示")));
    QCOMPARE(next.state(), QProcess::Running);
    next.terminate();
    QVERIFY(endedWell(next));
}

void ProgramTest::exitSignalsEndInOrder_data() {
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<QString>("name");
    QTest::newRow("SIGTERM") << SIGTERM << "SIGTERM";
    QTest::newRow("SIGINT") << SIGINT << "SIGINT";
    QTest::newRow("SIGHUP") << SIGHUP << "SIGHUP";
}

void ProgramTest::exitSignalsEndInOrder() {
    QFETCH(int, signalNumber);
    QFETCH(QString, name);
    QTemporaryDir dir;
    ProgramCopy copy(QStringLiteral(KV_PROGRAM), dir.path());
    const QString setting = dir.filePath(QStringLiteral("setting.ini"));
    writeBytes(setting, "[Setting]\r\nWaitTime=12\r\n");
    QProcess& running = copy.start();
    QVERIFY(copy.waitForLog(kStarted));

    QCOMPARE(::kill(pid_t(running.processId()), signalNumber), 0);
    QVERIFY(endedWell(running));
    // Written at the exit: the options it did not hold before are there now.
    QVERIFY(readBytes(setting).contains("WaitTime=12\r\n"));
    QVERIFY(readBytes(setting).contains("Batsu=0\r\n"));
    QVERIFY(copy.log().contains(QStringLiteral("終了 (") + name + u')'));
}

QTEST_MAIN(ProgramTest)
#include "program_test.moc"
