// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QtTest>

#include "platform/windows_command_line.h"

// The Windows command-line rules the launcher relies on: a browser template or an "explorer" line
// reaches the program it starts as the words those rules make of it.
class WindowsCommandLineTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void programPath_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("arguments");
        QTest::newRow("bare name") << "firefox https://a"
                                   << "firefox"
                                   << "https://a";
        QTest::newRow("quoted with blanks") << "\"/opt/my browser/run\" -x \"a b\""
                                            << "/opt/my browser/run"
                                            << "-x \"a b\"";
        QTest::newRow("tab ends the path") << "prog\t-x"
                                           << "prog"
                                           << "-x";
        QTest::newRow("leading blank names no program") << " https://a"
                                                        << ""
                                                        << "https://a";
        QTest::newRow("empty line") << ""
                                    << ""
                                    << "";
        QTest::newRow("unterminated quote runs to the end") << "\"/opt/a b"
                                                            << "/opt/a b"
                                                            << "";
        QTest::newRow("text glued to the closing quote is an argument") << "\"/bin/x\"rest y"
                                                                        << "/bin/x"
                                                                        << "rest y";
        QTest::newRow("quotes inside an unquoted path stay") << "a\"b c"
                                                             << "a\"b"
                                                             << "c";
        QTest::newRow("explorer line without closing quote")
            << "explorer \"https://www.example.com/kestrelview/"
            << "explorer"
            << "\"https://www.example.com/kestrelview/";
    }
    void programPath() {
        QFETCH(QString, line);
        QFETCH(QString, program);
        QFETCH(QString, arguments);
        const CommandLineParts parts = SplitProgramPath(line);
        QCOMPARE(parts.program, program);
        QCOMPARE(parts.arguments, arguments);
    }

    void argumentRules_data() {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QStringList>("argv");
        QTest::newRow("blanks separate") << "a  b\tc " << QStringList{"a", "b", "c"};
        QTest::newRow("quoted blanks") << "\"a b\" c" << QStringList{"a b", "c"};
        QTest::newRow("quotes join with neighbours") << "x\"a b\"y" << QStringList{"xa by"};
        QTest::newRow("empty quoted argument") << "\"\" b" << QStringList{"", "b"};
        QTest::newRow("backslashes without quote are literal")
            << "C:\\a\\\\b" << QStringList{"C:\\a\\\\b"};
        QTest::newRow("one backslash escapes a quote") << "a\\\"b" << QStringList{"a\"b"};
        QTest::newRow("two backslashes then quote opens")
            << "a\\\\\"b c\"" << QStringList{"a\\b c"};
        QTest::newRow("three backslashes then quote") << "a\\\\\\\"b" << QStringList{"a\\\"b"};
        QTest::newRow("four backslashes then quote")
            << "\"a\\\\\\\\\" b" << QStringList{"a\\\\", "b"};
        QTest::newRow("trailing backslash inside quotes") << "\"a\\\\\"" << QStringList{"a\\"};
        QTest::newRow("doubled quote inside quotes is literal")
            << "\"a\"\"b\" c" << QStringList{"a\"b c"};
        QTest::newRow("tripled quote inside quotes") << "\"a\"\"\"b c\"" << QStringList{"a\"b c"};
        QTest::newRow("doubled quote outside quotes is empty") << "a\"\"b" << QStringList{"ab"};
        QTest::newRow("unterminated quote runs to the end")
            << "\"https://a/b c" << QStringList{"https://a/b c"};
        QTest::newRow("nothing") << "   " << QStringList{};
    }
    void argumentRules() {
        QFETCH(QString, arguments);
        QFETCH(QStringList, argv);
        QCOMPARE(CommandLineToArgv(arguments), argv);
    }

    void quotingReadsBack_data() {
        QTest::addColumn<QString>("argument");
        QTest::addColumn<QString>("written");
        QTest::newRow("plain stays") << "https://a/b?id=1"
                                     << "https://a/b?id=1";
        QTest::newRow("blank") << "a b"
                               << "\"a b\"";
        QTest::newRow("empty") << ""
                               << "\"\"";
        QTest::newRow("quote") << "a\"b"
                               << "\"a\\\"b\"";
        QTest::newRow("backslashes before quote") << "a\\\\\"b"
                                                  << "\"a\\\\\\\\\\\"b\"";
        QTest::newRow("trailing backslash with blank") << "a b\\"
                                                       << "\"a b\\\\\"";
        QTest::newRow("backslash only, plain") << "C:\\x\\"
                                               << "C:\\x\\";
        QTest::newRow("tab") << "a\tb"
                             << "\"a\tb\"";
    }
    void quotingReadsBack() {
        QFETCH(QString, argument);
        QFETCH(QString, written);
        QCOMPARE(QuoteWindowsArgument(argument), written);
        QCOMPARE(CommandLineToArgv(written + QStringLiteral(" next")),
                 (QStringList{argument, "next"}));
        QCOMPARE(CommandLineToArgv(QuoteWindowsArgument(argument, true)), QStringList{argument});
    }
};

QTEST_GUILESS_MAIN(WindowsCommandLineTest)
#include "windows_command_line_test.moc"
