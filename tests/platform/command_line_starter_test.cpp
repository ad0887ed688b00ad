// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QDir>
#include <QFile>
#include <QtTest>

#include "platform/command_line.h"
#include "tests/support/launch_sandbox.h"

// Starting programs from Windows-style command lines, for real, with recording stand-ins on a
// PATH of their own.
class CommandLineStarterTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void startsWithTheWindowsArguments_data() {
        QTest::addColumn<QString>("program");  // where the stand-in lives, below the sandbox
        QTest::addColumn<QString>("line");     // "<P>" is the stand-in's full path
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("found on PATH") << "bin/browser"
                                       << "browser -a \"b c\" d\\\"e \"\" \"f\"\"g\""
                                       << QStringList{"-a", "b c", "d\"e", "", "f\"g"};
        QTest::newRow("quoted path with blanks")
            << "my browsers/b"
            << "\"<P>\" \"https://mixi.jp/show_friend.pl?id=1\""
            << QStringList{"https://mixi.jp/show_friend.pl?id=1"};
        QTest::newRow("unquoted full path, address appended")
            << "opt/b"
            << "<P> --new https://a/?x=1&y=2" << QStringList{"--new", "https://a/?x=1&y=2"};
        QTest::newRow("backslashes before quotes") << "bin/browser"
                                                   << "browser \"a\\\\\" \"b\\\\\\\"c\" C:\\d\\"
                                                   << QStringList{"a\\", "b\\\"c", "C:\\d\\"};
        QTest::newRow("explorer.exe opens with the desktop's opener")
            << "bin/xdg-open"
            << "explorer.exe \"https://mixi.jp/list_diary.pl?id=7\""
            << QStringList{"https://mixi.jp/list_diary.pl?id=7"};
        QTest::newRow("explorer without closing quote")
            << "bin/xdg-open"
            << "EXPLORER \"https://www.example.com/kestrelview/"
            << QStringList{"https://www.example.com/kestrelview/"};
    }
    void startsWithTheWindowsArguments() {
        QFETCH(QString, program);
        QFETCH(QString, line);
        QFETCH(QStringList, arguments);
        LaunchSandbox sandbox;
        const QString path = sandbox.writeStandIn(sandbox.root() + u'/' + program, "run");
        line.replace(QStringLiteral("<P>"), path);

        auto starter = createLinuxCommandLineStarter();
        QCOMPARE(starter->start(line), StartResult::Started);
        QVERIFY(sandbox.waitForLaunches("run", 1));
        QCOMPARE(sandbox.launches("run"), QList<QStringList>{QStringList{path} + arguments});
    }

    void notFoundIsDecidedBeforeStarting_data() {
        QTest::addColumn<QString>("line");
        QTest::newRow("empty") << "";
        QTest::newRow("blank then address") << " https://mixi.jp/show_friend.pl?id=1";
        QTest::newRow("missing full path") << "/nonexistent/browser \"%1\"";
        QTest::newRow("file without execute permission") << "<R>/plain.txt x";
        QTest::newRow("folder") << "\"<R>/bin\" x";
        QTest::newRow("name on no PATH folder") << "nosuchbrowser x";
        QTest::newRow("relative PATH folder is not searched") << "hidden x";
        QTest::newRow("Windows path") << "\"C:\\Program Files\\b\\b.exe\" x";
    }
    void notFoundIsDecidedBeforeStarting() {
        QFETCH(QString, line);
        LaunchSandbox sandbox;
        sandbox.addStandIn("xdg-open");
        sandbox.writeStandIn(sandbox.root() + QStringLiteral("/rel/hidden"), "hidden");
        sandbox.writeFile("plain.txt", "#!/bin/sh\n");
        qputenv("PATH", (sandbox.binFolder() + QStringLiteral(":rel::")).toLocal8Bit());
        const QString previous = QDir::currentPath();
        QDir::setCurrent(sandbox.root());
        line.replace(QStringLiteral("<R>"), sandbox.root());

        auto starter = createLinuxCommandLineStarter();
        const StartResult result = starter->start(line);
        QDir::setCurrent(previous);
        QCOMPARE(result, StartResult::FileNotFound);
        sandbox.settle();
        QVERIFY(sandbox.launches("hidden").isEmpty());
        QVERIFY(sandbox.launches("xdg-open").isEmpty());
    }

    void explorerWithoutAnOpenerIsNotFound() {
        LaunchSandbox sandbox;
        auto starter = createLinuxCommandLineStarter();
        QCOMPARE(starter->start("explorer.exe \"https://a\""), StartResult::FileNotFound);
    }

    // A program that is there but cannot run is another failure, not "not found".
    void programThatCannotRunFails() {
        LaunchSandbox sandbox;
        const QString path =
            sandbox.writeFile("bin/broken", "#!/nonexistent/interpreter\nexit 0\n");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        auto starter = createLinuxCommandLineStarter();
        QCOMPARE(starter->start("broken \"https://a\""), StartResult::Failed);
    }

    void findProgramFile() {
        LaunchSandbox sandbox;
        const QString browser = sandbox.addStandIn("browser");
        QCOMPARE(FindProgramFile("browser", sandbox.binFolder()), browser);
        QCOMPARE(FindProgramFile("browser", "/nonexistent:" + sandbox.binFolder()), browser);
        QCOMPARE(FindProgramFile(browser, QString()), browser);
        QCOMPARE(FindProgramFile("browser", QString()), QString());
        QCOMPARE(FindProgramFile(QString(), sandbox.binFolder()), QString());
        QCOMPARE(MapShellProgram("Explorer.EXE"), QStringLiteral("xdg-open"));
        QCOMPARE(MapShellProgram("explorer2"), QStringLiteral("explorer2"));
    }
};

QTEST_GUILESS_MAIN(CommandLineStarterTest)
#include "command_line_starter_test.moc"
