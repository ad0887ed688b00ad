#include <QDateTime>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/web_browser.h"

namespace {

constexpr int kMaxRedirects = 10;

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

// A Netscape cookie file, as browsers export it: one cookie a line, seven TAB-separated fields
// (domain, include subdomains, path, secure, expiry, name, value); "#HttpOnly_" before the domain
// marks an HTTP-only cookie, other lines starting with "#" are comments.
void loadCookieFile(const QString& fileName, QNetworkCookieJar& jar) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        return;
    }
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (QByteArray line : lines) {
        if (line.endsWith('\r')) {
            line.chop(1);
        }
        bool httpOnly = false;
        if (line.startsWith("#HttpOnly_")) {
            line.remove(0, 10);
            httpOnly = true;
        } else if (line.startsWith('#') || line.trimmed().isEmpty()) {
            continue;
        }
        const QList<QByteArray> fields = line.split('\t');
        if (fields.size() < 7) {
            continue;
        }
        bool numeric = false;
        const qint64 expiry = fields[4].toLongLong(&numeric);
        if (!numeric || (expiry != 0 && expiry < now)) {
            continue;
        }
        QByteArray domain = fields[0];
        const bool subdomains = fields[1].toUpper() == "TRUE";
        if (subdomains && !domain.startsWith('.')) {
            domain.prepend('.');
        } else if (!subdomains && domain.startsWith('.')) {
            domain.remove(0, 1);
        }
        QNetworkCookie cookie(fields[5], fields.mid(6).join('\t'));
        cookie.setDomain(QString::fromUtf8(domain));
        cookie.setPath(QString::fromUtf8(fields[2]));
        cookie.setSecure(fields[3].toUpper() == "TRUE");
        cookie.setHttpOnly(httpOnly);
        if (expiry != 0) {
            cookie.setExpirationDate(QDateTime::fromSecsSinceEpoch(expiry));
        }
        jar.insertCookie(cookie);
    }
}

}  // namespace

WebBrowser::WebBrowser(const Platform& platform, QObject* parent)
    : QObject(parent), m_platform(platform), m_manager(new QNetworkAccessManager(this)) {
    if (!m_platform.network.environmentProxies) {
        m_manager->setProxy(QNetworkProxy::NoProxy);
    }
    m_manager->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
}

WebBrowser::~WebBrowser() = default;

void WebBrowser::Navigate(const QString& url) {
    // The file is read at every navigation, so cookies exported while the program runs count.
    m_jar = std::make_unique<QNetworkCookieJar>();
    loadCookieFile(AppFilePath(m_platform.applicationDirectory, QStringLiteral("\\cookies.txt")),
                   *m_jar);
    ++m_pending;
    load(QUrl(url), 0);
}

void WebBrowser::load(const QUrl& url, int hop) {
    if (!url.isValid() || (url.scheme() != u"http" && url.scheme() != u"https")) {
        completeLater(url, BrowserBodyMarkup(QString::fromUtf8(kCannotDisplayPage)));
        return;
    }
    const NetworkAccess::HostRoute route = m_platform.network.routeFor(url.host());
    switch (route.route) {
        case NetworkAccess::Route::Unresolvable:
            completeLater(url, BrowserBodyMarkup(QString::fromUtf8(kServerNotFoundPage)));
            return;
        case NetworkAccess::Route::TimeOut:
            return;  // the host never answers
        case NetworkAccess::Route::Lookup:
        case NetworkAccess::Route::Address:
            break;
    }
    QUrl target = url;
    QNetworkRequest request;
    if (route.route == NetworkAccess::Route::Address && route.address != url.host()) {
        target.setHost(route.address);
        request.setRawHeader("Host", url.authority(QUrl::FullyEncoded).toUtf8());
    }
    request.setUrl(target);
    // The cookies belong to the name in the address, not to the address the name is routed to.
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    const QList<QNetworkCookie> cookies = m_jar->cookiesForUrl(url);
    if (!cookies.isEmpty()) {
        QByteArray header;
        for (const QNetworkCookie& cookie : cookies) {
            if (!header.isEmpty()) {
                header += "; ";
            }
            header += cookie.toRawForm(QNetworkCookie::NameAndValueOnly);
        }
        request.setRawHeader("Cookie", header);
    }
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Kestrelview"));
    request.setTransferTimeout(m_platform.network.totalTimeoutMs);
    QNetworkReply* reply = m_manager->get(request);
    connect(reply, &QNetworkReply::finished, this,
            [this, reply, url, hop] { finished(reply, url, hop); });
}

void WebBrowser::finished(QNetworkReply* reply, const QUrl& url, int hop) {
    reply->deleteLater();
    const QVariant setCookies = reply->header(QNetworkRequest::SetCookieHeader);
    if (setCookies.isValid() && m_jar) {
        m_jar->setCookiesFromUrl(setCookies.value<QList<QNetworkCookie>>(), url);
    }
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid()) {
        const bool notFound = reply->error() == QNetworkReply::HostNotFoundError;
        complete(url, BrowserBodyMarkup(
                          QString::fromUtf8(notFound ? kServerNotFoundPage : kCannotDisplayPage)));
        return;
    }
    const int code = status.toInt();
    const QByteArray location = reply->rawHeader("Location");
    if (code >= 300 && code < 400 && !location.isEmpty() && hop < kMaxRedirects) {
        load(url.resolved(QUrl::fromEncoded(location)), hop + 1);
        return;
    }
    const QString html = DecodePage(
        reply->readAll(), reply->header(QNetworkRequest::ContentTypeHeader).toString().toLatin1());
    complete(url, BrowserBodyMarkup(html));
}

void WebBrowser::complete(const QUrl& url, const QString& body) {
    m_body = body;
    if (m_pending > 0) {
        --m_pending;
    }
    Q_EMIT DocumentComplete(url.toString());
}

void WebBrowser::completeLater(const QUrl& url, const QString& body) {
    QTimer::singleShot(0, this, [this, url, body] { complete(url, body); });
}
