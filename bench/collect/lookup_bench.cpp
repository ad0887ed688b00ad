// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// The new-visit step for one footprint page of 50 entries into a table of 1,000,000 rows against
// the same page into 10,000 rows, each page after the end-of-page sort of the one before and with
// the caches emptied, as a real collection leaves them between pages; medians of the pages.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <cstdio>
#include <vector>

#include "bench/median.h"
#include "collect/new_visit.h"
#include "visitors/visitor_table.h"

namespace {

constexpr int kEntries = 50;
constexpr int kPages = 31;
// Larger than the last-level cache of any machine this runs on.
constexpr size_t kEvictBytes = size_t(128) * 1024 * 1024;

VisitorTable randomTable(int rows) {
    VisitorTable table;
    QRandomGenerator random(7);
    for (int i = 0; i < rows; ++i) {
        table.SetVisitor(QStringLiteral("訪問者%1").arg(i), QString::number(i + 1),
                         QString::number(random.bounded(1, 500)),
                         QStringLiteral("2026年12月01日 10:00"), QString(), i);
    }
    sortVisitorSlots(table, 0, table.upperBound());
    return table;
}

// Writes a buffer larger than the caches, so that what the step reads next comes from memory, as
// it does between the pages of a real collection, where the download, the parse and the list's
// refresh run between two pages.
void emptyCaches() {
    static std::vector<char> buffer(kEvictBytes);
    static char round = 0;
    ++round;
    for (size_t i = 0; i < buffer.size(); i += 64) {
        buffer[i] = round;
    }
    volatile char sink = buffer[size_t(round) * 64 % buffer.size()];
    (void)sink;
}

struct Figures {
    double stepMs = 0;  // the 50 entries of one page
    double sortMs = 0;  // the end-of-page sort that follows
};

// Pages of 50 entries, each a later visit of members anywhere in the table, one in ten a newcomer.
Figures pages(int rows, bool cold) {
    VisitorTable table = randomTable(rows);
    QRandomGenerator random(11);
    std::vector<double> stepMs;
    std::vector<double> sortMs;
    int newcomer = rows;
    for (int page = 0; page < kPages; ++page) {
        const QString visitTime = QStringLiteral("2026年12月02日 %1:%2")
                                      .arg(10 + page / 60)
                                      .arg(page % 60, 2, 10, QChar(u'0'));
        std::vector<qint32> ids;
        for (int e = 0; e < kEntries; ++e) {
            ids.push_back(e % 10 == 9 ? ++newcomer : qint32(random.bounded(1, rows + 1)));
        }
        const QString name = QStringLiteral("訪問者");
        if (cold) {
            emptyCaches();
        }
        QElapsedTimer timer;
        timer.start();
        int counted = 0;
        for (const qint32 id : ids) {
            counted += NewVisitStep(table, name, id, visitTime) == VisitStep::Counted ? 1 : 0;
        }
        stepMs.push_back(double(timer.nsecsElapsed()) / 1e6);
        timer.restart();
        sortVisitorSlots(table, 0, table.upperBound());
        sortMs.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (counted == 0) {
            return {-1, -1};
        }
    }
    return {median(stepMs), median(sortMs)};
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const Figures small = pages(10000, true);
    const Figures large = pages(1000000, true);
    const double ratio = large.stepMs / small.stepMs;
    const bool pass = small.stepMs > 0 && ratio <= 3.0;
    std::printf(
        "NewVisitStep, a page of %d entries from memory: %.3f ms into 10,000 rows, %.3f ms into "
        "1,000,000 rows\n",
        kEntries, small.stepMs, large.stepMs);
    std::printf("  1,000,000 / 10,000 rows: %.2f (target <= 3)\n", ratio);
    // For comparison: a table of 10,000 rows fits in the caches of most machines, one of
    // 1,000,000 does not, so from warm caches the ratio measures the caches' size as well.
    const Figures smallWarm = pages(10000, false);
    const Figures largeWarm = pages(1000000, false);
    std::printf("  from warm caches: %.3f ms and %.3f ms = %.2f\n", smallWarm.stepMs,
                largeWarm.stepMs, largeWarm.stepMs / smallWarm.stepMs);
    std::printf("End-of-page sort with its index: %.1f ms at 10,000 rows, %.1f ms at 1,000,000\n",
                smallWarm.sortMs, largeWarm.sortMs);
    std::printf("%s\n", pass ? "targets met" : "targets MISSED");
    return pass ? 0 : 1;
}
