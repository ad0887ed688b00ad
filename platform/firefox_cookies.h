// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>

class QNetworkCookieJar;

// The profile folder Firefox starts with for the user whose home is `home`, as
// ~/.mozilla/firefox/profiles.ini names it: the default of the install section, else the profile
// marked Default=1, else the only one. Empty when there is none.
QString FirefoxDefaultProfile(const QString& home);

// Adds the cookies of the default Firefox profile of `home` to `jar`, so a user who logged in
// there with "keep me logged in" needs nothing more. Firefox keeps cookies.sqlite locked and the
// latest rows in its -wal file, so both are read from a private copy. Expired cookies are left
// out. False when there is no profile or its cookies cannot be read; the jar is then unchanged.
bool LoadFirefoxCookies(const QString& home, QNetworkCookieJar& jar);
