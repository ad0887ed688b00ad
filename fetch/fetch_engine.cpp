// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "fetch/fetch_engine.h"

#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace {

constexpr int kMaxRedirects = 10;
// Qt stops reading the socket once this much is waiting, so the size limit is checked as the
// body arrives rather than after it has all been held.
constexpr qint64 kReadBufferBytes = 256 * 1024;

// The proxies the system names (on Linux, the http_proxy family of the environment).
class SystemProxyFactory final : public QNetworkProxyFactory {
  public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override {
        return systemProxyForQuery(query);
    }
};

bool isWebAddress(const QUrl& url) {
    return url.isValid() && !url.host().isEmpty() &&
           (url.scheme() == u"http" || url.scheme() == u"https");
}

int defaultPort(const QUrl& url) {
    return url.scheme() == u"https" ? 443 : 80;
}

bool sameServer(const QUrl& a, const QUrl& b) {
    return a.scheme() == b.scheme() && a.host().compare(b.host(), Qt::CaseInsensitive) == 0 &&
           a.port(defaultPort(a)) == b.port(defaultPort(b));
}

FetchResult::Outcome outcomeFor(QNetworkReply::NetworkError error) {
    switch (error) {
        case QNetworkReply::HostNotFoundError:
            return FetchResult::Outcome::HostNotFound;
        case QNetworkReply::TimeoutError:
            return FetchResult::Outcome::TimedOut;
        case QNetworkReply::SslHandshakeFailedError:
            return FetchResult::Outcome::TlsFailed;
        default:
            return FetchResult::Outcome::ConnectionFailed;
    }
}

}  // namespace

FetchEngine::FetchEngine(const NetworkAccess& network, QObject* parent)
    : QObject(parent),
      m_network(network),
      m_manager(new QNetworkAccessManager(this)),
      m_connectTimer(new QTimer(this)),
      m_totalTimer(new QTimer(this)) {
    if (m_network.environmentProxies) {
        m_manager->setProxyFactory(new SystemProxyFactory);
    } else {
        m_manager->setProxy(QNetworkProxy::NoProxy);
    }
    m_manager->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    m_connectTimer->setSingleShot(true);
    m_totalTimer->setSingleShot(true);
    const auto timedOut = [this] {
        m_timedOut = true;
        finish(FetchResult::Outcome::TimedOut);
    };
    connect(m_connectTimer, &QTimer::timeout, this, timedOut);
    connect(m_totalTimer, &QTimer::timeout, this, timedOut);
}

FetchEngine::~FetchEngine() {
    dropReply();
}

void FetchEngine::start(const QUrl& url, const QList<QNetworkCookie>& cookies, BodySink sink) {
    abort();
    m_running = true;
    m_sink = std::move(sink);
    m_result = FetchResult();
    m_bodyBytes = 0;
    m_timedOut = false;
    delete m_jar;
    m_jar = new QNetworkCookieJar(this);
    for (const QNetworkCookie& cookie : cookies) {
        m_jar->insertCookie(cookie);
    }
    m_totalTimer->start(m_network.totalTimeoutMs);
    request(url, 0);
}

void FetchEngine::abort() {
    ++m_generation;
    m_connectTimer->stop();
    m_totalTimer->stop();
    dropReply();
    m_running = false;
}

void FetchEngine::request(const QUrl& url, int hop) {
    m_url = url;
    m_hop = hop;
    m_result.finalUrl = url;
    if (!isWebAddress(url)) {
        finishLater(FetchResult::Outcome::BadAddress);
        return;
    }
    const NetworkAccess::HostRoute route = m_network.routeFor(url.host());
    m_connectTimer->start(m_network.connectTimeoutMs);
    switch (route.route) {
        case NetworkAccess::Route::Unresolvable:
            finishLater(FetchResult::Outcome::HostNotFound, QStringLiteral("Host not found"));
            return;
        case NetworkAccess::Route::TimeOut:
            return;  // the host never answers: the connect time-out ends the load
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
    // Qt unpacks a compressed body ahead of our reads; past this it refuses one that unpacks
    // far beyond its compressed size, before it can take the memory.
    request.setDecompressedSafetyCheckThreshold(FetchResult::kMaxBodyBytes);
    m_reply = m_manager->get(request);
    m_reply->setReadBufferSize(kReadBufferBytes);
    connect(m_reply, &QNetworkReply::requestSent, m_connectTimer, &QTimer::stop);
    connect(m_reply, &QNetworkReply::metaDataChanged, m_connectTimer, &QTimer::stop);
    connect(m_reply, &QNetworkReply::readyRead, this, &FetchEngine::bodyArrived);
    connect(m_reply, &QNetworkReply::finished, this, &FetchEngine::replyFinished);
}

void FetchEngine::bodyArrived() {
    if (!m_reply) {
        return;
    }
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid() || status.toInt() < 200 || status.toInt() >= 300) {
        // Redirects and error pages are not kept; what they say is decided when they end.
        if (status.toInt() >= 400) {
            m_result.httpStatus = status.toInt();
            finish(FetchResult::Outcome::HttpError);
            return;
        }
        m_reply->readAll();
        return;
    }
    m_result.httpStatus = status.toInt();
    const QByteArray chunk = m_reply->readAll();
    m_bodyBytes += chunk.size();
    if (m_bodyBytes > FetchResult::kMaxBodyBytes) {
        finish(FetchResult::Outcome::TooLarge);
        return;
    }
    if (!chunk.isEmpty() && m_sink && !m_sink(chunk)) {
        finish(FetchResult::Outcome::WriteFailed);
    }
}

void FetchEngine::replyFinished() {
    QNetworkReply* reply = m_reply;
    if (!reply) {
        return;
    }
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const QVariant setCookies = reply->header(QNetworkRequest::SetCookieHeader);
    if (setCookies.isValid()) {
        m_jar->setCookiesFromUrl(setCookies.value<QList<QNetworkCookie>>(), m_url);
    }
    if (reply->error() != QNetworkReply::NoError && !(status.isValid() && status.toInt() >= 300)) {
        if (m_timedOut) {
            return;
        }
        m_result.httpStatus = status.toInt();
        // Qt's refusal of a compressed body that unpacks past the threshold.
        const bool unpackedTooFar =
            reply->error() == QNetworkReply::UnknownContentError &&
            reply->errorString().startsWith(QStringLiteral("Decompression failed"));
        finish(unpackedTooFar ? FetchResult::Outcome::TooLarge : outcomeFor(reply->error()),
               reply->errorString());
        return;
    }
    m_result.httpStatus = status.toInt();
    m_result.contentType = reply->header(QNetworkRequest::ContentTypeHeader).toString().toLatin1();
    const int code = status.toInt();
    if (code >= 300 && code < 400) {
        const QByteArray location = reply->rawHeader("Location");
        if (!location.isEmpty()) {
            const QUrl next = m_url.resolved(QUrl::fromEncoded(location));
            if (!sameServer(next, m_url) || m_hop >= kMaxRedirects) {
                m_result.refusedRedirect = next;
                finish(FetchResult::Outcome::RedirectRefused);
                return;
            }
            dropReply();
            request(next, m_hop + 1);
            return;
        }
    }
    if (code < 200 || code >= 300) {
        finish(FetchResult::Outcome::HttpError);
        return;
    }
    bodyArrived();
    if (m_running) {
        finish(FetchResult::Outcome::Complete);
    }
}

void FetchEngine::finish(FetchResult::Outcome outcome, const QString& detail) {
    if (!m_running) {
        return;
    }
    ++m_generation;
    m_connectTimer->stop();
    m_totalTimer->stop();
    dropReply();
    m_running = false;
    m_sink = nullptr;
    m_result.outcome = outcome;
    m_result.detail = detail;
    const FetchResult result = m_result;
    Q_EMIT finished(result);
}

void FetchEngine::finishLater(FetchResult::Outcome outcome, const QString& detail) {
    const quint64 generation = m_generation;
    QTimer::singleShot(0, this, [this, generation, outcome, detail] {
        if (generation == m_generation) {
            finish(outcome, detail);
        }
    });
}

void FetchEngine::dropReply() {
    if (!m_reply) {
        return;
    }
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    disconnect(reply, nullptr, this, nullptr);
    disconnect(reply, nullptr, m_connectTimer, nullptr);
    reply->abort();
    reply->deleteLater();
}
