// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "visitors/visit_time.h"

#include "platform/runtime_error.h"

namespace {

bool isBlank(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// The text as the reading sees it: "年" and "月" as "/", "日" left out.
class TimeChars {
  public:
    explicit TimeChars(QStringView text)
        : m_at(reinterpret_cast<const char16_t*>(text.data())), m_end(m_at + text.size()) {
        skipDays();
    }

    bool atEnd() const { return m_at == m_end; }
    // The next character; 0 at the end, which no test below takes for anything.
    char16_t peek() const { return m_at != m_end ? *m_at : u'\0'; }
    void next() {
        ++m_at;
        skipDays();
    }

    void skipBlanks() {
        while (m_at != m_end && isBlank(*m_at)) {
            next();
        }
    }

    // A run of ASCII digits: its length, and its value while it has at most 4 digits.
    int digits(int& value) {
        int length = 0;
        value = 0;
        while (m_at != m_end && isDigit(*m_at)) {
            if (length < 4) {
                value = value * 10 + (*m_at - u'0');
            }
            ++length;
            next();
        }
        return length;
    }

    bool take(char16_t c) {
        if (peek() != c || atEnd()) {
            return false;
        }
        next();
        return true;
    }

    bool takeSlash() {
        const char16_t c = peek();
        if (atEnd() || (c != u'/' && c != u'年' && c != u'月')) {
            return false;
        }
        next();
        return true;
    }

  private:
    void skipDays() {
        while (m_at != m_end && *m_at == u'日') {
            ++m_at;
        }
    }

    const char16_t* m_at;
    const char16_t* m_end;
};

int pow10(int n) {
    int p = 1;
    while (n-- > 0) {
        p *= 10;
    }
    return p;
}

struct Fields {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

bool read(QStringView text, Fields& f) {
    TimeChars chars(text);
    chars.skipBlanks();
    int length = chars.digits(f.year);
    if (length < 1 || length > 4 || !chars.takeSlash()) {
        return false;
    }
    length = chars.digits(f.month);
    if (length < 1 || length > 2 || !chars.takeSlash()) {
        return false;
    }
    int run = 0;
    length = chars.digits(run);
    if (length < 1) {
        return false;
    }
    if (!chars.atEnd() && isBlank(chars.peek())) {
        if (length > 2) {
            return false;
        }
        f.day = run;
        chars.skipBlanks();
        length = chars.digits(f.hour);
        if (length < 1 || length > 2) {
            return false;
        }
    } else {
        // Day and hours together: the day takes two digits where the hours keep one.
        if (length < 2 || length > 4) {
            return false;
        }
        const int hourDigits = length == 2 ? 1 : length - 2;
        f.day = run / pow10(hourDigits);
        f.hour = run % pow10(hourDigits);
    }
    if (!chars.take(u':')) {
        return false;
    }
    length = chars.digits(f.minute);
    if (length < 1 || length > 2) {
        return false;
    }
    if (chars.take(u':')) {
        length = chars.digits(f.second);
        if (length < 1 || length > 2) {
            return false;
        }
    }
    chars.skipBlanks();
    return chars.atEnd();
}

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1 January 1970 to a date of the Gregorian calendar from year 1 on.
qint64 daysSince1970(int year, int month, int day) {
    const int y = year - (month <= 2 ? 1 : 0);
    const int era = y / 400;
    const int yearOfEra = y - era * 400;
    const int dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return qint64(era) * 146097 + dayOfEra - 719468;
}

}  // namespace

qint64 ParseVisitSeconds(QStringView text) {
    Fields f;
    if (!read(text, f) || f.year < 100) {
        throw RuntimeError::typeMismatch();
    }
    if (f.month < 1 || f.month > 12 || f.day < 1 || f.day > daysInMonth(f.year, f.month) ||
        f.hour > 23 || f.minute > 59 || f.second > 59) {
        throw RuntimeError::typeMismatch();
    }
    return daysSince1970(f.year, f.month, f.day) * 86400 + f.hour * 3600 + f.minute * 60 + f.second;
}

QDateTime ParseVisitTime(const QString& text) {
    // Visit times are only ever compared with each other; UTC keeps every wall-clock time valid,
    // including those that a daylight-saving change skips.
    return QDateTime::fromSecsSinceEpoch(ParseVisitSeconds(text), Qt::UTC);
}
