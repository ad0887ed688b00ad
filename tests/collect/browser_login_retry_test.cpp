// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// A user logged in with one browser and logged out of another is counted: a page the service
// refuses with the freshest browser's login is fetched again with the next one's before the user
// is told to log in.
#include <QtTest>

#include "collect/collector.h"
#include "tests/collect/collection_host_fake.h"
#include "tests/platform/browser_cookie_files.h"
#include "tests/support/network_test_platform.h"
#include "tests/support/test_files.h"
#include "tools/demo_service.h"

using namespace testcookies;

class BrowserLoginRetryTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void refusedLoginGivesWayToTheNextBrowser_data();
    void refusedLoginGivesWayToTheNextBrowser();
};

void BrowserLoginRetryTest::refusedLoginGivesWayToTheNextBrowser_data() {
    QTest::addColumn<int>("method");
    QTest::addColumn<bool>("chromiumLoggedIn");
    QTest::newRow("method 1, Chromium still logged in") << 0 << true;
    QTest::newRow("method 2, Chromium still logged in") << 1 << true;
    QTest::newRow("method 1, no browser logged in") << 0 << false;
}

void BrowserLoginRetryTest::refusedLoginGivesWayToTheNextBrowser() {
    QFETCH(int, method);
    QFETCH(bool, chromiumLoggedIn);
    QTemporaryDir data;
    QTemporaryDir home;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QString name = QString::fromLatin1(DemoService::kCookieName);
    // Firefox set its cookie last, but the service has since ended that session.
    const QString firefox = home.filePath(QStringLiteral(".config/mozilla/firefox"));
    QVERIFY(writeFile(firefox + QStringLiteral("/profiles.ini"), profilesIni(QStringLiteral("p"))));
    Row ended(QStringLiteral(".mixi.test"), name, "ended-session");
    ended.set = now.addSecs(-60);
    writeFirefoxCookies(firefox + QStringLiteral("/p"), {ended});
    Row chromium(QStringLiteral(".mixi.test"), name,
                 chromiumLoggedIn ? QByteArray(DemoService::kCookieValue) : "also-ended");
    chromium.set = now.addDays(-3);
    chromium.expires = now.addDays(30).toSecsSinceEpoch();
    QVERIFY(writeChromiumCookies(home.filePath(QStringLiteral(".config/chromium/Default/Cookies")),
                                 {chromium}, 24, Encryption::V10));

    TestPlatform platform(data.path());
    installNetworkServices(platform);
    platform->browserHome.home = home.path();
    platform->network.routeHost(QStringLiteral("www.mixi.test"), QStringLiteral("127.0.0.1"));
    DemoServiceThread demo;
    QVERIFY(demo.start());
    DemoOptions options;
    options.requireCookie = true;
    demo.service().setOptions(options);
    TestCollectionHost host(*platform);
    host.getOpt = method;
    Collector collector(*platform, host, host,
                        FootprintPages::fromServiceUrl(QStringLiteral("http://www.mixi.test:") +
                                                       QString::number(demo.port())));
    // The browser stand-in loads over the loopback while the fake clock races through its waits.
    platform.clock->onProcessEvents = [&host] {
        if (host.webBrowser.pendingNavigations() > 0) {
            QThread::msleep(1);
        }
    };
    collector.collectPage(collector.pages().page1);

    const auto requests = demo.service().requests();
    QCOMPARE(requests.size(), size_t(2));
    QCOMPARE(requests[0].cookie, name.toLatin1() + "=ended-session");
    QCOMPARE(requests[1].cookie, name.toLatin1() + '=' + chromium.value);
    QStringList events;
    for (const QString& line :
         QString::fromUtf8(readBytes(data.filePath(QStringLiteral("kestrelview.log"))))
             .split(u'\n', Qt::SkipEmptyParts)) {
        events << line.section(u'\t', 1);
    }
    const QString m = QString::number(method + 1);
    QCOMPARE(events.size(), 2);
    QCOMPARE(events[0],
             QStringLiteral("page /show_log.pl method %1 HTTP 200 login Firefox refused").arg(m));
    if (chromiumLoggedIn) {
        QCOMPARE(host.rankingModel.rowCount(), 50);
        QVERIFY(platform.dialogs->messages.empty());
        QCOMPARE(events[1],
                 QStringLiteral("page /show_log.pl method %1 HTTP 200 login Chromium entries 50 "
                                "counted 50 collected")
                     .arg(m));
    } else {
        // Told once, after every browser's login was tried.
        QCOMPARE(host.rankingModel.rowCount(), 0);
        QCOMPARE(platform.dialogs->messages.size(), size_t(1));
        QCOMPARE(host.panel1.back(), QStringLiteral("ログインが必要です"));
        QCOMPARE(events[1], QStringLiteral("page /show_log.pl method %1 HTTP 200 login Chromium "
                                           "failed: ログインが必要です")
                                .arg(m));
    }
    // No cookie value ever reaches the log.
    QVERIFY(!readBytes(data.filePath(QStringLiteral("kestrelview.log"))).contains("session"));
}

QTEST_MAIN(BrowserLoginRetryTest)
#include "browser_login_retry_test.moc"
