// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QtTest>

#include "tests/web/launch_rig.h"
#include "web/visitor_pages.h"

namespace {

struct Pages : LaunchRig {
    explicit Pages(LaunchSandbox& sandbox) : LaunchRig(sandbox) {
        sandbox.setHttpsHandler("b.desktop", "browser %u");
    }
};

}  // namespace

// The ranking list's page actions and the maker's pages, opened for real with stand-ins.
class VisitorPagesTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void baseAddress_data() {
        QTest::addColumn<QString>("serviceUrl");
        QTest::addColumn<QString>("base");
        QTest::newRow("unset") << ""
                               << "https://mixi.jp";
        QTest::newRow("path, query and fragment go") << "http://127.0.0.1:8080/show_log.pl?page=2#x"
                                                     << "http://127.0.0.1:8080";
        QTest::newRow("user name goes, case folds") << "HTTPS://me:pw@Example.COM/"
                                                    << "https://example.com";
        QTest::newRow("IPv6 host") << "http://[::1]:9000/x"
                                   << "http://[::1]:9000";
        QTest::newRow("blanks around") << "  http://127.0.0.1  "
                                       << "http://127.0.0.1";
        QTest::newRow("other scheme") << "ftp://127.0.0.1/"
                                      << "https://mixi.jp";
        QTest::newRow("no scheme") << "127.0.0.1:8080"
                                   << "https://mixi.jp";
        QTest::newRow("relative") << "/show_log.pl"
                                  << "https://mixi.jp";
        QTest::newRow("no host") << "http://"
                                 << "https://mixi.jp";
        QTest::newRow("not an address") << "http://exa mple.com/"
                                        << "https://mixi.jp";
    }
    void baseAddress() {
        QFETCH(QString, serviceUrl);
        QFETCH(QString, base);
        QCOMPARE(ServiceBaseAddress(serviceUrl), base);
    }

    void visitorIdFromTheIdColumn_data() {
        QTest::addColumn<QString>("column");
        QTest::addColumn<int>("id");
        QTest::newRow("padded") << "      123" << 123;
        QTest::newRow("ten digits") << "2147483647" << 2147483647;
        QTest::newRow("negative") << "       -5" << -5;
        QTest::newRow("blanks inside") << " 12 34 " << 1234;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("blank") << "         " << 0;
        QTest::newRow("not a number") << "      abc" << 0;
        QTest::newRow("beyond 32 bits") << "99999999999" << 0;
        QTest::newRow("full-width digits") << "１２" << 0;
    }
    void visitorIdFromTheIdColumn() {
        QFETCH(QString, column);
        QFETCH(int, id);
        TestPlatform platform(QDir::tempPath());
        FakeWebHost host;
        host.idText = column;
        VisitorPageActions actions(*platform, host);
        QCOMPARE(actions.SelectedVisitorId(), id);
        host.selected = false;
        QCOMPARE(actions.SelectedVisitorId(), 0);
    }

    void popupMenuOnlyForTheRightButtonOverRows() {
        QVERIFY(ShowsPopupMenu(2, 1));
        QVERIFY(!ShowsPopupMenu(2, 0));
        QVERIFY(!ShowsPopupMenu(1, 5));
        QVERIFY(!ShowsPopupMenu(4, 5));
    }

    void nothingOpensWithoutASelectedRow() {
        LaunchSandbox sandbox;
        Pages pages(sandbox);
        VisitorPageActions actions(*pages.platform, pages.host);
        // A page with no row selected reaches the launcher, which ignores it.
        pages.host.selected = false;
        actions.openPage(QStringLiteral("/list_diary.pl?id="));
        actions.openVisitorPage();
        QVERIFY(pages.starter->calls.empty());
    }

    void doubleClickOpensTheProfile_data() {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("serviceUrl");
        QTest::addColumn<QString>("address");
        QTest::newRow("padded id") << "      123"
                                   << ""
                                   << "https://mixi.jp/show_friend.pl?id=123";
        QTest::newRow("unusable id opens id 0") << "       x1"
                                                << ""
                                                << "https://mixi.jp/show_friend.pl?id=0";
        QTest::newRow("empty id opens id 0") << ""
                                             << ""
                                             << "https://mixi.jp/show_friend.pl?id=0";
        QTest::newRow("service address from the settings")
            << "7"
            << "http://127.0.0.1:8080/show_log.pl"
            << "http://127.0.0.1:8080/show_friend.pl?id=7";
    }
    void doubleClickOpensTheProfile() {
        QFETCH(QString, column);
        QFETCH(QString, serviceUrl);
        QFETCH(QString, address);
        LaunchSandbox sandbox;
        Pages pages(sandbox);
        pages.host.idText = column;
        VisitorPageActions actions(*pages.platform, pages.host);
        actions.setBaseAddress(ServiceBaseAddress(serviceUrl));
        actions.openVisitorPage();
        QVERIFY(sandbox.waitForLaunches("browser", 1));
        QCOMPARE(sandbox.launches("browser"), (QList<QStringList>{{pages.browser, address}}));
    }

    void doubleClickOnAnEmptyListDoesNothing() {
        LaunchSandbox sandbox;
        Pages pages(sandbox);
        pages.host.rows = 0;
        VisitorPageActions actions(*pages.platform, pages.host);
        actions.openVisitorPage();
        QVERIFY(pages.starter->calls.empty());
    }

    void makerPagesGoToTheOpener() {
        LaunchSandbox sandbox;
        Pages pages(sandbox);
        pages.host.selected = false;  // neither needs a row, nor reads the option
        pages.host.ieOpen = Tick::Unticked;
        VisitorPageActions actions(*pages.platform, pages.host);
        actions.openLatestVersionPage();
        QVERIFY(sandbox.waitForLaunches("xdg-open", 1));
        actions.openReportPage();
        QVERIFY(sandbox.waitForLaunches("xdg-open", 2));
        QCOMPARE(
            sandbox.launches("xdg-open"),
            (QList<QStringList>{{pages.opener, "https://www.example.com/kestrelview/"},
                                {pages.opener, "https://www.example.com/kestrelview/report"}}));
        QCOMPARE(pages.starter->calls.size(), size_t(2));
        QCOMPARE(pages.starter->calls[0].commandLine,
                 QStringLiteral("explorer \"https://www.example.com/kestrelview/"));
        QCOMPARE(pages.starter->calls[1].commandLine,
                 QStringLiteral("explorer \"https://www.example.com/kestrelview/report"));
        QVERIFY(sandbox.launches("browser").isEmpty());
    }

    void makerPageThatCannotStartShowsNothing() {
        LaunchSandbox sandbox;
        TestPlatform platform(sandbox.root());
        auto recording = std::make_unique<RecordingStarter>();
        RecordingStarter* starter = recording.get();
        platform->commandLine = std::move(recording);
        FakeWebHost host;
        VisitorPageActions actions(*platform, host);
        actions.openLatestVersionPage();
        QCOMPARE(starter->calls.size(), size_t(1));
        QCOMPARE(starter->calls[0].result, StartResult::FileNotFound);
        QVERIFY(platform.dialogs->messages.empty());
    }
};

QTEST_GUILESS_MAIN(VisitorPagesTest)
#include "visitor_pages_test.moc"
