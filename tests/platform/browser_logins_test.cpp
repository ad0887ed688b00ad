// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// The login a page is sent with: the cookies a browser would send with it, and which browser's
// login is tried first.
#include <QtTest>

#include "platform/browser_logins.h"
#include "platform/paths.h"
#include "tests/platform/browser_cookie_files.h"

using namespace testcookies;

namespace {

const QUrl kPage(QStringLiteral("http://www.mixi.test/show_log.pl?page=2"));

Cookie cookie(const QString& domain, const QString& path, const QByteArray& value = "v") {
    Cookie made("login", value);
    made.setDomain(domain);
    made.setPath(path);
    return made;
}

}  // namespace

class BrowserLoginsTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void pageIsSentTheCookiesItsBrowserWould_data();
    void pageIsSentTheCookiesItsBrowserWould();
    void freshestLoginIsTriedFirst_data();
    void freshestLoginIsTriedFirst();
};

void BrowserLoginsTest::pageIsSentTheCookiesItsBrowserWould_data() {
    QTest::addColumn<Cookie>("cookie");
    QTest::addColumn<QUrl>("page");
    QTest::addColumn<bool>("sent");
    const QString domain = QStringLiteral(".mixi.test");
    const QString root = QStringLiteral("/");
    const QUrl secure(QStringLiteral("https://www.mixi.test/show_log.pl"));
    QTest::newRow("host alone, same host")
        << cookie(QStringLiteral("www.mixi.test"), root) << kPage << true;
    QTest::newRow("host alone, in another case")
        << cookie(QStringLiteral("WWW.Mixi.test"), root) << kPage << true;
    QTest::newRow("host alone, not its subdomain")
        << cookie(QStringLiteral("mixi.test"), root) << kPage << false;
    QTest::newRow("domain, a subdomain") << cookie(domain, root) << kPage << true;
    QTest::newRow("domain, the domain itself")
        << cookie(domain, root) << QUrl(QStringLiteral("http://mixi.test/show_log.pl")) << true;
    QTest::newRow("domain, a name that only ends alike")
        << cookie(domain, root) << QUrl(QStringLiteral("http://evilmixi.test/show_log.pl"))
        << false;
    QTest::newRow("domain, another site")
        << cookie(QStringLiteral(".other.test"), root) << kPage << false;
    QTest::newRow("path of the page")
        << cookie(domain, QStringLiteral("/show_log.pl")) << kPage << true;
    QTest::newRow("path of a folder above")
        << cookie(domain, QStringLiteral("/app"))
        << QUrl(QStringLiteral("http://www.mixi.test/app/show_log.pl")) << true;
    QTest::newRow("path that is only the start of a name")
        << cookie(domain, QStringLiteral("/show")) << kPage << false;
    QTest::newRow("path of another folder")
        << cookie(domain, QStringLiteral("/home/")) << kPage << false;
    Cookie secureOnly = cookie(domain, root);
    secureOnly.setSecure(true);
    QTest::newRow("secure cookie over http") << secureOnly << kPage << false;
    QTest::newRow("secure cookie over https") << secureOnly << secure << true;
    Cookie expired = cookie(domain, root);
    expired.setExpirationDate(QDateTime::currentDateTimeUtc().addSecs(-10));
    QTest::newRow("expired") << expired << kPage << false;
    Cookie later = cookie(domain, root);
    later.setExpirationDate(QDateTime::currentDateTimeUtc().addDays(30));
    QTest::newRow("expires later") << later << kPage << true;
    QTest::newRow("value with a line break")
        << cookie(domain, root, "a\r\nX-Injected: 1") << kPage << false;
    QTest::newRow("value with a semicolon") << cookie(domain, root, "a; admin=1") << kPage << false;
    QTest::newRow("value with a control character")
        << cookie(domain, root, QByteArray("a\0b", 3)) << kPage << false;
}

void BrowserLoginsTest::pageIsSentTheCookiesItsBrowserWould() {
    QFETCH(Cookie, cookie);
    QFETCH(QUrl, page);
    QFETCH(bool, sent);
    const QList<Cookie> cookies = CookiesForPage({cookie}, page, QDateTime::currentDateTimeUtc());
    QCOMPARE(cookies.size(), sent ? 1 : 0);
}

void BrowserLoginsTest::freshestLoginIsTriedFirst_data() {
    // Minutes ago each browser last set a cookie of the service; -1: it holds none for the page.
    QTest::addColumn<int>("firefoxAgo");
    QTest::addColumn<int>("snapFirefoxAgo");
    QTest::addColumn<int>("chromiumAgo");
    QTest::addColumn<int>("braveAgo");
    QTest::addColumn<bool>("cookieFile");
    QTest::addColumn<QStringList>("order");  // browser names; "snap" marks the snap's Firefox
    QTest::newRow("Firefox fresher than Chromium")
        << 5 << -1 << 60 << -1 << false << QStringList{"Firefox", "Chromium"};
    QTest::newRow("Chromium fresher than Firefox")
        << 60 << -1 << 5 << -1 << false << QStringList{"Chromium", "Firefox"};
    QTest::newRow("a browser without the service's cookies is left out")
        << -1 << -1 << 5 << 10 << false << QStringList{"Chromium", "Brave"};
    QTest::newRow("Firefox in two places, each a login of its own")
        << 30 << 10 << 20 << -1 << false << QStringList{"snap", "Chromium", "Firefox"};
    QTest::newRow("cookies.txt wins alone")
        << 5 << 10 << 1 << 2 << true << QStringList{"cookies.txt"};
    QTest::newRow("no browser at all") << -1 << -1 << -1 << -1 << false << QStringList{};
}

void BrowserLoginsTest::freshestLoginIsTriedFirst() {
    QFETCH(int, firefoxAgo);
    QFETCH(int, snapFirefoxAgo);
    QFETCH(int, chromiumAgo);
    QFETCH(int, braveAgo);
    QFETCH(bool, cookieFile);
    QFETCH(QStringList, order);
    QTemporaryDir home;
    QTemporaryDir data;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    // Every browser also holds a newer cookie of another site, which must not count.
    const auto rows = [&now](int ago, const QByteArray& value) {
        Row other{QStringLiteral(".other.test"), QStringLiteral("elsewhere"), "x"};
        other.set = now;
        if (ago < 0) {
            return QList<Row>{other};
        }
        Row login{QStringLiteral(".mixi.test"), QStringLiteral("login"), value};
        login.set = now.addSecs(-60 * ago);
        login.expires = inAnHour();
        return QList<Row>{other, login};
    };
    std::vector<std::unique_ptr<Database>> open;
    const auto firefox = [&](const QString& root, int ago, const QByteArray& value) {
        QVERIFY(writeFile(home.filePath(root + QStringLiteral("/profiles.ini")),
                          profilesIni(QStringLiteral("abc.default-release"))));
        open.push_back(writeFirefoxCookies(
            home.filePath(root + QStringLiteral("/abc.default-release")), rows(ago, value)));
    };
    firefox(QStringLiteral(".config/mozilla/firefox"), firefoxAgo, "firefox");
    if (snapFirefoxAgo >= 0) {
        firefox(QStringLiteral("snap/firefox/common/.mozilla/firefox"), snapFirefoxAgo, "snap");
    }
    // The same profile reached a second way is one login, not two.
    QVERIFY(QDir().mkpath(home.filePath(QStringLiteral(".mozilla"))));
    QVERIFY(QFile::link(home.filePath(QStringLiteral(".config/mozilla/firefox")),
                        home.filePath(QStringLiteral(".mozilla/firefox"))));
    QVERIFY(writeChromiumCookies(
        home.filePath(QStringLiteral(".config/chromium/Default/Network/Cookies")),
        rows(chromiumAgo, "chromium"), 24, Encryption::V10));
    QVERIFY(writeChromiumCookies(
        home.filePath(
            QStringLiteral(".config/BraveSoftware/Brave-Browser/Default/Network/Cookies")),
        rows(braveAgo, "brave"), 24, Encryption::V10));
    if (cookieFile) {
        QVERIFY(writeFile(AppFilePath(data.path(), QStringLiteral("\\cookies.txt")),
                          ".mixi.test\tTRUE\t/\tFALSE\t0\tlogin\tfrom-file\n"
                          ".other.test\tTRUE\t/\tFALSE\t0\telsewhere\tx\n"));
    }

    BrowserHome where;
    where.home = home.path();
    const QList<BrowserLogin> logins = FindBrowserLogins(data.path(), where, kPage, nullptr);
    QStringList found;
    for (const BrowserLogin& login : logins) {
        QCOMPARE(login.cookies.size(), 1);
        QCOMPARE(login.cookies[0].name(), QByteArray("login"));
        const bool snap = login.profile.contains(QStringLiteral("/snap/"));
        found.append(snap ? QStringLiteral("snap") : login.browser);
        if (login.browser != u"cookies.txt") {
            QCOMPARE(login.cookies[0].value(),
                     snap ? QByteArray("snap") : login.browser.toLower().toUtf8());
        }
    }
    QCOMPARE(found, order);
}

QTEST_GUILESS_MAIN(BrowserLoginsTest)
#include "browser_logins_test.moc"
