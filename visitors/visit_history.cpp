// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "visitors/visit_history.h"

#include <unistd.h>
#include <QFile>
#include <QSet>

#include "platform/paths.h"
#include "platform/text_codec.h"
#include "visitors/ranking_model.h"

QString HistoryFilePath(const QString& dataFolder) {
    return AppFilePath(dataFolder, QStringLiteral("\\zodadud_history.dat"));
}

namespace {

QString oneLineField(QString text) {
    for (QChar& c : text) {
        if (c == u'\t' || c == u'\r' || c == u'\n') {
            c = u' ';
        }
    }
    return text;
}

}  // namespace

QByteArray FormatHistoryLine(const CountedVisit& visit) {
    QByteArray line = QByteArray::number(visit.id);
    line += '\t';
    line += EncodeCp932(oneLineField(visit.name));
    line += '\t';
    line += EncodeCp932(oneLineField(visit.visitTime));
    line += "\r\n";
    return line;
}

namespace {

bool lastByteIsLineEnd(QFile& file) {
    const qint64 size = file.size();
    if (size == 0) {
        return true;
    }
    char last = 0;
    return file.seek(size - 1) && file.getChar(&last) && last == '\n';
}

}  // namespace

bool AppendHistory(const QString& path, const QList<CountedVisit>& visits, QString* error) {
    if (visits.isEmpty()) {
        return true;
    }
    QFile file(path);
    // ReadWrite rather than Append: the last byte has to be looked at first. Unbuffered, so that
    // bytes a full disk refused are not written again when the file closes.
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        if (error) {
            *error = file.errorString();
        }
        return false;
    }
    QByteArray bytes;
    if (!lastByteIsLineEnd(file)) {
        bytes = "\t\r\n";
    }
    for (const CountedVisit& visit : visits) {
        bytes += FormatHistoryLine(visit);
    }
    const qint64 before = file.size();
    const bool written = file.seek(before) && file.write(bytes) == bytes.size() && file.flush() &&
                         ::fsync(file.handle()) == 0;
    if (!written) {
        if (error) {
            *error = file.errorString();
        }
        // A full disk takes part of the lines: cut them off, so the file ends where it did and
        // the visits wait whole for the next append.
        file.resize(before);
    }
    return written;
}

void HistoryWriter::add(qint32 id, const QString& name, const QString& visitTime) {
    const CountedVisit visit{id, name, visitTime};
    m_pending.append(visit);
    m_run.append(visit);
}

QString HistoryWriter::appendPage() {
    // A page without new visits leaves the file and the failure state alone.
    if (m_pending.isEmpty()) {
        return {};
    }
    QString reason;
    if (AppendHistory(m_path, m_pending, &reason)) {
        m_pending.clear();
        m_failureShown = false;
        return {};
    }
    if (m_failureShown) {
        return {};
    }
    m_failureShown = true;
    return QStringLiteral("足あと履歴の書き込みに失敗しました。") + QStringLiteral("\r\n") +
           DisplayPath(m_path) + QStringLiteral("\r\n") + reason;
}

QString HistoryWriter::runNotice() const {
    return NewVisitNotice(m_run);
}

QString NewVisitNotice(const QList<CountedVisit>& visits) {
    if (visits.isEmpty()) {
        return {};
    }
    QSet<qint32> visitors;
    for (const CountedVisit& visit : visits) {
        visitors.insert(visit.id);
    }
    QString text = QStringLiteral("新しい足あと: ") +
                   DecodeCharacterReferences(visits.first().name) + QStringLiteral(" さん");
    if (visitors.size() > 1) {
        text +=
            QStringLiteral(" ほか") + QString::number(visitors.size() - 1) + QStringLiteral("人");
    }
    return text;
}
