// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "platform/browser_logins.h"

class EventLog;

// One browser of the Chromium family: its name for the log, its user-data folder below the config
// home, and how it names the password it keeps in the Secret Service.
struct ChromiumBrowser {
    QString name;                // "Chromium", "Google Chrome", ...
    QString configFolder;        // "chromium", "google-chrome", ... below the config home
    QString keyringApplication;  // the item's "application" attribute: "chromium", "chrome", ...
    QString keyringLabel;        // the item's label: "Chromium Safe Storage", ...
};

// The Chromium family in the order their logins are weighed when equally fresh.
const QList<ChromiumBrowser>& ChromiumBrowsers();

// The profile folder the browser whose user-data folder is `userData` starts with: the one its
// "Local State" names as last used (profile.last_used), else "Default". Empty when neither holds a
// cookie database.
QString ChromiumLastUsedProfile(const QString& userData);

// A profile's cookie database: Network/Cookies in current versions, Cookies in older ones; empty
// when there is neither.
QString ChromiumCookieFile(const QString& profile);

// The plain value of an encrypted_value column: "v10" rows with the fixed Linux password
// ("peanuts"), "v11" rows with `v11Password` (empty: not known, the row is passed over). From
// database version 24 on the plain text starts with the SHA-256 digest of `hostKey`, which must
// match and is removed. False for anything that does not decrypt cleanly. Done with libcrypto in
// the cookie-database module ("cookies.so").
bool DecryptChromiumValue(const QByteArray& encrypted, const QByteArray& v11Password,
                          const QByteArray& hostKey, int databaseVersion, QByteArray* plain);
// The cookie-database module's function that does it; without the module nothing decrypts.
using ChromiumValueDecrypter = bool (*)(const QByteArray& encrypted, const QByteArray& v11Password,
                                        const QByteArray& hostKey, int databaseVersion,
                                        QByteArray* plain);

// What could be read of one cookie database.
struct ChromiumCookieRead {
    bool readable = false;  // the file is a Chromium cookie database we could query
    QList<StoredCookie> cookies;
    // The host_key of every v11 row passed over because the password was not known.
    QStringList keyringHosts;
    // The host_key of every row that could not be used: a value that did not decrypt (wrong
    // password, bad padding, garbled or short), a digest that did not match, a negative expiry.
    QStringList undecryptableHosts;
    // Why a database could not be queried at all, where something beyond the file is at fault
    // (the cookie-database module is missing, say); empty otherwise.
    QString problem;
};

// The cookies of the Chromium cookie database at `databaseCopy` (a private copy: it may be
// changed), expired ones included; partitioned cookies (kept for a site embedded in another) are
// left out. Never fails on bad input: a malformed file reads as not readable, a bad row is counted
// and skipped.
ChromiumCookieRead ReadChromiumCookies(const QString& databaseCopy, const QByteArray& v11Password);

// The password `browser` keeps for its cookies in the Secret Service, found without asking the
// service to unlock anything. Empty when the store is absent, locked or holds none; `problem` then
// says why in one line.
QByteArray ChromiumKeyringPassword(const ChromiumBrowser& browser, QString* problem);
// The cookie-database module's function that asks, through libsecret; without the module there is
// no password, and `problem` says so.
using ChromiumKeyringAsker = void (*)(const ChromiumBrowser& browser, QByteArray* password,
                                      QString* problem);
