// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <memory>

#include "platform/browser_logins.h"
#include "platform/http_fetch.h"

struct Platform;

// The system's URL download service: fetches an address into a file with the login the user's
// browser holds. The caller waits, but the window keeps handling its events (paints, timers,
// clicks, the tray) meanwhile.
class UrlDownload {
  public:
    virtual ~UrlDownload() = default;
    // Complete when the whole body arrived and now stands at `fileName`. Anything else leaves no
    // new file there: the body is written under a temporary name and renamed only on success, so
    // a time-out, a refused connection, an HTTP status of 300 or more, a page over the size limit
    // or a file that cannot be written never leaves half a page.
    virtual FetchResult downloadToFile(const QString& url, const QString& fileName,
                                       const BrowserLogin& login) = 0;
    // The same with the first login FindBrowserLogins finds for `url` (cookies.txt in the data
    // folder, else the freshest browser's), or none.
    virtual FetchResult downloadToFile(const QString& url, const QString& fileName) = 0;
};

// The fetch helper through HttpFetch, routed and timed as `platform.network` says; `platform` must
// outlive it.
std::unique_ptr<UrlDownload> createQtDownload(const Platform& platform);
