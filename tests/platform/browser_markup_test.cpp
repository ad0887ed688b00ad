// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QThread>
#include <QtTest>

#include "platform/web_browser.h"

class BrowserMarkupTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void deeplyNestedPageIsWrittenBackWithinASmallStack_data();
    void deeplyNestedPageIsWrittenBackWithinASmallStack();
};

void BrowserMarkupTest::deeplyNestedPageIsWrittenBackWithinASmallStack_data() {
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("body");

    // Deep enough that a call or two per level overflows the stack the conversion is given.
    const int depth = 20000;
    const QString divs = QStringLiteral("<div>").repeated(depth);
    QTest::newRow("nested divs in the body")
        << QStringLiteral("<html><body>") + divs + QStringLiteral("x")
        << QStringLiteral("<DIV>").repeated(depth) + QStringLiteral("x") +
               QStringLiteral("</DIV>").repeated(depth);
    QTest::newRow("nested divs in a template before the body")
        << QStringLiteral("<html><head><template>") + divs << QString();
}

void BrowserMarkupTest::deeplyNestedPageIsWrittenBackWithinASmallStack() {
    QFETCH(QString, html);
    QFETCH(QString, body);
    QString written;
    QThread* thread = QThread::create([&] { written = BrowserBodyMarkup(html); });
    thread->setStackSize(256 * 1024);
    thread->start();
    QVERIFY(thread->wait(QDeadlineTimer(120000)));
    delete thread;
    QCOMPARE(written, body);
}

QTEST_GUILESS_MAIN(BrowserMarkupTest)
#include "browser_markup_test.moc"
