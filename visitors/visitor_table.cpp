// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "visitors/visitor_table.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <utility>

#include "platform/conversions.h"
#include "visitors/visit_time.h"

VisitorTable::VisitorTable() {
    reset();
}

void VisitorTable::reset() {
    m_slots.assign(size_t(kInitialSlots), VisitorRecord{});
    RowCount = 0;
    m_index.assign(16, IndexEntry{});
    m_indexedIds = 0;
    m_firstEmpty = 0;
    m_indexFresh = true;
}

qsizetype VisitorTable::liveRowCount() const {
    qsizetype n = 0;
    while (n < slotCount() && m_slots[size_t(n)].Id != 0) {
        ++n;
    }
    return n;
}

qsizetype VisitorTable::findVisitor(qint32 id) const {
    if (!m_indexFresh || m_index.empty()) {
        rebuildIndex();
    }
    if (id == 0) {
        return m_firstEmpty < slotCount() ? m_firstEmpty : -1;
    }
    const IndexEntry& entry = indexEntry(id);
    return entry.id != 0 && entry.slot < m_firstEmpty ? entry.slot : -1;
}

VisitorTable::IndexEntry& VisitorTable::indexEntry(qint32 id) const {
    // Fibonacci hashing spreads the runs of neighbouring ids that member numbers come in.
    const size_t mask = m_index.size() - 1;
    const int shift = 64 - std::countr_zero(m_index.size());
    size_t at = size_t((quint64(quint32(id)) * 0x9E3779B97F4A7C15ULL) >> shift);
    while (m_index[at].id != 0 && m_index[at].id != id) {
        at = (at + 1) & mask;
    }
    return m_index[at];
}

void VisitorTable::makeIndexRoom(qsizetype entries) const {
    size_t length = 16;
    while (length < size_t(entries) * 2) {
        length *= 2;
    }
    if (length <= m_index.size()) {
        return;
    }
    std::vector<IndexEntry> old(length);
    old.swap(m_index);
    for (const IndexEntry& entry : old) {
        if (entry.id != 0) {
            indexEntry(entry.id) = entry;
        }
    }
}

void VisitorTable::rebuildIndex() const {
    m_index.clear();
    m_index.shrink_to_fit();
    makeIndexRoom(slotCount());
    m_indexedIds = 0;
    m_firstEmpty = slotCount();
    for (qsizetype i = 0; i < slotCount(); ++i) {
        const qint32 id = m_slots[size_t(i)].Id;
        if (id == 0) {
            m_firstEmpty = std::min(m_firstEmpty, i);
            continue;
        }
        IndexEntry& entry = indexEntry(id);
        if (entry.id == 0) {
            entry = {id, i};
            ++m_indexedIds;
        }
    }
    m_indexFresh = true;
}

void VisitorTable::reindexSlot(qsizetype index, qint32 oldId, qint32 newId) {
    if (!m_indexFresh || m_index.empty() || oldId == newId) {
        return;
    }
    if (oldId != 0) {
        const IndexEntry& old = indexEntry(oldId);
        if (old.id == oldId && old.slot == index) {
            // Where that id is next held takes a scan; the next lookup rebuilds instead.
            m_indexFresh = false;
            return;
        }
    }
    if (newId == 0) {
        m_firstEmpty = std::min(m_firstEmpty, index);
        return;
    }
    makeIndexRoom(m_indexedIds + 1);
    IndexEntry& entry = indexEntry(newId);
    if (entry.id == 0) {
        entry = {newId, index};
        ++m_indexedIds;
    } else if (index < entry.slot) {
        entry.slot = index;
    }
    if (index == m_firstEmpty) {
        do {
            ++m_firstEmpty;
        } while (m_firstEmpty < slotCount() && m_slots[size_t(m_firstEmpty)].Id != 0);
    }
}

void VisitorTable::EnsureCapacity(qsizetype index) {
    if (upperBound() == index + 1) {
        m_slots.resize(m_slots.size() + size_t(kGrowth));
    }
}

void VisitorTable::MergeVisit(const QString& name, const QString& idText, const QString& visitTime,
                              qsizetype index) {
    EnsureCapacity(index);
    // Everything that can fail is read before the slot changes, so a failure leaves it whole.
    const qint32 id = ToInt32(idText);
    VisitorRecord& slot = m_slots[size_t(index)];
    const bool later =
        slot.LastAccess.isEmpty() || ParseVisitTime(slot.LastAccess) < ParseVisitTime(visitTime);
    reindexSlot(index, slot.Id, id);
    slot.Name = name;
    slot.Id = id;
    // A count at its ceiling stays there rather than turning negative and dropping the row.
    if (slot.AccessCount < std::numeric_limits<qint32>::max()) {
        slot.AccessCount += 1;
    }
    if (later) {
        slot.LastAccess = visitTime;
    }
    if (index == RowCount) {
        ++RowCount;
    }
}

void VisitorTable::SetVisitor(const QString& name, const QString& idText, const QString& countText,
                              const QString& lastAccess, const QString& memo, qsizetype index) {
    EnsureCapacity(index);
    const qint32 id = ToInt32(idText);
    const qint32 count = ToInt32(countText);
    VisitorRecord& slot = m_slots[size_t(index)];
    reindexSlot(index, slot.Id, id);
    slot.Name = name;
    slot.Id = id;
    slot.AccessCount = count;
    slot.LastAccess = lastAccess;
    slot.Memo = memo;
    if (index == RowCount) {
        ++RowCount;
    }
}

namespace {

QString oneLineField(const QString& text, QChar separator) {
    QString field = text;
    for (QChar& c : field) {
        if (c == u'\t' || c == u'\r' || c == u'\n') {
            c = u' ';
        } else if (c == u',' && separator == u',') {
            // Unquoted, as every reader of the CSV file expects; the full-width comma reads alike.
            c = u'，';
        }
    }
    return field;
}

}  // namespace

QString FormatVisitorLine(const VisitorTable& table, qsizetype index, QChar separator) {
    const VisitorRecord& slot = table[index];
    QString line;
    line.reserve(slot.Name.size() + slot.LastAccess.size() + slot.Memo.size() + 32);
    line += oneLineField(slot.Name, separator);
    line += separator;
    line += QString::number(slot.Id);
    line += separator;
    line += QString::number(slot.AccessCount);
    line += separator;
    line += oneLineField(slot.LastAccess, separator);
    line += separator;
    line += oneLineField(slot.Memo, separator);
    return line;
}

namespace {

void sortSlots(std::vector<VisitorRecord>& slots, qsizetype low, qsizetype high) {
    // Indices are full width, so a table of any size sorts. The smaller part is sorted by
    // recursion and the larger one by the loop, which keeps the stack shallow on any input.
    while (low < high) {
        const qint32 pivot = slots[size_t(low + (high - low) / 2)].AccessCount;
        qsizetype i = low;
        qsizetype j = high;
        while (i <= j) {
            if (slots[size_t(i)].AccessCount <= pivot && slots[size_t(j)].AccessCount >= pivot) {
                std::swap(slots[size_t(i)], slots[size_t(j)]);
                ++i;
                --j;
            } else {
                if (slots[size_t(i)].AccessCount > pivot) {
                    ++i;
                }
                if (slots[size_t(j)].AccessCount < pivot) {
                    --j;
                }
            }
        }
        if (j - low < high - i) {
            sortSlots(slots, low, j);
            low = i;
        } else {
            sortSlots(slots, i, high);
            high = j;
        }
    }
}

}  // namespace

void sortVisitorSlots(VisitorTable& table, qsizetype low, qsizetype high) {
    sortSlots(table.m_slots, low, high);
    table.rebuildIndex();
}
