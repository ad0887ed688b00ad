// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "visitors/ranking_model.h"

#include <algorithm>

#include "platform/conversions.h"
#include "platform/runtime_error.h"
#include "visitors/visitor_table.h"

QString FormatMask(const QString& text, int places) {
    if (text.size() >= places) {
        return text;
    }
    return QString(places - text.size(), u' ') + text;
}

namespace {

// The code point of a numeric reference's digits ("38", "x26"), or 0 when they name none.
char32_t numericReference(QStringView digits) {
    int base = 10;
    if (digits.startsWith(u'x') || digits.startsWith(u'X')) {
        base = 16;
        digits = digits.sliced(1);
    }
    if (digits.isEmpty()) {
        return 0;
    }
    char32_t value = 0;
    for (const QChar c : digits) {
        const char16_t u = c.unicode();
        int digit = -1;
        if (u >= u'0' && u <= u'9') {
            digit = u - u'0';
        } else if (base == 16 && u >= u'a' && u <= u'f') {
            digit = u - u'a' + 10;
        } else if (base == 16 && u >= u'A' && u <= u'F') {
            digit = u - u'A' + 10;
        }
        if (digit < 0) {
            return 0;
        }
        value = value * char32_t(base) + char32_t(digit);
        if (value > 0x10FFFF) {
            return 0;
        }
    }
    return QChar::isSurrogate(value) ? 0 : value;
}

// The text a reference's name stands for ("amp" without "&" and ";"); empty when unknown.
QString referenceText(QStringView name) {
    static const struct {
        const char16_t* name;
        char16_t character;
    } kNamed[] = {{u"amp", u'&'},  {u"lt", u'<'},    {u"gt", u'>'},
                  {u"quot", u'"'}, {u"apos", u'\''}, {u"nbsp", u'\u00A0'}};
    if (name.startsWith(u'#')) {
        const char32_t code = numericReference(name.sliced(1));
        return code != 0 ? QString::fromUcs4(&code, 1) : QString();
    }
    for (const auto& named : kNamed) {
        if (name == QStringView(named.name)) {
            return QString(QChar(named.character));
        }
    }
    return {};
}

// A whole number among blanks, as the masked number columns hold it; nullopt for anything else.
std::optional<qint64> paddedNumber(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ') {
        ++i;
    }
    const bool negative = i < text.size() && text[i] == u'-';
    if (negative) {
        ++i;
    }
    const qsizetype first = i;
    qint64 value = 0;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') {
        if (i - first == 18) {
            return std::nullopt;
        }
        value = value * 10 + (text[i].unicode() - u'0');
        ++i;
    }
    if (i == first) {
        return std::nullopt;
    }
    while (i < text.size() && text[i] == u' ') {
        ++i;
    }
    if (i != text.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

// One row's sort key: its number, or its text case-folded unit by unit.
struct SortKey {
    const QString* stored = nullptr;
    QString folded;  // set only where folding changes the stored text
    qint64 number = 0;
    bool isNumber = false;
    bool foldable = false;  // false for texts with surrogate pairs, which fold as whole characters
    bool changed = false;

    QStringView text() const { return changed ? QStringView(folded) : QStringView(*stored); }
};

SortKey makeSortKey(const QString& text, bool numeric) {
    SortKey key;
    key.stored = &text;
    if (numeric) {
        if (const std::optional<qint64> number = paddedNumber(text)) {
            key.number = *number;
            key.isNumber = true;
            return key;
        }
    }
    // Folding each unit alone orders texts as a case-insensitive comparison does.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text.at(i).unicode();
        char32_t folded = unit;
        if (unit < 0x80) {
            folded = unit >= u'A' && unit <= u'Z' ? unit + (u'a' - u'A') : unit;
        } else if (unit >= 0x3000 && unit <= 0x9FFF) {
            // Kana and kanji have no case.
        } else if (QChar::isSurrogate(unit)) {
            return key;
        } else {
            folded = QChar::toCaseFolded(char32_t(unit));
            if (folded > 0xFFFF) {
                return key;
            }
        }
        if (folded != unit) {
            if (!key.changed) {
                key.folded = text;
                key.changed = true;
            }
            key.folded[i] = QChar(char16_t(folded));
        }
    }
    key.foldable = true;
    return key;
}

// A row with the start of its key, held beside it so that the sort seldom reads the key itself:
// in a number column a number's value after a 0 and any other text after a 1; in a text column
// eight units of the folded text after the `shared` units every text of the column begins with,
// when every text of the column folds. `rest` counts the units after `shared` when they all fit
// in those eight, and is -1 when the key must be read.
struct RankedRow {
    quint64 high = 0;
    quint64 low = 0;
    qint32 row = 0;
    qint32 rest = -1;
};

RankedRow rankedRow(const SortKey& key, bool numeric, bool textPrefixes, qsizetype shared,
                    qint32 row) {
    RankedRow ranked;
    ranked.row = row;
    if (numeric) {
        if (key.isNumber) {
            ranked.low = quint64(key.number) ^ (quint64(1) << 63);
            ranked.rest = 0;
        } else {
            ranked.high = 1;
        }
        return ranked;
    }
    if (textPrefixes) {
        const QStringView text = key.text().sliced(shared);
        quint64 units[2] = {0, 0};
        for (qsizetype i = 0; i < std::min<qsizetype>(text.size(), 8); ++i) {
            units[i / 4] |= quint64(text[i].unicode()) << (48 - 16 * (i % 4));
        }
        ranked.high = units[0];
        ranked.low = units[1];
        ranked.rest = text.size() <= 8 ? qint32(text.size()) : -1;
    }
    return ranked;
}

}  // namespace

QString DecodeCharacterReferences(const QString& text) {
    qsizetype amp = text.indexOf(u'&');
    if (amp < 0) {
        return text;
    }
    QString decoded;
    decoded.reserve(text.size());
    qsizetype done = 0;
    while (amp >= 0) {
        const qsizetype semicolon = text.indexOf(u';', amp + 1);
        if (semicolon < 0) {
            break;
        }
        // A reference holds no "&" of its own: in "&&amp;" the first one is a plain character.
        const qsizetype nextAmp = text.indexOf(u'&', amp + 1);
        if (nextAmp >= 0 && nextAmp < semicolon) {
            amp = nextAmp;
            continue;
        }
        const QString character =
            referenceText(QStringView(text).sliced(amp + 1, semicolon - amp - 1));
        if (!character.isEmpty()) {
            decoded += QStringView(text).sliced(done, amp - done);
            decoded += character;
            done = semicolon + 1;
        }
        amp = text.indexOf(u'&', character.isEmpty() ? amp + 1 : done);
    }
    decoded += QStringView(text).sliced(done);
    return decoded;
}

std::optional<qint32> IdFromColumnText(QStringView text) {
    QString digits = text.toString();
    digits.remove(u' ');
    digits.remove(u'\t');
    try {
        return ToInt32(digits);
    } catch (const RuntimeError&) {
        return std::nullopt;
    }
}

QString RankingCountText(int rows) {
    return QString::number(rows) + QStringLiteral("件みつかりました");
}

RankingModel::RankingModel(QObject* parent) : QAbstractTableModel(parent) {}

QString RankingModel::headerText(int column) {
    switch (column) {
        case RankColumn:
            return QStringLiteral("順位");
        case NameColumn:
            return QStringLiteral("名前");
        case IdColumn:
            return QStringLiteral("ID");
        case CountColumn:
            return QStringLiteral("アクセス回数");
        case LastAccessColumn:
            return QStringLiteral("最終アクセス");
        case MemoColumn:
            return QStringLiteral("メモ");
        default:
            return {};
    }
}

int RankingModel::columnWidthTwips(int column) {
    static constexpr int widths[kColumnCount] = {600, 2000, 1000, 1200, 2000, 1440};
    return column >= 0 && column < kColumnCount ? widths[column] : 0;
}

Qt::Alignment RankingModel::columnAlignment(int column) {
    const bool right = column == IdColumn || column == CountColumn;
    return (right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

QModelIndex RankingModel::index(int row, int column, const QModelIndex& parent) const {
    // The sort asks for two indexes per comparison: this answers without virtual calls.
    const bool inside = !parent.isValid() && row >= 0 && column >= 0 &&
                        size_t(row) < m_rows.size() && column < kColumnCount;
    return inside ? createIndex(row, column) : QModelIndex();
}

int RankingModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int RankingModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant RankingModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= kColumnCount) {
        return {};
    }
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        const QString& text = m_rows[size_t(index.row())][size_t(index.column())];
        const bool pageText = index.column() == NameColumn || index.column() == MemoColumn;
        return role == Qt::DisplayRole && pageText ? DecodeCharacterReferences(text) : text;
    }
    if (role == Qt::TextAlignmentRole) {
        return int(columnAlignment(index.column()));
    }
    return {};
}

QVariant RankingModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return headerText(section);
    }
    if (role == Qt::TextAlignmentRole) {
        return int(columnAlignment(section));
    }
    return {};
}

QString RankingModel::text(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= kColumnCount) {
        return {};
    }
    return m_rows[size_t(row)][size_t(column)];
}

void RankingModel::setText(int row, int column, const QString& text) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= kColumnCount) {
        return;
    }
    m_rows[size_t(row)][size_t(column)] = text;
    if (column == m_keyColumn) {
        dropSortKeys();
    }
    const QModelIndex changed = index(row, column);
    Q_EMIT dataChanged(changed, changed);
}

RankingModel::Row RankingModel::formatRow(const QString& rankText, const QString& name,
                                          const QString& idText, const QString& countText,
                                          const QString& lastAccess, const QString& memo) {
    return {FormatMask(rankText, 5),   name, FormatMask(idText, 9), FormatMask(countText, 9),
            FormatMask(lastAccess, 5), memo};
}

void RankingModel::AddRankingItem(const QString& rankText, const QString& name,
                                  const QString& idText, const QString& countText,
                                  const QString& lastAccess, const QString& memo) {
    const int row = rowCount();
    beginInsertRows(QModelIndex(), row, row);
    m_rows.push_back(formatRow(rankText, name, idText, countText, lastAccess, memo));
    dropSortKeys();
    endInsertRows();
}

void RankingModel::RefreshRanking(const VisitorTable& table) {
    // One reset instead of a signal per row: a refill of thousands of rows stays quick with the
    // view and the sort proxy attached.
    beginResetModel();
    m_rows.clear();
    dropSortKeys();
    m_rows.reserve(size_t(table.liveRowCount()));
    qint64 rank = 0;
    for (qsizetype i = 0; i < table.slotCount(); ++i) {
        const VisitorRecord& slot = table[i];
        if (slot.Id == 0) {
            break;
        }
        ++rank;
        if (i >= 1 && table[i - 1].AccessCount == slot.AccessCount) {
            --rank;
        }
        m_rows.push_back(formatRow(QString::number(rank), slot.Name, QString::number(slot.Id),
                                   QString::number(slot.AccessCount), slot.LastAccess, slot.Memo));
    }
    endResetModel();
}

bool RankingModel::rowLessThan(int left, int right, int column) const {
    if (left < 0 || right < 0 || size_t(left) >= m_rows.size() || size_t(right) >= m_rows.size() ||
        column < 0 || column >= kColumnCount) {
        return false;
    }
    if (column != m_keyColumn) {
        rankRowsBy(column);
    }
    return m_places[size_t(left)] < m_places[size_t(right)];
}

void RankingModel::rankRowsBy(int column) const {
    const bool numeric = column == RankColumn || column == IdColumn || column == CountColumn;
    std::vector<SortKey> keys;
    keys.reserve(m_rows.size());
    bool allFold = true;
    // Dates and names that all start alike ("2026年12月") would waste the prefixes below.
    qsizetype shared = 0;
    for (const Row& row : m_rows) {
        keys.push_back(makeSortKey(row[size_t(column)], numeric));
        const SortKey& key = keys.back();
        allFold = allFold && key.foldable;
        if (numeric || !allFold) {
            continue;
        }
        const QStringView text = key.text();
        if (keys.size() == 1) {
            shared = text.size();
        }
        const QStringView first = keys.front().text();
        qsizetype same = 0;
        while (same < shared && same < text.size() && text[same] == first[same]) {
            ++same;
        }
        shared = same;
    }
    const bool textPrefixes = !numeric && allFold;
    const auto keyLess = [&keys](const RankedRow& a, const RankedRow& b) {
        const SortKey& x = keys[size_t(a.row)];
        const SortKey& y = keys[size_t(b.row)];
        if (x.isNumber || y.isNumber) {
            return x.isNumber != y.isNumber ? x.isNumber : x.number < y.number;
        }
        if (x.foldable && y.foldable) {
            return x.text() < y.text();
        }
        return x.stored->compare(*y.stored, Qt::CaseInsensitive) < 0;
    };
    std::vector<RankedRow> ranked;
    ranked.reserve(m_rows.size());
    for (size_t row = 0; row < keys.size(); ++row) {
        ranked.push_back(rankedRow(keys[row], numeric, textPrefixes, shared, qint32(row)));
    }
    const auto less = [&keyLess](const RankedRow& a, const RankedRow& b) {
        if (a.high != b.high || a.low != b.low) {
            return a.high != b.high ? a.high < b.high : a.low < b.low;
        }
        if (a.rest >= 0 || b.rest >= 0) {
            // A key whose units all fit is, past equal prefixes, the start of the other one.
            return b.rest < 0 || (a.rest >= 0 && a.rest < b.rest);
        }
        return keyLess(a, b);
    };
    std::sort(ranked.begin(), ranked.end(), less);
    m_places.assign(m_rows.size(), 0);
    qint32 place = 0;
    for (size_t i = 1; i < ranked.size(); ++i) {
        if (less(ranked[i - 1], ranked[i])) {
            ++place;
        }
        m_places[size_t(ranked[i].row)] = place;
    }
    m_keyColumn = column;
}

void RankingModel::dropSortKeys() {
    m_places.clear();
    m_keyColumn = -1;
}

RankingSortProxy::RankingSortProxy(QObject* parent) : QSortFilterProxyModel(parent) {
    setSortCaseSensitivity(Qt::CaseInsensitive);
    // Rows sort by the texts as stored, not as decoded for display.
    setSortRole(Qt::EditRole);
    setDynamicSortFilter(true);
}

void RankingSortProxy::setSourceModel(QAbstractItemModel* sourceModel) {
    m_ranking = qobject_cast<const RankingModel*>(sourceModel);
    QSortFilterProxyModel::setSourceModel(sourceModel);
}

bool RankingSortProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    if (m_ranking == nullptr || left.model() != m_ranking || right.model() != m_ranking) {
        return QSortFilterProxyModel::lessThan(left, right);
    }
    return m_ranking->rowLessThan(left.row(), right.row(), left.column());
}

void RankingSortProxy::sortByColumn(int column) {
    if (column == RankingModel::RankColumn) {
        m_sortingOn = false;
        sort(-1);
    }
    m_direction = m_direction == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    m_sortKey = column;
    m_sortingOn = true;
    sort(m_sortKey, m_direction);
}
