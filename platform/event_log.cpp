// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "platform/event_log.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <cstdio>

#include "platform/clock.h"

namespace {

void printLine(const QByteArray& line) {
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
}

bool isUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);
    return !decoder.hasError();
}

}  // namespace

void EventLog::setFile(const QString& path) {
    m_path = path;
    m_checked = false;
}

void EventLog::write(const QString& event) {
    const QDateTime now = m_clock ? m_clock->now() : QDateTime::currentDateTime();
    QString line = now.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")) + u'\t';
    for (const QChar c : event) {
        line += (c == u'\r' || c == u'\n' || c == u'\t') ? QChar(u' ') : c;
    }
    const QByteArray bytes = line.toUtf8() + '\n';
    if (m_echo) {
        printLine(bytes);
    }
    if (m_path.isEmpty()) {
        return;
    }
    if (!m_checked) {
        m_checked = true;
        // A log in another encoding is kept whole as the previous file rather than mixed with.
        QFile existing(m_path);
        if (existing.open(QIODevice::ReadOnly) && !isUtf8(existing.read(kLimitBytes + 1))) {
            existing.close();
            rotate();
        }
    }
    const QFileInfo current(m_path);
    if (current.isFile() && current.size() + bytes.size() > kLimitBytes) {
        rotate();
    }
    if (!append(bytes) && !m_echo) {
        printLine(bytes);
    }
}

void EventLog::rotate() const {
    const QString previous = m_path + QStringLiteral(".1");
    QFile::remove(previous);
    QFile::rename(m_path, previous);
}

bool EventLog::append(const QByteArray& bytes) const {
    QFile file(m_path);
    // Unbuffered, so that bytes a full disk refused are not written again when the file closes.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        return false;
    }
    const qint64 before = file.size();
    if (file.write(bytes) == bytes.size() && file.flush()) {
        return true;
    }
    // No half line stays behind for the next line to run into.
    file.resize(before);
    return false;
}
