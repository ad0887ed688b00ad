// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <QUrl>

#include "platform/browser_logins.h"
#include "platform/http_fetch.h"
#include "visitors/options.h"

class Clock;
class FileStore;
struct Platform;

// The browser's own page for a host name that cannot be resolved. Any text holding this, however
// it goes on, is that page.
inline const QString kDnsErrorPattern =
    QStringLiteral("サーバーが見つからないか、DNS エラーです。<BR>Internet Explor");

// Fetches `url` into `path` with the system's download service, sending `login`'s cookies, and
// lets pending events run. The window keeps handling its events while the page arrives.
FetchResult DownloadToFile(Platform& platform, const QString& url, const QString& path,
                           const BrowserLogin& login);

// The failure of a load as status panel 1 shows it, "取得に失敗しました (HTTP 503)".
QString FetchFailureText(const FetchResult& result);

// Why the page file at `path` cannot be written, in words for the user.
QString PageFileProblem(const QString& path);

// A page that asks for the login, read as it was written (for the browser's markup of the body,
// whose attribute values stand between doubled quotes): it holds a password field, or it sends the
// browser elsewhere as it loads (NavigationOnLoad, against `address`). Only a page without entries
// is asked: a footprint page may carry forms and scripts of its own.
bool AsksForLogin(const QString& pageAsSent, const QUrl& address, RetrievalMethod method);

// Writes `bodyMarkup` into a new file at `path` as one quoted text record: a double quote, the
// text, a double quote, CR LF, in CP932. False when the file could not be written; whatever
// stood at the path is then gone.
bool ReadBrowserPage(FileStore& files, const QString& bodyMarkup, const QString& path);

// The file's lines joined with nothing between them, pausing 1 ms after each line so the window
// keeps handling its events. A file that cannot be opened gives an empty text. `asSent`, when
// given, receives the file's text with its lines apart.
QString ReadWholeFile(Clock& clock, const QString& path, QString* asSent = nullptr);
