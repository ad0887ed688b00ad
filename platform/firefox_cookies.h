// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include "platform/browser_logins.h"

// The folders that may hold Firefox's profiles.ini for `where`: the config home's mozilla/firefox
// (where Debian's Firefox ESR makes new profiles), ~/.mozilla/firefox, the snap's two places and
// the Flatpak's two. Whether they exist is not checked.
QStringList FirefoxProfileRoots(const BrowserHome& where);

// The profile folder Firefox starts with, as the profiles.ini in `root` names it: the default of
// an install section, else the profile marked Default=1, else the only one. Paths may be relative
// to `root` or absolute. Empty when there is none.
QString FirefoxDefaultProfile(const QString& root);

// What could be read of one profile's cookies.
struct FirefoxCookieRead {
    bool readable = false;  // cookies.sqlite was there and could be read
    QList<StoredCookie> cookies;
    // Why the database could not be queried at all, where something beyond the file is at fault
    // (the cookie-database module is missing, say); empty otherwise.
    QString problem;
};

// The cookies of the profile folder `profile`, expired ones included, read from a private copy of
// cookies.sqlite with its -wal file (Firefox keeps the file locked and its latest rows in the
// -wal). Cookies kept for a site embedded in another (partitioned) are left out: a page loaded on
// its own never carries them.
FirefoxCookieRead ReadFirefoxCookies(const QString& profile);
