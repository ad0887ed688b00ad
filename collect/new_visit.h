// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>

class VisitorTable;

// What the new-visit step did with one footprint entry.
enum class VisitStep {
    Counted,         // a visit the table had not counted: merged
    AlreadyCounted,  // the stored last access is as late as the entry or later
    NotAVisitor,     // member id 0, which marks an empty slot: passed over
};

// Decides whether one footprint entry carries a visit the table has not counted, and counts it.
// The member is looked up from slot 0 to the first empty slot; a newcomer goes to RowCount. A
// member found counts again only for a visit later than the stored one, whatever the ranking list
// shows: a page that ended in the error trap leaves the list empty, and its visits are counted.
// An entry with id 0 names no member and leaves the table alone.
//
// Throws RuntimeError 13 when the entry's or the stored visit time does not read as a date and
// time, an empty stored time included; the table is unchanged then.
VisitStep NewVisitStep(VisitorTable& table, const QString& name, qint32 id,
                       const QString& visitTime);
