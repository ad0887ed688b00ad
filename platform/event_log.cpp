// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "platform/event_log.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

#include "platform/clock.h"
#include "platform/text_codec.h"

void EventLog::write(const QString& event) {
    const QDateTime now = m_clock ? m_clock->Now() : QDateTime::currentDateTime();
    QString line = now.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")) + u'\t';
    for (const QChar c : event) {
        line += (c == u'\r' || c == u'\n' || c == u'\t') ? QChar(u' ') : c;
    }
    if (m_echo) {
        std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
        std::fflush(stderr);
    }
    if (m_path.isEmpty()) {
        return;
    }
    const QByteArray bytes = EncodeCp932(line) + "\r\n";
    const QFileInfo current(m_path);
    if (current.isFile() && current.size() + bytes.size() > kLimitBytes) {
        const QString previous = m_path + QStringLiteral(".1");
        QFile::remove(previous);
        QFile::rename(m_path, previous);
    }
    QFile file(m_path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        file.write(bytes);
    }
}
