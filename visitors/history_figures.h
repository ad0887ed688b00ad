// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "visitors/history_index.h"

// What the history windows show, worked out for a given "now" (the program's clock, local time).
// Periods are whole calendar days that end with today: "the last 7 days" are today and the six
// days before it. A visit dated after today (the service's clock ahead of ours) is listed but in
// no period.

inline constexpr int kHistoryWeeks = 52;
inline constexpr int kHistoryDays = 90;
inline constexpr int kFrequentVisitorDays = 30;
inline constexpr int kFrequentVisitorCount = 10;

// The last day of week `week` of the weeks that FiguresOfVisitor counts (0 is the oldest).
QDate WeekEnd(const QDate& today, int week);
// Day `day` of the days that FiguresOfEveryone counts (0 is the oldest).
QDate HistoryDay(const QDate& today, int day);

struct VisitorFigures {
    QDate today;
    // Every recorded visit, newest first.
    std::vector<VisitStamp> visitsNewestFirst;
    std::optional<VisitStamp> first;
    std::optional<VisitStamp> latest;
    int lastSevenDays = 0;
    int lastThirtyDays = 0;
    // The 52 weeks that end today, oldest first: the last is today and the six days before it.
    std::array<int, kHistoryWeeks> perWeek{};
    // The table has counted more visits than the history holds: the history started after this
    // visitor's first counted visit, at `recordingStart` (unknown while the history is empty).
    bool startsAfterFirstCounted = false;
    std::optional<VisitStamp> recordingStart;
};

// `countedVisits` is the visitor's count in the table.
VisitorFigures FiguresOfVisitor(const HistoryIndex& index, qint32 id, qint32 countedVisits,
                                const QDateTime& now);

struct FrequentVisitor {
    qint32 id = 0;
    QString name;
    int visits = 0;
    VisitStamp latest = 0;
};

struct EveryoneFigures {
    QDate today;
    // The 90 days that end today, oldest first.
    std::array<int, kHistoryDays> perDay{};
    // The ten visitors with the most visits in the last 30 days, most first; equal counts put the
    // more recent latest visit first, then the lower member id.
    std::vector<FrequentVisitor> mostFrequent;
};

EveryoneFigures FiguresOfEveryone(const HistoryIndex& index, const QDateTime& now);
