// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QUrl>
#include <functional>

#include "platform/cookie.h"
#include "platform/http_fetch_wire.h"

struct Platform;
class QTimer;

// One page load, shared by the download and the embedded browser: the cookies of the login the
// caller chose, the routes, proxies and time-outs of `platform.network`, redirects followed only
// to the same scheme and host, and at most FetchResult::kMaxBodyBytes of decoded body. The load
// itself runs in the fetch helper, kestrelview-fetch, found like the modules
// (ProgramHelperPath); this side feeds it the request and hands on what it sends, in the caller's
// event loop. A helper that is missing, will not start, dies or sends what cannot be read ends the
// load as ConnectionFailed, its `detail` saying which.
class HttpFetch : public QObject {
    Q_OBJECT
  public:
    // Receives the body of the final answer piece by piece; false stops the load (WriteFailed).
    using BodySink = std::function<bool(const QByteArray&)>;

    static constexpr const char* kHelperName = "kestrelview-fetch";
    // How long past the total time-out the helper may stay silent before it is given up.
    static constexpr int kHelperGraceMs = 5000;

    // `platform` must outlive the fetch.
    explicit HttpFetch(const Platform& platform, QObject* parent = nullptr);
    ~HttpFetch() override;

    // Starts loading `url` with `cookies` (and what the answers set on the way); `finished`
    // follows, never from inside this call. A load under way is aborted first, without a
    // `finished` of its own.
    void start(const QUrl& url, const QList<Cookie>& cookies, BodySink sink);
    // Stops the load under way without a `finished`.
    void abort();
    bool running() const { return m_running; }

  Q_SIGNALS:
    void finished(const FetchResult& result);

  private:
    void outputArrived();
    void helperEnded(int exitCode, QProcess::ExitStatus status);
    void finish(const FetchResult& result);
    void fail(FetchResult::Outcome outcome, const QString& detail);
    void failLater(FetchResult::Outcome outcome, const QString& detail);
    void dropHelper();

    const Platform& m_platform;
    QProcess* m_helper = nullptr;
    QTimer* m_guard;
    FetchFrameReader m_reader;
    BodySink m_sink;
    FetchResult m_head;  // what the helper has said of the answer before its end
    qint64 m_bodyBytes = 0;
    bool m_running = false;
    quint64 m_generation = 0;
};

// A Netscape cookie file, as browsers export it: one cookie a line, seven TAB-separated fields
// (domain, include subdomains, path, secure, expiry, name, value); "#HttpOnly_" before the domain
// marks an HTTP-only cookie, other lines starting with "#" are comments; expired cookies are left
// out, and a later line with the same name, domain and path replaces an earlier one. A missing
// file holds none.
QList<Cookie> LoadCookieFile(const QString& fileName);
