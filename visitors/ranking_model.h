// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <optional>
#include <vector>

class VisitorTable;

// Right-aligns `text` in a field of `places` characters by filling blanks on the left; a text of
// `places` characters or more stays as it is.
QString FormatMask(const QString& text, int places);

// The ranking list's rows: six texts each ("順位", "名前", "ID", "アクセス回数", "最終アクセス",
// "メモ"), in the order they were added, which is table order. Names and memos are kept as the
// files hold them, references and all; only their display text is decoded.
class RankingModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { RankColumn, NameColumn, IdColumn, CountColumn, LastAccessColumn, MemoColumn };
    static constexpr int kColumnCount = 6;

    explicit RankingModel(QObject* parent = nullptr);

    static QString headerText(int column);
    static int columnWidthTwips(int column);
    static Qt::Alignment columnAlignment(int column);

    QModelIndex index(int row, int column,
                      const QModelIndex& parent = QModelIndex()) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The text of one cell as stored, before references are decoded; empty outside the rows.
    QString text(int row, int column) const;
    // Replaces the text of one cell (the memo column after a memo edit).
    void setText(int row, int column, const QString& text);

    // Appends one row: the rank with the 5-place mask, the name, the id and the count with the
    // 9-place mask, the last access with the 5-place mask, the memo.
    void AddRankingItem(const QString& rankText, const QString& name, const QString& idText,
                        const QString& countText, const QString& lastAccess, const QString& memo);

    // Empties the list and refills it with the live rows of `table`, dense-ranked by comparing
    // each row's count with the row above.
    void RefreshRanking(const VisitorTable& table);

    // Whether row `left` sorts before row `right` by `column`, as the header sort orders them: the
    // rank, id and count columns by their numbers (a text that is not a whole number after
    // them), the others by the stored texts without regard to case. The keys are made once per
    // row, when a column is first compared after a change.
    bool rowLessThan(int left, int right, int column) const;

  private:
    using Row = std::array<QString, kColumnCount>;
    static Row formatRow(const QString& rankText, const QString& name, const QString& idText,
                         const QString& countText, const QString& lastAccess, const QString& memo);
    void rankRowsBy(int column) const;
    void dropSortKeys();

    std::vector<Row> m_rows;
    // Each row's place by the last column compared, equal rows sharing one, so that the sort
    // compares two numbers from one small array; m_keyColumn is -1 when there are none.
    mutable std::vector<qint32> m_places;
    mutable int m_keyColumn = -1;
};

// `text` with the character references of the service's pages decoded: "&amp;", "&lt;", "&gt;",
// "&quot;", "&apos;", "&nbsp;" and numeric ones ("&#38;", "&#x26;"). A reference that is unknown,
// lacks its ";" or names no character stays as written.
QString DecodeCharacterReferences(const QString& text);

// The text of status panel 2 for `rows` rows in the ranking.
QString RankingCountText(int rows);

// The member id in a ranking row's ID column, which pads it with blanks: every blank removed,
// then a whole number as ToInt32 reads it; nullopt when that fails.
std::optional<qint32> IdFromColumnText(QStringView text);

// Header-click sorting of the ranking list: one direction shared by every column, flipped at
// every click; sorting starts off and ascending, and a click on "順位" first switches it off so the
// rows fall back to table order before it is sorted again. Rows compare by
// RankingModel::rowLessThan; equal rows keep the order the list showed them in, which after a
// refill is table order.
class RankingSortProxy : public QSortFilterProxyModel {
    Q_OBJECT
  public:
    explicit RankingSortProxy(QObject* parent = nullptr);

    void setSourceModel(QAbstractItemModel* sourceModel) override;

    void sortByColumn(int column);

    bool sortingOn() const { return m_sortingOn; }
    Qt::SortOrder direction() const { return m_direction; }
    int sortKey() const { return m_sortKey; }

  protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

  private:
    const RankingModel* m_ranking = nullptr;
    bool m_sortingOn = false;
    Qt::SortOrder m_direction = Qt::AscendingOrder;
    int m_sortKey = 0;
};
