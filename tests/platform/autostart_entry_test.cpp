// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <glib.h>

#include <QDir>
#include <QFile>
#include <QtTest>

#include "platform/autostart_entry.h"
#include "tests/support/launch_sandbox.h"

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// An autostart entry read the way GLib-based desktops read it: the Exec string unescaped, its
// field codes expanded (only %% occurs), then split by the shell quoting rules.
struct ReadEntry {
    QStringList argv;
    QString type;
    QString name;
    QString icon;
    QString comment;
};

ReadEntry readAsGLibDoes(const QByteArray& bytes) {
    ReadEntry read;
    GKeyFile* file = g_key_file_new();
    if (g_key_file_load_from_data(file, bytes.constData(), gsize(bytes.size()), G_KEY_FILE_NONE,
                                  nullptr)) {
        const auto value = [file](const char* key) {
            gchar* text = g_key_file_get_string(file, "Desktop Entry", key, nullptr);
            const QString result = QString::fromUtf8(text);
            g_free(text);
            return result;
        };
        read.type = value("Type");
        read.name = value("Name");
        read.icon = value("Icon");
        read.comment = value("Comment");
        const QByteArray expanded = value("Exec").toUtf8().replace("%%", "%");
        gint argc = 0;
        gchar** words = nullptr;
        if (!expanded.isEmpty() &&
            g_shell_parse_argv(expanded.constData(), &argc, &words, nullptr)) {
            for (gint i = 0; i < argc; ++i) {
                read.argv.append(QString::fromUtf8(words[i]));
            }
            g_strfreev(words);
        }
    }
    g_key_file_free(file);
    return read;
}

// The Exec line as written.
QByteArray execLine(const QByteArray& bytes) {
    for (const QByteArray& line : bytes.split('\n')) {
        if (line.startsWith("Exec=")) {
            return line.sliced(5);
        }
    }
    return "<no Exec line>";
}

}  // namespace

// The start-with-the-desktop entry kept as the desktop's autostart entry.
class AutostartEntryTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void entryRunsTheProgramWhateverItsFolderIsCalled_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("written");  // the folder as the Exec line holds it
        QTest::newRow("plain") << "kv"
                               << "kv";
        QTest::newRow("blanks") << "my  apps"
                                << "my  apps";
        QTest::newRow("double quote") << "say \"hi\""
                                      << "say \\\\\"hi\\\\\"";
        QTest::newRow("dollar") << "$HOME"
                                << "\\\\$HOME";
        QTest::newRow("percent") << "100%u"
                                 << "100%%u";
        QTest::newRow("backquote") << "`id`"
                                   << "\\\\`id\\\\`";
        QTest::newRow("backslash") << "a\\b\\"
                                   << "a\\\\\\\\b\\\\\\\\";
        QTest::newRow("all of them") << "a \"$%`\\'b"
                                     << "a \\\\\"\\\\$%%\\\\`\\\\\\\\'b";
        QTest::newRow("Japanese") << "ケストレル 足跡"
                                  << "ケストレル 足跡";
    }
    void entryRunsTheProgramWhateverItsFolderIsCalled() {
        QFETCH(QString, folder);
        QFETCH(QString, written);
        LaunchSandbox sandbox;
        const QString root = sandbox.root();
        QVERIFY2(!root.contains(QRegularExpression("[\"$%`\\\\\\s]")), qPrintable(root));
        const QString program = root + QStringLiteral("/apps/") + folder + "/Kestrelview";
        auto autostart = createLinuxAutostartEntry();

        QVERIFY(!autostart->command());
        QVERIFY(autostart->write(u'"' + program + u'"'));

        const QString entry = sandbox.configHome() + "/autostart/kestrelview.desktop";
        const QByteArray bytes = readAll(entry);
        QCOMPARE(execLine(bytes), ("\"" + root + "/apps/" + written + "/Kestrelview\"").toUtf8());
        const ReadEntry read = readAsGLibDoes(bytes);
        QCOMPARE(read.argv, QStringList{program});
        QCOMPARE(read.type, QStringLiteral("Application"));
        QCOMPARE(read.name, QStringLiteral("Kestrelview"));
        // The session's list of programs started at login shows it as the menu shows it.
        QCOMPARE(read.icon, QStringLiteral("io.github.kestrelview.Kestrelview"));
        QVERIFY(!read.comment.isEmpty());
        QVERIFY(autostart->command());
    }

    void writeReadDelete() {
        LaunchSandbox sandbox;
        qunsetenv("XDG_CONFIG_HOME");  // the default folder below HOME
        const QString entry = sandbox.root() + "/home/.config/autostart/kestrelview.desktop";
        auto autostart = createLinuxAutostartEntry();
        QVERIFY(!autostart->exists());
        QVERIFY(!autostart->command());
        QVERIFY(!autostart->remove());

        QVERIFY(autostart->write("\"/opt/kv/Kestrelview\""));
        QVERIFY(QFile::exists(entry));
        QCOMPARE(autostart->command(), std::optional<QString>("\"/opt/kv/Kestrelview\""));
        // Written again, the entry is replaced, never appended to.
        QVERIFY(autostart->write("/opt/other/Kestrelview"));
        const QByteArray bytes = readAll(entry);
        QCOMPARE(bytes.count("[Desktop Entry]"), 1);
        QCOMPARE(readAsGLibDoes(bytes).argv, QStringList{"/opt/other/Kestrelview"});

        QVERIFY(autostart->remove());
        QVERIFY(!QFile::exists(entry));
        QVERIFY(!autostart->command());
        QVERIFY(QDir(sandbox.root() + "/home/.config/autostart").exists());
    }

    void entryCountsWhateverItHolds() {
        LaunchSandbox sandbox;
        auto autostart = createLinuxAutostartEntry();
        const QString entry = sandbox.writeFile("config/autostart/kestrelview.desktop",
                                                "\xff\xfe not a desktop entry\n");
        QVERIFY(autostart->exists());
        QCOMPARE(autostart->command(), std::optional<QString>(QString()));
        QVERIFY(autostart->remove());
        QVERIFY(!autostart->exists());
        QVERIFY(!QFile::exists(entry));
    }

    void refusedWritesAndDeletes() {
        LaunchSandbox sandbox;
        auto autostart = createLinuxAutostartEntry();
        // The autostart folder cannot be made: a file stands at its path.
        sandbox.writeFile("config/autostart", "not a folder");
        QVERIFY(!autostart->write("\"/opt/kv/Kestrelview\""));
        QFile::remove(sandbox.configHome() + "/autostart");

        // A folder at the entry's path: present, but neither replaced nor removed.
        QVERIFY(QDir().mkpath(sandbox.configHome() + "/autostart/kestrelview.desktop/keep"));
        QVERIFY(autostart->command());
        QVERIFY(!autostart->write("\"/opt/kv/Kestrelview\""));
        QVERIFY(!autostart->remove());
        QVERIFY(QDir(sandbox.configHome() + "/autostart/kestrelview.desktop/keep").exists());
    }

    void writeWithoutAProgramIsRefused_data() {
        QTest::addColumn<QString>("program");
        QTest::newRow("empty") << "";
        QTest::newRow("empty quotes") << "\"\"";
    }
    void writeWithoutAProgramIsRefused() {
        QFETCH(QString, program);
        LaunchSandbox sandbox;
        auto autostart = createLinuxAutostartEntry();
        QVERIFY(!autostart->write(program));
        QVERIFY(!autostart->exists());
        QVERIFY(!QFile::exists(sandbox.configHome() + "/autostart/kestrelview.desktop"));
    }
};

QTEST_GUILESS_MAIN(AutostartEntryTest)
#include "autostart_entry_test.moc"
