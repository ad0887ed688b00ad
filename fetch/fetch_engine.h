// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QByteArray>
#include <QList>
#include <QNetworkCookie>
#include <QObject>
#include <QUrl>
#include <functional>

#include "platform/http_fetch_wire.h"
#include "platform/network_access.h"

class QNetworkAccessManager;
class QNetworkCookieJar;
class QNetworkReply;
class QTimer;

// One page load over Qt Network in the fetch helper: the cookies of the login the program chose,
// the routes, proxies and time-outs of `network`, redirects followed only to the same scheme and
// host, and at most FetchResult::kMaxBodyBytes of decoded body.
class FetchEngine : public QObject {
    Q_OBJECT
  public:
    // Receives the body of the final answer piece by piece; false stops the load (WriteFailed).
    using BodySink = std::function<bool(const QByteArray&)>;

    // `network` must outlive the engine.
    explicit FetchEngine(const NetworkAccess& network, QObject* parent = nullptr);
    ~FetchEngine() override;

    // Starts loading `url` with `cookies` (and what the answers set on the way); `finished`
    // follows, never from inside this call.
    void start(const QUrl& url, const QList<QNetworkCookie>& cookies, BodySink sink);
    void abort();
    bool running() const { return m_running; }
    // The status and address of the answer under way, as far as they are known.
    const FetchResult& progress() const { return m_result; }

  Q_SIGNALS:
    void finished(const FetchResult& result);

  private:
    void request(const QUrl& url, int hop);
    void bodyArrived();
    void replyFinished();
    void finish(FetchResult::Outcome outcome, const QString& detail = {});
    void finishLater(FetchResult::Outcome outcome, const QString& detail = {});
    void dropReply();

    const NetworkAccess& m_network;
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
