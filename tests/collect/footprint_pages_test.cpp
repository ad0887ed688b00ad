// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QtTest>

#include "collect/footprint_pages.h"

// Where the two footprint pages are fetched from, by the "ServiceUrl" setting.
class FootprintPagesTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void serviceUrlReplacesSchemeHostAndPort_data() {
        QTest::addColumn<QString>("serviceUrl");
        QTest::addColumn<QString>("page1");
        QTest::addColumn<QString>("page2");
        // Without a usable setting the pages are the service's own.
        const FootprintPages service;
        QTest::newRow("none") << QString() << service.page1 << service.page2;
        QTest::newRow("https, its path, query and login ignored")
            << QStringLiteral("HTTPS://user:pw@Example.test/x/y?z=1#f")
            << QStringLiteral("https://example.test/show_log.pl")
            << QStringLiteral("https://example.test/show_log.pl?page=2");
        QTest::newRow("other scheme")
            << QStringLiteral("ftp://127.0.0.1") << service.page1 << service.page2;
        QTest::newRow("garbage") << QStringLiteral("http://exa mple:port") << service.page1
                                 << service.page2;
    }
    void serviceUrlReplacesSchemeHostAndPort() {
        QFETCH(QString, serviceUrl);
        QFETCH(QString, page1);
        QFETCH(QString, page2);
        const FootprintPages pages = FootprintPages::fromServiceUrl(serviceUrl);
        QCOMPARE(pages.page1, page1);
        QCOMPARE(pages.page2, page2);
    }
};

QTEST_GUILESS_MAIN(FootprintPagesTest)
#include "footprint_pages_test.moc"
