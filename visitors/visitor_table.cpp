// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "visitors/visitor_table.h"

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
}

qsizetype VisitorTable::liveRowCount() const {
    qsizetype n = 0;
    while (n < slotCount() && m_slots[size_t(n)].Id != 0) {
        ++n;
    }
    return n;
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
    VisitorRecord& slot = (*this)[index];
    const bool later =
        slot.LastAccess.isEmpty() || ParseVisitTime(slot.LastAccess) < ParseVisitTime(visitTime);
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
    VisitorRecord& slot = (*this)[index];
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

void sortVisitorSlots(VisitorTable& table, qsizetype low, qsizetype high) {
    // Indices are full width, so a table of any size sorts. The smaller part is sorted by
    // recursion and the larger one by the loop, which keeps the stack shallow on any input.
    while (low < high) {
        const qint32 pivot = table[low + (high - low) / 2].AccessCount;
        qsizetype i = low;
        qsizetype j = high;
        while (i <= j) {
            if (table[i].AccessCount <= pivot && table[j].AccessCount >= pivot) {
                std::swap(table[i], table[j]);
                ++i;
                --j;
            } else {
                if (table[i].AccessCount > pivot) {
                    ++i;
                }
                if (table[j].AccessCount < pivot) {
                    --j;
                }
            }
        }
        if (j - low < high - i) {
            sortVisitorSlots(table, low, j);
            low = i;
        } else {
            sortVisitorSlots(table, i, high);
            high = j;
        }
    }
}
