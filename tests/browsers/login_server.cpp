// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// The two servers a browser login test needs on 127.0.0.1: the service's login page, which sets
// the login cookie so that the browser keeps it on disk, and the demo service, which lists the
// visitors only to a request that carries that cookie. Both ports go to the file named on the
// command line once both listen: "login <url>" and "service <url>", one a line.
#include <QCoreApplication>
#include <QFile>
#include <QHostAddress>
#include <QSaveFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <cstdio>

#include "tools/demo_service.h"

namespace {

// Long enough to outlive the test, short enough that its expiry is easy to check.
constexpr int kLoginMaxAgeSeconds = 30 * 24 * 3600;

QByteArray loginAnswer() {
    const QByteArray body =
        "<!DOCTYPE html><html><head><meta charset=\"utf-8\">"
        "<title>login</title></head><body><p>logged in</p></body></html>\n";
    const QByteArray age = QByteArray::number(kLoginMaxAgeSeconds);
    // A second cookie for a path the footprint pages do not lie under: the lookup must not lend
    // it to them.
    return "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n"
           "Set-Cookie: " +
           QByteArray(DemoService::kCookieName) + '=' + DemoService::kCookieValue +
           "; Max-Age=" + age +
           "; Path=/; HttpOnly; SameSite=Lax\r\n"
           "Set-Cookie: kv_elsewhere=1; Max-Age=" +
           age +
           "; Path=/elsewhere\r\n"
           "Cache-Control: no-store\r\nContent-Length: " +
           QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <ports-file>\n", argv[0]);
        return 2;
    }

    DemoService service;
    DemoOptions options;
    options.requireCookie = true;
    service.setOptions(options);

    QTcpServer login;
    QObject::connect(&login, &QTcpServer::newConnection, &login, [&login] {
        while (QTcpSocket* socket = login.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket] {
                QByteArray seen = socket->property("kvSeen").toByteArray() + socket->readAll();
                socket->setProperty("kvSeen", seen);
                if (seen.contains("\r\n\r\n") && !socket->property("kvAnswered").toBool()) {
                    socket->setProperty("kvAnswered", true);
                    socket->write(loginAnswer());
                    socket->disconnectFromHost();
                }
            });
        }
    });

    if (!service.listen() || !login.listen(QHostAddress::LocalHost)) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1\n");
        return 1;
    }
    QSaveFile ports(QString::fromLocal8Bit(argv[1]));
    if (!ports.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    ports.write("login http://127.0.0.1:" + QByteArray::number(login.serverPort()) +
                "/login.html\nservice " + service.baseUrl().toUtf8() + "\n");
    if (!ports.commit()) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return application.exec();
}
