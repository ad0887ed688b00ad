// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "platform/http_fetch_wire.h"

#include <QDataStream>
#include <QIODevice>
#include <QtEndian>

namespace {

constexpr QDataStream::Version kStreamVersion = QDataStream::Qt_6_4;
constexpr qsizetype kFrameHeaderBytes = 5;

bool knownKind(char kind) {
    switch (FetchFrame(kind)) {
        case FetchFrame::Request:
        case FetchFrame::Head:
        case FetchFrame::Body:
        case FetchFrame::Result:
            return true;
    }
    return false;
}

QDataStream& operator<<(QDataStream& out, const Cookie& cookie) {
    return out << cookie.name() << cookie.value() << cookie.domain() << cookie.path()
               << cookie.isSecure() << cookie.isHttpOnly() << cookie.expirationDate();
}

QDataStream& operator>>(QDataStream& in, Cookie& cookie) {
    QByteArray name;
    QByteArray value;
    QString domain;
    QString path;
    bool secure = false;
    bool httpOnly = false;
    QDateTime expires;
    in >> name >> value >> domain >> path >> secure >> httpOnly >> expires;
    cookie = Cookie(name, value);
    cookie.setDomain(domain);
    cookie.setPath(path);
    cookie.setSecure(secure);
    cookie.setHttpOnly(httpOnly);
    cookie.setExpirationDate(expires);
    return in;
}

}  // namespace

QByteArray EncodeFetchFrame(FetchFrame kind, const QByteArray& payload) {
    QByteArray frame(kFrameHeaderBytes, Qt::Uninitialized);
    frame[0] = char(kind);
    qToBigEndian(quint32(payload.size()), frame.data() + 1);
    return frame + payload;
}

bool FetchFrameReader::next(FetchFrame* kind, QByteArray* payload) {
    if (m_garbled || m_buffer.size() < kFrameHeaderBytes) {
        return false;
    }
    const quint32 length = qFromBigEndian<quint32>(m_buffer.constData() + 1);
    if (!knownKind(m_buffer.at(0)) || length > kMaxFetchFrameBytes) {
        m_garbled = true;
        return false;
    }
    if (m_buffer.size() - kFrameHeaderBytes < qsizetype(length)) {
        return false;
    }
    *kind = FetchFrame(m_buffer.at(0));
    *payload = m_buffer.mid(kFrameHeaderBytes, length);
    m_buffer.remove(0, kFrameHeaderBytes + length);
    return true;
}

QByteArray EncodeFetchRequest(const FetchRequest& request) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(kStreamVersion);
    out << request.url << qint32(request.cookies.size());
    for (const Cookie& cookie : request.cookies) {
        out << cookie;
    }
    out << request.network;
    return bytes;
}

bool DecodeFetchRequest(const QByteArray& payload, FetchRequest* request) {
    QDataStream in(payload);
    in.setVersion(kStreamVersion);
    FetchRequest read;
    qint32 count = 0;
    in >> read.url >> count;
    if (count < 0 || count > payload.size()) {
        return false;
    }
    for (qint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        Cookie cookie;
        in >> cookie;
        read.cookies.append(cookie);
    }
    in >> read.network;
    if (in.status() != QDataStream::Ok || !in.atEnd()) {
        return false;
    }
    *request = read;
    return true;
}

QByteArray EncodeFetchResult(const FetchResult& result) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(kStreamVersion);
    out << qint32(result.outcome) << qint32(result.httpStatus) << result.finalUrl
        << result.refusedRedirect << result.contentType << result.detail;
    return bytes;
}

bool DecodeFetchResult(const QByteArray& payload, FetchResult* result) {
    QDataStream in(payload);
    in.setVersion(kStreamVersion);
    FetchResult read;
    qint32 outcome = -1;
    qint32 status = 0;
    in >> outcome >> status >> read.finalUrl >> read.refusedRedirect >> read.contentType >>
        read.detail;
    if (in.status() != QDataStream::Ok || !in.atEnd() || outcome < 0 ||
        outcome > qint32(FetchResult::kLastOutcome)) {
        return false;
    }
    read.outcome = FetchResult::Outcome(outcome);
    read.httpStatus = status;
    *result = read;
    return true;
}
