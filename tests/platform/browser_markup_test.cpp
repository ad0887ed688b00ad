// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QThread>
#include <QtTest>

#include "platform/web_browser.h"

namespace {

// How the browser writes `levels` divs opened one inside the other in the body, the innermost
// holding `text`: with html and body, no element opens more than 512 deep, so from the 512th
// level on each div becomes the last child of the div at level 510.
QString browserNesting(int levels, const QString& text) {
    const int nested = std::min(levels, 511);
    const int siblings = levels - nested;
    const QString open = QStringLiteral("<DIV>");
    const QString close = QStringLiteral("</DIV>");
    if (siblings == 0) {
        return open.repeated(levels) + text + close.repeated(levels);
    }
    return open.repeated(510) + (open + close).repeated(siblings) + open + text + close +
           close.repeated(510);
}

}  // namespace

class BrowserMarkupTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void deeplyNestedPageIsWrittenBackWithinASmallStack_data();
    void deeplyNestedPageIsWrittenBackWithinASmallStack();
    void nestingPastTheBrowsersDepthBecomesSiblings_data();
    void nestingPastTheBrowsersDepthBecomesSiblings();
};

void BrowserMarkupTest::deeplyNestedPageIsWrittenBackWithinASmallStack_data() {
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("body");

    // Deep enough that a call or two per level overflows the stack the conversion is given.
    const int depth = 20000;
    const QString divs = QStringLiteral("<div>").repeated(depth);
    QTest::newRow("nested divs in the body")
        << QStringLiteral("<html><body>") + divs + QStringLiteral("x")
        << browserNesting(depth, QStringLiteral("x"));
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

void BrowserMarkupTest::nestingPastTheBrowsersDepthBecomesSiblings_data() {
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("body");
    const QString div = QStringLiteral("<div>");
    const QString end = QStringLiteral("</div>");
    const QString x = QStringLiteral("x");

    QTest::newRow("511 levels nest") << div.repeated(511) + x << browserNesting(511, x);
    QTest::newRow("the 512th level is a sibling")
        << div.repeated(512) + x << browserNesting(512, x);
    QTest::newRow("60,000 levels, never closed")
        << div.repeated(60000) + x << browserNesting(60000, x);
    QTest::newRow("60,000 levels closed, text on each")
        << (div + u'a').repeated(60000) + end.repeated(60000)
        << QStringLiteral("<DIV>a").repeated(510) + QStringLiteral("<DIV>a</DIV>").repeated(59490) +
               QStringLiteral("</DIV>").repeated(510);
    QTest::newRow("divs and spans, 600 levels")
        << QStringLiteral("<div><span>").repeated(300) + x
        << QStringLiteral("<DIV><SPAN>").repeated(255) + QStringLiteral("<DIV></DIV>") +
               QStringLiteral("<SPAN></SPAN><DIV></DIV>").repeated(44) +
               QStringLiteral("<SPAN>x</SPAN>") + QStringLiteral("</SPAN></DIV>").repeated(255);

    // Elements whose end tags pages leave out do not nest, however many there are.
    const QString entry = QStringLiteral(
        "<span class=\"date\">12月07日 11:58</span><span class=\"name\"><a "
        "href=\"show_friend.pl?id=123\">山田</a></span>");
    const QString written = QStringLiteral(
        "<SPAN class=date>12月07日 11:58</SPAN><SPAN class=name><A "
        "href=\"\"show_friend.pl?id=123\"\">山田</A></SPAN>");
    QTest::newRow("an entry 500 levels down")
        << div.repeated(500) + entry
        << QStringLiteral("<DIV>").repeated(500) + written + QStringLiteral("</DIV>").repeated(500);
    QTest::newRow("1,000 list items")
        << QStringLiteral("<ul>") + (QStringLiteral("<li>") + entry).repeated(1000)
        << QStringLiteral("<UL>") +
               (QStringLiteral("<LI>") + written + QStringLiteral("</LI>")).repeated(1000) +
               QStringLiteral("</UL>");
    QTest::newRow("1,000 table rows")
        << QStringLiteral("<table>") + QStringLiteral("<tr><td>a<td>b").repeated(1000)
        << QStringLiteral("<TABLE><TBODY>") +
               QStringLiteral("<TR><TD>a</TD><TD>b</TD></TR>").repeated(1000) +
               QStringLiteral("</TBODY></TABLE>");
    QTest::newRow("1,000 paragraphs and options")
        << QStringLiteral("<p>a").repeated(1000) + QStringLiteral("<select>") +
               QStringLiteral("<option>o").repeated(1000)
        << QStringLiteral("<P>a</P>").repeated(999) + QStringLiteral("<P>a<SELECT>") +
               QStringLiteral("<OPTION>o</OPTION>").repeated(1000) +
               QStringLiteral("</SELECT></P>");
}

void BrowserMarkupTest::nestingPastTheBrowsersDepthBecomesSiblings() {
    QFETCH(QString, html);
    QFETCH(QString, body);
    QCOMPARE(BrowserBodyMarkup(html), body);
}

QTEST_GUILESS_MAIN(BrowserMarkupTest)
#include "browser_markup_test.moc"
