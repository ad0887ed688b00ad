// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// Looks up the logins that a real browser left in a home folder, the way the program does before
// it fetches a page, and checks them against what the test made that browser do. Prints what it
// found and the lines the lookup logged; exits 0 when everything matches, 1 otherwise.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUrl>
#include <cstdio>

#include "platform/browser_logins.h"
#include "platform/event_log.h"
#include "platform/text_codec.h"

namespace {

int g_failures = 0;

void fail(const QString& what) {
    std::printf("FAIL: %s\n", qPrintable(what));
    ++g_failures;
}

QString canonical(const QString& path) {
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return resolved.isEmpty() ? QDir::cleanPath(path) : resolved;
}

// The profile folder a login names is the one the browser wrote, or a folder inside it.
// The first bytes of the login cookie's value as Chromium stored it in the profile's database.
QByteArray storedPrefix(const QString& profile, const QByteArray& name, qsizetype length) {
    QByteArray prefix;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("stored"));
        db.setDatabaseName(profile + QStringLiteral("/Cookies"));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (db.open()) {
            QSqlQuery query(db);
            query.prepare(QStringLiteral("SELECT encrypted_value FROM cookies WHERE name = ?"));
            query.addBindValue(QString::fromUtf8(name));
            if (query.exec() && query.next()) {
                prefix = query.value(0).toByteArray().left(length);
            }
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("stored"));
    return prefix;
}

bool sameOrInside(const QString& profile, const QString& expected) {
    const QString found = canonical(profile);
    const QString wanted = canonical(expected);
    return found == wanted || found.startsWith(wanted + u'/');
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption home(QStringLiteral("home"), QStringLiteral("Home folder."),
                                  QStringLiteral("dir"));
    const QCommandLineOption configHome(QStringLiteral("config-home"),
                                        QStringLiteral("XDG config home, if not ~/.config."),
                                        QStringLiteral("dir"));
    const QCommandLineOption data(QStringLiteral("data"), QStringLiteral("Data folder."),
                                  QStringLiteral("dir"));
    const QCommandLineOption page(QStringLiteral("page"), QStringLiteral("Page address."),
                                  QStringLiteral("url"));
    const QCommandLineOption browser(QStringLiteral("browser"),
                                     QStringLiteral("The one browser expected to lend a login."),
                                     QStringLiteral("name"));
    const QCommandLineOption profile(QStringLiteral("profile"),
                                     QStringLiteral("The profile folder the login comes from."),
                                     QStringLiteral("dir"));
    const QCommandLineOption cookie(QStringLiteral("cookie"),
                                    QStringLiteral("The one cookie the page gets, NAME=VALUE."),
                                    QStringLiteral("cookie"));
    const QCommandLineOption maxAge(QStringLiteral("max-age"),
                                    QStringLiteral("The Max-Age the cookie was set with."),
                                    QStringLiteral("seconds"));
    const QCommandLineOption stored(
        QStringLiteral("stored-prefix"),
        QStringLiteral("What Chromium's stored value of the cookie starts with (v10, v11)."),
        QStringLiteral("prefix"));
    const QCommandLineOption none(QStringLiteral("none"), QStringLiteral("Expect no login."));
    const QCommandLineOption logMentions(QStringLiteral("log-mentions"),
                                         QStringLiteral("Text the lookup's log must hold."),
                                         QStringLiteral("text"));
    parser.addOptions({home, configHome, data, page, browser, profile, cookie, maxAge, stored, none,
                       logMentions});
    parser.process(application);

    QTemporaryDir logDir;
    EventLog log;
    log.setFile(logDir.filePath(QStringLiteral("lookup.log")));

    const BrowserHome where{parser.value(home), parser.value(configHome)};
    const QUrl pageUrl(parser.value(page));
    const QDateTime before = QDateTime::currentDateTimeUtc();
    QElapsedTimer timer;
    timer.start();
    const QList<BrowserLogin> logins = FindBrowserLogins(parser.value(data), where, pageUrl, &log);
    const qint64 elapsedMs = timer.elapsed();

    std::printf("lookup for %s took %lld ms and found %lld login(s)\n",
                qPrintable(pageUrl.toString()), static_cast<long long>(elapsedMs),
                static_cast<long long>(logins.size()));
    for (const BrowserLogin& login : logins) {
        std::printf("  %s, profile %s, newest %s\n", qPrintable(login.browser),
                    qPrintable(login.profile), qPrintable(login.newest.toString(Qt::ISODate)));
        for (const Cookie& c : login.cookies) {
            std::printf("    cookie %s (%lld bytes), expires %s\n", c.name().constData(),
                        static_cast<long long>(c.value().size()),
                        c.isSessionCookie() ? "at session end"
                                            : qPrintable(c.expirationDate().toString(Qt::ISODate)));
        }
    }
    QFile logFile(log.filePath());
    QString logText;
    if (logFile.open(QIODevice::ReadOnly)) {
        logText = DecodeCp932(logFile.readAll());
    }
    std::printf("lookup log:\n%s\n", qPrintable(logText.trimmed()));

    if (parser.isSet(logMentions) && !logText.contains(parser.value(logMentions))) {
        fail(QStringLiteral("the lookup's log does not mention \"%1\"")
                 .arg(parser.value(logMentions)));
    }
    if (parser.isSet(none)) {
        if (!logins.isEmpty()) {
            fail(QStringLiteral("expected no login, found %1").arg(logins.size()));
        }
        return g_failures == 0 ? 0 : 1;
    }

    if (logins.size() != 1) {
        fail(QStringLiteral("expected exactly one login, found %1").arg(logins.size()));
    }
    if (logins.isEmpty()) {
        return 1;
    }
    const BrowserLogin& found = logins.first();
    if (found.browser != parser.value(browser)) {
        fail(QStringLiteral("the login is said to come from \"%1\", not \"%2\"")
                 .arg(found.browser, parser.value(browser)));
    }
    if (parser.isSet(profile) && !sameOrInside(found.profile, parser.value(profile))) {
        fail(QStringLiteral("the login comes from %1, not from the profile in %2")
                 .arg(found.profile, parser.value(profile)));
    }

    const QByteArray wanted = parser.value(cookie).toUtf8();
    const QByteArray wantedName = wanted.left(wanted.indexOf('='));
    const QByteArray wantedValue = wanted.mid(wanted.indexOf('=') + 1);
    if (parser.isSet(stored)) {
        const QByteArray prefix = parser.value(stored).toLatin1();
        const QByteArray actual = storedPrefix(parser.value(profile), wantedName, prefix.size());
        std::printf("Chromium stored the cookie as %s...\n", actual.toHex().constData());
        if (actual != prefix) {
            fail(QStringLiteral("Chromium did not store the cookie as %1: the browser run did not "
                                "use the password store this case is about")
                     .arg(parser.value(stored)));
        }
    }
    if (found.cookies.size() != 1) {
        fail(QStringLiteral("the page should get exactly the login cookie, it gets %1 cookie(s)")
                 .arg(found.cookies.size()));
    }
    for (const Cookie& c : found.cookies) {
        if (c.name() != wantedName) {
            if (c.name() != "kv_elsewhere") {
                fail(QStringLiteral("unexpected cookie %1").arg(QString::fromUtf8(c.name())));
            } else {
                fail(QStringLiteral("the cookie of /elsewhere is lent to %1").arg(pageUrl.path()));
            }
            continue;
        }
        if (c.value() != wantedValue) {
            fail(QStringLiteral("cookie %1 reads back as %2 bytes that are not the value the "
                                "server set (%3 bytes)")
                     .arg(QString::fromUtf8(c.name()))
                     .arg(c.value().size())
                     .arg(wantedValue.size()));
        }
        // The expiry the browser stored is now + Max-Age; a misread unit (seconds, milliseconds,
        // microseconds, Chromium's 1601 epoch) lands years away from it.
        const qint64 age = parser.value(maxAge).toLongLong();
        const QDateTime earliest = before.addSecs(age - 3600);
        const QDateTime latest = QDateTime::currentDateTimeUtc().addSecs(age + 3600);
        if (c.isSessionCookie()) {
            fail(QStringLiteral("the persistent cookie reads back as a session cookie"));
        } else if (c.expirationDate() < earliest || c.expirationDate() > latest) {
            fail(QStringLiteral("the cookie expires %1, the server set it to expire about %2")
                     .arg(c.expirationDate().toString(Qt::ISODate),
                          before.addSecs(age).toString(Qt::ISODate)));
        }
    }
    // The cookie was set moments ago, by the browser run just before this lookup.
    if (!found.newest.isValid() || found.newest < before.addSecs(-15 * 60) ||
        found.newest > QDateTime::currentDateTimeUtc().addSecs(60)) {
        fail(QStringLiteral("the login is said to be set at %1, not in the last minutes")
                 .arg(found.newest.toString(Qt::ISODate)));
    }
    return g_failures == 0 ? 0 : 1;
}
