// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkCookie>
#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>

struct Platform;
class QNetworkAccessManager;
class QNetworkCookieJar;
class QNetworkReply;
class QTimer;

// How a page load ended. Anything but Complete means the page did not arrive and nothing of its
// body may be used.
struct FetchResult {
    enum class Outcome {
        Complete,          // a 2xx answer, whole
        HostNotFound,      // the name cannot be resolved
        ConnectionFailed,  // refused, reset or closed before the answer was whole
        TimedOut,          // no connection within the connect time-out, or not whole in time
        TlsFailed,         // the secure connection could not be set up
        HttpError,         // an HTTP status of 300 or more that was not followed
        TooLarge,          // the decoded body passed kMaxBodyBytes
        RedirectRefused,   // a redirect to another scheme or host, or one too many
        BadAddress,        // not an http or https address
        WriteFailed,       // the receiver refused the body (a file that cannot be written)
        Aborted,           // stopped by the caller
    };

    // A page larger than this, compressed or not, is not a footprint page.
    static constexpr qint64 kMaxBodyBytes = 4 * 1024 * 1024;

    Outcome outcome = Outcome::Complete;
    // The HTTP status of the last answer; 0 when none arrived.
    int httpStatus = 0;
    // The address the last request went to, after the redirects that were followed.
    QUrl finalUrl;
    // Where a refused redirect pointed.
    QUrl refusedRedirect;
    QByteArray contentType;
    // The network layer's own words for a failure, for the log.
    QString detail;

    bool complete() const { return outcome == Outcome::Complete; }
};

// One page load over Qt Network, shared by the download and the embedded browser: the cookies of
// the login the caller chose, the routes, proxies and time-outs of `platform.network`, redirects
// followed only to the same scheme and host, and at most FetchResult::kMaxBodyBytes of decoded
// body. Runs in the caller's event loop.
class HttpFetch : public QObject {
    Q_OBJECT
  public:
    // Receives the body of the final answer piece by piece; false stops the load (WriteFailed).
    using BodySink = std::function<bool(const QByteArray&)>;

    // `platform` must outlive the fetch.
    explicit HttpFetch(const Platform& platform, QObject* parent = nullptr);
    ~HttpFetch() override;

    // Starts loading `url` with `cookies` (and what the answers set on the way); `finished`
    // follows, never from inside this call. A load under way is aborted first, without a
    // `finished` of its own.
    void start(const QUrl& url, const QList<QNetworkCookie>& cookies, BodySink sink);
    // Stops the load under way without a `finished`.
    void abort();
    bool running() const { return m_running; }

  Q_SIGNALS:
    void finished(const FetchResult& result);

  private:
    void request(const QUrl& url, int hop);
    void bodyArrived();
    void replyFinished();
    void finish(FetchResult::Outcome outcome, const QString& detail = {});
    void finishLater(FetchResult::Outcome outcome, const QString& detail = {});
    void dropReply();

    const Platform& m_platform;
    QNetworkAccessManager* m_manager;
    QNetworkCookieJar* m_jar = nullptr;
    QNetworkReply* m_reply = nullptr;
    QTimer* m_connectTimer;
    QTimer* m_totalTimer;
    BodySink m_sink;
    FetchResult m_result;
    QUrl m_url;  // the address of the request under way, by its name
    int m_hop = 0;
    qint64 m_bodyBytes = 0;
    bool m_running = false;
    bool m_timedOut = false;
    quint64 m_generation = 0;
};

// A Netscape cookie file, as browsers export it, into `jar`: one cookie a line, seven TAB-separated
// fields (domain, include subdomains, path, secure, expiry, name, value); "#HttpOnly_" before the
// domain marks an HTTP-only cookie, other lines starting with "#" are comments; expired cookies
// are left out. A missing file adds nothing.
void LoadCookieFile(const QString& fileName, QNetworkCookieJar& jar);
