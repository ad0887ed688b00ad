// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// Visits appended to a history file that holds whatever bytes came before: the input is the names
// of up to eight visits (each cut by FuzzedDataProvider), then the file's bytes; its last bytes
// give the visits' ids and times. Read afresh or brought up to date from before the append, the
// history holds every appended visit, each visit once and in order.

#include <QList>
#include <algorithm>
#include <set>

#include "fuzz/fuzz_support.h"
#include "visitors/history_index.h"
#include "visitors/visit_history.h"

namespace {

QString twoDigits(int n) {
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

struct Appended {
    CountedVisit visit;
    VisitStamp stamp;
};

Appended takeVisit(FuzzedDataProvider& data) {
    const QDate date(data.ConsumeIntegralInRange(2000, 2037), data.ConsumeIntegralInRange(1, 12),
                     data.ConsumeIntegralInRange(1, 28));
    const QTime time(data.ConsumeIntegralInRange(0, 23), data.ConsumeIntegralInRange(0, 59),
                     data.ConsumeBool() ? data.ConsumeIntegralInRange(0, 59) : 0);
    QString text = QString::number(date.year()) + u'年' + twoDigits(date.month()) + u'月' +
                   twoDigits(date.day()) + QStringLiteral("日 ") + twoDigits(time.hour()) + u':' +
                   twoDigits(time.minute());
    if (time.second() != 0) {
        text += u':' + twoDigits(time.second());
    }
    qint32 id = data.ConsumeIntegralInRange<qint32>(1, 12);
    if (data.ConsumeBool()) {
        id = data.ConsumeIntegral<qint32>();
    }
    if (id == 0) {
        id = 1;  // 0 marks no member: never counted, never in the history
    }
    return {{id, QString(), text}, StampOf(QDateTime(date, time, Qt::UTC))};
}

void checkIndex(const HistoryIndex& index, const char* which) {
    qsizetype visits = 0;
    for (const qint32 id : index.visitorIds()) {
        const VisitorHistory* history = index.visitor(id);
        KV_FUZZ_CHECK(
            history != nullptr,
            QStringLiteral("%1: listed id %2 has no history").arg(QLatin1String(which)).arg(id));
        for (size_t i = 1; i < history->visits.size(); ++i) {
            KV_FUZZ_CHECK(history->visits[i - 1] < history->visits[i],
                          QStringLiteral("%1: visits of %2 not once and in order")
                              .arg(QLatin1String(which))
                              .arg(id));
        }
        visits += qsizetype(history->visits.size());
    }
    KV_FUZZ_CHECK(visits == index.visitCount(), QStringLiteral("%1: %2 visits, %3 counted")
                                                    .arg(QLatin1String(which))
                                                    .arg(visits)
                                                    .arg(index.visitCount()));
}

bool holds(const HistoryIndex& index, qint32 id, VisitStamp stamp) {
    const VisitorHistory* history = index.visitor(id);
    return history != nullptr &&
           std::binary_search(history->visits.begin(), history->visits.end(), stamp);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    fuzz::init();
    FuzzedDataProvider data(bytes, size);
    const int count = data.ConsumeIntegralInRange(0, 8);
    QList<Appended> appended;
    for (int i = 0; i < count; ++i) {
        Appended next = takeVisit(data);
        next.visit.name = fuzz::takeText(data, 24);
        appended.append(next);
    }
    const std::string before = data.ConsumeRemainingBytesAsString();

    const QString path = fuzz::scratchPath(QStringLiteral("zodadud_history.dat"));
    fuzz::writeFile(path, QByteArrayView(before.data(), qsizetype(before.size())));

    HistoryIndex kept;
    QString error;
    KV_FUZZ_CHECK(kept.update(path, &error), QStringLiteral("first read: ") + error);
    checkIndex(kept, "before");

    QList<CountedVisit> visits;
    for (const Appended& a : appended) {
        visits.append(a.visit);
    }
    KV_FUZZ_CHECK(AppendHistory(path, visits, &error), QStringLiteral("append: ") + error);
    KV_FUZZ_CHECK(kept.update(path, &error), QStringLiteral("update: ") + error);
    KV_FUZZ_CHECK(kept.isCurrentWith(path), QStringLiteral("not current after its update"));
    HistoryIndex fresh;
    KV_FUZZ_CHECK(fresh.update(path, &error), QStringLiteral("fresh read: ") + error);
    checkIndex(kept, "kept");
    checkIndex(fresh, "fresh");

    for (const Appended& a : appended) {
        // The name of a visitor's last line; an appended name never splits its line.
        for (const HistoryIndex* index : {&kept, &fresh}) {
            const QString name =
                index->visitor(a.visit.id) ? index->visitor(a.visit.id)->name : QString();
            KV_FUZZ_CHECK(
                !name.contains(u'\t') && !name.contains(u'\r') && !name.contains(u'\n'),
                QStringLiteral("name of %1 holds a line or field end: ").arg(a.visit.id) + name);
        }
        KV_FUZZ_CHECK(holds(fresh, a.visit.id, a.stamp) && holds(kept, a.visit.id, a.stamp),
                      QStringLiteral("appended visit of %1 at %2 not read back")
                          .arg(a.visit.id)
                          .arg(a.visit.visitTime));
    }
    const std::vector<qint32> keptIds = kept.visitorIds();
    const std::vector<qint32> freshIds = fresh.visitorIds();
    KV_FUZZ_CHECK(std::set<qint32>(keptIds.begin(), keptIds.end()) ==
                      std::set<qint32>(freshIds.begin(), freshIds.end()),
                  QStringLiteral("the kept index and a fresh read know other visitors"));
    for (const qint32 id : freshIds) {
        KV_FUZZ_CHECK(kept.visitor(id)->visits == fresh.visitor(id)->visits &&
                          kept.visitor(id)->name == fresh.visitor(id)->name,
                      QStringLiteral("the kept index and a fresh read differ for %1").arg(id));
    }
    KV_FUZZ_CHECK(kept.malformedLines() == fresh.malformedLines(),
                  QStringLiteral("malformed lines: kept %1, fresh %2")
                      .arg(kept.malformedLines())
                      .arg(fresh.malformedLines()));
    return 0;
}
