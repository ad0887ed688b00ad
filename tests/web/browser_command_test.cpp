// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QtTest>

#include "tests/support/test_platform.h"
#include "tests/web/fake_browser_registry.h"
#include "web/browser_command.h"

Q_DECLARE_METATYPE(std::optional<QString>)
Q_DECLARE_METATYPE(FakeBrowserRegistry::Fault)

// The registered browser's command as the launcher reads it, and every way reading it can fail.
class BrowserCommandTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void readsTheRegisteredCommand_data() {
        QTest::addColumn<std::optional<QString>>("registered");
        QTest::addColumn<QString>("expected");
        QTest::newRow("command") << std::optional<QString>("\"/opt/b\" \"%1\"")
                                 << "\"/opt/b\" \"%1\"";
        QTest::newRow("command without place holder")
            << std::optional<QString>("b -nohome") << "b -nohome";
        QTest::newRow("Japanese path")
            << std::optional<QString>("\"/opt/ブラウザ/b\" \"%1\"") << "\"/opt/ブラウザ/b\" \"%1\"";
        QTest::newRow("empty command") << std::optional<QString>(QString()) << "";
        QTest::newRow("no browser registered") << std::optional<QString>() << "";
    }
    void readsTheRegisteredCommand() {
        QFETCH(std::optional<QString>, registered);
        QFETCH(QString, expected);
        TestPlatform platform(QDir::tempPath());
        FakeBrowserRegistry* fake = installFakeBrowserRegistry(*platform);
        fake->command = registered;

        QCOMPARE(BrowserCommandTemplate(*platform, nullptr), expected);
        QCOMPARE(fake->lookups, 1);
        QVERIFY(platform.dialogs->messages.empty());
    }

    // A change of the desktop's browser counts at the next read.
    void readsAfreshEachTime() {
        TestPlatform platform(QDir::tempPath());
        FakeBrowserRegistry* fake = installFakeBrowserRegistry(*platform);
        fake->command = "a %1";
        QCOMPARE(BrowserCommandTemplate(*platform, nullptr), QStringLiteral("a %1"));
        fake->command = "b %1";
        QCOMPARE(BrowserCommandTemplate(*platform, nullptr), QStringLiteral("b %1"));
        fake->command.reset();
        QCOMPARE(BrowserCommandTemplate(*platform, nullptr), QString());
        QCOMPARE(fake->lookups, 3);

        platform->browserRegistry.reset();
        QCOMPARE(BrowserCommandTemplate(*platform, nullptr), QString());
        QVERIFY(platform.dialogs->messages.empty());
    }

    void unexpectedFailuresAreShownOnce_data() {
        QTest::addColumn<FakeBrowserRegistry::Fault>("fault");
        QTest::addColumn<QString>("message");
        QTest::newRow("no memory")
            << FakeBrowserRegistry::Fault::OutOfMemory << "Error: 7. メモリが不足しています。";
        QTest::newRow("registry fault")
            << FakeBrowserRegistry::Fault::RegistryFault << "Error: 13. 型が一致しません。";
    }
    void unexpectedFailuresAreShownOnce() {
        QFETCH(FakeBrowserRegistry::Fault, fault);
        QFETCH(QString, message);
        TestPlatform platform(QDir::tempPath());
        FakeBrowserRegistry* fake = installFakeBrowserRegistry(*platform);
        fake->command = "b %1";
        fake->fault = fault;

        QCOMPARE(BrowserCommandTemplate(*platform, nullptr), QString());
        QCOMPARE(platform.dialogs->messages.size(), size_t(1));
        QCOMPARE(platform.dialogs->messages[0].prompt, message);
        QCOMPARE(platform.dialogs->messages[0].title, QStringLiteral("RegistryGetKeyValue"));
    }
};

QTEST_GUILESS_MAIN(BrowserCommandTest)
#include "browser_command_test.moc"
