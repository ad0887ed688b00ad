// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "collect/new_visit.h"

#include "visitors/visit_time.h"
#include "visitors/visitor_table.h"

VisitStep NewVisitStep(VisitorTable& table, const QString& name, qint32 id,
                       const QString& visitTime) {
    // Id 0 would find the first free slot, whose empty time does not read, and end the page.
    if (id == 0) {
        return VisitStep::NotAVisitor;
    }
    const qsizetype upper = table.upperBound();
    qsizetype target = table.RowCount;
    for (qsizetype k = 0; k <= upper; ++k) {
        const VisitorRecord& slot = table[k];
        if (slot.Id == id) {
            const QDateTime visit = ParseVisitTime(visitTime);
            const QDateTime stored = ParseVisitTime(slot.LastAccess);
            if (stored >= visit) {
                return VisitStep::AlreadyCounted;
            }
            target = k;
            break;
        }
        if (slot.Id == 0) {
            break;
        }
    }
    table.MergeVisit(name, QString::number(id), visitTime, target);
    return VisitStep::Counted;
}
