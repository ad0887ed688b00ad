// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "platform/browser_logins.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <algorithm>

#include "platform/chromium_cookies.h"
#include "platform/cookie_database.h"
#include "platform/event_log.h"
#include "platform/firefox_cookies.h"
#include "platform/http_fetch.h"
#include "platform/paths.h"

namespace {

bool domainMatches(const QString& host, QString domain) {
    if (domain.startsWith(u'.')) {
        domain.remove(0, 1);
        return host.compare(domain, Qt::CaseInsensitive) == 0 ||
               (!domain.isEmpty() && host.endsWith(u'.' + domain, Qt::CaseInsensitive));
    }
    return !domain.isEmpty() && host.compare(domain, Qt::CaseInsensitive) == 0;
}

bool pathMatches(const QString& requestPath, const QString& cookiePath) {
    if (cookiePath.isEmpty() || cookiePath == requestPath) {
        return true;
    }
    if (!requestPath.startsWith(cookiePath)) {
        return false;
    }
    return cookiePath.endsWith(u'/') || requestPath.at(cookiePath.size()) == u'/';
}

// A name or value that would break the Cookie header (a line break, a control character, a
// semicolon) is never sent.
bool safeForHeader(const QByteArray& bytes) {
    return std::none_of(bytes.cbegin(), bytes.cend(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7f || c == ';';
    });
}

bool anyHostMatches(const QStringList& domains, const QString& host) {
    return std::any_of(domains.cbegin(), domains.cend(),
                       [&host](const QString& domain) { return domainMatches(host, domain); });
}

QDateTime newestSet(const QList<StoredCookie>& cookies, const QList<Cookie>& sent) {
    QDateTime newest;
    for (const StoredCookie& stored : cookies) {
        if (stored.set.isValid() && (!newest.isValid() || stored.set > newest) &&
            sent.contains(stored.cookie)) {
            newest = stored.set;
        }
    }
    return newest;
}

BrowserLogin loginFrom(const QString& browser, const QString& profile,
                       const QList<StoredCookie>& stored, const QUrl& page, const QDateTime& now) {
    QList<Cookie> cookies;
    cookies.reserve(stored.size());
    for (const StoredCookie& entry : stored) {
        cookies.append(entry.cookie);
    }
    BrowserLogin login;
    login.browser = browser;
    login.profile = profile;
    login.cookies = CookiesForPage(cookies, page, now);
    login.newest = newestSet(stored, login.cookies);
    return login;
}

void note(EventLog* log, const QString& browser, const QString& profile, const QString& text) {
    if (log) {
        log->write(QStringLiteral("login ") + browser + QStringLiteral(" (") +
                   QDir::toNativeSeparators(profile) + QStringLiteral("): ") + text);
    }
}

void addFirefoxLogins(const BrowserHome& where, const QUrl& page, const QDateTime& now,
                      EventLog* log, QList<BrowserLogin>* logins) {
    const QString browser = QStringLiteral("Firefox");
    QSet<QString> seen;
    for (const QString& root : FirefoxProfileRoots(where)) {
        const QString profile = FirefoxDefaultProfile(root);
        if (profile.isEmpty()) {
            continue;
        }
        const QString canonical = QFileInfo(profile).canonicalFilePath();
        if (canonical.isEmpty()) {
            note(log, browser, profile,
                 QStringLiteral("the profile named in profiles.ini is missing"));
            continue;
        }
        if (seen.contains(canonical)) {
            continue;
        }
        seen.insert(canonical);
        const FirefoxCookieRead read = ReadFirefoxCookies(profile);
        if (!read.readable) {
            if (QFileInfo::exists(QDir(profile).filePath(QStringLiteral("cookies.sqlite")))) {
                note(
                    log, browser, profile,
                    QStringLiteral("cookies.sqlite cannot be read") +
                        (read.problem.isEmpty() ? QString() : QStringLiteral(": ") + read.problem));
            }
            continue;
        }
        BrowserLogin login = loginFrom(browser, profile, read.cookies, page, now);
        if (!login.cookies.isEmpty()) {
            logins->append(login);
        }
    }
}

void addChromiumLogins(const BrowserHome& where, const QUrl& page, const QDateTime& now,
                       EventLog* log, QList<BrowserLogin>* logins) {
    const QString host = page.host();
    for (const ChromiumBrowser& browser : ChromiumBrowsers()) {
        const QString userData = QDir(where.effectiveConfigHome()).filePath(browser.configFolder);
        if (!QFileInfo(userData).isDir()) {
            continue;
        }
        const QString profile = ChromiumLastUsedProfile(userData);
        if (profile.isEmpty()) {
            continue;
        }
        const QString file = ChromiumCookieFile(profile);
        const CookieDatabaseCopy copy(file);
        if (!copy.valid()) {
            note(log, browser.name, profile,
                 QStringLiteral("the cookie database cannot be copied"));
            continue;
        }
        ChromiumCookieRead read = ReadChromiumCookies(copy.fileName(), QByteArray());
        if (!read.readable) {
            note(log, browser.name, profile,
                 QStringLiteral("the cookie database cannot be read") +
                     (read.problem.isEmpty() ? QString() : QStringLiteral(": ") + read.problem));
            continue;
        }
        if (anyHostMatches(read.keyringHosts, host)) {
            QString problem;
            const QByteArray password = ChromiumKeyringPassword(browser, &problem);
            if (password.isEmpty()) {
                note(log, browser.name, profile,
                     QStringLiteral("cookies encrypted with the keyring's password passed over: ") +
                         problem);
            } else {
                read = ReadChromiumCookies(copy.fileName(), password);
            }
        }
        if (anyHostMatches(read.undecryptableHosts, host)) {
            note(log, browser.name, profile,
                 QString::number(std::count_if(
                     read.undecryptableHosts.cbegin(), read.undecryptableHosts.cend(),
                     [&host](const QString& domain) { return domainMatches(host, domain); })) +
                     QStringLiteral(" cookies of the page could not be decrypted"));
        }
        BrowserLogin login = loginFrom(browser.name, profile, read.cookies, page, now);
        if (!login.cookies.isEmpty()) {
            logins->append(login);
        }
    }
}

}  // namespace

QString BrowserHome::effectiveConfigHome() const {
    // A relative $XDG_CONFIG_HOME is invalid and ignored, as the base-directory rules say.
    if (!configHome.isEmpty() && QDir::isAbsolutePath(configHome)) {
        return configHome;
    }
    return home.isEmpty() ? QString() : QDir(home).filePath(QStringLiteral(".config"));
}

QList<Cookie> CookiesForPage(const QList<Cookie>& cookies, const QUrl& page, const QDateTime& now) {
    const QString host = page.host();
    const QString path = page.path().isEmpty() ? QStringLiteral("/") : page.path();
    const bool secure = page.scheme() == u"https";
    QList<Cookie> sent;
    for (const Cookie& cookie : cookies) {
        if (cookie.name().isEmpty() || !safeForHeader(cookie.name()) ||
            !safeForHeader(cookie.value()) || !domainMatches(host, cookie.domain()) ||
            !pathMatches(path, cookie.path()) || (cookie.isSecure() && !secure) ||
            (!cookie.isSessionCookie() && cookie.expirationDate() <= now)) {
            continue;
        }
        sent.append(cookie);
    }
    return sent;
}

QList<BrowserLogin> FindBrowserLogins(const QString& dataFolder, const BrowserHome& where,
                                      const QUrl& page, EventLog* log) {
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QString cookieFile = AppFilePath(dataFolder, QStringLiteral("\\cookies.txt"));
    if (!dataFolder.isEmpty() && QFileInfo(cookieFile).isFile()) {
        BrowserLogin login;
        login.browser = QStringLiteral("cookies.txt");
        login.profile = cookieFile;
        login.cookies = CookiesForPage(LoadCookieFile(cookieFile), page, now);
        return {login};
    }
    QList<BrowserLogin> logins;
    if (where.home.isEmpty() || page.host().isEmpty()) {
        return logins;
    }
    addFirefoxLogins(where, page, now, log, &logins);
    addChromiumLogins(where, page, now, log, &logins);
    // The browser the user last logged in with comes first; equally fresh ones keep their order.
    std::stable_sort(logins.begin(), logins.end(),
                     [](const BrowserLogin& a, const BrowserLogin& b) {
                         if (a.newest.isValid() != b.newest.isValid()) {
                             return a.newest.isValid();
                         }
                         return a.newest.isValid() && a.newest > b.newest;
                     });
    return logins;
}
