// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QtTest>

#include "platform/desktop_entry.h"
#include "platform/windows_command_line.h"

Q_DECLARE_METATYPE(std::optional<QStringList>)
Q_DECLARE_METATYPE(std::optional<QString>)

// Reading desktop entries and association lists, and turning a browser's Exec line into the
// command template the launcher fills in.
class DesktopEntryTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void keyFileSurvivesMalformedLines() {
        const KeyFile file = KeyFile::parse(
            "junk before any group\n"
            "Exec=ignored\n"
            "[Desktop Entry\n"
            "  [Desktop Entry]  \r\n"
            "# Exec=commented\n"
            "no equals sign here\n"
            "=value without key\n"
            "Name = Browser \r\n"
            "Exec=first\n"
            "Exec=  second %u\n"
            "Hidden=True\n"
            "NoDisplay=true\n"
            "\xff\xfe broken bytes=\xff\n"
            "[Default Applications]\n"
            "X-Scheme-Handler/HTTPS= a.desktop ;; b.desktop;\n");
        QVERIFY(file.hasGroup("Desktop Entry"));
        QCOMPARE(file.rawValue("Desktop Entry", "Name"), std::optional<QString>("Browser "));
        QCOMPARE(file.rawValue("Desktop Entry", "Exec"), std::optional<QString>("second %u"));
        QVERIFY(!file.boolValue("Desktop Entry", "Hidden"));
        QVERIFY(file.boolValue("Desktop Entry", "NoDisplay"));
        QVERIFY(!file.rawValue("Nope", "Exec"));
    }

    void stringEscapes_data() {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("text");
        QTest::newRow("known escapes") << "a\\sb\\nc\\td\\re\\\\f"
                                       << "a b\nc\td\re\\f";
        QTest::newRow("unknown escape stays") << "\\\"x\\$"
                                              << "\\\"x\\$";
        QTest::newRow("lone trailing backslash") << "x\\"
                                                 << "x\\";
        QTest::newRow("four backslashes") << "\\\\\\\\"
                                          << "\\\\";
    }
    void stringEscapes() {
        QFETCH(QString, raw);
        QFETCH(QString, text);
        QCOMPARE(UnescapeDesktopString(raw), text);
    }

    void execWords_data() {
        QTest::addColumn<QString>("exec");
        QTest::addColumn<std::optional<QStringList>>("words");
        QTest::newRow("plain") << "firefox --new-window %u"
                               << std::optional(QStringList{"firefox", "--new-window", "%u"});
        QTest::newRow("quoted with escapes")
            << "\"/opt/my \\\"b\\\"\\\\x\\$y\\`z\" %U"
            << std::optional(QStringList{"/opt/my \"b\"\\x$y`z", "%U"});
        QTest::newRow("other backslash in quotes is literal")
            << "\"a\\qb\"" << std::optional(QStringList{"a\\qb"});
        QTest::newRow("single quotes")
            << "sh -c 'echo \"$1\"' x %u"
            << std::optional(QStringList{"sh", "-c", "echo \"$1\"", "x", "%u"});
        QTest::newRow("backslash outside quotes")
            << "a\\ b c" << std::optional(QStringList{"a b", "c"});
        QTest::newRow("empty quoted word")
            << "b \"\" %u" << std::optional(QStringList{"b", "", "%u"});
        QTest::newRow("open double quote") << "\"/opt/b %u" << std::optional<QStringList>();
        QTest::newRow("open single quote") << "b 'x" << std::optional<QStringList>();
        QTest::newRow("backslash at the end") << "b x\\" << std::optional<QStringList>();
        QTest::newRow("blank") << "  \t " << std::optional<QStringList>();
    }
    void execWords() {
        QFETCH(QString, exec);
        QFETCH(std::optional<QStringList>, words);
        QCOMPARE(SplitDesktopExec(exec), words);
    }

    void execTemplate_data() {
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<std::optional<QString>>("commandTemplate");
        QTest::newRow("url code quoted")
            << QStringList{"firefox", "%u"} << std::optional<QString>("firefox \"%1\"");
        QTest::newRow("list code too") << QStringList{"b", "--new-window", "%U"}
                                       << std::optional<QString>("b --new-window \"%1\"");
        QTest::newRow("program with blank is quoted")
            << QStringList{"/opt/my browser/b", "%u"}
            << std::optional<QString>("\"/opt/my browser/b\" \"%1\"");
        QTest::newRow("other codes dropped with their words")
            << QStringList{"b", "%i", "--class=%c", "%k", "%f", "%u"}
            << std::optional<QString>("b --class= \"%1\"");
        QTest::newRow("percent doubled reads single")
            << QStringList{"b", "--zoom=100%%", "%u"}
            << std::optional<QString>("b --zoom=100% \"%1\"");
        QTest::newRow("code inside a word quotes the word")
            << QStringList{"b", "--url=%u"} << std::optional<QString>("b \"--url=%1\"");
        QTest::newRow("url twice")
            << QStringList{"b", "%u", "%u"} << std::optional<QString>("b \"%1\" \"%1\"");
        QTest::newRow("no url code")
            << QStringList{"b", "--private"} << std::optional<QString>("b --private");
        QTest::newRow("argument with blank and quote")
            << QStringList{"b", "a \"q\" z", "%u"}
            << std::optional<QString>("b \"a \\\"q\\\" z\" \"%1\"");
        QTest::newRow("percent before the place holder")
            << QStringList{"b", "%%%u"} << std::optional<QString>("b \"%%1\"");
        QTest::newRow("empty argument gives two quotes")
            << QStringList{"b", "", "%u"} << std::optional<QString>();
        QTest::newRow("argument ending in a quote gives two quotes")
            << QStringList{"b", "x y\"", "%u"} << std::optional<QString>();
        QTest::newRow("quote in the program")
            << QStringList{"/opt/a\"b", "%u"} << std::optional<QString>();
        QTest::newRow("literal place holder")
            << QStringList{"b", "%%1", "%u"} << std::optional<QString>();
        QTest::newRow("code in the program") << QStringList{"%u"} << std::optional<QString>();
    }
    void execTemplate() {
        QFETCH(QStringList, words);
        QFETCH(std::optional<QString>, commandTemplate);
        QCOMPARE(ExecToWindowsTemplate(words), commandTemplate);
    }

    // Whatever the words, a template the launcher gets hands the program the same words with
    // the address in place of the url code.
    void templateReadsBackAsTheSameWords() {
        const QString address = QStringLiteral("https://mixi.jp/show_friend.pl?id=42");
        const QStringList words{"/opt/b r/x", "-a", "b c", "d\\\\\"e", "tab\there", "%u"};
        const auto commandTemplate = ExecToWindowsTemplate(words);
        QVERIFY(commandTemplate);
        QString line = *commandTemplate;
        line.replace(QStringLiteral("%1"), address);
        const CommandLineParts parts = SplitProgramPath(line);
        QCOMPARE(parts.program, words.first());
        QCOMPARE(CommandLineToArgv(parts.arguments),
                 (QStringList{"-a", "b c", "d\\\\\"e", "tab\there", address}));
    }

    void execPathForFile_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("written");
        QTest::newRow("plain") << "/opt/kv/Kestrelview"
                               << "\"/opt/kv/Kestrelview\"";
        QTest::newRow("blank") << "/a b/K"
                               << "\"/a b/K\"";
        QTest::newRow("quote") << "/a\"b/K"
                               << "\"/a\\\\\"b/K\"";
        QTest::newRow("dollar and backquote") << "/$x`y/K"
                                              << "\"/\\\\$x\\\\`y/K\"";
        QTest::newRow("percent") << "/50%/K"
                                 << "\"/50%%/K\"";
        QTest::newRow("backslash") << "/a\\b/K"
                                   << "\"/a\\\\\\\\b/K\"";
        QTest::newRow("line break") << "/a\nb/K"
                                    << "\"/a\\nb/K\"";
    }
    void execPathForFile() {
        QFETCH(QString, path);
        QFETCH(QString, written);
        QCOMPARE(QuoteExecPathForFile(path), written);
    }
};

QTEST_GUILESS_MAIN(DesktopEntryTest)
#include "desktop_entry_test.moc"
