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
        const QString d1 = QStringLiteral("http://mixi.jp/show_log.pl");
        const QString d2 = QStringLiteral("http://mixi.jp/show_log.pl?page=2");
        QTest::newRow("none") << QString() << d1 << d2;
        QTest::newRow("demo service") << QStringLiteral("http://127.0.0.1:8080")
                                      << QStringLiteral("http://127.0.0.1:8080/show_log.pl")
                                      << QStringLiteral("http://127.0.0.1:8080/show_log.pl?page=2");
        QTest::newRow("path, query and login ignored")
            << QStringLiteral("HTTPS://user:pw@Example.test/x/y?z=1#f")
            << QStringLiteral("https://example.test/show_log.pl")
            << QStringLiteral("https://example.test/show_log.pl?page=2");
        QTest::newRow("other scheme") << QStringLiteral("ftp://127.0.0.1") << d1 << d2;
        QTest::newRow("garbage") << QStringLiteral("http://exa mple:port") << d1 << d2;
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
