// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "tools/demo_service.h"

#include <QMetaObject>
#include <QMutexLocker>
#include <QPointer>
#include <QSemaphore>
#include <QStringEncoder>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <QUrlQuery>
#include <algorithm>

namespace {

constexpr int kCastSize = 120;
constexpr qsizetype kMaxHeader = 64 * 1024;

QByteArray toEucJp(const QString& text) {
    QStringEncoder encoder("EUC-JP");
    return encoder.encode(text);
}

QString visitTimeText(const QDateTime& t) {
    return t.toString(QStringLiteral("MM月dd日 hh:mm"));
}

QByteArray statusLine(int status) {
    switch (status) {
        case 200:
            return "HTTP/1.1 200 OK";
        case 404:
            return "HTTP/1.1 404 Not Found";
        case 400:
            return "HTTP/1.1 400 Bad Request";
        default:
            return "HTTP/1.1 " + QByteArray::number(status) + " Error";
    }
}

QByteArray response(int status, const QByteArray& body, const QByteArray& extraHeaders = {}) {
    return statusLine(status) + "\r\nContent-Type: text/html; charset=EUC-JP\r\nContent-Length: " +
           QByteArray::number(body.size()) + "\r\n" + extraHeaders + "Connection: close\r\n\r\n";
}

quint32 crc32(const QByteArray& data) {
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : data) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

void appendLittleEndian(QByteArray& out, quint32 value) {
    for (int i = 0; i < 4; ++i) {
        out += char((value >> (8 * i)) & 0xFF);
    }
}

// The gzip form of `data`: qCompress's zlib stream without its length prefix, zlib header and
// Adler-32 trailer, between a gzip header and trailer.
QByteArray gzipped(const QByteArray& data) {
    const QByteArray zlib = qCompress(data, 9);
    QByteArray out("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\x03", 10);
    out += zlib.mid(6, zlib.size() - 10);
    appendLittleEndian(out, crc32(data));
    appendLittleEndian(out, quint32(data.size()));
    return out;
}

QString pageHead(const QString& title) {
    return QStringLiteral(
               "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\">\n"
               "<html>\n<head>\n"
               "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=EUC-JP\" />\n"
               "<title>[mixi] ") +
           title + QStringLiteral("</title>\n</head>\n<body>\n<div id=\"bodyArea\">\n");
}

const QString kPageFoot = QStringLiteral("</div>\n</body>\n</html>\n");

}  // namespace

DemoService::DemoService(QObject* parent)
    : QObject(parent),
      m_server(new QTcpServer(this)),
      m_realStart(QDateTime::currentDateTime()),
      m_serviceStart(m_realStart) {
    connect(m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
        }
    });
}

DemoService::~DemoService() = default;

bool DemoService::listen(quint16 port) {
    return m_server->listen(QHostAddress::LocalHost, port);
}

quint16 DemoService::port() const {
    return m_server->serverPort();
}

QString DemoService::baseUrl() const {
    return QStringLiteral("http://127.0.0.1:") + QString::number(port());
}

void DemoService::setOptions(const DemoOptions& options) {
    QMutexLocker lock(&m_mutex);
    // A new speed starts from the service's present moment, so its clock never jumps.
    const qint64 realMs = m_realStart.msecsTo(QDateTime::currentDateTime());
    m_serviceStart = m_serviceStart.addMSecs(qint64(double(realMs) * m_options.speed));
    m_realStart = QDateTime::currentDateTime();
    m_options = options;
}

DemoOptions DemoService::options() const {
    QMutexLocker lock(&m_mutex);
    return m_options;
}

void DemoService::setNow(const QDateTime& now) {
    QMutexLocker lock(&m_mutex);
    m_fixedNow = now;
}

QDateTime DemoService::now() const {
    QMutexLocker lock(&m_mutex);
    if (m_fixedNow.isValid()) {
        return m_fixedNow;
    }
    const qint64 realMs = m_realStart.msecsTo(QDateTime::currentDateTime());
    return m_serviceStart.addMSecs(qint64(double(realMs) * m_options.speed));
}

const std::vector<DemoVisitor>& DemoService::cast() {
    static const std::vector<DemoVisitor> visitors = [] {
        const QStringList family = QStringLiteral(
                                       "佐藤 鈴木 高橋 田中 伊藤 渡辺 山本 中村 小林 加藤 吉田 "
                                       "山田 佐々木 山口 松本 井上 木村 林 斎藤 清水 山崎 森 "
                                       "池田 橋本 阿部 石川 山下 中島 石井 小川")
                                       .split(u' ');
        const QStringList given =
            QStringLiteral("太郎 花子 健一 美咲 翔太 さくら 大輔 陽子 拓也 由美 ひろし あゆみ")
                .split(u' ');
        std::vector<DemoVisitor> list;
        for (int i = 0; i < kCastSize; ++i) {
            QString name = family[(i * 7) % family.size()] + given[(i * 5 + i / 12) % given.size()];
            if (i == 17) {
                name = QStringLiteral("ゆう&amp;まい");  // written with a character reference
            } else if (i == 42) {
                name = QStringLiteral("ｋｅｎ☆ＭＩＸＩ");
            }
            // The two odd names visit often, so the pages always show them.
            const int period = (i == 17 || i == 42) ? 25 : 20 + (i * 37) % 400;
            list.push_back({name, qint32(1000003 + i * 7919), period, (i * 97) % period});
        }
        return list;
    }();
    return visitors;
}

std::vector<std::pair<const DemoVisitor*, QDateTime>> DemoService::latestVisits(
    const QDateTime& now) {
    // Minutes since a fixed local midnight: every visit falls on a whole minute.
    const QDateTime origin(QDate(2000, 1, 1), QTime(0, 0));
    const qint64 minutes = origin.secsTo(now) / 60;
    std::vector<std::pair<const DemoVisitor*, QDateTime>> visits;
    for (const DemoVisitor& v : cast()) {
        const qint64 since = minutes - v.phaseMinutes;
        const qint64 last = since -
                            ((since % v.periodMinutes) + v.periodMinutes) % v.periodMinutes +
                            v.phaseMinutes;
        visits.emplace_back(&v, origin.addSecs(last * 60));
    }
    std::stable_sort(visits.begin(), visits.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    return visits;
}

QByteArray DemoService::footprintPage(int page, bool loggedIn) const {
    const DemoOptions opts = options();
    QString html = pageHead(QStringLiteral("足あと"));
    if (!loggedIn) {
        html += QStringLiteral(
            "<h2>ログイン</h2>\n<form action=\"login.pl\" method=\"post\">\n"
            "<p>メールアドレス <input type=\"text\" name=\"email\" /></p>\n"
            "<p>パスワード <input type=\"password\" name=\"password\" /></p>\n"
            "</form>\n");
        return toEucJp(html + kPageFoot);
    }
    html += QStringLiteral("<h2>あしあと</h2>\n<ul class=\"logList01\">\n");
    if (!opts.empty) {
        const auto visits = latestVisits(now());
        const qsizetype first = qsizetype(page - 1) * opts.entriesPerPage;
        for (qsizetype i = first; i < first + opts.entriesPerPage && i < qsizetype(visits.size());
             ++i) {
            const DemoVisitor& v = *visits[size_t(i)].first;
            const QString when = visitTimeText(visits[size_t(i)].second);
            const QString id = QString::number(v.id);
            if (opts.changedFormat) {
                html +=
                    QStringLiteral("<li><div class=\"logTime\">") + when +
                    QStringLiteral("</div><div class=\"logMember\"><a href=\"/show_friend.pl?id=") +
                    id + QStringLiteral("\" class=\"member\">") + v.name +
                    QStringLiteral("</a></div></li>\n");
            } else {
                html += QStringLiteral("<li><span class=\"date\">") + when +
                        QStringLiteral("</span><span class=\"name\"><a href=\"show_friend.pl?id=") +
                        id + QStringLiteral("\">") + v.name + QStringLiteral("</a></span></li>\n");
            }
        }
    }
    html += QStringLiteral("</ul>\n") + opts.extraBodyHtml;
    html += QStringLiteral("<div class=\"pageNavigation\">");
    html += page == 1 ? QStringLiteral("<a href=\"show_log.pl?page=2\">次を表示</a>")
                      : QStringLiteral("<a href=\"show_log.pl\">前を表示</a>");
    html += QStringLiteral("</div>\n");
    return toEucJp(html + kPageFoot);
}

std::vector<DemoService::Request> DemoService::requests() const {
    QMutexLocker lock(&m_mutex);
    return m_requests;
}

void DemoService::serve(QTcpSocket* socket) {
    QByteArray buffered = socket->property("kvBuffer").toByteArray() + socket->readAll();
    const qsizetype end = buffered.indexOf("\r\n\r\n");
    if (end < 0) {
        if (buffered.size() > kMaxHeader) {
            answer(socket, response(400, {}), {});
        } else {
            socket->setProperty("kvBuffer", buffered);
        }
        return;
    }
    if (socket->property("kvAnswered").toBool()) {
        return;
    }
    socket->setProperty("kvAnswered", true);
    const QList<QByteArray> lines = buffered.left(end).split('\n');
    const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
    QByteArray cookie;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        if (line.toLower().startsWith("cookie:")) {
            cookie = line.mid(7).trimmed();
        }
    }
    const QString target = QString::fromLatin1(requestLine.value(1));
    {
        QMutexLocker lock(&m_mutex);
        m_requests.push_back({target, cookie});
    }
    const QUrl url(target);
    const DemoOptions opts = options();

    if (url.path() == u"/show_log.pl") {
        const int page = QUrlQuery(url).queryItemValue(QStringLiteral("page")) == u"2" ? 2 : 1;
        const QByteArray wanted = QByteArray(kCookieName) + '=' + kCookieValue;
        bool loggedIn = !opts.requireCookie;
        for (const QByteArray& part : cookie.split(';')) {
            loggedIn = loggedIn || part.trimmed() == wanted;
        }
        if (opts.dropConnection) {
            socket->abort();
            return;
        }
        if (!loggedIn && opts.loginRedirect) {
            answer(socket,
                   "HTTP/1.1 302 Found\r\nLocation: /login.pl\r\nContent-Length: 0\r\n"
                   "Connection: close\r\n\r\n",
                   {});
            return;
        }
        QByteArray body;
        int status = 200;
        if (opts.errorStatus != 0) {
            status = opts.errorStatus;
            body =
                toEucJp(pageHead(QStringLiteral("エラー")) +
                        QStringLiteral("<p>ただいまアクセスが集中しています。</p>\n") + kPageFoot);
        } else {
            body = footprintPage(page, loggedIn);
        }
        if (opts.padToBytes > body.size()) {
            body += QByteArray(opts.padToBytes - body.size(), '\n');
        }
        QByteArray headers;
        if (opts.gzip) {
            body = gzipped(body);
            headers = "Content-Encoding: gzip\r\n";
        }
        if (opts.slowMs > 0) {
            QPointer<QTcpSocket> later(socket);
            QTimer::singleShot(opts.slowMs, this, [this, later, status, body, headers] {
                if (later) {
                    answer(later, response(status, body, headers), body);
                }
            });
            return;
        }
        answer(socket, response(status, body, headers), body);
        return;
    }
    if (url.path() == u"/login.pl") {
        const QByteArray body = footprintPage(1, false);
        answer(socket, response(200, body), body);
        return;
    }
    if (url.path() == u"/go") {
        // A redirect, as the service sends a browser elsewhere after its login.
        const QByteArray to = QUrlQuery(url)
                                  .queryItemValue(QStringLiteral("to"), QUrl::FullyDecoded)
                                  .toUtf8()
                                  .replace('\r', "")
                                  .replace('\n', "");
        answer(socket,
               "HTTP/1.1 302 Found\r\nLocation: " + to +
                   "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n",
               {});
        return;
    }
    if (url.path() == u"/" || url.path() == u"/show_friend.pl") {
        const QByteArray body =
            toEucJp(pageHead(QStringLiteral("Kestrelview demo")) +
                    QStringLiteral("<p>Kestrelview のためのデモサービスです。</p>\n"
                                   "<p><a href=\"/show_log.pl\">足あと</a></p>\n") +
                    kPageFoot);
        answer(socket, response(200, body), body);
        return;
    }
    const QByteArray body = toEucJp(pageHead(QStringLiteral("Not Found")) + kPageFoot);
    answer(socket, response(404, body), body);
}

void DemoService::answer(QTcpSocket* socket, const QByteArray& head, const QByteArray& body) {
    socket->write(head);
    socket->write(body);
    socket->disconnectFromHost();
}

namespace {

// Owns the service inside the thread, which makes and destroys it there.
class ServiceThread final : public QThread {
  public:
    explicit ServiceThread(quint16 port) : m_port(port) {}
    void run() override {
        DemoService service;
        m_listening = service.listen(m_port);
        m_port = service.port();
        m_service = &service;
        m_ready.release();
        if (m_listening) {
            exec();
        }
        m_service = nullptr;
    }
    void waitReady() { m_ready.acquire(); }
    DemoService* service() const { return m_service; }
    bool listening() const { return m_listening; }
    quint16 port() const { return m_port; }

  private:
    quint16 m_port;
    bool m_listening = false;
    DemoService* m_service = nullptr;
    QSemaphore m_ready;
};

}  // namespace

DemoServiceThread::DemoServiceThread() = default;

DemoServiceThread::~DemoServiceThread() {
    if (m_thread) {
        m_thread->quit();
        m_thread->wait();
    }
}

bool DemoServiceThread::start(quint16 port) {
    auto thread = std::make_unique<ServiceThread>(port);
    thread->setObjectName(QStringLiteral("DemoService"));
    thread->start();
    thread->waitReady();
    m_service = thread->service();
    m_port = thread->port();
    const bool ok = thread->listening();
    m_thread = std::move(thread);
    return ok;
}

QString DemoServiceThread::baseUrl() const {
    return QStringLiteral("http://127.0.0.1:") + QString::number(m_port);
}
