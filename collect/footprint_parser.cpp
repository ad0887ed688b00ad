// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "collect/footprint_parser.h"

#include "platform/clock.h"
#include "platform/conversions.h"
#include "platform/runtime_error.h"
#include "visitors/visit_time.h"

namespace {

constexpr qint64 kYearBackMargin = 24 * 60 * 60;

// Sets `to` to `text`, in the room it already has unless someone else keeps a copy of it.
void assign(QString& to, QStringView text) {
    if (to.isDetached()) {
        to.resize(0);
        to.append(text);
    } else {
        to = text.toString();
    }
}

// Year, "年" and the page's time text, as the visitor table stores a last access.
void setVisitTime(QString& to, int year, QStringView timeText) {
    if (!to.isDetached()) {
        to = QString();
    }
    to.resize(0);
    if (year > 0 && year < 10000) {
        char16_t digits[4];
        int n = 0;
        for (int rest = year; rest > 0; rest /= 10) {
            digits[n++] = char16_t(u'0' + rest % 10);
        }
        while (n > 0) {
            to.append(QChar(digits[--n]));
        }
    } else {
        to.append(QString::number(year));
    }
    to.append(u'年');
    to.append(timeText);
}

// Seconds since 1970 of a date and a time to the second, on a clock without time zones.
qint64 secondsOf(QDate date, QTime time) {
    constexpr qint64 kJulianDayOf1970 = 2440588;
    return (date.toJulianDay() - kJulianDayOf1970) * 86400 + time.hour() * 3600 +
           time.minute() * 60 + time.second();
}

// The text of the member's link from `start`, right after its start tag, to its end tag: tags
// inside it (a bold name, an icon) are left out, everything else stays as written. A link that
// is not closed before the next entry (`nextEntry`, -1 for none) ends at the next tag.
void linkText(QString& name, QStringView text, qsizetype start, qsizetype nextEntry) {
    const QStringView entry = text.sliced(start, (nextEntry < 0 ? text.size() : nextEntry) - start);
    qsizetype end = -1;
    for (qsizetype at = entry.indexOf(u'<'); at >= 0; at = entry.indexOf(u'<', at + 1)) {
        if (at + 2 >= entry.size() || entry[at + 1] != u'/' ||
            (entry[at + 2] != u'a' && entry[at + 2] != u'A')) {
            continue;
        }
        // "</a", but not "</abbr>" and the like.
        if (at + 3 == entry.size() || entry[at + 3] == u'>' || entry[at + 3].isSpace()) {
            end = start + at;
            break;
        }
    }
    if (end < 0) {
        end = text.indexOf(u'<', start);
        if (end < 0) {
            throw RuntimeError::invalidCall();
        }
        assign(name, text.sliced(start, end - start));
        return;
    }
    const qsizetype firstTag = text.indexOf(u'<', start);
    if (firstTag == end) {
        assign(name, text.sliced(start, end - start));
        return;
    }
    if (!name.isDetached()) {
        name = QString();
    }
    name.resize(0);
    qsizetype from = start;
    while (from < end) {
        const qsizetype tag = text.indexOf(u'<', from);
        if (tag < 0 || tag >= end) {
            name.append(text.sliced(from, end - from));
            break;
        }
        name.append(text.sliced(from, tag - from));
        const qsizetype tagEnd = text.indexOf(u'>', tag);
        from = tagEnd < 0 || tagEnd >= end ? end : tagEnd + 1;
    }
}

}  // namespace

const QString& EntryMarker(int method) {
    return method == 1 ? kMethod2Marker : kMethod1Marker;
}

bool HoldsEntryMarker(const QString& text, int method) {
    return text.contains(EntryMarker(method), Qt::CaseSensitive);
}

void ParseFootprintPage(const QString& text, const std::function<int()>& selectedMethod,
                        Clock& clock, const std::function<void(const FootprintEntry&)>& onEntry) {
    const QStringView page(text);
    // One entry for the whole page: its texts keep their room from one entry to the next.
    FootprintEntry entry;
    // Reading a name finds the next entry's marker; the next pass takes it if the method stays.
    const QString* aheadMarker = nullptr;
    qsizetype aheadFrom = -1;
    qsizetype aheadAt = -1;
    qsizetype from = 0;
    for (;;) {
        const QString& marker = EntryMarker(selectedMethod());
        const qsizetype w = &marker == aheadMarker && from == aheadFrom
                                ? aheadAt
                                : page.indexOf(marker, from, Qt::CaseSensitive);
        if (w < 0) {
            return;
        }
        // The time text runs from the end of the tag before the marker up to the marker.
        const qsizetype tagEnd = w > 0 ? page.lastIndexOf(u'>', w) : -1;
        const QStringView timeText = page.sliced(tagEnd + 1, w - tagEnd - 1);

        const QDateTime now = clock.now();
        const QDate today = now.date();
        int year = today.year();
        setVisitTime(entry.LastAccess, year, timeText);
        const qint64 entryTime = ParseVisitSeconds(entry.LastAccess);
        // The clock's reading to the second, as ParseVisitTime would read it back from its text.
        const qint64 current = secondsOf(today, now.time());
        // The service's clock runs ahead of a computer set to another time zone (nine hours
        // ahead of UTC), so only an entry more than a day ahead of ours is from last year; a
        // tighter test gave a visit seen early the year before and counted it again later.
        if (current + kYearBackMargin < entryTime) {
            --year;
            setVisitTime(entry.LastAccess, year, timeText);
        }
        // The year in front holds neither.
        if (timeText.contains(u'<') || timeText.contains(u'>')) {
            throw FormatChanged();
        }

        const qsizetype idStart = w + marker.size();
        const qsizetype quote = page.indexOf(u'"', idStart + 1);
        if (quote < 0) {
            throw RuntimeError::invalidCall();
        }
        entry.Id = ToInt32(page.sliced(idStart, quote - idStart));

        const qsizetype nameTag = page.indexOf(u'>', idStart + 1);
        // Without a ">" after the id there is no name to read: the entry is cut off, like one
        // without its "<".
        if (nameTag < 0) {
            throw RuntimeError::invalidCall();
        }
        const qsizetype nameStart = nameTag + 1;
        aheadMarker = &marker;
        aheadFrom = nameStart;
        aheadAt = page.indexOf(marker, nameStart, Qt::CaseSensitive);
        linkText(entry.Name, page, nameStart, aheadAt);
        onEntry(entry);
        from = nameStart;
    }
}
