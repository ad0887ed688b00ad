// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "visitors/visit_time.h"

#include <QRegularExpression>

#include "platform/runtime_error.h"

QDateTime ParseVisitTime(const QString& text) {
    QString t = text;
    t.replace(u'年', u'/');
    t.replace(u'月', u'/');
    t.remove(u'日');

    // Year/month/day, then hours and minutes with or without seconds; leading zeros optional.
    static const QRegularExpression form(QStringLiteral(
        R"(^\s*(\d{1,4})/(\d{1,2})/(\d{1,2})\s*(\d{1,2}):(\d{1,2})(?::(\d{1,2}))?\s*$)"));
    const QRegularExpressionMatch m = form.match(t);
    if (!m.hasMatch()) {
        throw RuntimeError::typeMismatch();
    }
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const int hour = m.captured(4).toInt();
    const int minute = m.captured(5).toInt();
    const int second = m.capturedLength(6) > 0 ? m.captured(6).toInt() : 0;
    const QTime time(hour, minute, second);
    if (!date.isValid() || !time.isValid() || date.year() < 100) {
        throw RuntimeError::typeMismatch();
    }
    // Visit times are only ever compared with each other; UTC keeps every wall-clock time valid,
    // including those that a daylight-saving change skips.
    return QDateTime(date, time, Qt::UTC);
}
