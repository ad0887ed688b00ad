// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "platform/http_fetch.h"

#include <QDateTime>
#include <QFile>
#include <QTimer>

#include "platform/platform.h"
#include "platform/program_modules.h"

QList<Cookie> LoadCookieFile(const QString& fileName) {
    QList<Cookie> cookies;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        return cookies;
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
        Cookie cookie(fields[5], fields.mid(6).join('\t'));
        cookie.setDomain(QString::fromUtf8(domain));
        cookie.setPath(QString::fromUtf8(fields[2]));
        cookie.setSecure(fields[3].toUpper() == "TRUE");
        cookie.setHttpOnly(httpOnly);
        if (expiry != 0) {
            cookie.setExpirationDate(QDateTime::fromSecsSinceEpoch(expiry));
        }
        cookies.removeIf(
            [&cookie](const Cookie& earlier) { return earlier.hasSameIdentifier(cookie); });
        cookies.append(cookie);
    }
    return cookies;
}

HttpFetch::HttpFetch(const Platform& platform, QObject* parent)
    : QObject(parent), m_platform(platform), m_guard(new QTimer(this)) {
    m_guard->setSingleShot(true);
    connect(m_guard, &QTimer::timeout, this, [this] {
        fail(FetchResult::Outcome::TimedOut,
             QString::fromLatin1(kHelperName) + QStringLiteral(" did not answer in time"));
    });
}

HttpFetch::~HttpFetch() {
    dropHelper();
}

void HttpFetch::start(const QUrl& url, const QList<Cookie>& cookies, BodySink sink) {
    abort();
    m_running = true;
    m_sink = std::move(sink);
    m_head = FetchResult();
    m_head.finalUrl = url;
    m_reader = FetchFrameReader();
    m_bodyBytes = 0;
    QString notFound;
    const QString helper = ProgramHelperPath(QString::fromLatin1(kHelperName), &notFound);
    if (helper.isEmpty()) {
        failLater(FetchResult::Outcome::ConnectionFailed, notFound);
        return;
    }
    m_helper = new QProcess(this);
    // The helper's own complaints go where the program's go.
    m_helper->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(m_helper, &QProcess::readyReadStandardOutput, this, &HttpFetch::outputArrived);
    connect(m_helper, &QProcess::finished, this, &HttpFetch::helperEnded);
    connect(m_helper, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            failLater(FetchResult::Outcome::ConnectionFailed,
                      QString::fromLatin1(kHelperName) + QStringLiteral(" would not start: ") +
                          m_helper->errorString());
        }
    });
    FetchRequest request;
    request.url = url;
    request.cookies = cookies;
    request.network = m_platform.network;
    // The login goes over the pipe only: argv and the environment are readable by others.
    m_helper->start(helper, {});
    if (m_helper->state() != QProcess::NotRunning) {
        m_helper->write(EncodeFetchFrame(FetchFrame::Request, EncodeFetchRequest(request)));
    }
    m_guard->start(qMax(0, m_platform.network.totalTimeoutMs) + kHelperGraceMs);
}

void HttpFetch::abort() {
    ++m_generation;
    m_guard->stop();
    dropHelper();
    m_running = false;
    m_sink = nullptr;
}

void HttpFetch::outputArrived() {
    if (!m_helper || !m_running) {
        return;
    }
    m_reader.append(m_helper->readAllStandardOutput());
    const quint64 generation = m_generation;
    FetchFrame kind{};
    QByteArray payload;
    while (generation == m_generation && m_reader.next(&kind, &payload)) {
        switch (kind) {
            case FetchFrame::Head:
                if (!DecodeFetchResult(payload, &m_head)) {
                    fail(FetchResult::Outcome::ConnectionFailed,
                         QString::fromLatin1(kHelperName) + QStringLiteral(" sent garbled output"));
                }
                break;
            case FetchFrame::Body:
                m_bodyBytes += payload.size();
                if (m_bodyBytes > FetchResult::kMaxBodyBytes) {
                    fail(FetchResult::Outcome::ConnectionFailed,
                         QString::fromLatin1(kHelperName) +
                             QStringLiteral(" sent more body than a page may have"));
                } else if (!payload.isEmpty() && m_sink && !m_sink(payload)) {
                    if (generation == m_generation) {
                        fail(FetchResult::Outcome::WriteFailed, {});
                    }
                }
                break;
            case FetchFrame::Result: {
                FetchResult result;
                if (!DecodeFetchResult(payload, &result)) {
                    fail(FetchResult::Outcome::ConnectionFailed,
                         QString::fromLatin1(kHelperName) + QStringLiteral(" sent garbled output"));
                } else {
                    finish(result);
                }
                break;
            }
            case FetchFrame::Request:
                fail(FetchResult::Outcome::ConnectionFailed,
                     QString::fromLatin1(kHelperName) + QStringLiteral(" sent garbled output"));
                break;
        }
    }
    if (generation == m_generation && m_reader.garbled()) {
        fail(FetchResult::Outcome::ConnectionFailed,
             QString::fromLatin1(kHelperName) + QStringLiteral(" sent garbled output"));
    }
}

void HttpFetch::helperEnded(int exitCode, QProcess::ExitStatus status) {
    outputArrived();
    if (!m_running) {
        return;
    }
    // Whatever it sent of the body, without its result the page did not arrive.
    if (status == QProcess::CrashExit) {
        fail(FetchResult::Outcome::ConnectionFailed,
             QString::fromLatin1(kHelperName) + QStringLiteral(" crashed"));
    } else {
        fail(FetchResult::Outcome::ConnectionFailed,
             QString::fromLatin1(kHelperName) +
                 QStringLiteral(" ended without a result (exit code %1)").arg(exitCode));
    }
}

void HttpFetch::finish(const FetchResult& result) {
    if (!m_running) {
        return;
    }
    ++m_generation;
    m_guard->stop();
    dropHelper();
    m_running = false;
    m_sink = nullptr;
    Q_EMIT finished(result);
}

void HttpFetch::fail(FetchResult::Outcome outcome, const QString& detail) {
    FetchResult result = m_head;
    result.outcome = outcome;
    result.detail = detail;
    finish(result);
}

void HttpFetch::failLater(FetchResult::Outcome outcome, const QString& detail) {
    const quint64 generation = m_generation;
    QTimer::singleShot(0, this, [this, generation, outcome, detail] {
        if (generation == m_generation) {
            fail(outcome, detail);
        }
    });
}

void HttpFetch::dropHelper() {
    if (!m_helper) {
        return;
    }
    QProcess* helper = m_helper;
    m_helper = nullptr;
    disconnect(helper, nullptr, this, nullptr);
    if (helper->state() != QProcess::NotRunning) {
        helper->kill();
        // A killed child is reaped at once; waiting here leaves no zombie behind.
        helper->waitForFinished(1000);
    }
    helper->deleteLater();
}
