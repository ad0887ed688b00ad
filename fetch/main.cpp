// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// kestrelview-fetch: loads one page for the program, so that the network library and what it
// brings (name lookup, proxies, Kerberos) live and die with this process and never stay in the
// program's own. Reads one request from stdin, writes the answer's frames to stdout
// (platform/http_fetch_wire.h), and ends when the load ends, when stdin closes (the program is
// gone) or when the load outlives its own total time-out.
#include <errno.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <memory>

#include "fetch/fetch_engine.h"
#include "platform/http_fetch_wire.h"

namespace {

enum ExitCode {
    kAnswered = 0,
    kBadRequest = 2,
    kProgramGone = 3,
    kOutOfTime = 4,
};

// The program waits for each piece; a program that reads no more ends us through the pipe.
bool writeAll(const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(STDOUT_FILENO, data, size_t(left));
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

QNetworkCookie networkCookie(const Cookie& cookie) {
    QNetworkCookie made(cookie.name(), cookie.value());
    made.setDomain(cookie.domain());
    made.setPath(cookie.path());
    made.setSecure(cookie.isSecure());
    made.setHttpOnly(cookie.isHttpOnly());
    if (!cookie.isSessionCookie()) {
        made.setExpirationDate(cookie.expirationDate());
    }
    return made;
}

// Beyond the load's own total time-out, a helper still alive has lost its way.
constexpr int kOwnTimeOutMarginMs = 5000;
// The program writes the request as soon as the helper starts.
constexpr int kRequestWaitMs = 10000;

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    FetchRequest request;
    FetchFrameReader input;
    std::unique_ptr<FetchEngine> engine;
    bool headSent = false;

    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &application,
                     [&engine] { QCoreApplication::exit(engine ? kOutOfTime : kBadRequest); });
    deadline.start(kRequestWaitMs);

    const auto begin = [&](const QByteArray& payload) {
        if (!DecodeFetchRequest(payload, &request)) {
            QCoreApplication::exit(kBadRequest);
            return;
        }
        QList<QNetworkCookie> cookies;
        cookies.reserve(request.cookies.size());
        for (const Cookie& cookie : request.cookies) {
            cookies.append(networkCookie(cookie));
        }
        engine = std::make_unique<FetchEngine>(request.network);
        QObject::connect(
            engine.get(), &FetchEngine::finished, &application, [](const FetchResult& result) {
                const bool said =
                    writeAll(EncodeFetchFrame(FetchFrame::Result, EncodeFetchResult(result)));
                QCoreApplication::exit(said ? kAnswered : kProgramGone);
            });
        deadline.start(qMax(0, request.network.totalTimeoutMs) + kOwnTimeOutMarginMs);
        engine->start(request.url, cookies, [&](const QByteArray& piece) {
            if (!headSent) {
                FetchResult head;
                head.httpStatus = engine->progress().httpStatus;
                head.finalUrl = engine->progress().finalUrl;
                if (!writeAll(EncodeFetchFrame(FetchFrame::Head, EncodeFetchResult(head)))) {
                    return false;
                }
                headSent = true;
            }
            return writeAll(EncodeFetchFrame(FetchFrame::Body, piece));
        });
    };

    QSocketNotifier stdinReady(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&stdinReady, &QSocketNotifier::activated, &application, [&] {
        char buffer[16 * 1024];
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) {
            return;
        }
        if (got <= 0) {
            stdinReady.setEnabled(false);
            QCoreApplication::exit(kProgramGone);
            return;
        }
        if (engine) {
            return;  // one request a helper; anything more is not read
        }
        input.append(QByteArray(buffer, got));
        FetchFrame kind{};
        QByteArray payload;
        if (input.next(&kind, &payload)) {
            if (kind != FetchFrame::Request) {
                QCoreApplication::exit(kBadRequest);
                return;
            }
            begin(payload);
        } else if (input.garbled()) {
            QCoreApplication::exit(kBadRequest);
        }
    });
    const int code = application.exec();
    // Cut the load off before the engine goes, so nothing of it is written after the end.
    if (engine) {
        engine->abort();
    }
    return code;
}
