// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <glib.h>

#include <QDir>
#include <QFile>
#include <QtTest>

#include "platform/shell_registry.h"
#include "tests/support/launch_sandbox.h"

namespace {

const QString kRunValue =
    QStringLiteral("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\run\\kestrelview");

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

// The run-at-start value kept as the desktop's autostart entry.
class ShellRegistryTest : public QObject {
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
        auto shell = createLinuxShellRegistry();

        QVERIFY(!shell->RegRead(kRunValue));
        QVERIFY(shell->RegWrite(kRunValue, u'"' + program + u'"', "REG_SZ"));

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
        QVERIFY(shell->RegRead(kRunValue));
    }

    void writeReadDelete() {
        LaunchSandbox sandbox;
        qunsetenv("XDG_CONFIG_HOME");  // the default folder below HOME
        const QString entry = sandbox.root() + "/home/.config/autostart/kestrelview.desktop";
        auto shell = createLinuxShellRegistry();
        QVERIFY(!shell->RegRead(kRunValue));
        QVERIFY(!shell->RegDelete(kRunValue));

        QVERIFY(shell->RegWrite(kRunValue, "\"/opt/kv/Kestrelview\"", "REG_SZ"));
        QVERIFY(QFile::exists(entry));
        QCOMPARE(shell->RegRead(kRunValue), std::optional<QString>("\"/opt/kv/Kestrelview\""));
        // Written again, the entry is replaced, never appended to.
        QVERIFY(shell->RegWrite(kRunValue.toLower(), "/opt/other/Kestrelview", "REG_SZ"));
        QCOMPARE(readAll(entry), QByteArray("[Desktop Entry]\nType=Application\nName=Kestrelview\n"
                                            "Exec=\"/opt/other/Kestrelview\"\n"));

        QVERIFY(shell->RegDelete(kRunValue));
        QVERIFY(!QFile::exists(entry));
        QVERIFY(!shell->RegRead(kRunValue));
        QVERIFY(QDir(sandbox.root() + "/home/.config/autostart").exists());
    }

    void entryCountsWhateverItHolds() {
        LaunchSandbox sandbox;
        auto shell = createLinuxShellRegistry();
        const QString entry = sandbox.writeFile("config/autostart/kestrelview.desktop",
                                                "\xff\xfe not a desktop entry\n");
        QCOMPARE(shell->RegRead(kRunValue), std::optional<QString>(QString()));
        QVERIFY(shell->RegDelete(kRunValue));
        QVERIFY(!QFile::exists(entry));
    }

    void refusedWritesAndDeletes() {
        LaunchSandbox sandbox;
        auto shell = createLinuxShellRegistry();
        // The autostart folder cannot be made: a file stands at its path.
        sandbox.writeFile("config/autostart", "not a folder");
        QVERIFY(!shell->RegWrite(kRunValue, "\"/opt/kv/Kestrelview\"", "REG_SZ"));
        QFile::remove(sandbox.configHome() + "/autostart");

        // A folder at the entry's path: present, but neither replaced nor removed.
        QVERIFY(QDir().mkpath(sandbox.configHome() + "/autostart/kestrelview.desktop/keep"));
        QVERIFY(shell->RegRead(kRunValue));
        QVERIFY(!shell->RegWrite(kRunValue, "\"/opt/kv/Kestrelview\"", "REG_SZ"));
        QVERIFY(!shell->RegDelete(kRunValue));
        QVERIFY(QDir(sandbox.configHome() + "/autostart/kestrelview.desktop/keep").exists());
    }

    void onlyTheRunValueIsKept() {
        LaunchSandbox sandbox;
        auto shell = createLinuxShellRegistry();
        const QString other =
            QStringLiteral("HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\run\\kestrelview");
        QVERIFY(!shell->RegWrite(other, "\"/opt/kv/Kestrelview\"", "REG_SZ"));
        QVERIFY(!shell->RegWrite(kRunValue, "\"/opt/kv/Kestrelview\"", "REG_EXPAND_SZ"));
        QVERIFY(!shell->RegWrite(kRunValue, "\"\"", "REG_SZ"));
        QVERIFY(!QFile::exists(sandbox.configHome() + "/autostart/kestrelview.desktop"));
        QVERIFY(shell->RegWrite(kRunValue, "\"/opt/kv/Kestrelview\"", "REG_SZ"));
        QVERIFY(!shell->RegRead(other));
        QVERIFY(!shell->RegDelete(other));
        QVERIFY(shell->RegRead(kRunValue));
    }
};

QTEST_GUILESS_MAIN(ShellRegistryTest)
#include "shell_registry_test.moc"
