// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "platform/chromium_cookies.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <atomic>
#include <memory>

#include "platform/cookie_database.h"
#include "platform/program_modules.h"

namespace {

// Microseconds from 1601-01-01 to 1970-01-01, Chromium's time base.
constexpr qint64 k1601To1970Microseconds = 11'644'473'600'000'000LL;
// A Local State larger than this is not Chromium's.
constexpr qint64 kMaxLocalStateBytes = 16 * 1024 * 1024;

QDateTime fromChromiumTime(qint64 microseconds) {
    if (microseconds <= 0) {
        return {};
    }
    return QDateTime::fromMSecsSinceEpoch((microseconds - k1601To1970Microseconds) / 1000, Qt::UTC);
}

QSet<QString> columnsOf(const CookieDatabaseConnection& connection, const QString& table) {
    QSet<QString> columns;
    connection.select(
        QStringLiteral("PRAGMA table_info(") + table + u')',
        [&columns](const QVariantList& row) { columns.insert(row.value(1).toString()); });
    return columns;
}

}  // namespace

const QList<ChromiumBrowser>& ChromiumBrowsers() {
    static const QList<ChromiumBrowser> browsers = {
        {QStringLiteral("Chromium"), QStringLiteral("chromium"), QStringLiteral("chromium"),
         QStringLiteral("Chromium Safe Storage")},
        {QStringLiteral("Google Chrome"), QStringLiteral("google-chrome"), QStringLiteral("chrome"),
         QStringLiteral("Chrome Safe Storage")},
        {QStringLiteral("Brave"), QStringLiteral("BraveSoftware/Brave-Browser"),
         QStringLiteral("brave"), QStringLiteral("Brave Safe Storage")},
        {QStringLiteral("Microsoft Edge"), QStringLiteral("microsoft-edge"),
         QStringLiteral("microsoft-edge"), QStringLiteral("Microsoft Edge Safe Storage")},
        {QStringLiteral("Vivaldi"), QStringLiteral("vivaldi"), QStringLiteral("vivaldi"),
         QStringLiteral("Vivaldi Safe Storage")},
    };
    return browsers;
}

QString ChromiumCookieFile(const QString& profile) {
    for (const QString& name : {QStringLiteral("Network/Cookies"), QStringLiteral("Cookies")}) {
        const QString file = QDir(profile).filePath(name);
        if (QFileInfo(file).isFile()) {
            return file;
        }
    }
    return {};
}

QString ChromiumLastUsedProfile(const QString& userData) {
    QFile localState(QDir(userData).filePath(QStringLiteral("Local State")));
    if (localState.open(QIODevice::ReadOnly) && localState.size() <= kMaxLocalStateBytes) {
        const QJsonObject root = QJsonDocument::fromJson(localState.readAll()).object();
        const QString lastUsed = root.value(QStringLiteral("profile"))
                                     .toObject()
                                     .value(QStringLiteral("last_used"))
                                     .toString();
        // A profile is a folder directly inside the user-data folder, never a path elsewhere.
        if (!lastUsed.isEmpty() && !lastUsed.contains(u'/') && lastUsed != u"." &&
            lastUsed != u"..") {
            const QString profile = QDir(userData).filePath(lastUsed);
            if (!ChromiumCookieFile(profile).isEmpty()) {
                return profile;
            }
        }
    }
    const QString fallback = QDir(userData).filePath(QStringLiteral("Default"));
    return ChromiumCookieFile(fallback).isEmpty() ? QString() : fallback;
}

bool DecryptChromiumValue(const QByteArray& encrypted, const QByteArray& v11Password,
                          const QByteArray& hostKey, int databaseVersion, QByteArray* plain) {
    // Resolved once it is there: a database may hold thousands of rows.
    static std::atomic<ChromiumValueDecrypter> resolved = nullptr;
    ChromiumValueDecrypter decrypt = resolved.load();
    if (!decrypt) {
        decrypt = reinterpret_cast<ChromiumValueDecrypter>(ProgramModuleFunction(
            QStringLiteral("cookies"), "kestrelview_decrypt_chromium_value", nullptr));
        resolved.store(decrypt);
    }
    return decrypt && decrypt(encrypted, v11Password, hostKey, databaseVersion, plain);
}

QByteArray ChromiumKeyringPassword(const ChromiumBrowser& browser, QString* problem) {
    QString error;
    const auto ask = reinterpret_cast<ChromiumKeyringAsker>(ProgramModuleFunction(
        QStringLiteral("cookies"), "kestrelview_chromium_keyring_password", &error));
    if (!ask) {
        if (problem) {
            *problem = QStringLiteral("the cookie database module cannot be loaded: ") + error;
        }
        return {};
    }
    QByteArray password;
    ask(browser, &password, problem);
    return password;
}

ChromiumCookieRead ReadChromiumCookies(const QString& databaseCopy, const QByteArray& v11Password) {
    ChromiumCookieRead read;
    if (!QFileInfo(databaseCopy).isFile()) {
        return read;
    }
    const CookieDatabaseConnection connection(databaseCopy);
    if (!connection.open()) {
        read.problem = connection.error();
        return read;
    }
    int version = 0;
    connection.select(QStringLiteral("SELECT value FROM meta WHERE key = 'version'"),
                      [&version](const QVariantList& row) { version = row.value(0).toInt(); });
    const QSet<QString> columns = columnsOf(connection, QStringLiteral("cookies"));
    for (const char* needed : {"host_key", "name", "path", "expires_utc"}) {
        if (!columns.contains(QLatin1String(needed))) {
            return read;
        }
    }
    // Older versions name some columns differently or lack them; a missing one reads as its
    // default.
    const auto column = [&columns](std::initializer_list<const char*> names, const char* absent) {
        for (const char* name : names) {
            if (columns.contains(QLatin1String(name))) {
                return QString::fromLatin1(name);
            }
        }
        return QString::fromLatin1(absent);
    };
    const QString select =
        QStringLiteral("SELECT host_key, name, path, expires_utc, ") + column({"value"}, "''") +
        u',' + column({"encrypted_value"}, "X''") + u',' + column({"is_secure", "secure"}, "0") +
        u',' + column({"is_httponly", "httponly"}, "0") + u',' + column({"has_expires"}, "1") +
        u',' + column({"creation_utc"}, "0") + u',' + column({"last_update_utc"}, "0") + u',' +
        column({"top_frame_site_key"}, "''") + QStringLiteral(" FROM cookies");
    const bool selected = connection.select(select, [&read, &v11Password,
                                                     version](const QVariantList& row) {
        // A cookie partitioned by the site it was embedded in.
        if (!row.value(11).toString().isEmpty()) {
            return;
        }
        const QString host = row.value(0).toString();
        const QByteArray encrypted = row.value(5).toByteArray();
        QByteArray value;
        if (encrypted.isEmpty()) {
            value = row.value(4).toString().toUtf8();
        } else if (encrypted.startsWith("v11") && v11Password.isEmpty()) {
            read.keyringHosts.append(host);
            return;
        } else if (!DecryptChromiumValue(encrypted, v11Password, host.toUtf8(), version, &value)) {
            read.undecryptableHosts.append(host);
            return;
        }
        const qint64 expires = row.value(3).toLongLong();
        if (expires < 0) {
            read.undecryptableHosts.append(host);
            return;
        }
        StoredCookie stored;
        Cookie& cookie = stored.cookie;
        cookie.setName(row.value(1).toString().toUtf8());
        cookie.setValue(value);
        cookie.setDomain(host);
        cookie.setPath(row.value(2).toString());
        cookie.setSecure(row.value(6).toInt() != 0);
        cookie.setHttpOnly(row.value(7).toInt() != 0);
        if (row.value(8).toInt() != 0 && expires != 0) {
            cookie.setExpirationDate(fromChromiumTime(expires));
        }
        const QDateTime created = fromChromiumTime(row.value(9).toLongLong());
        const QDateTime updated = fromChromiumTime(row.value(10).toLongLong());
        stored.set =
            updated.isValid() && (!created.isValid() || updated > created) ? updated : created;
        read.cookies.append(stored);
    });
    if (!selected) {
        return ChromiumCookieRead{};
    }
    read.readable = true;
    return read;
}
