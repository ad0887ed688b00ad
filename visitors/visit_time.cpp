// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "visitors/visit_time.h"

#include "platform/runtime_error.h"

namespace {

constexpr char16_t kEnd = 0xFFFF;  // a noncharacter: no text holds it where it matters

// The text as the reading sees it: "年" and "月" as "/", "日" left out.
class TimeChars {
  public:
    explicit TimeChars(QStringView text) : m_text(text) { skipDays(); }

    char16_t peek() const { return m_at < m_text.size() ? m_text[m_at].unicode() : kEnd; }
    bool atEnd() const { return m_at >= m_text.size(); }
    void next() {
        ++m_at;
        skipDays();
    }

    static bool isBlank(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }
    static bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

    void skipBlanks() {
        while (!atEnd() && isBlank(peek())) {
            next();
        }
    }

    // A run of ASCII digits: its value (of at most 4 digits, more only to count) and length.
    int digits(int& value) {
        int length = 0;
        value = 0;
        while (!atEnd() && isDigit(peek())) {
            if (length < 4) {
                value = value * 10 + (peek() - u'0');
            }
            ++length;
            next();
        }
        return length;
    }

    bool take(char16_t c) {
        if (peek() != c) {
            return false;
        }
        next();
        return true;
    }

  private:
    void skipDays() {
        while (m_at < m_text.size()) {
            const char16_t c = m_text[m_at].unicode();
            if (c == u'日') {
                ++m_at;
            } else {
                break;
            }
        }
    }

    QStringView m_text;
    qsizetype m_at = 0;
};

// The digit run ended by a "/" after the year and month.
bool isSlash(char16_t c) {
    return c == u'/' || c == u'年' || c == u'月';
}

bool takeSlash(TimeChars& chars) {
    if (!isSlash(chars.peek())) {
        return false;
    }
    chars.next();
    return true;
}

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
    if (length < 1 || length > 4 || !takeSlash(chars)) {
        return false;
    }
    length = chars.digits(f.month);
    if (length < 1 || length > 2 || !takeSlash(chars)) {
        return false;
    }
    int run = 0;
    length = chars.digits(run);
    if (length < 1) {
        return false;
    }
    if (TimeChars::isBlank(chars.peek())) {
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

}  // namespace

qint64 ParseVisitSeconds(QStringView text) {
    Fields f;
    if (!read(text, f) || f.year < 100) {
        throw RuntimeError::typeMismatch();
    }
    const QDate date(f.year, f.month, f.day);
    if (!date.isValid() || f.hour > 23 || f.minute > 59 || f.second > 59) {
        throw RuntimeError::typeMismatch();
    }
    constexpr qint64 kJulianDayOf1970 = 2440588;
    return (date.toJulianDay() - kJulianDayOf1970) * 86400 + f.hour * 3600 + f.minute * 60 +
           f.second;
}

QDateTime ParseVisitTime(const QString& text) {
    // Visit times are only ever compared with each other; UTC keeps every wall-clock time valid,
    // including those that a daylight-saving change skips.
    return QDateTime::fromSecsSinceEpoch(ParseVisitSeconds(text), Qt::UTC);
}
