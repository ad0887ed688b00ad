// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "collect/new_visit.h"

#include <utility>

#include "visitors/visit_time.h"
#include "visitors/visitor_table.h"

VisitStep NewVisitStep(VisitorTable& table, const QString& name, qint32 id,
                       const QString& visitTime) {
    // Id 0 would find the first free slot, whose empty time does not read, and end the page.
    if (id == 0) {
        return VisitStep::NotAVisitor;
    }
    qsizetype target = table.findVisitor(id);
    if (target >= 0) {
        const QDateTime visit = ParseVisitTime(visitTime);
        const QDateTime stored = ParseVisitTime(std::as_const(table)[target].LastAccess);
        if (stored >= visit) {
            return VisitStep::AlreadyCounted;
        }
    } else {
        target = table.RowCount;
    }
    table.MergeVisit(name, QString::number(id), visitTime, target);
    return VisitStep::Counted;
}
