// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "platform/firefox_cookies.h"

#include <QAtomicInt>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

namespace {

// Expiry times past this are milliseconds, as newer Firefox stores them; as seconds they would lie
// thousands of years ahead.
constexpr qint64 kLatestExpirySeconds = 100'000'000'000LL;

QString profileFolder(const QString& iniFolder, const QString& path, bool relative) {
    if (path.isEmpty()) {
        return {};
    }
    return QDir::cleanPath(relative ? QDir(iniFolder).filePath(path) : path);
}

QList<QNetworkCookie> readCookies(const QString& databaseFile) {
    static QAtomicInt connections;
    const QString connection =
        QStringLiteral("firefox-cookies-%1").arg(connections.fetchAndAddRelaxed(1));
    QList<QNetworkCookie> cookies;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        database.setDatabaseName(databaseFile);
        if (database.open()) {
            QSqlQuery query(database);
            query.setForwardOnly(true);
            const qint64 now = QDateTime::currentSecsSinceEpoch();
            if (query.exec(QStringLiteral("SELECT host, path, isSecure, expiry, name, value, "
                                          "isHttpOnly FROM moz_cookies"))) {
                while (query.next()) {
                    qint64 expiry = query.value(3).toLongLong();
                    if (expiry > kLatestExpirySeconds) {
                        expiry /= 1000;
                    }
                    if (expiry != 0 && expiry < now) {
                        continue;
                    }
                    QNetworkCookie cookie(query.value(4).toString().toUtf8(),
                                          query.value(5).toString().toUtf8());
                    // A host that starts with a dot covers its subdomains; one without it is the
                    // host alone, as in the cookie file.
                    cookie.setDomain(query.value(0).toString());
                    cookie.setPath(query.value(1).toString());
                    cookie.setSecure(query.value(2).toInt() != 0);
                    cookie.setHttpOnly(query.value(6).toInt() != 0);
                    if (expiry != 0) {
                        cookie.setExpirationDate(QDateTime::fromSecsSinceEpoch(expiry));
                    }
                    cookies.append(cookie);
                }
            }
            database.close();
        }
    }
    QSqlDatabase::removeDatabase(connection);
    return cookies;
}

}  // namespace

QString FirefoxDefaultProfile(const QString& home) {
    const QString iniFolder = QDir(home).filePath(QStringLiteral(".mozilla/firefox"));
    const QString iniFile = QDir(iniFolder).filePath(QStringLiteral("profiles.ini"));
    if (!QFileInfo::exists(iniFile)) {
        return {};
    }
    QSettings ini(iniFile, QSettings::IniFormat);
    const QStringList groups = ini.childGroups();
    // The install section records the profile this installation of Firefox last started with.
    for (const QString& group : groups) {
        if (group.startsWith(QStringLiteral("Install"))) {
            const QString path = ini.value(group + QStringLiteral("/Default")).toString();
            if (!path.isEmpty()) {
                return profileFolder(iniFolder, path, !QDir::isAbsolutePath(path));
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
        const QString folder =
            profileFolder(iniFolder, ini.value(group + QStringLiteral("/Path")).toString(),
                          ini.value(group + QStringLiteral("/IsRelative")).toInt() == 1);
        if (ini.value(group + QStringLiteral("/Default")).toInt() == 1) {
            return folder;
        }
        only = folder;
    }
    return profiles == 1 ? only : QString();
}

bool LoadFirefoxCookies(const QString& home, QNetworkCookieJar& jar) {
    const QString profile = FirefoxDefaultProfile(home);
    if (profile.isEmpty()) {
        return false;
    }
    const QString source = QDir(profile).filePath(QStringLiteral("cookies.sqlite"));
    if (!QFileInfo::exists(source) || !QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        return false;
    }
    QTemporaryDir copy;
    if (!copy.isValid()) {
        return false;
    }
    const QString database = copy.filePath(QStringLiteral("cookies.sqlite"));
    if (!QFile::copy(source, database)) {
        return false;
    }
    // Without its -wal file the copy would miss what Firefox wrote since its last checkpoint.
    const QString wal = source + QStringLiteral("-wal");
    if (QFileInfo::exists(wal) && !QFile::copy(wal, database + QStringLiteral("-wal"))) {
        return false;
    }
    const QList<QNetworkCookie> cookies = readCookies(database);
    for (const QNetworkCookie& cookie : cookies) {
        jar.insertCookie(cookie);
    }
    return !cookies.isEmpty();
}
