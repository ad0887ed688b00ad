// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "visitors/history_figures.h"

#include <algorithm>

namespace {

// The first second of `day`, as a stamp.
VisitStamp startOf(const QDate& day) {
    return StampOf(QDateTime(day, QTime(0, 0), Qt::UTC));
}

// Visits from the start of `from` to the end of `to`, of visits sorted oldest first.
int visitsBetween(const std::vector<VisitStamp>& visits, const QDate& from, const QDate& to) {
    const auto begin = std::lower_bound(visits.begin(), visits.end(), startOf(from));
    const auto end = std::lower_bound(begin, visits.end(), startOf(to.addDays(1)));
    return int(end - begin);
}

}  // namespace

QDate WeekEnd(const QDate& today, int week) {
    return today.addDays(-7 * qint64(kHistoryWeeks - 1 - week));
}

QDate HistoryDay(const QDate& today, int day) {
    return today.addDays(-qint64(kHistoryDays - 1 - day));
}

VisitorFigures FiguresOfVisitor(const HistoryIndex& index, qint32 id, qint32 countedVisits,
                                const QDateTime& now) {
    VisitorFigures figures;
    figures.today = now.date();
    figures.recordingStart = index.firstVisit();
    const VisitorHistory* history = index.visitor(id);
    const qsizetype recorded = history ? qsizetype(history->visits.size()) : 0;
    figures.startsAfterFirstCounted = countedVisits > recorded;
    if (!history || history->visits.empty()) {
        return figures;
    }
    const std::vector<VisitStamp>& visits = history->visits;
    figures.visitsNewestFirst.assign(visits.rbegin(), visits.rend());
    figures.first = visits.front();
    figures.latest = visits.back();
    const QDate& today = figures.today;
    figures.lastSevenDays = visitsBetween(visits, today.addDays(-6), today);
    figures.lastThirtyDays = visitsBetween(visits, today.addDays(-29), today);
    for (int week = 0; week < kHistoryWeeks; ++week) {
        const QDate end = WeekEnd(today, week);
        figures.perWeek[size_t(week)] = visitsBetween(visits, end.addDays(-6), end);
    }
    return figures;
}

EveryoneFigures FiguresOfEveryone(const HistoryIndex& index, const QDateTime& now) {
    EveryoneFigures figures;
    figures.today = now.date();
    for (int day = 0; day < kHistoryDays; ++day) {
        figures.perDay[size_t(day)] = index.visitsOn(HistoryDay(figures.today, day).toJulianDay());
    }
    const QDate from = figures.today.addDays(-(kFrequentVisitorDays - 1));
    std::vector<FrequentVisitor> visitors;
    for (qint32 id : index.visitorIds()) {
        const VisitorHistory* history = index.visitor(id);
        const int visits = visitsBetween(history->visits, from, figures.today);
        if (visits > 0) {
            const auto afterToday = std::lower_bound(history->visits.begin(), history->visits.end(),
                                                     startOf(figures.today.addDays(1)));
            visitors.push_back({id, history->name, visits, *(afterToday - 1)});
        }
    }
    const auto before = [](const FrequentVisitor& a, const FrequentVisitor& b) {
        if (a.visits != b.visits) {
            return a.visits > b.visits;
        }
        if (a.latest != b.latest) {
            return a.latest > b.latest;
        }
        return a.id < b.id;
    };
    const size_t kept = std::min(visitors.size(), size_t(kFrequentVisitorCount));
    std::partial_sort(visitors.begin(), visitors.begin() + qsizetype(kept), visitors.end(), before);
    visitors.resize(kept);
    figures.mostFrequent = std::move(visitors);
    return figures;
}
