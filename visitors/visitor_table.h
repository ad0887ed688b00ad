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
//
// An index from member id to slot answers findVisitor() without a scan. MergeVisit, SetVisitor,
// reset and sortVisitorSlots keep it; any other write reaches the slots through the non-const
// accessors, which mark it stale, and the next lookup rebuilds it. A reference from those
// accessors must not be written through after a lookup.
class VisitorTable {
  public:
    static constexpr qsizetype kInitialSlots = 256;
    static constexpr qsizetype kGrowth = 255;

    VisitorTable();

    // Back to 256 empty slots and RowCount 0.
    void reset();

    qsizetype slotCount() const { return qsizetype(m_slots.size()); }
    qsizetype upperBound() const { return slotCount() - 1; }
    VisitorRecord& operator[](qsizetype index) {
        m_indexFresh = false;
        return m_slots[size_t(index)];
    }
    const VisitorRecord& operator[](qsizetype index) const { return m_slots[size_t(index)]; }
    std::vector<VisitorRecord>& slots() {
        m_indexFresh = false;
        return m_slots;
    }
    const std::vector<VisitorRecord>& slots() const { return m_slots; }

    // Rows from slot 0 up to the first empty slot.
    qsizetype liveRowCount() const;

    // The first slot that holds member `id`, looking from slot 0 up to the first empty slot; -1
    // when none does. For id 0 that is the first empty slot.
    qsizetype findVisitor(qint32 id) const;

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
    friend void sortVisitorSlots(VisitorTable& table, qsizetype low, qsizetype high);

    struct IndexEntry {
        qint32 id = 0;  // 0: an unused entry
        qsizetype slot = 0;
    };

    void rebuildIndex() const;
    // Slot `index` is about to change its id from `oldId` to `newId`.
    void reindexSlot(qsizetype index, qint32 oldId, qint32 newId);
    // The entry of `id`, or the unused entry where it would go.
    IndexEntry& indexEntry(qint32 id) const;
    void makeIndexRoom(qsizetype entries) const;

    std::vector<VisitorRecord> m_slots;
    // The lowest slot of each id in any slot, in an open-addressed table whose length is a power
    // of two at least twice the ids it holds; and the first empty slot (slotCount() when none).
    mutable std::vector<IndexEntry> m_index;
    mutable qsizetype m_indexedIds = 0;
    mutable qsizetype m_firstEmpty = 0;
    mutable bool m_indexFresh = false;
};

// One slot as a file line without its line end: Name, Id, AccessCount, LastAccess, Memo joined by
// `separator`. A TAB, CR or LF inside a text is written as one blank, and in the comma-separated
// form a comma as the full-width comma "，", so that it cannot split the line or its fields.
QString FormatVisitorLine(const VisitorTable& table, qsizetype index, QChar separator);

// Sorts slots low..high in place by descending AccessCount, exchanging whole records. Not stable.
// The id index is rebuilt once the slots are in place.
void sortVisitorSlots(VisitorTable& table, qsizetype low, qsizetype high);
