// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QRandomGenerator>
#include <QTest>
#include <algorithm>

#include "platform/runtime_error.h"
#include "visitors/visitor_table.h"

class VisitorTableTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void growsBeforeTheSecondHighestSlotIsWritten_data();
    void growsBeforeTheSecondHighestSlotIsWritten();
    void keepsAnEmptySlotBehindEveryRowWritten();
    void countsANewVisitor();
    void countsAVisitAgain_data();
    void countsAVisitAgain();
    void aVisitThatCannotBeReadChangesNothing_data();
    void aVisitThatCannotBeReadChangesNothing();
    void storesFileRowsAsTheyStand();
    void aFileRowThatIsNotANumberIsNotStored();
    void writesALineOfFiveFields();
    void lineBreaksAndTabsCannotSplitALine();
    void sortsByDescendingCount();
    void sortsAnyTable_data();
    void sortsAnyTable();
    void sortsTablesBeyondSixteenThousandSlots();
};

void VisitorTableTest::growsBeforeTheSecondHighestSlotIsWritten_data() {
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("slots");
    QTest::newRow("slot 254 grows to 511") << 254 << 511;
    QTest::newRow("slot 255 does not grow") << 255 << 256;
    QTest::newRow("slot 0 does not grow") << 0 << 256;
    QTest::newRow("slot 253 does not grow") << 253 << 256;
}

void VisitorTableTest::growsBeforeTheSecondHighestSlotIsWritten() {
    QFETCH(int, slot);
    QFETCH(int, slots);
    VisitorTable table;
    table.SetVisitor("a", "1", "1", "", "", slot);
    QCOMPARE(table.slotCount(), qsizetype(slots));
}

void VisitorTableTest::keepsAnEmptySlotBehindEveryRowWritten() {
    VisitorTable table;
    for (int i = 0; i < 1000; ++i) {
        table.MergeVisit(QStringLiteral("v%1").arg(i), QString::number(i + 1),
                         QStringLiteral("2026年12月07日 10:00"), table.RowCount);
        QVERIFY(table.upperBound() > table.RowCount - 1);
        QCOMPARE(table[table.RowCount].Id, 0);
    }
    QCOMPARE(table.RowCount, qsizetype(1000));
    QCOMPARE(table.liveRowCount(), qsizetype(1000));
    QCOMPARE(table.slotCount(), qsizetype(256 + 3 * 255));  // grown at slots 254, 509 and 764
}

void VisitorTableTest::countsANewVisitor() {
    VisitorTable table;
    table.MergeVisit(QStringLiteral("山田"), "0012345", QStringLiteral("2009年01月07日 22:19"), 0);
    QCOMPARE(table.RowCount, qsizetype(1));
    const VisitorRecord& row = table[0];
    QCOMPARE(row.Name, QStringLiteral("山田"));
    QCOMPARE(row.Id, 12345);
    QCOMPARE(row.AccessCount, 1);
    QCOMPARE(row.LastAccess, QStringLiteral("2009年01月07日 22:19"));
    QCOMPARE(row.Memo, QString());
}

void VisitorTableTest::countsAVisitAgain_data() {
    QTest::addColumn<QString>("visitTime");
    QTest::addColumn<QString>("lastAccess");
    QTest::newRow("later visit replaces the time")
        << QStringLiteral("2009年1月8日 9:00") << QStringLiteral("2009年1月8日 9:00");
    QTest::newRow("equal visit keeps the stored text")
        << QStringLiteral("2009/1/7 22:19") << QStringLiteral("2009年01月07日 22:19");
    QTest::newRow("earlier visit keeps the time")
        << QStringLiteral("2008年12月31日 23:59") << QStringLiteral("2009年01月07日 22:19");
}

void VisitorTableTest::countsAVisitAgain() {
    QFETCH(QString, visitTime);
    QFETCH(QString, lastAccess);
    VisitorTable table;
    table.SetVisitor(QStringLiteral("旧名"), "7", "4", QStringLiteral("2009年01月07日 22:19"),
                     QStringLiteral("メモ"), 0);
    table.SetVisitor("other", "8", "1", QStringLiteral("2009年01月07日 22:19"), "", 1);
    table.MergeVisit(QStringLiteral("新名"), "7", visitTime, 0);
    QCOMPARE(table.RowCount, qsizetype(2));
    QCOMPARE(table[0].Name, QStringLiteral("新名"));
    QCOMPARE(table[0].AccessCount, 5);
    QCOMPARE(table[0].LastAccess, lastAccess);
    QCOMPARE(table[0].Memo, QStringLiteral("メモ"));
}

void VisitorTableTest::aVisitThatCannotBeReadChangesNothing_data() {
    QTest::addColumn<QString>("idText");
    QTest::addColumn<QString>("storedTime");
    QTest::addColumn<int>("error");
    QTest::newRow("id of letters") << "abc" << QStringLiteral("2009年1月7日 22:19") << 13;
    QTest::newRow("id beyond 32 bits") << "4294967296" << QStringLiteral("2009年1月7日 22:19") << 6;
    QTest::newRow("stored time unreadable") << "7" << QStringLiteral("yesterday") << 13;
}

void VisitorTableTest::aVisitThatCannotBeReadChangesNothing() {
    QFETCH(QString, idText);
    QFETCH(QString, storedTime);
    QFETCH(int, error);
    VisitorTable table;
    table.SetVisitor("name", "7", "3", storedTime, "memo", 0);
    try {
        table.MergeVisit("changed", idText, QStringLiteral("2009年1月8日 22:19"), 0);
        QFAIL("merged");
    } catch (const RuntimeError& e) {
        QCOMPARE(e.number(), error);
    }
    QCOMPARE(table[0].Name, QString("name"));
    QCOMPARE(table[0].Id, 7);
    QCOMPARE(table[0].AccessCount, 3);
    QCOMPARE(table[0].LastAccess, storedTime);
    QCOMPARE(table.RowCount, qsizetype(1));
}

void VisitorTableTest::storesFileRowsAsTheyStand() {
    VisitorTable table;
    table.SetVisitor(QStringLiteral(" 名前 "), " 42", "-3", QStringLiteral("when ever"),
                     QStringLiteral("a,b"), 0);
    QCOMPARE(table.RowCount, qsizetype(1));
    QCOMPARE(table[0].Name, QStringLiteral(" 名前 "));
    QCOMPARE(table[0].Id, 42);
    QCOMPARE(table[0].AccessCount, -3);
    QCOMPARE(table[0].LastAccess, QStringLiteral("when ever"));
    QCOMPARE(table[0].Memo, QStringLiteral("a,b"));
}

void VisitorTableTest::aFileRowThatIsNotANumberIsNotStored() {
    VisitorTable table;
    QVERIFY_THROWS_EXCEPTION(RuntimeError, table.SetVisitor("n", "1", "x", "", "", 0));
    QCOMPARE(table.RowCount, qsizetype(0));
    QCOMPARE(table[0].Id, 0);
    QCOMPARE(table[0].Name, QString());
}

void VisitorTableTest::writesALineOfFiveFields() {
    VisitorTable table;
    table.SetVisitor(QStringLiteral("山田, 太郎"), "-5", "0012",
                     QStringLiteral("2009年01月07日 22:19"), QStringLiteral("a,b"), 0);
    QCOMPARE(FormatVisitorLine(table, 0, u'\t'),
             QStringLiteral("山田, 太郎\t-5\t12\t2009年01月07日 22:19\ta,b"));
    // A comma in a text would add a field to the CSV line; readers of it expect five.
    QCOMPARE(FormatVisitorLine(table, 0, u','),
             QStringLiteral("山田， 太郎,-5,12,2009年01月07日 22:19,a，b"));
    QCOMPARE(FormatVisitorLine(table, 1, u'\t'), QStringLiteral("\t0\t0\t\t"));
}

void VisitorTableTest::lineBreaksAndTabsCannotSplitALine() {
    VisitorTable table;
    table.SetVisitor(QStringLiteral("a\tb"), "1", "2", QStringLiteral("\t2009年1月7日 1:00"),
                     QStringLiteral("line 1\r\nline 2\nend"), 0);
    QCOMPARE(FormatVisitorLine(table, 0, u'\t'),
             QStringLiteral("a b\t1\t2\t 2009年1月7日 1:00\tline 1  line 2 end"));
    QCOMPARE(table[0].Memo, QStringLiteral("line 1\r\nline 2\nend"));
}

void VisitorTableTest::sortsByDescendingCount() {
    VisitorTable table;
    const int counts[] = {5, 9, 0, 7};
    for (int i = 0; i < 4; ++i) {
        table[i].Id = counts[i] == 0 ? 0 : 100 + i;
        table[i].AccessCount = counts[i];
    }
    sortVisitorSlots(table, 0, 3);
    QCOMPARE(table[0].AccessCount, 9);
    QCOMPARE(table[0].Id, 101);
    QCOMPARE(table[1].AccessCount, 7);
    QCOMPARE(table[2].AccessCount, 5);
    QCOMPARE(table[3].AccessCount, 0);
    QCOMPARE(table[3].Id, 0);
}

void VisitorTableTest::sortsAnyTable_data() {
    QTest::addColumn<QList<int>>("counts");
    QTest::newRow("empty table slots") << QList<int>(256, 0);
    QTest::newRow("all equal") << QList<int>(300, 3);
    QList<int> ascending, descending, sawTooth;
    for (int i = 0; i < 511; ++i) {
        ascending << i;
        descending << 511 - i;
        sawTooth << i % 7;
    }
    QTest::newRow("ascending") << ascending;
    QTest::newRow("descending") << descending;
    QTest::newRow("saw tooth") << sawTooth;
    QRandomGenerator random(20261207);
    for (int n : {2, 3, 17, 256, 1021}) {
        QList<int> counts;
        for (int i = 0; i < n; ++i) {
            counts << int(random.bounded(-2, 12));
        }
        QTest::newRow(qPrintable(QStringLiteral("random %1").arg(n))) << counts;
    }
}

void VisitorTableTest::sortsAnyTable() {
    QFETCH(QList<int>, counts);
    VisitorTable table;
    table.slots().resize(size_t(counts.size()));
    for (int i = 0; i < counts.size(); ++i) {
        table[i] = VisitorRecord{QString::number(i), i + 1, counts[i], {}, {}};
    }
    sortVisitorSlots(table, 0, table.upperBound());
    QList<int> sortedIds;
    for (qsizetype i = 0; i < table.slotCount(); ++i) {
        if (i > 0) {
            QVERIFY(table[i - 1].AccessCount >= table[i].AccessCount);
        }
        // Whole records move together.
        QCOMPARE(table[i].AccessCount, counts[table[i].Id - 1]);
        QCOMPARE(table[i].Name, QString::number(table[i].Id - 1));
        sortedIds << table[i].Id;
    }
    std::sort(sortedIds.begin(), sortedIds.end());
    for (int i = 0; i < sortedIds.size(); ++i) {
        QCOMPARE(sortedIds[i], i + 1);
    }
}

void VisitorTableTest::sortsTablesBeyondSixteenThousandSlots() {
    VisitorTable table;
    QRandomGenerator random(7);
    for (int i = 0; i < 40000; ++i) {
        table.MergeVisit("v", QString::number(i + 1), QStringLiteral("2026年1月1日 0:00"),
                         table.RowCount);
        table[i].AccessCount = int(random.bounded(1, 50));
    }
    QVERIFY(table.upperBound() > 16383);
    sortVisitorSlots(table, 0, table.upperBound());
    for (qsizetype i = 1; i < table.slotCount(); ++i) {
        QVERIFY(table[i - 1].AccessCount >= table[i].AccessCount);
    }
    QCOMPARE(table.liveRowCount(), qsizetype(40000));
}

QTEST_GUILESS_MAIN(VisitorTableTest)
#include "visitor_table_test.moc"
