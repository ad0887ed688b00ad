// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QTest>

#include "visitors/ranking_model.h"
#include "visitors/visitor_table.h"

class RankingTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void anEmptyTableGivesAnEmptyList();
    void equalCountsShareARank_data();
    void equalCountsShareARank();
    void theListEndsAtTheFirstEmptySlot();
    void textsAreFilledToTheirMasks_data();
    void textsAreFilledToTheirMasks();
    void rowsCarryEveryField();
    void namesAndMemosAreShownWithReferencesDecoded_data();
    void namesAndMemosAreShownWithReferencesDecoded();
    void headerClicksShareOneDirection();
    void paddedNumbersSortInNumericOrder();
    void laterRefillsStaySorted();
    void rankClickFallsBackToTableOrderFirst();
    void headerSortOrdersRows_data();
    void headerSortOrdersRows();

  private:
    static VisitorTable tableWithCounts(const QList<int>& counts);
    static QStringList column(const QAbstractItemModel& model, int column);
};

VisitorTable RankingTest::tableWithCounts(const QList<int>& counts) {
    VisitorTable table;
    for (int i = 0; i < counts.size(); ++i) {
        table.SetVisitor(
            QStringLiteral("v%1").arg(i), QString::number(1000 + i), QString::number(counts[i]),
            QStringLiteral("2026年12月0%1日 10:00").arg(i % 9 + 1), "", table.RowCount);
    }
    return table;
}

QStringList RankingTest::column(const QAbstractItemModel& model, int column) {
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row) {
        texts << model.index(row, column).data().toString().trimmed();
    }
    return texts;
}

void RankingTest::anEmptyTableGivesAnEmptyList() {
    RankingModel model;
    model.RefreshRanking(VisitorTable());
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(RankingCountText(model.rowCount()), QStringLiteral("0件みつかりました"));
    QCOMPARE(RankingCountText(12), QStringLiteral("12件みつかりました"));
}

void RankingTest::equalCountsShareARank_data() {
    QTest::addColumn<QList<int>>("counts");
    QTest::addColumn<QStringList>("ranks");
    QTest::newRow("dense ranks") << QList<int>{10, 10, 8, 8, 8, 3}
                                 << QStringList{"1", "1", "2", "2", "2", "3"};
    QTest::newRow("9 7 7 4") << QList<int>{9, 7, 7, 4} << QStringList{"1", "2", "2", "3"};
    QTest::newRow("unsorted table ranks by the row above")
        << QList<int>{5, 3, 5} << QStringList{"1", "2", "3"};
    QTest::newRow("single row") << QList<int>{1} << QStringList{"1"};
}

void RankingTest::equalCountsShareARank() {
    QFETCH(QList<int>, counts);
    QFETCH(QStringList, ranks);
    RankingModel model;
    model.RefreshRanking(tableWithCounts(counts));
    QCOMPARE(column(model, RankingModel::RankColumn), ranks);
}

void RankingTest::theListEndsAtTheFirstEmptySlot() {
    VisitorTable table = tableWithCounts({4, 3, 2, 1});
    table[2].Id = 0;
    RankingModel model;
    model.RefreshRanking(table);
    QCOMPARE(model.rowCount(), 2);
    model.RefreshRanking(tableWithCounts({2, 1}));
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(column(model, RankingModel::CountColumn), (QStringList{"2", "1"}));
}

void RankingTest::textsAreFilledToTheirMasks_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("places");
    QTest::addColumn<QString>("shown");
    QTest::newRow("rank 7") << "7" << 5 << "    7";
    QTest::newRow("five-digit id") << "12345" << 9 << "    12345";
    QTest::newRow("empty last access") << "" << 5 << "     ";
    QTest::newRow("ten-digit id unchanged") << "2147483647" << 9 << "2147483647";
    QTest::newRow("exactly the width") << "12345" << 5 << "12345";
    QTest::newRow("last access longer than the mask")
        << QStringLiteral("2009年01月07日 22:19") << 5 << QStringLiteral("2009年01月07日 22:19");
}

void RankingTest::textsAreFilledToTheirMasks() {
    QFETCH(QString, text);
    QFETCH(int, places);
    QFETCH(QString, shown);
    QCOMPARE(FormatMask(text, places), shown);
}

void RankingTest::rowsCarryEveryField() {
    VisitorTable table;
    table.SetVisitor(QStringLiteral("山田"), "12345", "3", QStringLiteral("2009年01月07日 22:19"),
                     QStringLiteral("友達"), 0);
    table.SetVisitor(QStringLiteral("鈴木"), "8", "1", "", "", 1);
    RankingModel model;
    model.RefreshRanking(table);
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.text(0, 0), QStringLiteral("    1"));
    QCOMPARE(model.text(0, 1), QStringLiteral("山田"));
    QCOMPARE(model.text(0, 2), QStringLiteral("    12345"));
    QCOMPARE(model.text(0, 3), QStringLiteral("        3"));
    QCOMPARE(model.text(0, 4), QStringLiteral("2009年01月07日 22:19"));
    QCOMPARE(model.text(0, 5), QStringLiteral("友達"));
    QCOMPARE(model.text(1, 4), QStringLiteral("     "));
    model.setText(1, RankingModel::MemoColumn, QStringLiteral("新しいメモ"));
    QCOMPARE(model.index(1, 5).data().toString(), QStringLiteral("新しいメモ"));
    model.AddRankingItem("3", "x", "9", "1", "", "");
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.text(2, 2), QStringLiteral("        9"));
}

void RankingTest::namesAndMemosAreShownWithReferencesDecoded_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("ampersand") << "A&amp;B"
                               << "A&B";
    QTest::newRow("named ones the pages use")
        << "&lt;b&gt; &quot;x&apos; a&nbsp;b" << QStringLiteral("<b> \"x' a\u00A0b");
    QTest::newRow("numeric, decimal and hexadecimal")
        << "&#38;&#x26;&#X4E09;&#128512;" << QStringLiteral("&&三😀");
    QTest::newRow("decoded once") << "&amp;amp;"
                                  << "&amp;";
    QTest::newRow("plain ampersand before a reference") << "&&amp;"
                                                        << "&&";
    QTest::newRow("unknown, unfinished or empty references stay")
        << "&copy; &amp &#; &#x; &#12a; &AMP;"
        << "&copy; &amp &#; &#x; &#12a; &AMP;";
    QTest::newRow("references to no character stay") << "&#0; &#xD800; &#1114112; &#99999999999;"
                                                     << "&#0; &#xD800; &#1114112; &#99999999999;";
}

// Files keep the text as the page gave it, and so do the texts the list commands read.
void RankingTest::namesAndMemosAreShownWithReferencesDecoded() {
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    VisitorTable table;
    table.SetVisitor(stored, "12345", "3", stored, stored, 0);
    RankingModel model;
    model.RefreshRanking(table);
    QCOMPARE(model.index(0, RankingModel::NameColumn).data().toString(), shown);
    QCOMPARE(model.index(0, RankingModel::MemoColumn).data().toString(), shown);
    QCOMPARE(model.index(0, RankingModel::LastAccessColumn).data().toString(), stored);
    QCOMPARE(model.text(0, RankingModel::NameColumn), stored);
    QCOMPARE(model.text(0, RankingModel::MemoColumn), stored);
    QCOMPARE(model.index(0, RankingModel::NameColumn).data(Qt::EditRole).toString(), stored);
}

void RankingTest::headerClicksShareOneDirection() {
    RankingModel model;
    RankingSortProxy proxy;
    proxy.setSourceModel(&model);
    QVERIFY(!proxy.sortingOn());
    proxy.sortByColumn(1);
    QCOMPARE(proxy.direction(), Qt::DescendingOrder);
    proxy.sortByColumn(1);
    QCOMPARE(proxy.direction(), Qt::AscendingOrder);
    proxy.sortByColumn(3);
    QCOMPARE(proxy.direction(), Qt::DescendingOrder);
    QCOMPARE(proxy.sortKey(), 3);
    QVERIFY(proxy.sortingOn());
}

void RankingTest::paddedNumbersSortInNumericOrder() {
    RankingModel model;
    model.RefreshRanking(tableWithCounts({10, 9, 100, 1}));
    RankingSortProxy proxy;
    proxy.setSourceModel(&model);
    proxy.sortByColumn(0);  // descending
    proxy.sortByColumn(3);  // ascending
    QCOMPARE(column(proxy, RankingModel::CountColumn), (QStringList{"1", "9", "10", "100"}));
    // The model itself keeps table order.
    QCOMPARE(column(model, RankingModel::CountColumn), (QStringList{"10", "9", "100", "1"}));
}

void RankingTest::laterRefillsStaySorted() {
    RankingModel model;
    RankingSortProxy proxy;
    proxy.setSourceModel(&model);
    proxy.sortByColumn(2);  // by id, descending
    model.RefreshRanking(tableWithCounts({3, 2, 1}));
    QCOMPARE(column(proxy, RankingModel::IdColumn), (QStringList{"1002", "1001", "1000"}));
}

void RankingTest::rankClickFallsBackToTableOrderFirst() {
    RankingModel model;
    model.RefreshRanking(tableWithCounts({5, 5, 5, 2}));
    RankingSortProxy proxy;
    proxy.setSourceModel(&model);
    proxy.sortByColumn(1);  // by name, descending: v3 v2 v1 v0
    proxy.sortByColumn(0);  // by rank, ascending; equal ranks in table order
    QCOMPARE(column(proxy, RankingModel::NameColumn), (QStringList{"v0", "v1", "v2", "v3"}));
}

void RankingTest::headerSortOrdersRows_data() {
    // Rows "name|id|count" in table order; header clicks, the first of each column descending;
    // rows of a refill after the clicks (none when empty); the ids in the order the list shows.
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QList<int>>("clicks");
    QTest::addColumn<QStringList>("refill");
    QTest::addColumn<QStringList>("shown");
    const QStringList names{"b|1|1", "A|2|1", "a|3|1", "B|4|1", "c|5|1"};
    QTest::newRow("names ascending without regard to case, equal ones in table order")
        << names << QList<int>{1, 1} << QStringList{} << QStringList{"2", "3", "1", "4", "5"};
    QTest::newRow("names descending, equal ones still in table order")
        << names << QList<int>{1} << QStringList{} << QStringList{"5", "1", "4", "2", "3"};
    QTest::newRow("ids wider than their column sort as numbers")
        << QStringList{"x|1000000000|1", "y|999999999|1", "z|5|1", "w|2147483647|1"}
        << QList<int>{2, 2} << QStringList{}
        << QStringList{"5", "999999999", "1000000000", "2147483647"};
    QTest::newRow("equal counts keep the order the list showed")
        << QStringList{"d|1|2", "a|2|1", "c|3|2", "b|4|1"} << QList<int>{1, 1, 3} << QStringList{}
        << QStringList{"3", "1", "2", "4"};
    QTest::newRow("a refill stays sorted, equal rows in table order")
        << QStringList{"a|1|1"} << QList<int>{1, 1, 3}
        << QStringList{"d|1|7", "a|2|30", "c|3|7", "b|4|100"} << QStringList{"4", "2", "1", "3"};
}

void RankingTest::headerSortOrdersRows() {
    QFETCH(QStringList, rows);
    QFETCH(QList<int>, clicks);
    QFETCH(QStringList, refill);
    QFETCH(QStringList, shown);
    const auto tableOf = [](const QStringList& rows) {
        VisitorTable table;
        for (const QString& row : rows) {
            const QStringList f = row.split(u'|');
            table.SetVisitor(f[0], f[1], f[2], "", "", table.RowCount);
        }
        return table;
    };
    RankingModel model;
    model.RefreshRanking(tableOf(rows));
    RankingSortProxy proxy;
    proxy.setSourceModel(&model);
    for (const int column : clicks) {
        proxy.sortByColumn(column);
    }
    if (!refill.isEmpty()) {
        model.RefreshRanking(tableOf(refill));
    }
    QCOMPARE(column(proxy, RankingModel::IdColumn), shown);
}

QTEST_GUILESS_MAIN(RankingTest)
#include "ranking_test.moc"
