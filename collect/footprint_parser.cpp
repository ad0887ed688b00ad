// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "collect/footprint_parser.h"

#include "platform/clock.h"
#include "platform/conversions.h"
#include "platform/runtime_error.h"
#include "visitors/visit_time.h"

namespace {

constexpr qint64 kYearBackMargin = 24 * 60 * 60;

// The text of the member's link from `start`, right after its start tag, to its end tag: tags
// inside it (a bold name, an icon) are left out, everything else stays as written. A link that
// is not closed before the next entry (`nextEntry`, -1 for none) ends at the next tag.
QString linkText(const QString& text, qsizetype start, qsizetype nextEntry) {
    const QStringView entry =
        QStringView(text).sliced(start, (nextEntry < 0 ? text.size() : nextEntry) - start);
    qsizetype end = -1;
    for (qsizetype at = entry.indexOf(u"</a", 0, Qt::CaseInsensitive); at >= 0;
         at = entry.indexOf(u"</a", at + 1, Qt::CaseInsensitive)) {
        // Not "</abbr>" and the like.
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
        return text.sliced(start, end - start);
    }
    QString name;
    qsizetype from = start;
    while (from < end) {
        const qsizetype tag = text.indexOf(u'<', from);
        if (tag < 0 || tag >= end) {
            name += QStringView(text).sliced(from, end - from);
            break;
        }
        name += QStringView(text).sliced(from, tag - from);
        const qsizetype tagEnd = text.indexOf(u'>', tag);
        from = tagEnd < 0 || tagEnd >= end ? end : tagEnd + 1;
    }
    return name;
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

        const QDateTime now = clock.now();
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
        // Without a ">" after the id there is no name to read: the entry is cut off, like one
        // without its "<".
        if (nameTag < 0) {
            throw RuntimeError::invalidCall();
        }
        const qsizetype nameStart = nameTag + 1;
        entry.Name = linkText(text, nameStart, text.indexOf(marker, nameStart, Qt::CaseSensitive));
        onEntry(entry);
        from = nameStart;
    }
}
