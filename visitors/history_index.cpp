// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "visitors/history_index.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/runtime_error.h"
#include "platform/text_codec.h"
#include "visitors/visit_time.h"

namespace {

constexpr qint64 kSecondsPerDay = 86400;
// The Julian day number of 1 January 1970.
constexpr qint64 kJulianDayOfEpoch = 2440588;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's days_from_civil): the reading
// of a million lines cannot afford a QDate for each.
constexpr qint64 daysFromCivil(qint64 y, unsigned m, unsigned d) {
    y -= m <= 2;
    const qint64 era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + qint64(doe) - 719468;
}

constexpr int daysInMonth(qint64 year, int month) {
    constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

qint64 floorDiv(qint64 a, qint64 b) {
    return a / b - (a % b != 0 && (a < 0) != (b < 0));
}

class Cursor {
  public:
    explicit Cursor(QByteArrayView text) : m_p(text.data()), m_end(text.data() + text.size()) {}

    bool atEnd() const { return m_p == m_end; }
    // 1 to `maxDigits` ASCII digits.
    bool number(int maxDigits, int* value) {
        int digits = 0;
        int v = 0;
        while (m_p != m_end && *m_p >= '0' && *m_p <= '9' && digits < maxDigits) {
            v = v * 10 + (*m_p - '0');
            ++m_p;
            ++digits;
        }
        *value = v;
        return digits > 0 && !(m_p != m_end && *m_p >= '0' && *m_p <= '9');
    }
    bool literal(const char* text) {
        const size_t n = std::strlen(text);
        if (size_t(m_end - m_p) < n || std::memcmp(m_p, text, n) != 0) {
            return false;
        }
        m_p += n;
        return true;
    }
    void blanks() {
        while (m_p != m_end && *m_p == ' ') {
            ++m_p;
        }
    }

  private:
    const char* m_p;
    const char* m_end;
};

// "年", "月" and "日" in CP932.
constexpr const char* kYear = "\x94\x4e";
constexpr const char* kMonth = "\x8c\x8e";
constexpr const char* kDay = "\x93\xfa";

// The form the pages give and the table keeps, straight from the bytes; false leaves the text
// to ParseVisitTime, which reads the rarer forms.
bool readCommonForm(QByteArrayView text, VisitStamp* stamp) {
    Cursor c(text);
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!c.number(4, &year) || !(c.literal(kYear) || c.literal("/")) || !c.number(2, &month) ||
        !(c.literal(kMonth) || c.literal("/")) || !c.number(2, &day)) {
        return false;
    }
    c.literal(kDay);
    c.blanks();
    if (!c.number(2, &hour) || !c.literal(":") || !c.number(2, &minute)) {
        return false;
    }
    if (c.literal(":") && !c.number(2, &second)) {
        return false;
    }
    if (!c.atEnd() || year < 100 || month < 1 || month > 12 || day < 1 ||
        day > daysInMonth(year, month) || hour > 23 || minute > 59 || second > 59) {
        return false;
    }
    *stamp = daysFromCivil(year, unsigned(month), unsigned(day)) * kSecondsPerDay + hour * 3600 +
             minute * 60 + second;
    return true;
}

bool readMemberId(QByteArrayView text, qint32* id) {
    qsizetype i = 0;
    const bool negative = !text.isEmpty() && text[0] == '-';
    if (negative) {
        ++i;
    }
    if (i == text.size() || text.size() - i > 10) {
        return false;
    }
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
        value = value * 10 + (text[i] - '0');
    }
    value = negative ? -value : value;
    if (value == 0 || value < std::numeric_limits<qint32>::min() ||
        value > std::numeric_limits<qint32>::max()) {
        return false;
    }
    *id = qint32(value);
    return true;
}

}  // namespace

VisitStamp StampOf(const QDateTime& wallClock) {
    return QDateTime(wallClock.date(), wallClock.time(), Qt::UTC).toSecsSinceEpoch();
}

QDate DayOf(VisitStamp stamp) {
    return QDate::fromJulianDay(floorDiv(stamp, kSecondsPerDay) + kJulianDayOfEpoch);
}

QString FormatVisitStamp(VisitStamp stamp) {
    const QDateTime time = QDateTime::fromSecsSinceEpoch(stamp, Qt::UTC);
    return time.toString(time.time().second() == 0 ? QStringLiteral("yyyy年MM月dd日 HH:mm")
                                                   : QStringLiteral("yyyy年MM月dd日 HH:mm:ss"));
}

bool ReadVisitStamp(QByteArrayView text, VisitStamp* stamp) {
    if (readCommonForm(text, stamp)) {
        return true;
    }
    bool exact = false;
    const QString decoded = DecodeCp932(text.toByteArray(), &exact);
    if (!exact) {
        return false;
    }
    try {
        *stamp = ParseVisitTime(decoded).toSecsSinceEpoch();
        return true;
    } catch (const RuntimeError&) {
        return false;
    }
}

bool HistoryIndex::update(const QString& path, QString* error) {
    const QFileInfo info(path);
    if (!info.exists()) {
        *this = HistoryIndex();
        return true;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) {
            *error = file.errorString();
        }
        return false;
    }
    const qint64 size = file.size();
    char previous = 0;
    const bool continues = m_readTo == 0 || (size >= m_readTo && file.seek(m_readTo - 1) &&
                                             file.getChar(&previous) && previous == '\n');
    // A file that is no longer the one read is read whole into a fresh index, which replaces this
    // one only once it has been read.
    HistoryIndex fresh;
    HistoryIndex& target = continues ? *this : fresh;
    const qint64 from = target.m_readTo;
    const qint64 length = size - from;
    qsizetype consumed = 0;
    if (length > 0) {
        if (uchar* mapped = file.map(from, length)) {
            consumed = target.addLines(QByteArrayView(mapped, length));
            file.unmap(mapped);
        } else {
            const QByteArray bytes = file.seek(from) ? file.read(length) : QByteArray();
            if (bytes.size() != length) {
                if (error) {
                    *error = file.errorString();
                }
                return false;
            }
            consumed = target.addLines(bytes);
        }
    }
    target.m_readTo = from + consumed;
    target.m_cutOffTail = consumed < length;
    target.m_existed = true;
    target.m_size = size;
    target.m_modified = info.lastModified();
    if (!continues) {
        *this = std::move(fresh);
    }
    return true;
}

bool HistoryIndex::isCurrentWith(const QString& path) const {
    const QFileInfo info(path);
    if (!info.exists()) {
        return !m_existed;
    }
    return m_existed && info.size() == m_size && info.lastModified() == m_modified;
}

const VisitorHistory* HistoryIndex::visitor(qint32 id) const {
    const auto found = m_visitors.find(id);
    return found == m_visitors.end() ? nullptr : &found->second.history;
}

std::vector<qint32> HistoryIndex::visitorIds() const {
    std::vector<qint32> ids;
    ids.reserve(m_visitors.size());
    for (const auto& [id, slot] : m_visitors) {
        ids.push_back(id);
    }
    return ids;
}

int HistoryIndex::visitsOn(qint64 julianDay) const {
    const auto found = m_perDay.find(julianDay);
    return found == m_perDay.end() ? 0 : found->second;
}

qsizetype HistoryIndex::addLines(QByteArrayView bytes) {
    std::vector<Slot*> named;
    const char* start = bytes.data();
    const char* end = start + bytes.size();
    const char* p = start;
    while (const void* found = std::memchr(p, '\n', size_t(end - p))) {
        const char* lineEnd = static_cast<const char*>(found);
        const char* next = lineEnd + 1;
        if (lineEnd > p && lineEnd[-1] == '\r') {
            --lineEnd;
        }
        if (!addLine(QByteArrayView(p, lineEnd - p), named)) {
            ++m_malformed;
        }
        p = next;
    }
    for (Slot* slot : named) {
        slot->history.name = DecodeCp932(slot->pendingName.toByteArray());
        slot->pendingName = {};
    }
    return p - start;
}

bool HistoryIndex::addLine(QByteArrayView line, std::vector<Slot*>& named) {
    const qsizetype firstTab = line.indexOf('\t');
    const qsizetype secondTab = firstTab < 0 ? -1 : line.indexOf('\t', firstTab + 1);
    if (secondTab < 0 || line.indexOf('\t', secondTab + 1) >= 0) {
        return false;
    }
    qint32 id = 0;
    VisitStamp stamp = 0;
    if (!readMemberId(line.first(firstTab), &id) ||
        !ReadVisitStamp(line.sliced(secondTab + 1), &stamp)) {
        return false;
    }
    Slot& slot = m_visitors[id];
    if (slot.pendingName.data() == nullptr) {
        named.push_back(&slot);
    }
    // Never null, even for an empty name, so that the slot is listed once.
    slot.pendingName = QByteArrayView(line.data() + firstTab + 1, secondTab - firstTab - 1);
    addVisit(slot, stamp);
    return true;
}

void HistoryIndex::addVisit(Slot& slot, VisitStamp stamp) {
    std::vector<VisitStamp>& visits = slot.history.visits;
    // Lines come in the order counted, so nearly every visit goes at the end.
    if (visits.empty() || visits.back() < stamp) {
        visits.push_back(stamp);
    } else {
        const auto at = std::lower_bound(visits.begin(), visits.end(), stamp);
        if (*at == stamp) {
            return;
        }
        visits.insert(at, stamp);
    }
    ++m_perDay[floorDiv(stamp, kSecondsPerDay) + kJulianDayOfEpoch];
    ++m_visitCount;
    if (!m_firstVisit || stamp < *m_firstVisit) {
        m_firstVisit = stamp;
    }
}
