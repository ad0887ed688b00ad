// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "platform/conversions.h"

#include <cfenv>
#include <cmath>
#include <limits>

#include "platform/runtime_error.h"

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}
bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

}  // namespace

QStringView TrimBlanks(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(text[end - 1])) {
        --end;
    }
    return text.sliced(begin, end - begin);
}

qint32 ToInt32(QStringView text) {
    const QStringView t = TrimBlanks(text);
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) {
        negative = t[i] == u'-';
        ++i;
    }
    if (i == t.size()) {
        throw RuntimeError::typeMismatch();
    }
    qint64 value = 0;
    bool overflow = false;
    for (; i < t.size(); ++i) {
        if (!isAsciiDigit(t[i])) {
            throw RuntimeError::typeMismatch();
        }
        if (!overflow) {
            value = value * 10 + (t[i].unicode() - u'0');
            overflow = value > qint64(1) << 32;
        }
    }
    if (negative) {
        value = -value;
    }
    if (overflow || value > std::numeric_limits<qint32>::max() ||
        value < std::numeric_limits<qint32>::min()) {
        throw RuntimeError::overflow();
    }
    return qint32(value);
}

std::optional<double> ParseDecimal(QStringView text) {
    const QStringView t = TrimBlanks(text);
    qsizetype i = 0;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) {
        ++i;
    }
    qsizetype digits = 0;
    bool point = false;
    for (; i < t.size(); ++i) {
        if (isAsciiDigit(t[i])) {
            ++digits;
        } else if (t[i] == u'.' && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0) {
        return std::nullopt;
    }
    bool ok = false;
    QString digitsText = t.toString();
    if (digitsText.endsWith(u'.')) {
        digitsText.append(u'0');  // "7." is seven; Qt's reader wants a digit after the point
    }
    const double value = digitsText.toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<qint64> RoundHalfEven(double value, qint64 min, qint64 max) {
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    std::fesetround(previous);
    if (rounded < double(min) || rounded > double(max)) {
        return std::nullopt;
    }
    return qint64(rounded);
}
