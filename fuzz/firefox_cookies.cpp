// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// A Firefox profile built from the input: profiles.ini (a default one, or one cut from the input)
// and a cookies.sqlite of up to eight rows whose fields come from the input, typed as Firefox
// types them or not. A failed read yields no cookie, and no login a page is sent with holds an
// expired cookie or one for another host.

#include <QDateTime>
#include <QDir>
#include <QSqlQuery>
#include <QVariant>

#include "fuzz/fuzz_support.h"
#include "platform/browser_logins.h"
#include "platform/firefox_cookies.h"

namespace {

QVariant takeExpiry(FuzzedDataProvider& data, qint64 now) {
    switch (data.ConsumeIntegralInRange(0, 5)) {
        case 0:
            return qint64(0);
        case 1:
            return now + data.ConsumeIntegralInRange<qint64>(-100'000, 100'000'000);
        case 2:  // milliseconds, as newer Firefox stores them
            return (now + data.ConsumeIntegralInRange<qint64>(-100'000, 100'000'000)) * 1000;
        case 3:
            return fuzz::takeText(data, 24);
        case 4:
            return QVariant();
        default:
            return data.ConsumeIntegral<qint64>();
    }
}

QVariant takeField(FuzzedDataProvider& data) {
    if (data.ConsumeIntegralInRange(0, 7) == 0) {
        return data.ConsumeIntegral<qint64>();
    }
    return fuzz::takeText(data, 32);
}

bool writeDatabase(const QString& file, FuzzedDataProvider& data) {
    return fuzz::writeDatabase(file, [&data](QSqlQuery& query) {
        bool ok = query.exec(QStringLiteral(
            "CREATE TABLE moz_cookies (id INTEGER PRIMARY KEY, originAttributes TEXT, name "
            "TEXT, value TEXT, host TEXT, path TEXT, expiry INTEGER, lastAccessed INTEGER, "
            "creationTime INTEGER, isSecure INTEGER, isHttpOnly INTEGER)"));
        ok = ok && query.prepare(QStringLiteral(
                       "INSERT INTO moz_cookies (originAttributes, name, value, host, path, "
                       "expiry, isSecure, isHttpOnly) VALUES ('', ?, ?, ?, ?, ?, ?, ?)"));
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        const int rows = data.ConsumeIntegralInRange(0, 8);
        for (int i = 0; ok && i < rows; ++i) {
            query.addBindValue(takeField(data));
            query.addBindValue(takeField(data));
            query.addBindValue(takeField(data));
            query.addBindValue(takeField(data));
            query.addBindValue(takeExpiry(data, now));
            query.addBindValue(takeField(data));
            query.addBindValue(takeField(data));
            ok = query.exec();
        }
        return ok;
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    fuzz::init();
    FuzzedDataProvider data(bytes, size);
    const QString home = fuzz::scratchPath(QStringLiteral("home"));
    QDir(home).removeRecursively();
    const QString firefox = home + QStringLiteral("/.mozilla/firefox");
    QDir().mkpath(firefox + QStringLiteral("/default"));
    std::string ini = "[Profile0]\nName=default\nIsRelative=1\nPath=default\nDefault=1\n";
    if (data.ConsumeIntegralInRange(0, 3) == 0) {
        ini = data.ConsumeRandomLengthString(200);
    }
    fuzz::writeFile(firefox + QStringLiteral("/profiles.ini"),
                    QByteArrayView(ini.data(), qsizetype(ini.size())));
    if (!writeDatabase(firefox + QStringLiteral("/default/cookies.sqlite"), data)) {
        return 0;
    }
    const FirefoxCookieRead read = ReadFirefoxCookies(firefox + QStringLiteral("/default"));
    KV_FUZZ_CHECK(read.readable || read.cookies.isEmpty(),
                  QStringLiteral("cookies from a database that could not be read"));
    const QUrl page(QStringLiteral("http://www.mixi.test/show_log.pl"));
    const QString dataFolder = fuzz::scratchPath(QStringLiteral("data"));
    QDir().mkpath(dataFolder);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const BrowserLogin& login :
         FindBrowserLogins(dataFolder, BrowserHome{home, {}}, page, nullptr)) {
        for (const Cookie& cookie : login.cookies) {
            KV_FUZZ_CHECK(cookie.isSessionCookie() || cookie.expirationDate() > now,
                          QStringLiteral("expired cookie ") + QString::fromUtf8(cookie.name()) +
                              QStringLiteral(" until ") +
                              cookie.expirationDate().toString(Qt::ISODate));
            const QString domain = cookie.domain();
            KV_FUZZ_CHECK(domain == page.host() ||
                              (domain.startsWith(u'.') && page.host().endsWith(domain)) ||
                              page.host().endsWith(u'.' + domain),
                          QStringLiteral("cookie of ") + domain + QStringLiteral(" sent"));
        }
    }
    return 0;
}
