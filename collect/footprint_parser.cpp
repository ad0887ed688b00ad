// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "collect/footprint_parser.h"

#include <QStringMatcher>
#include <algorithm>

#include "platform/clock.h"
#include "platform/conversions.h"
#include "platform/runtime_error.h"
#include "visitors/visit_time.h"

namespace {

constexpr qint64 kYearBackMargin = 24 * 60 * 60;

// Makes `to` a text of `size` characters to be written, in the room it already has unless someone
// else keeps a copy of it.
QChar* resizeForWriting(QString& to, qsizetype size) {
    if (!to.isDetached()) {
        to = QString();
    }
    to.resize(size);
    return to.data();
}

void assign(QString& to, QStringView text) {
    QChar* out = resizeForWriting(to, text.size());
    std::copy(text.begin(), text.end(), out);
}

// Year, "年" and the page's time text, as the visitor table stores a last access.
void setVisitTime(QString& to, int year, QStringView timeText) {
    if (year <= 0 || year >= 10000) {
        to = QString::number(year) + u'年' + timeText.toString();
        return;
    }
    const qsizetype digits = year >= 1000 ? 4 : year >= 100 ? 3 : year >= 10 ? 2 : 1;
    QChar* out = resizeForWriting(to, digits + 1 + timeText.size());
    for (qsizetype i = digits - 1, rest = year; i >= 0; --i, rest /= 10) {
        out[i] = QChar(char16_t(u'0' + rest % 10));
    }
    out[digits] = QChar(u'年');
    std::copy(timeText.begin(), timeText.end(), out + digits + 1);
}

// Where `c` first stands in `text` from `from`, or -1. Written out for the few characters that
// lie between an entry's marks, where a call of the library's search costs more than the search.
qsizetype findNear(QStringView text, char16_t c, qsizetype from) {
    const qsizetype size = text.size();
    const char16_t* data = reinterpret_cast<const char16_t*>(text.data());
    for (qsizetype i = from; i < size; ++i) {
        if (data[i] == c) {
            return i;
        }
    }
    return -1;
}

// Where `c` last stands in `text` at or before `from`, or -1.
qsizetype findNearBack(QStringView text, char16_t c, qsizetype from) {
    const char16_t* data = reinterpret_cast<const char16_t*>(text.data());
    for (qsizetype i = std::min(from, text.size() - 1); i >= 0; --i) {
        if (data[i] == c) {
            return i;
        }
    }
    return -1;
}

// The member id as ToInt32 reads it; the usual plain digits without its help.
qint32 memberId(QStringView text) {
    if (text.isEmpty() || text.size() > 9) {
        return ToInt32(text);
    }
    qint32 value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9') {
            return ToInt32(text);
        }
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

// The marker's search, prepared once.
const QStringMatcher& markerMatcher(const QString& marker) {
    static const QStringMatcher method1(kMethod1Marker);
    static const QStringMatcher method2(kMethod2Marker);
    return &marker == &kMethod2Marker ? method2 : method1;
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
    const qsizetype firstTag = findNear(entry, u'<', 0);
    for (qsizetype at = firstTag; at >= 0; at = entry.indexOf(u'<', at + 1)) {
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
    if (start + firstTag == end) {
        assign(name, text.sliced(start, end - start));
        return;
    }
    resizeForWriting(name, 0);
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

const QString& EntryMarker(RetrievalMethod method) {
    return method == RetrievalMethod::Browser ? kMethod2Marker : kMethod1Marker;
}

bool HoldsEntryMarker(const QString& text, RetrievalMethod method) {
    return text.contains(EntryMarker(method), Qt::CaseSensitive);
}

void ParseFootprintPage(const QString& text, const std::function<RetrievalMethod()>& selectedMethod,
                        Clock& clock, const std::function<void(const FootprintEntry&)>& onEntry) {
    const QStringView page(text);
    // One entry for the whole page: its texts keep their room from one entry to the next.
    FootprintEntry entry;
    // Reading a name finds the next entry's marker; the next pass takes it if the method stays.
    const QString* aheadMarker = nullptr;
    qsizetype aheadFrom = -1;
    qsizetype aheadAt = -1;
    // The clock's reading, and what the loop takes from it, while it reads the same.
    QDateTime readAt;
    int clockYear = 0;
    qint64 current = 0;
    qsizetype from = 0;
    for (;;) {
        const QString& marker = EntryMarker(selectedMethod());
        const qsizetype w = &marker == aheadMarker && from == aheadFrom
                                ? aheadAt
                                : markerMatcher(marker).indexIn(page, from);
        if (w < 0) {
            return;
        }
        // The time text runs from the end of the tag before the marker up to the marker.
        const qsizetype tagEnd = w > 0 ? findNearBack(page, u'>', w) : -1;
        const QStringView timeText = page.sliced(tagEnd + 1, w - tagEnd - 1);

        const QDateTime now = clock.now();
        // The same moment in another time zone would read as another date and time.
        const Qt::TimeSpec zone = now.timeSpec();
        if (!readAt.isValid() || (zone != Qt::LocalTime && zone != Qt::UTC) ||
            zone != readAt.timeSpec() || now != readAt) {
            readAt = now;
            const QDate today = now.date();
            clockYear = today.year();
            // The clock's reading to the second, as ParseVisitTime would read it from its text.
            current = secondsOf(today, now.time());
        }
        int year = clockYear;
        setVisitTime(entry.LastAccess, year, timeText);
        const qint64 entryTime = ParseVisitSeconds(entry.LastAccess);
        // The service's clock runs ahead of a computer set to another time zone (nine hours
        // ahead of UTC), so only an entry more than a day ahead of ours is from last year; a
        // tighter test gave a visit seen early the year before and counted it again later.
        if (current + kYearBackMargin < entryTime) {
            --year;
            setVisitTime(entry.LastAccess, year, timeText);
        }
        // The year in front holds neither.
        for (const QChar c : timeText) {
            if (c == u'<' || c == u'>') {
                throw FormatChanged();
            }
        }

        const qsizetype idStart = w + marker.size();
        const qsizetype quote = findNear(page, u'"', idStart + 1);
        if (quote < 0) {
            throw RuntimeError::invalidCall();
        }
        entry.Id = memberId(page.sliced(idStart, quote - idStart));

        const qsizetype nameTag = findNear(page, u'>', idStart + 1);
        // Without a ">" after the id there is no name to read: the entry is cut off, like one
        // without its "<".
        if (nameTag < 0) {
            throw RuntimeError::invalidCall();
        }
        const qsizetype nameStart = nameTag + 1;
        aheadMarker = &marker;
        aheadFrom = nameStart;
        aheadAt = markerMatcher(marker).indexIn(page, nameStart);
        linkText(entry.Name, page, nameStart, aheadAt);
        onEntry(entry);
        from = nameStart;
    }
}
