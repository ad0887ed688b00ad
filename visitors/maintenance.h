// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

struct Platform;
class QWidget;
class RankingModel;
class VisitorData;
class VisitorTable;

// The list maintenance commands: delete by count, CSV export and the memo edit.

inline constexpr char16_t kDeletePrompt[] = u"アクセス回数がいくつ以下の項目を削除しますか？";
inline constexpr char16_t kDeleteTitle[] = u"削除確認";
inline constexpr char16_t kNotANumberMessage[] = u"数値を入力してください。";
inline constexpr char16_t kCsvExportMessage[] =
    u"同ディレクトリに「output.csv」というファイル名で書き出しました。";
inline constexpr char16_t kMemoPrompt[] = u"このマイミクシィに関するメモを入力してください";
inline constexpr char16_t kMemoTitle[] = u"メモを入力";

// The delete answer as a whole number: ASCII blanks and U+3000 around it are trimmed, full-width
// digits, sign and point read as their ASCII forms; an optional sign, digits and an optional
// fraction, rounded half to even. nullopt for anything else (exponents, thousands separators,
// an empty or blank answer) and for values beyond 32 bits.
std::optional<qint32> ParseDeleteAnswer(const QString& answer);

// Clears every slot whose AccessCount is at or below `maxCount`. The table is sorted by descending
// count first, as a collected page leaves it, and live rows are then moved in front of the
// empty slots in their order, so no live row is left behind a gap out of the list's and the
// saves' reach. RowCount stays. Returns the number of live rows cleared.
qsizetype DeleteByCount(VisitorTable& table, qint32 maxCount);

// Stores `memo` in every slot whose Id is `id`; returns how many.
qsizetype SetMemoById(VisitorTable& table, qint32 id, const QString& memo);

// What the commands need besides the visitor data: whether they may run now, and the window
// their boxes belong to.
class MaintenanceHost {
  public:
    virtual ~MaintenanceHost() = default;
    // True while a footprint page is being collected.
    virtual bool collecting() const = 0;
    // True while a load or a save of the visitor files is between rows.
    virtual bool filesBusy() const = 0;
    virtual QWidget* dialogParent() const = 0;
};

class ListMaintenance {
  public:
    ListMaintenance(Platform& platform, VisitorData& data, MaintenanceHost& host);

    // False while a page is being collected or a load or save is between rows; the window
    // disables the delete, export and memo commands then, and the commands do nothing if reached.
    bool commandsAvailable() const;

    // Asks for a count and clears the visitors at or below it; the data file is not written.
    void deleteByCount();
    // Writes "\output.csv" and confirms once the rows are in it.
    void exportCsv();
    // Edits the memo of the visitor in ranking row `rankingRow` (a row of the RankingModel, not
    // of a sorted view; nullopt when none is selected). The id is read before the dialog opens
    // and the answer is stored under it; Cancel changes nothing.
    void editMemo(std::optional<int> rankingRow);

  private:
    Platform& m_platform;
    VisitorData& m_data;
    MaintenanceHost& m_host;
};
