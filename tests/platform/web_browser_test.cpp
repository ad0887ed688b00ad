// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QTcpServer>
#include <QtTest>

#include "platform/paths.h"
#include "platform/text_codec.h"
#include "platform/web_browser.h"
#include "tests/support/network_test_platform.h"
#include "tools/demo_service.h"

namespace {

const QString kDnsText =
    QStringLiteral("サーバーが見つからないか、DNS エラーです。<BR>Internet Explor");

// Navigates and waits (real time, at most a few seconds) for the document to complete.
QString load(WebBrowser& browser, const QString& url) {
    QSignalSpy spy(&browser, &WebBrowser::DocumentComplete);
    browser.Navigate(url);
    if (!spy.wait(5000)) {
        return QStringLiteral("<no document>");
    }
    return browser.bodyInnerHTML();
}

}  // namespace

class WebBrowserTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void bodyIsWrittenTheWayTheBrowserControlWritesIt_data();
    void bodyIsWrittenTheWayTheBrowserControlWritesIt();
    void pageIsDecodedByItsDeclaredCharset_data();
    void pageIsDecodedByItsDeclaredCharset();
    void footprintPageLoadsWithTheLoginOfTheName();
    void unresolvableNameShowsTheServerNotFoundPage();
    void refusedConnectionShowsAPageAndCompletes();
};

void WebBrowserTest::bodyIsWrittenTheWayTheBrowserControlWritesIt_data() {
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("body");
    QTest::newRow("footprint entry")
        << QStringLiteral(
               "<span class=\"date\">12月07日 11:58</span><span class=\"name\"><a "
               "href=\"show_friend.pl?id=123\">山田</a></span>")
        << QStringLiteral(
               "<SPAN class=date>12月07日 11:58</SPAN><SPAN class=name><A "
               "href=\"\"show_friend.pl?id=123\"\">山田</A></SPAN>");
    QTest::newRow("simple values unquoted, others in doubled quotes")
        << QStringLiteral("<div id='main-1.x' title=\"a b\" data-x=\"\">t</div>")
        << QStringLiteral("<DIV id=main-1.x title=\"\"a b\"\" data-x=\"\"\"\">t</DIV>");
    QTest::newRow("attribute names as written")
        << QStringLiteral("<p CLASS=a onClick=\"go()\">t</p>")
        << QStringLiteral("<P CLASS=a onClick=\"\"go()\"\">t</P>");
    QTest::newRow("text escaped") << QStringLiteral("<p>a &amp; b &lt; c &gt; d&nbsp;e \"q\"</p>")
                                  << QStringLiteral("<P>a &amp; b &lt; c &gt; d&nbsp;e \"q\"</P>");
    QTest::newRow("void elements have no end tag") << QStringLiteral("a<br>b<img src=x.png><hr/>")
                                                   << QStringLiteral("a<BR>b<IMG src=x.png><HR>");
    QTest::newRow("comments and scripts as they stand")
        << QStringLiteral("<body><!-- note --><script>if (a < b) x();</script></body>")
        << QStringLiteral("<!-- note --><SCRIPT>if (a < b) x();</SCRIPT>");
    QTest::newRow("unknown element in capitals")
        << QStringLiteral("<mixi-box>x</mixi-box>") << QStringLiteral("<MIXI-BOX>x</MIXI-BOX>");
    QTest::newRow("line ends kept")
        << QStringLiteral("<ul>\n<li>a</li>\n</ul>") << QStringLiteral("<UL>\n<LI>a</LI>\n</UL>");
    QTest::newRow("head is not body")
        << QStringLiteral("<html><head><title>T</title></head><body>b</body></html>")
        << QStringLiteral("b");
    QTest::newRow("empty") << QString() << QString();
}

void WebBrowserTest::bodyIsWrittenTheWayTheBrowserControlWritesIt() {
    QFETCH(QString, html);
    QFETCH(QString, body);
    QCOMPARE(BrowserBodyMarkup(html), body);
}

void WebBrowserTest::pageIsDecodedByItsDeclaredCharset_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QString>("text");
    const QString jp = QStringLiteral("足あと");
    QStringEncoder euc("EUC-JP");
    const QByteArray eucBytes = euc.encode(jp);
    QTest::newRow("header EUC-JP") << eucBytes << QByteArray("text/html; charset=EUC-JP") << jp;
    QTest::newRow("meta Shift_JIS")
        << QByteArray("<meta charset=\"Shift_JIS\">") + EncodeCp932(jp) << QByteArray("text/html")
        << QStringLiteral("<meta charset=\"Shift_JIS\">") + jp;
    QTest::newRow("meta http-equiv x-euc-jp")
        << QByteArray(
               "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=x-euc-jp\">") +
               eucBytes
        << QByteArray()
        << QStringLiteral(
               "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=x-euc-jp\">") +
               jp;
    QTest::newRow("undeclared UTF-8") << jp.toUtf8() << QByteArray() << jp;
    QTest::newRow("undeclared, not UTF-8") << EncodeCp932(jp) << QByteArray() << jp;
    QTest::newRow("header wins over meta") << QByteArray("<meta charset=\"utf-8\">") + eucBytes
                                           << QByteArray("text/html;charset=euc-jp")
                                           << QStringLiteral("<meta charset=\"utf-8\">") + jp;
    QTest::newRow("invalid EUC-JP bytes")
        << QByteArray("a\xA4z") << QByteArray("text/html; charset=EUC-JP")
        << QStringLiteral("a\uFFFDz");
}

void WebBrowserTest::pageIsDecodedByItsDeclaredCharset() {
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, contentType);
    QFETCH(QString, text);
    QCOMPARE(DecodePage(bytes, contentType), text);
}

void WebBrowserTest::footprintPageLoadsWithTheLoginOfTheName() {
    QTemporaryDir dir;
    TestPlatform platform(dir.path());
    installNetworkServices(platform);
    DemoServiceThread demo;
    QVERIFY(demo.start());
    demo.service().setNow(QDateTime(QDate(2026, 12, 7), QTime(12, 0)));
    DemoOptions options;
    options.requireCookie = true;
    demo.service().setOptions(options);
    platform->network.routeHost(QStringLiteral("mixi.test"), QStringLiteral("127.0.0.1"));
    QFile cookies(AppFilePath(dir.path(), QStringLiteral("\\cookies.txt")));
    QVERIFY(cookies.open(QIODevice::WriteOnly));
    cookies.write(QByteArray("#HttpOnly_mixi.test\tFALSE\t/\tFALSE\t0\t") +
                  DemoService::kCookieName + '\t' + DemoService::kCookieValue +
                  "\r\nmixi.test\tFALSE\t/\tFALSE\t1\told\tgone\r\n");
    cookies.close();

    WebBrowser browser(*platform);
    const QString base = QStringLiteral("http://mixi.test:") + QString::number(demo.port());
    const QString body = load(browser, base + QStringLiteral("/show_log.pl"));
    const QString expected = BrowserBodyMarkup(DecodeEucJp(demo.service().footprintPage(1, true)));
    QCOMPARE(body, expected);
    QVERIFY(
        body.contains(QStringLiteral("</SPAN><SPAN class=name><A href=\"\"show_friend.pl?id=")));
    QCOMPARE(demo.service().requests().back().cookie,
             QByteArray(DemoService::kCookieName) + '=' + DemoService::kCookieValue);
    QCOMPARE(browser.pendingNavigations(), 0);

    // Redirects are followed by the browser too.
    QCOMPARE(load(browser, base + QStringLiteral("/go?to=/show_log.pl%3Fpage%3D2")),
             BrowserBodyMarkup(DecodeEucJp(demo.service().footprintPage(2, true))));
}

void WebBrowserTest::unresolvableNameShowsTheServerNotFoundPage() {
    QTemporaryDir dir;
    TestPlatform platform(dir.path());
    WebBrowser browser(*platform);
    QVERIFY(load(browser, QStringLiteral("http://mixi.jp/show_log.pl")).contains(kDnsText));
    platform->network.failHost(QStringLiteral("mixi.test"));
    QVERIFY(load(browser, QStringLiteral("http://mixi.test/show_log.pl")).contains(kDnsText));
    QCOMPARE(browser.lastResult().outcome, FetchResult::Outcome::HostNotFound);
}

void WebBrowserTest::refusedConnectionShowsAPageAndCompletes() {
    QTemporaryDir dir;
    TestPlatform platform(dir.path());
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    const quint16 port = server.serverPort();
    server.close();
    WebBrowser browser(*platform);
    const QString body =
        load(browser, QStringLiteral("http://127.0.0.1:") + QString::number(port) + u'/');
    QVERIFY(body.contains(QStringLiteral("このページは表示できません")));
    QVERIFY(!body.contains(kDnsText));
    QCOMPARE(browser.lastResult().outcome, FetchResult::Outcome::ConnectionFailed);
}

QTEST_GUILESS_MAIN(WebBrowserTest)
#include "web_browser_test.moc"
