// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>
#include <memory>
#include <optional>
#include <vector>

#include "platform/browser_logins.h"
#include "platform/http_fetch.h"

struct Platform;

// The embedded browser: navigates to an address, reports the document complete, and hands out the
// markup of the document's body in the form the footprint page markers expect (tag names in
// capitals, simple attribute values unquoted, others between doubled double quotes). It loads
// through HttpFetch, with the login it is given or the one the user's browser holds, and goes on to
// where a document sends it as it loads (NavigationOnLoad): an address on the same server is loaded
// in turn, up to kMaxFollowedNavigations times; one on another server, or one a script works out,
// is where the browser stops, with an empty body, and that address is the final one of the load's
// result. It runs no scripts beyond reading those statements. A host name that cannot be resolved
// shows the browser's server-not-found page; any other failure shows its cannot-display page; both
// complete like any page, and the load's own result says what happened.
class WebBrowser : public QObject {
    Q_OBJECT
  public:
    // `platform` must outlive the browser.
    explicit WebBrowser(const Platform& platform, QObject* parent = nullptr);
    ~WebBrowser() override;

    // Starts loading `url` and returns at once; documentComplete follows when it has loaded. An
    // earlier navigation that is still loading goes on and completes too.
    // Where the document sends the browser on the same server, it goes with the same login.
    void navigate(const QString& url, const BrowserLogin& login);
    // The same with the first login FindBrowserLogins finds for `url`, or none.
    void navigate(const QString& url);
    // Stops every navigation under way; none of them completes.
    void stop();

    // The body's inner markup of the document that completed last; empty before the first.
    QString bodyMarkup() const { return m_body; }
    // How the load of the document that completed last ended.
    const FetchResult& lastResult() const { return m_result; }

    // Navigations under way.
    int pendingNavigations() const { return int(m_loads.size()); }

    static constexpr int kMaxFollowedNavigations = 5;

  Q_SIGNALS:
    void documentComplete(const QString& url);

  private:
    void start(const QUrl& url, const QList<Cookie>& cookies, int followed);
    void loaded(HttpFetch* fetch, const QByteArray& bytes, const FetchResult& result,
                const QList<Cookie>& cookies, int followed);

    const Platform& m_platform;
    std::vector<HttpFetch*> m_loads;
    QString m_body;
    FetchResult m_result;
};

// The browser's markup of a document's body: `html` decoded, parsed and its body's children
// written back in the browser's form. Shared with the tests and the demo service.
QString BrowserBodyMarkup(const QString& html);

// Decodes a page by the charset its Content-Type header or its own <meta> declares; EUC-JP and
// Shift_JIS forms go through the program's codecs; undeclared pages are read as UTF-8, or as
// CP932 when they are not valid UTF-8.
QString DecodePage(const QByteArray& bytes, const QByteArray& contentType);

// Where a document sends the browser as soon as it has loaded, before anyone reads it: a refresh
// due within kImmediateRefreshSeconds (`<meta http-equiv="refresh" content="0;url=...">`), or a
// statement at the top level of a script block that assigns `location`, `location.href`,
// `window.location` (also through `self.` or `document.`) or calls `location.replace` or
// `location.assign`. Code that runs only on a condition (`if (top != self) top.location = ...`),
// in a function or in an event handler does not count. Empty when the document stays or sends
// the browser back to `address` itself; otherwise the address it goes to, resolved against
// `address`, or an empty QUrl when a script computes it.
inline constexpr int kImmediateRefreshSeconds = 1;
std::optional<QUrl> NavigationOnLoad(const QString& html, const QUrl& address);

// A document that holds a password field, `<input type="password">` however it is written:
// any letter case, quoted or not, its attributes on lines of their own.
bool HoldsPasswordField(const QString& html);
