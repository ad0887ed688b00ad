// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>

class VisitorTable;

// Decides whether one footprint entry carries a visit the table has not counted, and counts it.
// The member is looked up from slot 0 to the first empty slot; a newcomer goes to RowCount. A
// member found counts again only for a visit later than the stored one, except while the ranking
// list is empty (`rankingRows` 0), when every entry of a known member counts.
//
// Throws RuntimeError 13 when the entry's or the stored visit time does not read as a date and
// time, an empty stored time included; the table is unchanged then. True when the visit was
// counted.
bool NewVisitStep(VisitorTable& table, int rankingRows, const QString& name, qint32 id,
                  const QString& visitTime);
