// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "platform/firefox_cookies.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include "platform/cookie_database.h"

namespace {

// Expiry times past this are milliseconds, as newer Firefox stores them; as seconds they would lie
// thousands of years ahead.
constexpr qint64 kLatestExpirySeconds = 100'000'000'000LL;

QString profileFolder(const QString& root, const QString& path, bool relative) {
    if (path.isEmpty()) {
        return {};
    }
    return QDir::cleanPath(relative ? QDir(root).filePath(path) : path);
}

}  // namespace

QStringList FirefoxProfileRoots(const BrowserHome& where) {
    if (where.home.isEmpty()) {
        return {};
    }
    const QDir home(where.home);
    return {
        QDir(where.effectiveConfigHome()).filePath(QStringLiteral("mozilla/firefox")),
        home.filePath(QStringLiteral(".mozilla/firefox")),
        home.filePath(QStringLiteral("snap/firefox/common/.mozilla/firefox")),
        home.filePath(QStringLiteral("snap/firefox/current/.config/mozilla/firefox")),
        home.filePath(QStringLiteral(".var/app/org.mozilla.firefox/.mozilla/firefox")),
        home.filePath(QStringLiteral(".var/app/org.mozilla.firefox/config/mozilla/firefox")),
    };
}

QString FirefoxDefaultProfile(const QString& root) {
    const QString iniFile = QDir(root).filePath(QStringLiteral("profiles.ini"));
    if (!QFileInfo(iniFile).isFile()) {
        return {};
    }
    QSettings ini(iniFile, QSettings::IniFormat);
    const QStringList groups = ini.childGroups();
    // The install section records the profile this installation of Firefox last started with.
    for (const QString& group : groups) {
        if (group.startsWith(QStringLiteral("Install"))) {
            const QString path = ini.value(group + QStringLiteral("/Default")).toString();
            if (!path.isEmpty()) {
                return profileFolder(root, path, !QDir::isAbsolutePath(path));
            }
        }
    }
    QString only;
    int profiles = 0;
    for (const QString& group : groups) {
        if (!group.startsWith(QStringLiteral("Profile"))) {
            continue;
        }
        ++profiles;
        const QString path = ini.value(group + QStringLiteral("/Path")).toString();
        const QVariant relative = ini.value(group + QStringLiteral("/IsRelative"));
        const QString folder = profileFolder(
            root, path, relative.isValid() ? relative.toInt() == 1 : !QDir::isAbsolutePath(path));
        if (ini.value(group + QStringLiteral("/Default")).toInt() == 1) {
            return folder;
        }
        only = folder;
    }
    return profiles == 1 ? only : QString();
}

FirefoxCookieRead ReadFirefoxCookies(const QString& profile) {
    FirefoxCookieRead read;
    const CookieDatabaseCopy copy(QDir(profile).filePath(QStringLiteral("cookies.sqlite")));
    if (!copy.valid()) {
        return read;
    }
    const CookieDatabaseConnection connection(copy.fileName());
    if (!connection.open()) {
        read.problem = connection.error();
        return read;
    }
    const bool selected = connection.select(
        QStringLiteral("SELECT host, path, isSecure, expiry, name, value, isHttpOnly, "
                       "creationTime, originAttributes FROM moz_cookies"),
        [&read](const QVariantList& row) {
            if (row.value(8).toString().contains(QStringLiteral("partitionKey="))) {
                return;
            }
            qint64 expiry = row.value(3).toLongLong();
            if (expiry > kLatestExpirySeconds) {
                expiry /= 1000;
            }
            StoredCookie stored;
            Cookie& cookie = stored.cookie;
            cookie.setName(row.value(4).toString().toUtf8());
            cookie.setValue(row.value(5).toString().toUtf8());
            // A host that starts with a dot covers its subdomains; one without it is the host
            // alone, as in the cookie file.
            cookie.setDomain(row.value(0).toString());
            cookie.setPath(row.value(1).toString());
            cookie.setSecure(row.value(2).toInt() != 0);
            cookie.setHttpOnly(row.value(6).toInt() != 0);
            if (expiry != 0) {
                cookie.setExpirationDate(QDateTime::fromSecsSinceEpoch(expiry, Qt::UTC));
            }
            // Microseconds since 1970.
            const qint64 created = row.value(7).toLongLong();
            if (created > 0) {
                stored.set = QDateTime::fromMSecsSinceEpoch(created / 1000, Qt::UTC);
            }
            read.cookies.append(stored);
        });
    if (!selected) {
        read.cookies.clear();
        return read;
    }
    read.readable = true;
    return read;
}
