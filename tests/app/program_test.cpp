// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// The real program, started as a user's desktop starts it, in a folder of its own.
#include <signal.h>

#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include "platform/text_codec.h"
#include "tests/support/launch_sandbox.h"
#include "tests/support/test_files.h"
#include "tools/demo_service.h"

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
    void commandLineAnswersWithoutADisplay_data();
    void commandLineAnswersWithoutADisplay();
    void copyWithoutItsFilesKeepsThemPrivately_data();
    void copyWithoutItsFilesKeepsThemPrivately();
};

void ProgramTest::secondStartRaisesTheFirstAndEnds() {
    QTemporaryDir dir;
    ProgramCopy copy(QStringLiteral(KV_PROGRAM), dir.path());
    writeBytes(dir.filePath(QStringLiteral("zodadud_data.dat")), kVisitors);
    QProcess& first = copy.start({QStringLiteral("--verbose")});
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
    writeBytes(dir.filePath(QStringLiteral("zodadud_data.dat")), kVisitors);
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
    // The collection at start-up has no login, and its message waits for a user who has logged
    // out: the signal closes it and the program still ends.
    QTest::addColumn<bool>("messageWaits");
    QTest::newRow("SIGTERM") << SIGTERM << "SIGTERM" << false;
    QTest::newRow("SIGINT") << SIGINT << "SIGINT" << false;
    QTest::newRow("SIGHUP") << SIGHUP << "SIGHUP" << false;
    QTest::newRow("SIGTERM while the login message waits") << SIGTERM << "SIGTERM" << true;
}

void ProgramTest::exitSignalsEndInOrder() {
    QFETCH(int, signalNumber);
    QFETCH(QString, name);
    QFETCH(bool, messageWaits);
    QTemporaryDir dir;
    ProgramCopy copy(QStringLiteral(KV_PROGRAM), dir.path());
    const QString setting = dir.filePath(QStringLiteral("setting.ini"));
    QByteArray settings = "[Setting]\r\nWaitTime=12\r\n";
    DemoServiceThread demo;
    // A home without browsers: the service answers with its login page.
    const QByteArray savedHome = qgetenv("HOME");
    const auto restoreHome = qScopeGuard([&savedHome] { qputenv("HOME", savedHome); });
    if (messageWaits) {
        QVERIFY(demo.start());
        DemoOptions options;
        options.requireCookie = true;
        demo.service().setOptions(options);
        settings += "BootGet=1\r\nServiceUrl=" + demo.baseUrl().toUtf8() + "\r\n";
        qputenv("HOME", dir.filePath(QStringLiteral("home")).toUtf8());
    }
    writeBytes(setting, settings);
    QProcess& running = copy.start();
    QVERIFY(copy.waitForLog(messageWaits ? QStringLiteral("ログインが必要です") : kStarted));

    QCOMPARE(::kill(pid_t(running.processId()), signalNumber), 0);
    QVERIFY(endedWell(running));
    // Written at the exit: the options it did not hold before are there now.
    QVERIFY(readBytes(setting).contains("WaitTime=12\r\n"));
    QVERIFY(readBytes(setting).contains("Batsu=0\r\n"));
    QVERIFY(copy.log().contains(QStringLiteral("終了 (") + name + u')'));
}

void ProgramTest::commandLineAnswersWithoutADisplay_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::newRow("--help") << QStringList{QStringLiteral("--help")} << 0
                            << QStringLiteral("--data-dir <DIR>") << QString();
    QTest::newRow("--version") << QStringList{QStringLiteral("--version")} << 0
                               << QStringLiteral("kestrelview " KV_VERSION "\n") << QString();
    QTest::newRow("unknown option: the usage, on standard error")
        << QStringList{QStringLiteral("--later-option")} << 2 << QString()
        << QStringLiteral("--data-dir <DIR>");
    QTest::newRow("--data-dir without its folder")
        << QStringList{QStringLiteral("--data-dir")} << 2 << QString()
        << QStringLiteral("--data-dir <DIR>");
}

void ProgramTest::commandLineAnswersWithoutADisplay() {
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QTemporaryDir dir;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    // The X11 plugin aborts where no display can be opened: any window would end the test here.
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dir.path());
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(KV_PROGRAM), arguments);
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), status);
    const QString stdOut = QString::fromLocal8Bit(process.readAllStandardOutput());
    const QString stdErr = QString::fromLocal8Bit(process.readAllStandardError());
    QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.contains(out), qPrintable(stdOut));
    QVERIFY2(err.isEmpty() ? stdErr.isEmpty() : stdErr.contains(err), qPrintable(stdErr));
    // Nothing is written anywhere.
    QVERIFY(QDir(dir.path()).isEmpty());
}

void ProgramTest::copyWithoutItsFilesKeepsThemPrivately_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("dataFolder");
    QTest::newRow("the user's data folder") << QStringList() << QStringLiteral("xdg/kestrelview");
    QTest::newRow("--data-dir, created")
        << QStringList{QStringLiteral("--data-dir"), QStringLiteral("chosen/folder")}
        << QStringLiteral("copy/chosen/folder");
}

void ProgramTest::copyWithoutItsFilesKeepsThemPrivately() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, dataFolder);
    QTemporaryDir root;
    const QString folder = root.filePath(QStringLiteral("copy"));
    QVERIFY(QDir().mkpath(folder));
    const QByteArray savedXdg = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", root.filePath(QStringLiteral("xdg")).toLocal8Bit());
    const auto restoreXdg = qScopeGuard([&savedXdg] { qputenv("XDG_DATA_HOME", savedXdg); });
    ProgramCopy copy(QStringLiteral(KV_PROGRAM), folder);
    QProcess& running = copy.start(arguments);
    const QString data = root.filePath(dataFolder);
    const QString log = data + QStringLiteral("/kestrelview.log");
    QTRY_VERIFY_WITH_TIMEOUT(readBytes(log).contains(kStarted.toUtf8()), 20000);
    running.terminate();
    QVERIFY(endedWell(running));

    using P = QFileDevice;
    QCOMPARE(QFile::permissions(data),
             P::ReadOwner | P::WriteOwner | P::ExeOwner | P::ReadUser | P::WriteUser | P::ExeUser);
    // The log is appended to; the settings are written through a temporary file at the exit.
    for (const char* name : {"kestrelview.log", "setting.ini"}) {
        QCOMPARE(QFile::permissions(data + u'/' + QString::fromLatin1(name)),
                 P::ReadOwner | P::WriteOwner | P::ReadUser | P::WriteUser);
    }
    // Nothing beside the copy but itself (and the folder it was asked to make).
    QStringList beside = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    beside.sort();
    QCOMPARE(beside, arguments.isEmpty()
                         ? QStringList{QStringLiteral("Kestrelview")}
                         : QStringList({QStringLiteral("Kestrelview"), QStringLiteral("chosen")}));
}

QTEST_MAIN(ProgramTest)
#include "program_test.moc"
