// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// A user logged in with Firefox needs no cookie file: the page loads send the login Firefox keeps.
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

#include "platform/paths.h"
#include "platform/url_download.h"
#include "tests/support/network_test_platform.h"
#include "tests/support/test_files.h"
#include "tools/demo_service.h"

namespace {

const QByteArray kLogin = QByteArray(DemoService::kCookieName) + '=' + DemoService::kCookieValue;

enum class Expiry { Seconds, Milliseconds, Past, Session };

}  // namespace

Q_DECLARE_METATYPE(Expiry)

class FirefoxCookiesTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void loginOfTheDefaultProfileIsSent_data();
    void loginOfTheDefaultProfileIsSent();
};

void FirefoxCookiesTest::loginOfTheDefaultProfileIsSent_data() {
    QTest::addColumn<QByteArray>("profilesIni");
    QTest::addColumn<QString>("profile");
    QTest::addColumn<Expiry>("expiry");
    QTest::addColumn<bool>("onlyInWal");
    QTest::addColumn<QByteArray>("cookieFileValue");
    QTest::addColumn<QByteArray>("sent");
    // %1 in profiles.ini stands for the home folder.
    const QByteArray marked =
        "[Profile1]\nName=old\nIsRelative=1\nPath=Profiles/old\n\n"
        "[Profile0]\nName=main\nIsRelative=1\nPath=Profiles/main\n"
        "Default=1\n";
    QTest::newRow("profile marked default")
        << marked << "Profiles/main" << Expiry::Seconds << false << QByteArray() << kLogin;
    QTest::newRow("install section's default wins over the marked one")
        << "[Install4F96D1932A9F858E]\nDefault=Profiles/other\nLocked=1\n\n" + marked
        << "Profiles/other" << Expiry::Seconds << false << QByteArray() << kLogin;
    QTest::newRow("absolute profile path")
        << QByteArray("[Profile0]\nName=a\nIsRelative=0\nPath=%1/elsewhere/a\nDefault=1\n")
        << "/elsewhere/a" << Expiry::Session << false << QByteArray() << kLogin;
    QTest::newRow("rows Firefox has not yet checkpointed, in the -wal file")
        << marked << "Profiles/main" << Expiry::Seconds << true << QByteArray() << kLogin;
    QTest::newRow("expiry in milliseconds")
        << marked << "Profiles/main" << Expiry::Milliseconds << false << QByteArray() << kLogin;
    QTest::newRow("expired login not sent")
        << marked << "Profiles/main" << Expiry::Past << false << QByteArray() << QByteArray();
    QTest::newRow("cookies.txt wins over Firefox")
        << marked << "Profiles/main" << Expiry::Seconds << false
        << QByteArray(DemoService::kCookieValue) << kLogin;
}

void FirefoxCookiesTest::loginOfTheDefaultProfileIsSent() {
    QFETCH(QByteArray, profilesIni);
    QFETCH(QString, profile);
    QFETCH(Expiry, expiry);
    QFETCH(bool, onlyInWal);
    QFETCH(QByteArray, cookieFileValue);
    QFETCH(QByteArray, sent);

    QTemporaryDir data;
    QTemporaryDir home;

    const QString firefox = home.filePath(QStringLiteral(".mozilla/firefox"));
    QVERIFY(QDir().mkpath(firefox));
    writeBytes(firefox + QStringLiteral("/profiles.ini"),
               profilesIni.replace("%1", home.path().toUtf8()));
    const QString profileFolder =
        profile.startsWith(u'/') ? home.path() + profile : firefox + u'/' + profile;
    QVERIFY(QDir().mkpath(profileFolder));
    // A profile that is not the default holds a login that must not be used.
    QVERIFY(QDir().mkpath(firefox + QStringLiteral("/Profiles/old")));

    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const qint64 expirySeconds[] = {now + 3600, (now + 3600) * 1000, now - 3600, 0};
    // Firefox keeps a mistyped value in the profile the cookie file's login must win over.
    const QByteArray value = cookieFileValue.isEmpty() ? QByteArray(DemoService::kCookieValue)
                                                       : QByteArray("stale-login");
    const QString connection = QStringLiteral("maker");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(profileFolder + QStringLiteral("/cookies.sqlite"));
        QVERIFY(db.open());
        QSqlQuery query(db);
        if (onlyInWal) {
            QVERIFY(query.exec(QStringLiteral("PRAGMA journal_mode=WAL")));
            QVERIFY(query.exec(QStringLiteral("PRAGMA wal_autocheckpoint=0")));
        }
        QVERIFY(query.exec(QStringLiteral(
            "CREATE TABLE moz_cookies (id INTEGER PRIMARY KEY, originAttributes TEXT, name TEXT,"
            " value TEXT, host TEXT, path TEXT, expiry INTEGER, lastAccessed INTEGER,"
            " creationTime INTEGER, isSecure INTEGER, isHttpOnly INTEGER)")));
        QVERIFY(query.prepare(QStringLiteral(
            "INSERT INTO moz_cookies (originAttributes, name, value, host, path, expiry, isSecure,"
            " isHttpOnly) VALUES ('', ?, ?, ?, '/', ?, 0, 1)")));
        for (const auto& [host, cookieValue] :
             {std::pair{QStringLiteral(".mixi.test"), value},
              std::pair{QStringLiteral("other.test"), QByteArray("foreign")}}) {
            query.addBindValue(QString::fromLatin1(DemoService::kCookieName));
            query.addBindValue(QString::fromLatin1(cookieValue));
            query.addBindValue(host);
            query.addBindValue(expirySeconds[int(expiry)]);
            QVERIFY(query.exec());
        }
        if (onlyInWal) {
            QVERIFY(QFileInfo(profileFolder + QStringLiteral("/cookies.sqlite-wal")).size() > 0);
        } else {
            db.close();
        }
    }
    const auto closeDatabase = qScopeGuard([&connection] {
        QSqlDatabase::database(connection, false).close();
        QSqlDatabase::removeDatabase(connection);
    });
    if (!cookieFileValue.isEmpty()) {
        writeBytes(AppFilePath(data.path(), QStringLiteral("\\cookies.txt")),
                   ".mixi.test\tTRUE\t/\tFALSE\t0\t" + QByteArray(DemoService::kCookieName) + '\t' +
                       cookieFileValue + '\n');
    }

    TestPlatform platform(data.path());
    installNetworkServices(platform);
    platform->browserHome = home.path();
    platform->network.routeHost(QStringLiteral("www.mixi.test"), QStringLiteral("127.0.0.1"));
    DemoServiceThread demo;
    QVERIFY(demo.start());
    DemoOptions options;
    options.requireCookie = true;
    demo.service().setOptions(options);
    const QString url = QStringLiteral("http://www.mixi.test:") + QString::number(demo.port()) +
                        QStringLiteral("/show_log.pl");
    const QStringList profileFiles = QDir(profileFolder).entryList(QDir::Files);
    QVERIFY(platform->download
                ->URLDownloadToFile(url, AppFilePath(data.path(), QStringLiteral("\\buf.tmp")))
                .complete());
    QCOMPARE(demo.service().requests().back().cookie, sent);
    // Firefox's own folder is only read from.
    QCOMPARE(QDir(profileFolder).entryList(QDir::Files), profileFiles);
}

QTEST_MAIN(FirefoxCookiesTest)
#include "firefox_cookies_test.moc"
