// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QUrl>

#include "platform/cookie.h"

class EventLog;

// Where the user's browsers keep their profiles. Only the program fills it from its environment;
// tests point it at a temporary folder, so no test ever reads a real profile.
struct BrowserHome {
    QString home;        // the user's home folder ($HOME); empty: no browser is read
    QString configHome;  // $XDG_CONFIG_HOME; empty means home + "/.config"

    // The config home as the browsers use it: configHome when it is absolute, else
    // home + "/.config".
    QString effectiveConfigHome() const;
};

// One cookie as a browser keeps it, with the time it was last set.
struct StoredCookie {
    Cookie cookie;
    QDateTime set;
};

// The login one browser profile (or the data folder's cookies.txt) lends to a page.
struct BrowserLogin {
    QString browser;        // "cookies.txt", "Firefox", "Chromium", "Google Chrome",
                            // "Brave", "Microsoft Edge", "Vivaldi"
    QString profile;        // the profile folder it came from (for the log; never a value)
    QList<Cookie> cookies;  // every cookie that the page would be sent with
    QDateTime newest;       // when the freshest of the service host's cookies was set
};

// Every login that could serve `page`, in the order to try them: cookies.txt in the data folder
// alone when it is there; otherwise each browser profile that holds at least one cookie for the
// page, freshest first. Firefox is read in every place it keeps profiles (~/.config/mozilla,
// ~/.mozilla, the snap and the Flatpak), the Chromium family (Chromium, Google Chrome, Brave,
// Microsoft Edge, Vivaldi) under the config home. Problems (a locked keyring, an unreadable
// database) go to `log` as one line each, never a prompt, never a cookie's value; `log` may be
// null.
QList<BrowserLogin> FindBrowserLogins(const QString& dataFolder, const BrowserHome& where,
                                      const QUrl& page, EventLog* log);

// The cookies of `cookies` that a request for `page` carries: the host itself or a domain it lies
// in, a path that the page's path starts with at a segment boundary, secure ones only over https,
// none expired at `now`.
QList<Cookie> CookiesForPage(const QList<Cookie>& cookies, const QUrl& page, const QDateTime& now);
