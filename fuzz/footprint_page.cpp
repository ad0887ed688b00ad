// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// A footprint page through the parser and the new-visit step, read twice as a run reads its two
// pages: the input is the page (UTF-8), its last bytes choose the marker, whether the method
// changes between entries and the clock's date.

#include <QSet>

#include "collect/footprint_parser.h"
#include "collect/new_visit.h"
#include "fuzz/fuzz_support.h"
#include "platform/runtime_error.h"
#include "tests/support/fake_clock.h"
#include "visitors/ranking_model.h"
#include "visitors/visitor_table.h"

namespace {

struct PageResult {
    int entries = 0;
    int counted = 0;
    bool complete = false;
};

PageResult readPage(const QString& page, VisitorTable& table, RankingModel& ranking,
                    FakeClock& clock, int method, bool alternate) {
    PageResult result;
    int calls = 0;
    const auto selectedMethod = [&] {
        return (alternate ? (method + calls++) % 2 : method) == 1 ? RetrievalMethod::Browser
                                                                  : RetrievalMethod::Download;
    };
    try {
        ParseFootprintPage(page, selectedMethod, clock, [&](const FootprintEntry& entry) {
            ++result.entries;
            const VisitStep step = NewVisitStep(table, entry.Name, entry.Id, entry.LastAccess);
            KV_FUZZ_CHECK(step != VisitStep::Counted || entry.Id != 0,
                          QStringLiteral("an entry without a member id counted"));
            if (step == VisitStep::Counted) {
                ++result.counted;
                KV_FUZZ_CHECK(!entry.Name.contains(u'<'),
                              QStringLiteral("counted name: ") + entry.Name);
            }
        });
    } catch (const RuntimeError&) {
        return result;
    } catch (const FormatChanged&) {
        return result;
    }
    // The end of a page collected whole: sort, refill the ranking.
    sortVisitorSlots(table, 0, table.upperBound());
    ranking.RefreshRanking(table);
    result.complete = true;
    return result;
}

void checkTable(const VisitorTable& table, qint64 countedSoFar) {
    QSet<qint32> ids;
    qint64 visits = 0;
    for (qsizetype i = 0; i < table.liveRowCount(); ++i) {
        const VisitorRecord& row = table[i];
        KV_FUZZ_CHECK(!ids.contains(row.Id),
                      QStringLiteral("two live rows with id %1").arg(row.Id));
        ids.insert(row.Id);
        visits += row.AccessCount;
    }
    KV_FUZZ_CHECK(
        visits == countedSoFar,
        QStringLiteral("table holds %1 visits, %2 counted").arg(visits).arg(countedSoFar));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    fuzz::init();
    FuzzedDataProvider data(bytes, size);
    const int method = data.ConsumeBool() ? 1 : 0;
    const bool alternate = data.ConsumeIntegralInRange<int>(0, 7) == 0;
    FakeClock clock;
    clock.processRealEvents = false;
    clock.wall = QDateTime(
        QDate(2026, data.ConsumeIntegralInRange(1, 12), data.ConsumeIntegralInRange(1, 28)),
        QTime(data.ConsumeIntegralInRange(0, 23), data.ConsumeIntegralInRange(0, 59)),
        Qt::LocalTime);
    const std::string rest = data.ConsumeRemainingBytesAsString();
    const QString page = QString::fromUtf8(rest.data(), qsizetype(rest.size()));

    VisitorTable table;
    RankingModel ranking;
    const PageResult first = readPage(page, table, ranking, clock, method, alternate);
    KV_FUZZ_CHECK(first.counted <= first.entries, QStringLiteral("more counted than listed"));
    checkTable(table, first.counted);
    if (!first.complete) {
        return 0;
    }
    // The same page again: every visit on it has been counted, whatever the ranking shows.
    const PageResult second = readPage(page, table, ranking, clock, method, alternate);
    KV_FUZZ_CHECK(second.counted == 0,
                  QStringLiteral("the page read again counted %1 visits").arg(second.counted));
    checkTable(table, first.counted + second.counted);
    return 0;
}
