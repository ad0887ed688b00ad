// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// A user logged in with Chromium (or Chrome, Brave, Edge, Vivaldi) needs no cookie file: its
// cookie database is read, and its values decrypted, as Chromium itself does on Linux.
#include <QtTest>

#include "platform/chromium_cookies.h"
#include "platform/event_log.h"
#include "tests/platform/browser_cookie_files.h"

using namespace testcookies;

Q_DECLARE_METATYPE(testcookies::Encryption)

namespace {

// Made with the openssl command, not with this program's code:
//   key=$(openssl kdf -keylen 16 -kdfopt digest:SHA1 -kdfopt pass:peanuts
//         -kdfopt salt:saltysalt -kdfopt iter:1 PBKDF2 | tr -d :)
//   printf kestrel-login-42 | openssl enc -aes-128-cbc -K $key -iv 2020...20 (16 blanks)
// and, for version 24, the SHA-256 of ".mixi.test" before the value.
const QByteArray kFixedV10 =
    "v10" + QByteArray::fromHex("027d87d9fa2b148047ca07628b1ac15f5b05b26c02e8c9d984aa7a05df33b5f0");
const QByteArray kFixedV10WithDigest =
    "v10" + QByteArray::fromHex(
                "e2a68c7660fa92a2bfdc09d6ed6fe5d4ff9e7c4f948ee20868099354b30a2e59"
                "52bfa5afe90e85491a6a798757d1ab0a9b87bfe46e76e8ded977ed00de75348d");
const QByteArray kFixedPlain = "kestrel-login-42";

QByteArray flippedLastByte(QByteArray bytes) {
    bytes[bytes.size() - 1] = char(bytes.back() ^ 0x5a);
    return bytes;
}

// "name=value" of every cookie, sorted.
QStringList namesAndValues(const QList<StoredCookie>& cookies) {
    QStringList list;
    for (const StoredCookie& stored : cookies) {
        list.append(QString::fromUtf8(stored.cookie.name() + '=' + stored.cookie.value()));
    }
    list.sort();
    return list;
}

}  // namespace

class ChromiumCookiesTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void valuesDecryptAsChromiumWroteThem_data();
    void valuesDecryptAsChromiumWroteThem();
    void profileIsTheOneLastUsed_data();
    void profileIsTheOneLastUsed();
    void rowsBecomeCookiesWithTheirTimes_data();
    void rowsBecomeCookiesWithTheirTimes();
    void malformedDatabasesLoseNothingElse_data();
    void malformedDatabasesLoseNothingElse();
    void absentKeyringPassesOverItsCookiesWithOneLine();
};

void ChromiumCookiesTest::valuesDecryptAsChromiumWroteThem_data() {
    QTest::addColumn<QByteArray>("encrypted");
    QTest::addColumn<QByteArray>("v11Password");
    QTest::addColumn<QString>("hostKey");
    QTest::addColumn<int>("version");
    QTest::addColumn<bool>("decrypts");
    QTest::addColumn<QByteArray>("plain");
    const QString host = QStringLiteral(".mixi.test");
    QTest::newRow("v10 made by openssl")
        << kFixedV10 << QByteArray() << host << 23 << true << kFixedPlain;
    QTest::newRow("v10 with the host's digest, version 24")
        << kFixedV10WithDigest << QByteArray() << host << 24 << true << kFixedPlain;
    QTest::newRow("digest of another host")
        << kFixedV10WithDigest << QByteArray() << QStringLiteral(".evil.test") << 24 << false
        << QByteArray();
    QTest::newRow("version 24 value without a digest")
        << kFixedV10 << QByteArray() << host << 24 << false << QByteArray();
    QTest::newRow("cut short inside a block")
        << kFixedV10.left(3 + 20) << QByteArray() << host << 23 << false << QByteArray();
    QTest::newRow("a whole block missing")
        << kFixedV10.left(3 + 16) << QByteArray() << host << 23 << false << QByteArray();
    QTest::newRow("prefix alone") << QByteArray("v10") << QByteArray() << host << 23 << false
                                  << QByteArray();
    QTest::newRow("bad padding") << flippedLastByte(kFixedV10) << QByteArray() << host << 23
                                 << false << QByteArray();
    QTest::newRow("unknown prefix")
        << "v12" + kFixedV10.mid(3) << QByteArray() << host << 23 << false << QByteArray();
    const QByteArray v11 = chromiumEncrypt("from-the-keyring", "keyring-secret", "v11");
    QTest::newRow("v11 with the keyring's password")
        << v11 << QByteArray("keyring-secret") << host << 23 << true
        << QByteArray("from-the-keyring");
    QTest::newRow("v11 without a password")
        << v11 << QByteArray() << host << 23 << false << QByteArray();
    QTest::newRow("v11 with another password")
        << v11 << QByteArray("peanuts") << host << 23 << false << QByteArray();
}

void ChromiumCookiesTest::valuesDecryptAsChromiumWroteThem() {
    QFETCH(QByteArray, encrypted);
    QFETCH(QByteArray, v11Password);
    QFETCH(QString, hostKey);
    QFETCH(int, version);
    QFETCH(bool, decrypts);
    QFETCH(QByteArray, plain);
    QByteArray value = "untouched";
    QCOMPARE(DecryptChromiumValue(encrypted, v11Password, hostKey.toUtf8(), version, &value),
             decrypts);
    QCOMPARE(value, decrypts ? plain : QByteArray("untouched"));
}

void ChromiumCookiesTest::profileIsTheOneLastUsed_data() {
    QTest::addColumn<QByteArray>("localState");  // empty: no Local State file
    QTest::addColumn<QStringList>("cookieFiles");
    QTest::addColumn<QString>("profile");     // empty: none
    QTest::addColumn<QString>("cookieFile");  // relative to the profile
    const QString network = QStringLiteral("Network/Cookies");
    QTest::newRow("last used profile") << localState(QStringLiteral("Profile 1"))
                                       << QStringList{QStringLiteral("Default/Network/Cookies"),
                                                      QStringLiteral("Profile 1/Network/Cookies")}
                                       << "Profile 1" << network;
    QTest::newRow("older versions keep Cookies in the profile")
        << localState(QStringLiteral("Profile 2"))
        << QStringList{QStringLiteral("Profile 2/Cookies")} << "Profile 2"
        << "Cookies";
    QTest::newRow("Network/Cookies wins over a stale Cookies")
        << localState(QStringLiteral("Default"))
        << QStringList{QStringLiteral("Default/Cookies"), QStringLiteral("Default/Network/Cookies")}
        << "Default" << network;
    QTest::newRow("no Local State: Default")
        << QByteArray() << QStringList{QStringLiteral("Default/Network/Cookies")} << "Default"
        << network;
    QTest::newRow("last used profile without cookies: Default")
        << localState(QStringLiteral("Profile 3"))
        << QStringList{QStringLiteral("Default/Network/Cookies")} << "Default" << network;
    QTest::newRow("last used naming a folder outside")
        << localState(QStringLiteral("../outside"))
        << QStringList{QStringLiteral("Default/Network/Cookies"),
                       QStringLiteral("../outside/Network/Cookies")}
        << "Default" << network;
    QTest::newRow("Local State that is not JSON")
        << QByteArray("{\"profile\": {\"last_used\": \"Prof")
        << QStringList{QStringLiteral("Default/Network/Cookies")} << "Default" << network;
    QTest::newRow("no profile with cookies")
        << localState(QStringLiteral("Default")) << QStringList{} << QString() << QString();
}

void ChromiumCookiesTest::profileIsTheOneLastUsed() {
    QFETCH(QByteArray, localState);
    QFETCH(QStringList, cookieFiles);
    QFETCH(QString, profile);
    QFETCH(QString, cookieFile);
    QTemporaryDir home;
    const QString userData = home.filePath(QStringLiteral("config/chromium"));
    QVERIFY(QDir().mkpath(userData));
    if (!localState.isEmpty()) {
        QVERIFY(writeFile(userData + QStringLiteral("/Local State"), localState));
    }
    for (const QString& file : cookieFiles) {
        QVERIFY(
            writeChromiumCookies(QDir::cleanPath(userData + u'/' + file), {}, 24, Encryption::V10));
    }
    const QString found = ChromiumLastUsedProfile(userData);
    QCOMPARE(found, profile.isEmpty() ? QString() : QDir(userData).filePath(profile));
    if (!profile.isEmpty()) {
        QCOMPARE(ChromiumCookieFile(found), QDir(found).filePath(cookieFile));
    }
}

void ChromiumCookiesTest::rowsBecomeCookiesWithTheirTimes_data() {
    QTest::addColumn<int>("version");
    QTest::addColumn<Encryption>("encryption");
    QTest::newRow("current database, v10, host digest") << 24 << Encryption::V10;
    QTest::newRow("version 23, v10 without digest") << 23 << Encryption::V10;
    QTest::newRow("old columns secure and httponly") << 12 << Encryption::V10;
    QTest::newRow("values kept in plain text") << 24 << Encryption::Plain;
}

void ChromiumCookiesTest::rowsBecomeCookiesWithTheirTimes() {
    QFETCH(int, version);
    QFETCH(Encryption, encryption);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Cookies"));
    const QDateTime set(QDate(2026, 11, 30), QTime(8, 15, 42, 123), Qt::UTC);
    const qint64 expires = QDateTime(QDate(2027, 3, 1), QTime(0, 0), Qt::UTC).toSecsSinceEpoch();
    Row session{QStringLiteral(".mixi.test"), QStringLiteral("session"), "s-1"};
    session.set = set;
    Row persistent{QStringLiteral("www.mixi.test"), QStringLiteral("persistent"), "p-2",
                   QStringLiteral("/show")};
    persistent.expires = expires;
    persistent.set = set.addDays(1);
    persistent.secure = true;
    Row embedded{QStringLiteral(".mixi.test"), QStringLiteral("embedded"), "e-3"};
    embedded.partition = QStringLiteral("https://other.test");
    // Older versions have no column for the embedding site.
    QList<Row> rows{session, persistent};
    if (version >= 13) {
        rows.append(embedded);
    }
    QVERIFY(writeChromiumCookies(file, rows, version, encryption));

    const ChromiumCookieRead read = ReadChromiumCookies(file, QByteArray());
    QVERIFY(read.readable);
    QVERIFY(read.undecryptableHosts.isEmpty());
    // A cookie kept for the site it was embedded in is never a login of its own.
    QCOMPARE(namesAndValues(read.cookies),
             (QStringList{QStringLiteral("persistent=p-2"), QStringLiteral("session=s-1")}));
    for (const StoredCookie& stored : read.cookies) {
        if (stored.cookie.name() == "session") {
            QVERIFY(stored.cookie.isSessionCookie());
            QCOMPARE(stored.cookie.domain(), QStringLiteral(".mixi.test"));
            QCOMPARE(stored.set, set);
        } else {
            QCOMPARE(stored.cookie.expirationDate(),
                     QDateTime::fromSecsSinceEpoch(expires, Qt::UTC));
            QCOMPARE(stored.cookie.domain(), QStringLiteral("www.mixi.test"));
            QCOMPARE(stored.cookie.path(), QStringLiteral("/show"));
            QVERIFY(stored.cookie.isSecure());
            QCOMPARE(stored.set, set.addDays(1));
        }
    }
}

void ChromiumCookiesTest::malformedDatabasesLoseNothingElse_data() {
    QTest::addColumn<QByteArray>("bytes");   // a file that is not a database; empty: none
    QTest::addColumn<QString>("statement");  // run on a fresh database instead
    QTest::addColumn<bool>("readable");
    QTest::addColumn<QStringList>("cookies");
    QTest::addColumn<int>("undecryptable");
    QTest::newRow("not SQLite") << QByteArray("SQLite format 3\0garbage garbage garbage", 40)
                                << QString() << false << QStringList() << 0;
    QTest::newRow("no cookies table")
        << QByteArray() << QStringLiteral("CREATE TABLE other (x)") << false << QStringList() << 0;
    QTest::newRow("cookies table without host_key")
        << QByteArray() << QStringLiteral("CREATE TABLE cookies (name TEXT, value TEXT)") << false
        << QStringList() << 0;
    const QString table = QStringLiteral(
        "CREATE TABLE cookies (host_key TEXT, name TEXT, value TEXT, encrypted_value BLOB, path "
        "TEXT, expires_utc INTEGER, has_expires INTEGER);");
    QTest::newRow("garbled and short values beside a good one")
        << QByteArray()
        << table +
               QStringLiteral(
                   "INSERT INTO cookies VALUES ('.mixi.test', 'good', '', X'%1', '/', 0, 0);"
                   "INSERT INTO cookies VALUES ('.mixi.test', 'short', '', X'7631300102', '/', "
                   "0, 0);"
                   "INSERT INTO cookies VALUES ('.mixi.test', 'padding', '', X'%2', '/', 0, 0);"
                   "INSERT INTO cookies VALUES ('.mixi.test', 'negative', 'n', X'', '/', -5, 1);"
                   "INSERT INTO cookies VALUES ('.mixi.test', 'text', 123, 'v10', '/', 0, 0)")
                   .arg(QString::fromLatin1(kFixedV10.toHex()),
                        QString::fromLatin1(flippedLastByte(kFixedV10).toHex()))
        << true << QStringList{QStringLiteral("good=kestrel-login-42")} << 4;
}

void ChromiumCookiesTest::malformedDatabasesLoseNothingElse() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, statement);
    QFETCH(bool, readable);
    QFETCH(QStringList, cookies);
    QFETCH(int, undecryptable);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Cookies"));
    if (statement.isEmpty()) {
        QVERIFY(writeFile(file, bytes));
    } else {
        Database db(file);
        for (const QString& part : statement.split(u';')) {
            QVERIFY(db.run(part));
        }
    }
    const ChromiumCookieRead read = ReadChromiumCookies(file, QByteArray("any"));
    QCOMPARE(read.readable, readable);
    QCOMPARE(namesAndValues(read.cookies), cookies);
    QCOMPARE(read.undecryptableHosts.size(), undecryptable);
}

void ChromiumCookiesTest::absentKeyringPassesOverItsCookiesWithOneLine() {
    QTemporaryDir home;
    // A session bus address where nothing listens: no Secret Service, and nothing to start one.
    qputenv("DBUS_SESSION_BUS_ADDRESS",
            "unix:path=" + QFile::encodeName(home.filePath(QStringLiteral("no-bus"))));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(home.path()));
    const QString profile = home.filePath(QStringLiteral(".config/chromium/Default"));
    Row kept{QStringLiteral(".mixi.test"), QStringLiteral("plain_key"), "v10-value"};
    kept.set = QDateTime::currentDateTimeUtc().addSecs(-60);
    QVERIFY(writeChromiumCookies(profile + QStringLiteral("/Network/Cookies"), {kept}, 24,
                                 Encryption::V10));
    {
        Database db(profile + QStringLiteral("/Network/Cookies"));
        const Row locked{QStringLiteral(".mixi.test"), QStringLiteral("keyring_key"),
                         "secret-value"};
        QByteArray plain = sha256(locked.host.toUtf8()) + locked.value;
        QVERIFY(
            db.run(QStringLiteral("INSERT INTO cookies VALUES (1, ?, '', ?, '', ?, '/', 0, 0, "
                                  "1, 1, 0, 0, 1, 0, 2, 443, 1, 0, 0)"),
                   {locked.host, locked.name, chromiumEncrypt(plain, "keyring-secret", "v11")}));
    }
    EventLog log;
    log.setFile(home.filePath(QStringLiteral("kestrelview.log")));
    BrowserHome where;
    where.home = home.path();
    const QList<BrowserLogin> logins =
        FindBrowserLogins(home.filePath(QStringLiteral("data")), where,
                          QUrl(QStringLiteral("http://www.mixi.test/show_log.pl")), &log);
    QCOMPARE(logins.size(), 1);
    QCOMPARE(logins[0].browser, QStringLiteral("Chromium"));
    QCOMPARE(logins[0].cookies.size(), 1);
    QCOMPARE(logins[0].cookies[0].value(), QByteArray("v10-value"));
    QFile written(log.filePath());
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = written.readAll().trimmed().split('\n');
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines[0].contains("Chromium") && lines[0].contains("keyring"), lines[0].constData());
    QVERIFY(!lines[0].contains("secret-value") && !lines[0].contains("v10-value"));
}

QTEST_GUILESS_MAIN(ChromiumCookiesTest)
#include "chromium_cookies_test.moc"
