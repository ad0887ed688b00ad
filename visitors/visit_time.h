// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QDateTime>
#include <QString>
#include <QStringView>

// Reads a visit-time text ("2009年01月07日 22:19", or the same with slashes, with or without
// leading zeros and seconds) into a date and time for comparison. Throws
// RuntimeError::typeMismatch() for anything else, an empty text included.
//
// The reading: "年" and "月" stand for "/", "日" is passed over wherever it stands; then blanks
// (space, TAB, CR, LF, VT, FF), a year of 1 to 4 ASCII digits (100 or later), "/", a month, "/",
// a day, blanks or none, hours, ":", minutes and optionally ":" and seconds, each of 1 or 2
// ASCII digits, and blanks to the end. Day and hours written together as 2 to 4 digits split
// with the hours taking the last one or two (so "0705" is day 07, 05 o'clock, and "722" is
// day 72, which does not convert).
QDateTime ParseVisitTime(const QString& text);

// The same reading as seconds since 1970 on a clock without time zones, for comparisons that
// need no QDateTime.
qint64 ParseVisitSeconds(QStringView text);
