// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "visitors/maintenance.h"

#include <algorithm>
#include <limits>

#include "platform/conversions.h"
#include "platform/dialogs.h"
#include "platform/platform.h"
#include "visitors/ranking_model.h"
#include "visitors/visitor_data.h"
#include "visitors/visitor_table.h"

namespace {

bool isAnswerBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == QChar(0x3000);
}

// Japanese input methods give full-width forms; the answer means the same number either way.
QChar toAscii(QChar c) {
    const char16_t u = c.unicode();
    if (u >= 0xFF10 && u <= 0xFF19) {
        return QChar(char16_t(u'0' + (u - 0xFF10)));
    }
    switch (u) {
        case 0xFF0B:
            return u'+';
        case 0xFF0D:
        case 0x2212:
            return u'-';
        case 0xFF0E:
            return u'.';
        default:
            return c;
    }
}

}  // namespace

std::optional<qint32> ParseDeleteAnswer(const QString& answer) {
    qsizetype begin = 0;
    qsizetype end = answer.size();
    while (begin < end && isAnswerBlank(answer[begin])) {
        ++begin;
    }
    while (end > begin && isAnswerBlank(answer[end - 1])) {
        --end;
    }
    QString text;
    text.reserve(end - begin);
    for (qsizetype i = begin; i < end; ++i) {
        text.append(toAscii(answer[i]));
    }
    const std::optional<double> value = ParseDecimal(text);
    if (!value) {
        return std::nullopt;
    }
    const auto rounded = RoundHalfEven(*value, std::numeric_limits<qint32>::min(),
                                       std::numeric_limits<qint32>::max());
    if (!rounded) {
        return std::nullopt;
    }
    return qint32(*rounded);
}

qsizetype DeleteByCount(VisitorTable& table, qint32 maxCount) {
    sortVisitorSlots(table, 0, table.upperBound());
    qsizetype cleared = 0;
    for (VisitorRecord& slot : table.slots()) {
        if (slot.AccessCount <= maxCount) {
            if (slot.Id != 0) {
                ++cleared;
            }
            slot = VisitorRecord{};
        }
    }
    // Rows the sort leaves among the empty slots (a count of 0 or below, only ever read from a
    // file) come forward too.
    std::stable_partition(table.slots().begin(), table.slots().end(),
                          [](const VisitorRecord& slot) { return slot.Id != 0; });
    return cleared;
}

qsizetype SetMemoById(VisitorTable& table, qint32 id, const QString& memo) {
    if (id == 0) {
        return 0;  // id 0 marks the empty slots, which carry no memo
    }
    qsizetype stored = 0;
    for (VisitorRecord& slot : table.slots()) {
        if (slot.Id == id) {
            slot.Memo = memo;
            ++stored;
        }
    }
    return stored;
}

ListMaintenance::ListMaintenance(Platform& platform, VisitorData& data, MaintenanceHost& host)
    : m_platform(platform), m_data(data), m_host(host) {}

bool ListMaintenance::commandsAvailable() const {
    return !m_host.collecting() && !m_host.filesBusy();
}

void ListMaintenance::deleteByCount() {
    if (!commandsAvailable()) {
        return;
    }
    const std::optional<QString> answer =
        m_platform.dialogs->input(m_host.dialogParent(), QString::fromUtf16(kDeletePrompt),
                                  QString::fromUtf16(kDeleteTitle), QStringLiteral("1"));
    if (!answer || answer->isEmpty()) {
        return;
    }
    const std::optional<qint32> maxCount = ParseDeleteAnswer(*answer);
    if (!maxCount) {
        m_platform.dialogs->message(m_host.dialogParent(), QString::fromUtf16(kNotANumberMessage),
                                    MessageIcon::None, QStringLiteral("Kestrelview"));
        return;
    }
    DeleteByCount(m_data.visitorTable(), *maxCount);
    m_data.RefreshRanking();
}

void ListMaintenance::exportCsv() {
    if (!commandsAvailable()) {
        return;
    }
    // A failed export has told its own failure; only a file that is there is confirmed.
    if (!m_data.SaveCsvFile(m_data.csvPath(), false)) {
        return;
    }
    m_platform.dialogs->message(m_host.dialogParent(), QString::fromUtf16(kCsvExportMessage),
                                MessageIcon::None, QStringLiteral("Kestrelview"));
}

void ListMaintenance::editMemo(std::optional<int> rankingRow) {
    RankingModel& ranking = m_data.ranking();
    if (!commandsAvailable() || !rankingRow || *rankingRow < 0 ||
        *rankingRow >= ranking.rowCount()) {
        return;
    }
    // The dialog lets the timers run, and a collected page refills the list under it; the id
    // read now says whose memo this is, whatever row that visitor is in by then.
    const std::optional<qint32> id =
        IdFromColumnText(ranking.text(*rankingRow, RankingModel::IdColumn));
    if (!id || *id == 0) {
        return;
    }
    const QString current = ranking.text(*rankingRow, RankingModel::MemoColumn);
    const std::optional<QString> answer =
        m_platform.dialogs->input(m_host.dialogParent(), QString::fromUtf16(kMemoPrompt),
                                  QString::fromUtf16(kMemoTitle), current);
    if (!answer) {
        return;
    }
    for (int row = 0; row < ranking.rowCount(); ++row) {
        if (IdFromColumnText(ranking.text(row, RankingModel::IdColumn)) == id) {
            ranking.setText(row, RankingModel::MemoColumn, *answer);
        }
    }
    SetMemoById(m_data.visitorTable(), *id, *answer);
    m_data.SaveDataFile(m_data.dataPath(), false);
}
