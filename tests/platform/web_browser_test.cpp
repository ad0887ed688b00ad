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
    QSignalSpy spy(&browser, &WebBrowser::documentComplete);
    browser.navigate(url);
    if (!spy.wait(5000)) {
        return QStringLiteral("<no document>");
    }
    return browser.bodyMarkup();
}

}  // namespace

class WebBrowserTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void bodyIsWrittenTheWayTheBrowserControlWritesIt_data();
    void bodyIsWrittenTheWayTheBrowserControlWritesIt();
    void pageIsDecodedByItsDeclaredCharset_data();
    void pageIsDecodedByItsDeclaredCharset();
    void documentSendsTheBrowserElsewhereAsItLoads_data();
    void documentSendsTheBrowserElsewhereAsItLoads();
    void passwordFieldIsFoundHoweverItIsWritten_data();
    void passwordFieldIsFoundHoweverItIsWritten();
    void browserGoesWhereTheDocumentSendsIt_data();
    void browserGoesWhereTheDocumentSendsIt();
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

void WebBrowserTest::documentSendsTheBrowserElsewhereAsItLoads_data() {
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("target");  // "-" when the document stays; "" for a computed one
    const QString login = QStringLiteral("http://mixi.test/login.pl");
    const auto script = [](const char* code) {
        return QStringLiteral("<html><head><script>") + QString::fromUtf8(code) +
               QStringLiteral("</script></head><body>ログイン</body></html>");
    };
    QTest::newRow("refresh at once")
        << QStringLiteral("<meta http-equiv=\"refresh\" content=\"0;url=/login.pl\">") << login;
    QTest::newRow("refresh in capitals, blanks and quotes")
        << QStringLiteral("<META HTTP-EQUIV=Refresh CONTENT=\"1 ; URL = 'login.pl?r=1'\">")
        << login + QStringLiteral("?r=1");
    QTest::newRow("refresh inside the body")
        << QStringLiteral(
               "<body><p>移動します</p><meta http-equiv=refresh content=\"0; /login.pl\">")
        << login;
    QTest::newRow("refresh to another server")
        << QStringLiteral("<meta http-equiv=refresh content=\"0;URL=https://login.test/\">")
        << QStringLiteral("https://login.test/");
    QTest::newRow("refresh due later stays")
        << QStringLiteral("<meta http-equiv=refresh content=\"300;url=/login.pl\">") << "-";
    QTest::newRow("refresh of the page itself stays")
        << QStringLiteral("<meta http-equiv=refresh content=\"0\">") << "-";
    QTest::newRow("refresh to the page's own address stays")
        << QStringLiteral("<meta http-equiv=refresh content=\"0;url=show_log.pl#top\">") << "-";
    QTest::newRow("location assigned") << script("location = '/login.pl';") << login;
    QTest::newRow("location.href assigned, no semicolon")
        << script("var n = 1\nlocation.href = \"/login.pl\"\n") << login;
    QTest::newRow("window.location assigned")
        << script("window.location = \"/login.pl\";") << login;
    QTest::newRow("window.location.href assigned")
        << script("window.location.href='/login.pl'") << login;
    QTest::newRow("location.replace") << script("location.replace(\"/login.pl\");") << login;
    QTest::newRow("location.assign after other statements")
        << script("var a = [1, 2]; if (a) { a.pop(); } location.assign('/login.pl');") << login;
    QTest::newRow("inside comment marks")
        << script("<!--\nlocation.href = '/login.pl';\n//-->") << login;
    QTest::newRow("computed address") << script("location.href = '/log' + 'in.pl';") << QString();
    QTest::newRow("after a regular expression with a brace")
        << script("var re = /[{]/; location.href = '/login.pl';") << login;
    QTest::newRow("frame-buster") << script("if (top != self) top.location = self.location;")
                                  << "-";
    QTest::newRow("under a condition on the next line")
        << script("if (!window.loggedIn)\n  location.href = '/login.pl';") << "-";
    QTest::newRow("in the else branch")
        << script("if (a) b(); else location.href = '/login.pl';") << "-";
    QTest::newRow("inside a function")
        << script("function go() { location.href = '/login.pl'; }") << "-";
    QTest::newRow("inside a callback")
        << script("setTimeout(function () { location.href = '/login.pl'; }, 9000);") << "-";
    QTest::newRow("in a string") << script("var s = \"location.href = '/login.pl'\";") << "-";
    QTest::newRow("in a comment") << script("// location.href = '/login.pl';\n") << "-";
    QTest::newRow("a comparison") << script("location.href == '/login.pl';") << "-";
    QTest::newRow("event handler")
        << QStringLiteral("<a href=# onclick=\"location.href='/login.pl'\">ログイン</a>") << "-";
    QTest::newRow("script with a source of its own")
        << QStringLiteral("<script src=\"a.js\">location.href='/login.pl'</script>") << "-";
    QTest::newRow("a template's script")
        << QStringLiteral("<template><script>location.href='/login.pl'</script></template>") << "-";
    QTest::newRow("a script of another language")
        << QStringLiteral("<script type=\"text/x-template\">location.href='/login.pl'</script>")
        << "-";
}

void WebBrowserTest::documentSendsTheBrowserElsewhereAsItLoads() {
    QFETCH(QString, html);
    QFETCH(QString, target);
    const std::optional<QUrl> next =
        NavigationOnLoad(html, QUrl(QStringLiteral("http://mixi.test/show_log.pl")));
    QCOMPARE(next.has_value() ? next->toString() : QStringLiteral("-"), target);
}

void WebBrowserTest::passwordFieldIsFoundHoweverItIsWritten_data() {
    QTest::addColumn<QString>("html");
    QTest::addColumn<bool>("found");
    QTest::newRow("as the service sends it")
        << QStringLiteral("<p>パスワード <input type=\"password\" name=\"password\" /></p>")
        << true;
    QTest::newRow("capitals, unquoted") << QStringLiteral("<INPUT TYPE=PassWord NAME=p>") << true;
    QTest::newRow("attributes on lines of their own")
        << QStringLiteral("<input\n  name='p'\n  type='password'\n>") << true;
    QTest::newRow("a text field named password")
        << QStringLiteral("<input type=\"text\" name=\"password\">") << false;
    QTest::newRow("another attribute saying password")
        << QStringLiteral("<input data-type=\"password\">") << false;
    QTest::newRow("the words outside a field")
        << QStringLiteral("<p>&lt;input type=password&gt; を忘れた方</p>") << false;
    QTest::newRow("inside a script")
        << QStringLiteral("<script>document.write('<input type=password>')</script>") << false;
}

void WebBrowserTest::passwordFieldIsFoundHoweverItIsWritten() {
    QFETCH(QString, html);
    QFETCH(bool, found);
    QCOMPARE(HoldsPasswordField(html), found);
}

void WebBrowserTest::browserGoesWhereTheDocumentSendsIt_data() {
    QTest::addColumn<QString>("extra");
    QTest::addColumn<QString>("finalPath");  // of the address the browser ends on
    QTest::addColumn<bool>("loginForm");
    QTest::newRow("refresh to the login page")
        << QStringLiteral("<meta http-equiv=refresh content=\"0;url=/login.pl\">")
        << QStringLiteral("/login.pl") << true;
    QTest::newRow("script to the login page")
        << QStringLiteral("<script>location.replace('login.pl')</script>")
        << QStringLiteral("/login.pl") << true;
    QTest::newRow("script to a computed address")
        << QStringLiteral("<script>location.href = '/login' + '.pl'</script>")
        << QStringLiteral("blank") << false;
    // Each round: the refresh, then a redirect back to the page itself.
    QTest::newRow("a refresh loop ends after a few loads")
        << QStringLiteral("<meta http-equiv=refresh content=\"0;url=/go?to=/show_log.pl\">")
        << QStringLiteral("/show_log.pl") << false;
    QTest::newRow("a page that stays")
        << QStringLiteral("<script>if (top != self) top.location = self.location;</script>")
        << QStringLiteral("/show_log.pl") << false;
}

void WebBrowserTest::browserGoesWhereTheDocumentSendsIt() {
    QFETCH(QString, extra);
    QFETCH(QString, finalPath);
    QFETCH(bool, loginForm);
    QTemporaryDir dir;
    TestPlatform platform(dir.path());
    installNetworkServices(platform);
    DemoServiceThread demo;
    QVERIFY(demo.start());
    DemoOptions options;
    options.empty = true;
    options.extraBodyHtml = extra;
    demo.service().setOptions(options);

    WebBrowser browser(*platform);
    QSignalSpy completed(&browser, &WebBrowser::documentComplete);
    const QString body = load(browser, demo.baseUrl() + QStringLiteral("/show_log.pl"));
    QCOMPARE(browser.lastResult().finalUrl.path(), finalPath);
    QCOMPARE(HoldsPasswordField(body), loginForm);
    // One document completes, the one the browser ended on.
    QTest::qWait(50);
    QCOMPARE(completed.size(), 1);
    QCOMPARE(browser.pendingNavigations(), 0);
    QVERIFY(demo.service().requests().size() <=
            size_t(1 + 2 * WebBrowser::kMaxFollowedNavigations));
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
