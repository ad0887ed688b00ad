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

// The program an autostart entry runs, read the way GLib-based desktops read it: the Exec string
// unescaped, its field codes expanded (only %% occurs), then split by the shell quoting rules.
QStringList execAsGLibReadsIt(const QByteArray& bytes, QString* type, QString* name) {
    QStringList argv;
    GKeyFile* file = g_key_file_new();
    if (g_key_file_load_from_data(file, bytes.constData(), gsize(bytes.size()), G_KEY_FILE_NONE,
                                  nullptr)) {
        gchar* exec = g_key_file_get_string(file, "Desktop Entry", "Exec", nullptr);
        gchar* typeValue = g_key_file_get_string(file, "Desktop Entry", "Type", nullptr);
        gchar* nameValue = g_key_file_get_string(file, "Desktop Entry", "Name", nullptr);
        *type = QString::fromUtf8(typeValue);
        *name = QString::fromUtf8(nameValue);
        if (exec != nullptr) {
            const QByteArray expanded = QByteArray(exec).replace("%%", "%");
            gint argc = 0;
            gchar** words = nullptr;
            if (g_shell_parse_argv(expanded.constData(), &argc, &words, nullptr)) {
                for (gint i = 0; i < argc; ++i) {
                    argv.append(QString::fromUtf8(words[i]));
                }
                g_strfreev(words);
            }
        }
        g_free(exec);
        g_free(typeValue);
        g_free(nameValue);
    }
    g_key_file_free(file);
    return argv;
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
        QCOMPARE(bytes, ("[Desktop Entry]\nType=Application\nName=Kestrelview\nExec=\"" + root +
                         "/apps/" + written + "/Kestrelview\"\n")
                            .toUtf8());
        QString type;
        QString name;
        QCOMPARE(execAsGLibReadsIt(bytes, &type, &name), QStringList{program});
        QCOMPARE(type, QStringLiteral("Application"));
        QCOMPARE(name, QStringLiteral("Kestrelview"));
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
        QCOMPARE(readAll(entry), QByteArray("[Desktop Entry]\nType=Application\nName=Kestrelview\n"
                                            "Exec=\"/opt/other/Kestrelview\"\n"));

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
