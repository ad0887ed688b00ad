// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "collect/footprint_parser.h"

#include "platform/clock.h"
#include "platform/conversions.h"
#include "platform/runtime_error.h"
#include "visitors/visit_time.h"

namespace {
constexpr qint64 kYearBackMargin = 24 * 60 * 60;
}  // namespace

const QString& EntryMarker(int method) {
    return method == 1 ? kMethod2Marker : kMethod1Marker;
}

void ParseFootprintPage(const QString& text, const std::function<int()>& selectedMethod,
                        Clock& clock, const std::function<void(const FootprintEntry&)>& onEntry) {
    qsizetype from = 0;
    for (;;) {
        const QString& marker = EntryMarker(selectedMethod());
        const qsizetype w = text.indexOf(marker, from, Qt::CaseSensitive);
        if (w < 0) {
            return;
        }
        // The time text runs from the end of the tag before the marker up to the marker.
        const qsizetype tagEnd = w > 0 ? text.lastIndexOf(u'>', w) : -1;
        const QString timeText = text.sliced(tagEnd + 1, w - tagEnd - 1);

        const QDateTime now = clock.Now();
        int year = now.date().year();
        const QDateTime entryTime = ParseVisitTime(QString::number(year) + u'年' + timeText);
        // The clock's reading to the second, as ParseVisitTime would read it back from its text.
        const QTime clockTime = now.time();
        const QDateTime current(
            now.date(), QTime(clockTime.hour(), clockTime.minute(), clockTime.second()), Qt::UTC);
        // The service's clock runs ahead of a computer set to another time zone (nine hours
        // ahead of UTC), so only an entry more than a day ahead of ours is from last year; a
        // tighter test gave a visit seen early the year before and counted it again later.
        if (current.addSecs(kYearBackMargin) < entryTime) {
            --year;
        }
        FootprintEntry entry;
        entry.LastAccess = QString::number(year) + u'年' + timeText;
        if (entry.LastAccess.contains(u'<') || entry.LastAccess.contains(u'>')) {
            throw FormatChanged();
        }

        const qsizetype idStart = w + marker.size();
        const qsizetype quote = text.indexOf(u'"', idStart + 1);
        if (quote < 0) {
            throw RuntimeError::invalidCall();
        }
        entry.Id = ToInt32(QStringView(text).sliced(idStart, quote - idStart));

        const qsizetype nameTag = text.indexOf(u'>', idStart + 1);
        // Without a ">" after the id, the old reading took the name from the top of the page and
        // searched again from there, forever; the entry is cut off, like one without its "<".
        if (nameTag < 0) {
            throw RuntimeError::invalidCall();
        }
        const qsizetype nameStart = nameTag + 1;
        const qsizetype nameEnd = text.indexOf(u'<', nameStart + 1);
        if (nameEnd < 0) {
            throw RuntimeError::invalidCall();
        }
        entry.Name = text.sliced(nameStart, nameEnd - nameStart);
        onEntry(entry);
        from = nameStart;
    }
}
