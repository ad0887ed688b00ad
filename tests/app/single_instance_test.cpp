// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QSignalSpy>
#include <QTest>
#include <future>
#include <memory>

#include "app/single_instance.h"
#include "tests/app/main_window_fixture.h"

Q_DECLARE_METATYPE(SingleInstance::Claim)

// One running copy per data folder, decided through the real lock file and local socket.
class SingleInstanceTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void laterStartRaisesTheRunningCopyOrSaysItIsThere_data();
    void laterStartRaisesTheRunningCopyOrSaysItIsThere();
};

void SingleInstanceTest::laterStartRaisesTheRunningCopyOrSaysItIsThere_data() {
    QTest::addColumn<QString>("holder");
    QTest::addColumn<SingleInstance::Claim>("claim");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    QTest::newRow("first start") << "none" << SingleInstance::Claim::Running << -1 << QString();
    QTest::newRow("a running copy, hidden in the tray")
        << "copy" << SingleInstance::Claim::RaisedOther << 0 << QString();
    QTest::newRow("a live holder that does not answer")
        << "silent" << SingleInstance::Claim::OtherSilent << 1
        << QStringLiteral("Kestrelview はすでに起動しています。");
}

void SingleInstanceTest::laterStartRaisesTheRunningCopyOrSaysItIsThere() {
    QFETCH(QString, holder);
    QFETCH(SingleInstance::Claim, claim);
    QFETCH(int, status);
    QFETCH(QString, message);

    MainWindowFixture f;
    f.window->start();
    f.window->trayHost()->toggleWindow();
    QVERIFY(!f.window->isVisible());

    auto running = std::make_unique<SingleInstance>(f.dir.path());
    QLockFile silentLock(f.path(SingleInstance::lockFileName()));
    if (holder == u"copy") {
        QCOMPARE(running->claim(), SingleInstance::Claim::Running);
        connect(running.get(), &SingleInstance::activationRequested, f.window.get(),
                &MainWindow::bringToFront);
    } else if (holder == u"silent") {
        QVERIFY(silentLock.tryLock(0));
    }

    // The later start waits for its answer, which this thread's event loop gives.
    TestPlatform laterPlatform(f.dir.path());
    auto later = std::make_unique<SingleInstance>(f.dir.path(), 500);
    int laterStatus = -1;
    std::future<bool> goesOn =
        std::async(holder == u"none" ? std::launch::deferred : std::launch::async,
                   [&] { return ClaimDataFolder(*later, *laterPlatform, &laterStatus); });
    if (holder != u"none") {
        QTRY_VERIFY(goesOn.wait_for(std::chrono::seconds(0)) == std::future_status::ready);
    }
    QCOMPARE(goesOn.get(), claim == SingleInstance::Claim::Running);
    QCOMPARE(laterStatus, status);
    QCOMPARE(laterPlatform.dialogs->messages.size(), size_t(message.isEmpty() ? 0 : 1));
    if (!message.isEmpty()) {
        QCOMPARE(laterPlatform.dialogs->messages[0].prompt, message);
    }
    const bool raised = claim == SingleInstance::Claim::RaisedOther;
    QTRY_COMPARE(f.window->isVisible(), raised);
    QVERIFY(!f.window->isMinimized());
    QCOMPARE(readBytes(f.path(QStringLiteral("kestrelview.log")))
                 .contains(QStringLiteral("前面に表示").toUtf8()),
             raised);

    // The copy that answered takes its socket with it when it ends.
    const QString socket = QDir::tempPath() + u'/' + SingleInstance::serverName(f.dir.path());
    QCOMPARE(QFileInfo::exists(socket), holder != u"silent");
    later.reset();
    running.reset();
    QVERIFY(!QFileInfo::exists(socket));
}

QTEST_MAIN(SingleInstanceTest)
#include "single_instance_test.moc"
