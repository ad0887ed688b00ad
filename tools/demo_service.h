// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHostAddress>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class QTcpServer;
class QTcpSocket;
class QThread;

// A stand-in for the social network on 127.0.0.1: it serves the two footprint pages in EUC-JP in
// the service's markup, listing a cast of visitors whose visits move on as time passes, so that
// repeated collections count new visits.
struct DemoOptions {
    // Without the login cookie the footprint pages show the service's login form instead.
    bool requireCookie = false;
    // ... or, with this, send the visitor to the login page ("/login.pl") by a redirect.
    bool loginRedirect = false;
    // Answer the footprint pages only after this many milliseconds.
    int slowMs = 0;
    // Answer the footprint pages with this HTTP status (and a short error page) instead.
    int errorStatus = 0;
    // Close the connection instead of answering the footprint pages.
    bool dropConnection = false;
    // Pad the footprint pages with blank lines to at least this many bytes.
    qint64 padToBytes = 0;
    // Send the footprint pages gzip-compressed (Content-Encoding: gzip).
    bool gzip = false;
    // Footprint pages without entries.
    bool empty = false;
    // Footprint pages in a markup the program does not know.
    bool changedFormat = false;
    int entriesPerPage = 50;
    // Markup put into the footprint pages after the entries.
    QString extraBodyHtml;
    // The service's clock runs this many times faster than real time (for the demo).
    double speed = 1.0;
};

struct DemoVisitor {
    QString name;  // as the page writes it (HTML)
    qint32 id;
    int periodMinutes;
    int phaseMinutes;
};

class DemoService : public QObject {
    Q_OBJECT
  public:
    static constexpr const char* kCookieName = "BF_SESSION";
    static constexpr const char* kCookieValue = "kestrelview-demo-login";

    explicit DemoService(QObject* parent = nullptr);
    ~DemoService() override;

    // Listens on 127.0.0.1; port 0 picks a free one. False when the port is taken.
    bool listen(quint16 port = 0);
    quint16 port() const;
    // "http://127.0.0.1:<port>", the ServiceUrl that points the program here.
    QString baseUrl() const;

    // The options and the clock may be changed from any thread.
    void setOptions(const DemoOptions& options);
    DemoOptions options() const;
    // Freezes the service's clock at `now`; an invalid value lets it follow the real clock.
    void setNow(const QDateTime& now);
    QDateTime now() const;

    static const std::vector<DemoVisitor>& cast();
    // The latest visit of every member of the cast at `now`, latest first.
    static std::vector<std::pair<const DemoVisitor*, QDateTime>> latestVisits(const QDateTime& now);
    // The footprint page as the service sends it (EUC-JP bytes); page is 1 or 2.
    QByteArray footprintPage(int page, bool loggedIn) const;

    struct Request {
        QString target;  // path and query
        QByteArray cookie;
    };
    // Every request received so far, oldest first.
    std::vector<Request> requests() const;

  private:
    void serve(QTcpSocket* socket);
    void answer(QTcpSocket* socket, const QByteArray& head, const QByteArray& body);

    QTcpServer* m_server;
    mutable QMutex m_mutex;
    DemoOptions m_options;
    QDateTime m_fixedNow;
    QDateTime m_realStart;
    QDateTime m_serviceStart;
    std::vector<Request> m_requests;
};

// A DemoService running in a thread of its own, so that a client that blocks the calling thread
// (the blocking download) still gets its answer.
class DemoServiceThread {
  public:
    DemoServiceThread();
    ~DemoServiceThread();
    DemoServiceThread(const DemoServiceThread&) = delete;
    DemoServiceThread& operator=(const DemoServiceThread&) = delete;

    // Starts the thread and listens; false when no port could be had.
    bool start(quint16 port = 0);
    DemoService& service() { return *m_service; }
    quint16 port() const { return m_port; }
    QString baseUrl() const;

  private:
    std::unique_ptr<QThread> m_thread;
    DemoService* m_service = nullptr;
    quint16 m_port = 0;
};
