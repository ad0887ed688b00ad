// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <QtGlobal>
#include <vector>

// One visitor of the user's footprint page.
struct VisitorRecord {
    QString Name;
    qint32 Id = 0;  // member id; 0 marks an empty slot
    qint32 AccessCount = 0;
    QString LastAccess;  // visit-time text as the footprint page gave it; empty when unknown
    QString Memo;
};

// The permanent tally: a zero-based array of slots that starts with 256 and grows by 255. The
// live rows run from slot 0 to the first empty slot; one empty slot always follows the highest
// slot ever written, so every scan finds an end.
class VisitorTable {
  public:
    static constexpr qsizetype kInitialSlots = 256;
    static constexpr qsizetype kGrowth = 255;

    VisitorTable();

    // Back to 256 empty slots and RowCount 0.
    void reset();

    qsizetype slotCount() const { return qsizetype(m_slots.size()); }
    qsizetype upperBound() const { return slotCount() - 1; }
    VisitorRecord& operator[](qsizetype index) { return m_slots[size_t(index)]; }
    const VisitorRecord& operator[](qsizetype index) const { return m_slots[size_t(index)]; }
    std::vector<VisitorRecord>& slots() { return m_slots; }
    const std::vector<VisitorRecord>& slots() const { return m_slots; }

    // Rows from slot 0 up to the first empty slot.
    qsizetype liveRowCount() const;

    // Grows the table by 255 slots when `index` is the second-highest slot.
    void EnsureCapacity(qsizetype index);

    // Counts one new visit into slot `index` (the visitor's slot, or RowCount for a newcomer).
    // Throws RuntimeError for an id that is not a 32-bit number and for a stored or new visit
    // time that does not read as a date and time.
    void MergeVisit(const QString& name, const QString& idText, const QString& visitTime,
                    qsizetype index);

    // Stores one row read from a file into slot `index`. Throws RuntimeError when the id or the
    // count is not a 32-bit number; nothing is stored then.
    void SetVisitor(const QString& name, const QString& idText, const QString& countText,
                    const QString& lastAccess, const QString& memo, qsizetype index);

    // The slot index where the next visitor not yet in the table is written.
    qsizetype RowCount = 0;

  private:
    std::vector<VisitorRecord> m_slots;
};

// One slot as a file line without its line end: Name, Id, AccessCount, LastAccess, Memo joined by
// `separator`. A TAB, CR or LF inside a text is written as one blank, and in the comma-separated
// form a comma as the full-width comma "，", so that it cannot split the line or its fields.
QString FormatVisitorLine(const VisitorTable& table, qsizetype index, QChar separator);

// Sorts slots low..high in place by descending AccessCount, exchanging whole records. Not stable.
void sortVisitorSlots(VisitorTable& table, qsizetype low, qsizetype high);
