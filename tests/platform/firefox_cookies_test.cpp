// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// A user logged in with Firefox needs no cookie file: the page loads send the login of the profile
// Firefox starts with, wherever this Firefox keeps its profiles.
#include <QtTest>

#include "platform/firefox_cookies.h"
#include "platform/paths.h"
#include "platform/url_download.h"
#include "tests/platform/browser_cookie_files.h"
#include "tests/support/network_test_platform.h"
#include "tests/support/test_files.h"
#include "tools/demo_service.h"

using namespace testcookies;

namespace {

const QUrl kPage(QStringLiteral("http://www.mixi.test/show_log.pl"));

// "name=value" of every cookie a login sends, sorted; "-" when there is no login.
QStringList sentCookies(const QList<BrowserLogin>& logins) {
    if (logins.isEmpty()) {
        return {QStringLiteral("-")};
    }
    QStringList list;
    for (const Cookie& cookie : logins.first().cookies) {
        list.append(QString::fromUtf8(cookie.name() + '=' + cookie.value()));
    }
    list.sort();
    return list;
}

Row loginRow(const QByteArray& value) {
    Row row{QStringLiteral(".mixi.test"), QStringLiteral("login"), value};
    row.expires = inAnHour();
    return row;
}

}  // namespace

class FirefoxCookiesTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void profileFirefoxStartsWithLendsItsLogin_data();
    void profileFirefoxStartsWithLendsItsLogin();
    void cookiesAreReadAsFirefoxKeepsThem_data();
    void cookiesAreReadAsFirefoxKeepsThem();
    void downloadSendsTheLoginAndLeavesTheProfileAlone();
};

void FirefoxCookiesTest::profileFirefoxStartsWithLendsItsLogin_data() {
    // Relative to the home, or "relative:" and the value as given; empty: not set.
    QTest::addColumn<QString>("configHome");
    QTest::addColumn<QString>("root");     // where profiles.ini lies, relative to the home
    QTest::addColumn<QByteArray>("ini");   // %1 stands for the home
    QTest::addColumn<QString>("profile");  // the chosen one, relative to the root or "/..." home
    QTest::addColumn<bool>("found");
    const QByteArray marked =
        "[Profile1]\nName=old\nIsRelative=1\nPath=Profiles/old\n\n"
        "[Profile0]\nName=main\nIsRelative=1\nPath=Profiles/main\n"
        "Default=1\n";
    const QString main = QStringLiteral("Profiles/main");
    for (const char* root :
         {".config/mozilla/firefox", ".mozilla/firefox", "snap/firefox/common/.mozilla/firefox",
          "snap/firefox/current/.config/mozilla/firefox",
          ".var/app/org.mozilla.firefox/.mozilla/firefox",
          ".var/app/org.mozilla.firefox/config/mozilla/firefox"}) {
        QTest::addRow("profiles in ~/%s", root)
            << QString() << QString::fromLatin1(root) << marked << main << true;
    }
    QTest::newRow("profiles in $XDG_CONFIG_HOME")
        << "xdg"
        << "xdg/mozilla/firefox" << marked << main << true;
    QTest::newRow("~/.config is not read when $XDG_CONFIG_HOME is elsewhere")
        << "xdg"
        << ".config/mozilla/firefox" << marked << main << false;
    QTest::newRow("a relative $XDG_CONFIG_HOME is ignored")
        << "relative:xdg"
        << ".config/mozilla/firefox" << marked << main << true;
    QTest::newRow("install section's default wins over Default=1")
        << QString() << ".config/mozilla/firefox"
        << "[Install4F96D1932A9F858E]\nDefault=Profiles/other\nLocked=1\n\n" + marked
        << "Profiles/other" << true;
    QTest::newRow("Default=1 wins over the profiles listed before it")
        << QString() << ".mozilla/firefox" << marked << main << true;
    QTest::newRow("the only profile, not marked")
        << QString() << ".mozilla/firefox"
        << QByteArray("[Profile0]\nName=a\nIsRelative=1\nPath=Profiles/main\n") << main << true;
    QTest::newRow("absolute profile path")
        << QString() << ".config/mozilla/firefox"
        << QByteArray("[Profile0]\nName=a\nIsRelative=0\nPath=%1/elsewhere/a\nDefault=1\n")
        << "/elsewhere/a" << true;
    QTest::newRow("two profiles and no choice")
        << QString() << ".mozilla/firefox"
        << QByteArray(
               "[Profile0]\nPath=Profiles/main\nIsRelative=1\n\n"
               "[Profile1]\nPath=Profiles/old\nIsRelative=1\n")
        << main << false;
}

void FirefoxCookiesTest::profileFirefoxStartsWithLendsItsLogin() {
    QFETCH(QString, configHome);
    QFETCH(QString, root);
    QFETCH(QByteArray, ini);
    QFETCH(QString, profile);
    QFETCH(bool, found);
    QTemporaryDir home;
    const QString rootFolder = home.filePath(root);
    QVERIFY(writeFile(rootFolder + QStringLiteral("/profiles.ini"),
                      ini.replace("%1", home.path().toUtf8())));
    const QString chosen =
        profile.startsWith(u'/') ? home.path() + profile : rootFolder + u'/' + profile;
    writeFirefoxCookies(chosen, {loginRow("chosen")});
    // A profile Firefox does not start with holds a login that must not be used.
    writeFirefoxCookies(rootFolder + QStringLiteral("/Profiles/old"), {loginRow("other")});

    BrowserHome where;
    where.home = home.path();
    where.configHome = configHome.isEmpty()                  ? QString()
                       : configHome.startsWith(u"relative:") ? configHome.mid(9)
                                                             : home.filePath(configHome);
    const QList<BrowserLogin> logins =
        FindBrowserLogins(home.filePath(QStringLiteral("data")), where, kPage, nullptr);
    QCOMPARE(sentCookies(logins), found ? QStringList{QStringLiteral("login=chosen")}
                                        : QStringList{QStringLiteral("-")});
    if (found) {
        QCOMPARE(logins.first().browser, QStringLiteral("Firefox"));
        QCOMPARE(logins.first().profile, QDir::cleanPath(chosen));
    }
}

void FirefoxCookiesTest::cookiesAreReadAsFirefoxKeepsThem_data() {
    QTest::addColumn<qint64>("expiry");  // as Firefox stores it
    QTest::addColumn<bool>("onlyInWal");
    QTest::addColumn<QString>("partition");
    QTest::addColumn<QStringList>("sent");
    const qint64 later = inAnHour();
    const QStringList login{QStringLiteral("login=value")};
    QTest::newRow("expiry in seconds") << later << false << QString() << login;
    QTest::newRow("expiry in milliseconds") << later * 1000 << false << QString() << login;
    QTest::newRow("session cookie") << qint64(0) << false << QString() << login;
    QTest::newRow("expired") << later - 7200 << false << QString() << QStringList{"-"};
    QTest::newRow("rows Firefox has not yet checkpointed, in the -wal file")
        << later << true << QString() << login;
    QTest::newRow("kept for a site that embedded the service")
        << later << false << QStringLiteral("(http,other.test)") << QStringList{"-"};
}

void FirefoxCookiesTest::cookiesAreReadAsFirefoxKeepsThem() {
    QFETCH(qint64, expiry);
    QFETCH(bool, onlyInWal);
    QFETCH(QString, partition);
    QFETCH(QStringList, sent);
    QTemporaryDir home;
    const QString root = home.filePath(QStringLiteral(".mozilla/firefox"));
    QVERIFY(writeFile(root + QStringLiteral("/profiles.ini"),
                      profilesIni(QStringLiteral("p.default"))));
    Row row{QStringLiteral(".mixi.test"), QStringLiteral("login"), "value"};
    row.expires = expiry;
    row.partition = partition;
    const auto writer = writeFirefoxCookies(root + QStringLiteral("/p.default"), {row}, onlyInWal);
    if (onlyInWal) {
        QVERIFY(QFileInfo(root + QStringLiteral("/p.default/cookies.sqlite-wal")).size() > 0);
    }
    BrowserHome where;
    where.home = home.path();
    QCOMPARE(sentCookies(
                 FindBrowserLogins(home.filePath(QStringLiteral("data")), where, kPage, nullptr)),
             sent);
}

void FirefoxCookiesTest::downloadSendsTheLoginAndLeavesTheProfileAlone() {
    QTemporaryDir data;
    QTemporaryDir home;
    const QString root = home.filePath(QStringLiteral(".config/mozilla/firefox"));
    QVERIFY(writeFile(root + QStringLiteral("/profiles.ini"), profilesIni(QStringLiteral("p"))));
    Row login{QStringLiteral(".mixi.test"), QString::fromLatin1(DemoService::kCookieName),
              DemoService::kCookieValue};
    const auto writer = writeFirefoxCookies(root + QStringLiteral("/p"), {login}, true);
    const QStringList profileFiles = QDir(root + QStringLiteral("/p")).entryList(QDir::Files);

    TestPlatform platform(data.path());
    installNetworkServices(platform);
    platform->browserHome.home = home.path();
    platform->network.routeHost(QStringLiteral("www.mixi.test"), QStringLiteral("127.0.0.1"));
    DemoServiceThread demo;
    QVERIFY(demo.start());
    DemoOptions options;
    options.requireCookie = true;
    demo.service().setOptions(options);
    const QString url = QStringLiteral("http://www.mixi.test:") + QString::number(demo.port()) +
                        QStringLiteral("/show_log.pl");
    QVERIFY(platform->download
                ->downloadToFile(url, AppFilePath(data.path(), QStringLiteral("\\buf.tmp")))
                .complete());
    QCOMPARE(demo.service().requests().back().cookie,
             QByteArray(DemoService::kCookieName) + '=' + DemoService::kCookieValue);
    // Firefox's own folder is only read from.
    QCOMPARE(QDir(root + QStringLiteral("/p")).entryList(QDir::Files), profileFiles);
}

QTEST_MAIN(FirefoxCookiesTest)
#include "firefox_cookies_test.moc"
