// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QDir>
#include <QFile>
#include <QtTest>

#include "app/startup_registration.h"
#include "tests/support/launch_sandbox.h"
#include "tests/support/test_platform.h"

namespace {

const QString kRegister = QStringLiteral("スタートアップに登録");
const QString kUnregister = QStringLiteral("スタートアップから削除");
const QString kRefused = QStringLiteral("スタートアップの設定を変更できませんでした。");

class FakeButton final : public StartupButton {
  public:
    QString caption() const override { return text; }
    void setCaption(const QString& caption) override { text = caption; }
    QWidget* dialogParent() const override { return nullptr; }
    QString text = QStringLiteral("Command6");
};

// The program folder and the data folder apart, as in an installed copy: the entry must name the
// program's.
struct Registration {
    explicit Registration(LaunchSandbox& sandbox, const QString& folderName = "my apps")
        : folder(sandbox.root() + u'/' + folderName),
          entry(sandbox.configHome() + "/autostart/kestrelview.desktop"),
          platform(sandbox.dataHome() + "/kestrelview") {
        QDir().mkpath(folder);
        QDir().mkpath(platform->dataFolder);
        platform->programFolder = folder;
        platform->autostart = createLinuxAutostartEntry();
    }
    QString folder;
    QString entry;
    TestPlatform platform;
    FakeButton button;
};

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The Exec line of the entry at `path`, as written.
QString execLine(const QString& path) {
    for (const QByteArray& line : readAll(path).split('\n')) {
        if (line.startsWith("Exec=")) {
            return QString::fromUtf8(line.sliced(5));
        }
    }
    return QStringLiteral("<no Exec line>");
}

}  // namespace

// The start-up button: its caption follows the autostart entry, and a click adds or removes it.
class StartupRegistrationTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void captionFollowsTheEntry() {
        LaunchSandbox sandbox;
        Registration r(sandbox);
        StartupRegistration registration(*r.platform, r.button);
        registration.refreshButton();
        QCOMPARE(r.button.text, kRegister);
        // Made from another folder, or holding anything at all: still registered.
        sandbox.writeFile("config/autostart/kestrelview.desktop", "Exec=/elsewhere/Kestrelview");
        registration.refreshButton();
        QCOMPARE(r.button.text, kUnregister);
        registration.toggle();
        QVERIFY(!QFile::exists(r.entry));
        QCOMPARE(r.button.text, kRegister);
        QVERIFY(r.platform.dialogs->messages.empty());
    }

    void clicksRegisterAndRemove() {
        LaunchSandbox sandbox;
        Registration r(sandbox, "my \"kv\" $apps");
        StartupRegistration registration(*r.platform, r.button);
        registration.refreshButton();
        registration.toggle();
        QCOMPARE(r.button.text, kUnregister);
        QCOMPARE(execLine(r.entry),
                 "\"" + sandbox.root() + "/my \\\\\"kv\\\\\" \\\\$apps/Kestrelview\"");
        registration.toggle();
        QCOMPARE(r.button.text, kRegister);
        QVERIFY(!QFile::exists(r.entry));
        QVERIFY(r.platform.dialogs->messages.empty());
    }

    void refusedChangeIsToldAndCaptionShowsTheTruth() {
        LaunchSandbox sandbox;
        Registration r(sandbox);
        StartupRegistration registration(*r.platform, r.button);

        sandbox.writeFile("config/autostart", "a file where the folder belongs");
        registration.refreshButton();
        registration.toggle();
        QCOMPARE(r.button.text, kRegister);
        QCOMPARE(r.platform.dialogs->messages.size(), size_t(1));
        QCOMPARE(r.platform.dialogs->messages[0].prompt, kRefused);
        QCOMPARE(r.platform.dialogs->messages[0].title, QStringLiteral("Kestrelview"));

        QFile::remove(sandbox.configHome() + "/autostart");
        QVERIFY(QDir().mkpath(r.entry + "/keep"));
        registration.refreshButton();
        QCOMPARE(r.button.text, kUnregister);
        registration.toggle();
        QCOMPARE(r.button.text, kUnregister);
        QCOMPARE(r.platform.dialogs->messages.size(), size_t(2));
        QCOMPARE(r.platform.dialogs->messages[1].prompt, kRefused);

        // A program folder nobody could find: nothing is written, and the user is told.
        QVERIFY(QDir(r.entry).removeRecursively());
        r.platform->programFolder.clear();
        registration.refreshButton();
        registration.toggle();
        QVERIFY(!QFile::exists(r.entry));
        QCOMPARE(r.button.text, kRegister);
        QCOMPARE(r.platform.dialogs->messages.size(), size_t(3));
    }

    void withoutAnAutostartEntry() {
        LaunchSandbox sandbox;
        Registration r(sandbox);
        r.platform->autostart.reset();
        StartupRegistration registration(*r.platform, r.button);
        registration.refreshButton();
        QCOMPARE(r.button.text, kRegister);
        registration.toggle();
        QCOMPARE(r.button.text, kRegister);
        QCOMPARE(r.platform.dialogs->messages.size(), size_t(1));
    }

    // An installed copy starts by its command, never by a path into wherever it was built; a
    // folder is an installed copy's only when it is a "bin" with the menu entry beside it.
    void entryRunsTheInstalledCommand_data() {
        QTest::addColumn<QString>("folder");     // the program's folder below the sandbox
        QTest::addColumn<QString>("menuEntry");  // written below the sandbox, or none
        QTest::addColumn<bool>("onPath");        // the folder is on PATH
        QTest::addColumn<QString>("exec");       // "@" stands for the sandbox

        const QString entry = "usr/share/applications/io.github.kestrelview.Kestrelview.desktop";
        QTest::newRow("installed, found on PATH") << "usr/bin" << entry << true << "kestrelview";
        QTest::newRow("installed off PATH")
            << "usr/bin" << entry << false << "\"@/usr/bin/kestrelview\"";
        // PATH holds this copy, but finds another "kestrelview" first.
        QTest::newRow("another copy first on PATH")
            << "usr/bin" << entry << true << "\"@/usr/bin/kestrelview\"";
        QTest::newRow("portable copy")
            << "my apps" << QString() << true << "\"@/my apps/Kestrelview\"";
        QTest::newRow("bin without the menu entry")
            << "usr/bin" << QString() << true << "\"@/usr/bin/Kestrelview\"";
        QTest::newRow("menu entry beside a build folder")
            << "usr/build" << entry << true << "\"@/usr/build/Kestrelview\"";
    }
    void entryRunsTheInstalledCommand() {
        QFETCH(QString, folder);
        QFETCH(QString, menuEntry);
        QFETCH(bool, onPath);
        QFETCH(QString, exec);
        LaunchSandbox sandbox;
        Registration r(sandbox, folder);
        sandbox.writeStandIn(r.folder + "/kestrelview", "kestrelview");
        if (!menuEntry.isEmpty()) {
            sandbox.writeFile(menuEntry, "[Desktop Entry]\nType=Application\nName=K\nExec=k\n");
        }
        if (onPath) {
            qputenv("PATH", (sandbox.binFolder() + u':' + r.folder).toLocal8Bit());
        }
        if (QByteArray(QTest::currentDataTag()) == "another copy first on PATH") {
            sandbox.addStandIn("kestrelview");
        }
        StartupRegistration registration(*r.platform, r.button);
        registration.refreshButton();
        registration.toggle();
        QCOMPARE(r.button.text, kUnregister);
        QCOMPARE(execLine(r.entry), QString(exec).replace(u'@', sandbox.root()));
    }

    void valueDataNamesTheFixedProgramName_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("data");
        QTest::newRow("plain") << "/opt/kv"
                               << "\"/opt/kv/Kestrelview\"";
        QTest::newRow("trailing slash") << "/opt/kv/"
                                        << "\"/opt/kv/Kestrelview\"";
        QTest::newRow("root") << "/"
                              << "\"/Kestrelview\"";
        QTest::newRow("not known") << ""
                                   << "";
    }
    void valueDataNamesTheFixedProgramName() {
        QFETCH(QString, folder);
        QFETCH(QString, data);
        QCOMPARE(StartupValueData(folder), data);
    }
};

QTEST_GUILESS_MAIN(StartupRegistrationTest)
#include "startup_registration_test.moc"
