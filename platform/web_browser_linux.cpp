// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QUrl>
#include <algorithm>

#include "platform/platform.h"
#include "platform/web_browser.h"

namespace {

const char* const kServerNotFoundPage =
    "<html><head><meta charset=\"utf-8\"><title>ページを表示できません</title></head><body>"
    "<h1>このページは表示できません</h1>"
    "<p>サーバーが見つからないか、DNS エラーです。<br>"
    "Internet Explorer ではこのページを表示できません。</p></body></html>";

const char* const kCannotDisplayPage =
    "<html><head><meta charset=\"utf-8\"><title>ページを表示できません</title></head><body>"
    "<h1>このページは表示できません</h1>"
    "<p>接続できませんでした。<br>"
    "Internet Explorer ではこのページを表示できません。</p></body></html>";

bool sameServer(const QUrl& a, const QUrl& b) {
    return !a.isEmpty() && a.scheme() == b.scheme() &&
           a.host().compare(b.host(), Qt::CaseInsensitive) == 0 &&
           a.port(a.scheme() == u"https" ? 443 : 80) == b.port(b.scheme() == u"https" ? 443 : 80);
}

}  // namespace

WebBrowser::WebBrowser(const Platform& platform, QObject* parent)
    : QObject(parent), m_platform(platform) {}

WebBrowser::~WebBrowser() {
    stop();
}

void WebBrowser::navigate(const QString& url) {
    const QList<BrowserLogin> logins =
        FindBrowserLogins(m_platform.dataFolder, m_platform.browserHome, QUrl(url), nullptr);
    navigate(url, logins.isEmpty() ? BrowserLogin() : logins.first());
}

void WebBrowser::navigate(const QString& url, const BrowserLogin& login) {
    start(QUrl(url), login.cookies, 0);
}

void WebBrowser::start(const QUrl& url, const QList<Cookie>& cookies, int followed) {
    auto* fetch = new HttpFetch(m_platform, this);
    auto body = std::make_shared<QByteArray>();
    m_loads.push_back(fetch);
    connect(fetch, &HttpFetch::finished, this,
            [this, fetch, body, cookies, followed](const FetchResult& r) {
                loaded(fetch, *body, r, cookies, followed);
            });
    fetch->start(url, cookies, [body](const QByteArray& chunk) {
        body->append(chunk);
        return true;
    });
}

void WebBrowser::stop() {
    for (HttpFetch* fetch : m_loads) {
        fetch->abort();
        fetch->deleteLater();
    }
    m_loads.clear();
}

void WebBrowser::loaded(HttpFetch* fetch, const QByteArray& bytes, const FetchResult& result,
                        const QList<Cookie>& cookies, int followed) {
    m_loads.erase(std::remove(m_loads.begin(), m_loads.end(), fetch), m_loads.end());
    fetch->deleteLater();
    m_result = result;
    if (!result.complete()) {
        const bool notFound = result.outcome == FetchResult::Outcome::HostNotFound;
        m_body = BrowserBodyMarkup(
            QString::fromUtf8(notFound ? kServerNotFoundPage : kCannotDisplayPage));
        Q_EMIT documentComplete(result.finalUrl.toString());
        return;
    }
    const QString html = DecodePage(bytes, result.contentType);
    const std::optional<QUrl> next = NavigationOnLoad(html, result.finalUrl);
    if (next && followed < kMaxFollowedNavigations) {
        if (sameServer(*next, result.finalUrl)) {
            start(*next, cookies, followed + 1);
            return;
        }
        // Somewhere this browser does not go: another server, or an address a script computes.
        m_result.finalUrl = next->isEmpty() ? QUrl(QStringLiteral("about:blank")) : *next;
        m_body.clear();
    } else {
        m_body = BrowserBodyMarkup(html);
    }
    Q_EMIT documentComplete(m_result.finalUrl.toString());
}
