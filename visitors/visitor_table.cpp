// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "visitors/visitor_table.h"

#include <algorithm>
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
    m_firstSlot.clear();
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
    if (!m_indexFresh) {
        rebuildIndex();
    }
    if (id == 0) {
        return m_firstEmpty < slotCount() ? m_firstEmpty : -1;
    }
    const auto found = m_firstSlot.constFind(id);
    return found != m_firstSlot.cend() && *found < m_firstEmpty ? *found : -1;
}

void VisitorTable::rebuildIndex() const {
    m_firstSlot.clear();
    m_firstSlot.reserve(slotCount());
    m_firstEmpty = slotCount();
    // From the top down, so the lowest slot of an id is the one that stays.
    for (qsizetype i = slotCount() - 1; i >= 0; --i) {
        const qint32 id = m_slots[size_t(i)].Id;
        if (id == 0) {
            m_firstEmpty = i;
        } else {
            m_firstSlot.insert(id, i);
        }
    }
    m_indexFresh = true;
}

void VisitorTable::reindexSlot(qsizetype index, qint32 oldId, qint32 newId) {
    if (!m_indexFresh || oldId == newId) {
        return;
    }
    if (oldId != 0) {
        const auto old = m_firstSlot.constFind(oldId);
        if (old != m_firstSlot.cend() && *old == index) {
            // Where that id is next held takes a scan; the next lookup rebuilds instead.
            m_indexFresh = false;
            return;
        }
    }
    if (newId == 0) {
        m_firstEmpty = std::min(m_firstEmpty, index);
        return;
    }
    auto lowest = m_firstSlot.find(newId);
    if (lowest == m_firstSlot.end()) {
        m_firstSlot.insert(newId, index);
    } else if (index < *lowest) {
        *lowest = index;
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
