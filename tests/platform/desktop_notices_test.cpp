// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QSignalSpy>
#include <QtTest>

#include "platform/desktop_notices.h"
#include "tests/support/notification_bus.h"

// Notices reach the desktop's notification service as the program itself, a name in them shown
// as written, and come back for the tray's balloon where no service takes them.
class DesktopNoticesTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void noticeReachesTheServiceAsTheProgram_data() {
        QTest::addColumn<bool>("onABus");
        QTest::addColumn<bool>("serviceRuns");
        QTest::addColumn<QStringList>("capabilities");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("received");  // the body the service gets; empty: none

        const QString name = QStringLiteral("新しい足あと: <b>Tom & Jerry</b> さん ほか2人");
        const QStringList markup{QStringLiteral("body"), QStringLiteral("body-markup")};
        QTest::newRow("service reads markup")
            << true << true << markup << name
            << QStringLiteral("新しい足あと: &lt;b&gt;Tom &amp; Jerry&lt;/b&gt; さん ほか2人");
        QTest::newRow("entities already in a name are shown as typed")
            << true << true << markup << QStringLiteral("a&amp;b") << QStringLiteral("a&amp;amp;b");
        QTest::newRow("service shows plain text")
            << true << true << QStringList{QStringLiteral("body")} << name << name;
        QTest::newRow("no service on the bus") << true << false << markup << name << QString();
        QTest::newRow("no session bus") << false << false << markup << name << QString();
    }
    void noticeReachesTheServiceAsTheProgram() {
        QFETCH(bool, onABus);
        QFETCH(bool, serviceRuns);
        QFETCH(QStringList, capabilities);
        QFETCH(QString, text);
        QFETCH(QString, received);

        PrivateSessionBus bus;
        if (!bus.failure().isEmpty()) {
            KV_SKIP_OR_FAIL_WITHOUT(bus.failure());
        }
        const QString tag = QString::fromLatin1(QTest::currentDataTag());
        std::unique_ptr<RecordingNotificationService> service;
        if (serviceRuns) {
            service = std::make_unique<RecordingNotificationService>(
                bus.connect(QStringLiteral("service ") + tag), capabilities);
            QVERIFY(service->registered());
        }
        // A socket path where no bus listens stands for a session without one.
        const QTemporaryDir noBus;
        const QDBusConnection client =
            onABus ? bus.connect(QStringLiteral("client ") + tag)
                   : QDBusConnection::connectToBus(
                         QStringLiteral("unix:path=") + noBus.filePath(QStringLiteral("bus")),
                         QStringLiteral("nowhere ") + tag);
        QCOMPARE(client.isConnected(), onABus);

        auto notices = createDBusDesktopNotices(client);
        QSignalSpy undelivered(notices.get(), &DesktopNotices::undelivered);
        notices->show(QStringLiteral("Kestrelview"), text);
        // Never from within the call: the caller may be in the middle of a run.
        QCOMPARE(undelivered.count(), 0);

        if (received.isEmpty()) {
            QTRY_COMPARE(undelivered.count(), 1);
            QCOMPARE(undelivered[0][0].toString(), QStringLiteral("Kestrelview"));
            QCOMPARE(undelivered[0][1].toString(), text);
            return;
        }
        QTRY_COMPARE(service->notices.size(), size_t(1));
        const RecordingNotificationService::Notice& notice = service->notices[0];
        QCOMPARE(notice.appName, QStringLiteral("Kestrelview"));
        QCOMPARE(notice.appIcon, QStringLiteral("io.github.kestrelview.Kestrelview"));
        QCOMPARE(notice.summary, QStringLiteral("Kestrelview"));
        QCOMPARE(notice.body, received);
        QCOMPARE(notice.hints.value(QStringLiteral("desktop-entry")).toString(),
                 QStringLiteral("io.github.kestrelview.Kestrelview"));
        QCOMPARE(notice.replacesId, 0u);
        QVERIFY(notice.actions.isEmpty());
        QCOMPARE(notice.expireTimeout, -1);
        QTest::qWait(50);
        QCOMPARE(undelivered.count(), 0);
    }
};

QTEST_GUILESS_MAIN(DesktopNoticesTest)
#include "desktop_notices_test.moc"
