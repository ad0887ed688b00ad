// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "collect/new_visit.h"

#include "visitors/visit_time.h"
#include "visitors/visitor_table.h"

bool NewVisitStep(VisitorTable& table, int rankingRows, const QString& name, qint32 id,
                  const QString& visitTime) {
    const qsizetype upper = table.upperBound();
    qsizetype target = table.RowCount;
    for (qsizetype k = 0; k <= upper; ++k) {
        const VisitorRecord& slot = table[k];
        // Ids are compared before freeness, so an entry with id 0 finds the first free slot.
        if (slot.Id == id) {
            const QDateTime visit = ParseVisitTime(visitTime);
            const QDateTime stored = ParseVisitTime(slot.LastAccess);
            if (stored >= visit && rankingRows >= 1) {
                return false;
            }
            target = k;
            break;
        }
        if (slot.Id == 0) {
            break;
        }
    }
    table.MergeVisit(name, QString::number(id), visitTime, target);
    return true;
}
