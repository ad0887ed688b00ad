// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QtTest>

#include "collect/new_visit.h"
#include "platform/runtime_error.h"
#include "visitors/visitor_table.h"

namespace {

// Rows as "name|id|count|last access"; a row "-" leaves a free slot.
void fill(VisitorTable& table, const QStringList& rows) {
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (rows[i] == u"-") {
            continue;
        }
        const QStringList f = rows[i].split(u'|');
        table[i].Name = f[0];
        table[i].Id = f[1].toInt();
        table[i].AccessCount = f[2].toInt();
        table[i].LastAccess = f[3];
    }
}

QStringList dump(const VisitorTable& table, qsizetype slots) {
    QStringList rows;
    for (qsizetype i = 0; i < slots; ++i) {
        const VisitorRecord& r = table[i];
        rows << (r.Id == 0 && r.Name.isEmpty()
                     ? QStringLiteral("-")
                     : r.Name + u'|' + QString::number(r.Id) + u'|' +
                           QString::number(r.AccessCount) + u'|' + r.LastAccess);
    }
    return rows;
}

}  // namespace

class NewVisitTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void entryIsCountedOrSkipped_data();
    void entryIsCountedOrSkipped();
    void sameVisitOnBothPagesCountsOnce();
};

void NewVisitTest::entryIsCountedOrSkipped_data() {
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<int>("rowCount");
    QTest::addColumn<QString>("entry");  // name|id|visit time
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<int>("rowCountAfter");
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("step");  // VisitStep when no error

    const QString a = QStringLiteral("山田|10|3|2026年12月07日 10:00");
    const QString b = QStringLiteral("鈴木|20|1|2026年12月06日 09:00");

    const int counted = int(VisitStep::Counted);
    const int skipped = int(VisitStep::AlreadyCounted);
    const int passedOver = int(VisitStep::NotAVisitor);
    const QString free = QStringLiteral("-");

    QTest::newRow("newcomer gets RowCount")
        << QStringList{a, b, free} << 2 << QStringLiteral("佐藤|30|2026年12月07日 11:00")
        << QStringList{a, b, QStringLiteral("佐藤|30|1|2026年12月07日 11:00")} << 3 << 0 << counted;
    QTest::newRow("later visit counts")
        << QStringList{a, b, free} << 2 << QStringLiteral("山田改|10|2026年12月07日 10:01")
        << QStringList{QStringLiteral("山田改|10|4|2026年12月07日 10:01"), b, free} << 2 << 0
        << counted;
    QTest::newRow("same time is already counted")
        << QStringList{a, b, free} << 2 << QStringLiteral("山田|10|2026年12月07日 10:00")
        << QStringList{a, b, free} << 2 << 0 << skipped;
    QTest::newRow("same time in another spelling is already counted")
        << QStringList{a, b, free} << 2 << QStringLiteral("山田|10|2026年12月7日 10:00")
        << QStringList{a, b, free} << 2 << 0 << skipped;
    QTest::newRow("earlier time is already counted")
        << QStringList{a, b, free} << 2 << QStringLiteral("山田|10|2026年12月07日 09:00")
        << QStringList{a, b, free} << 2 << 0 << skipped;
    QTest::newRow("lookup stops at the first free slot")
        << QStringList{a, free, b, free} << 3 << QStringLiteral("鈴木|20|2026年12月06日 09:00")
        << QStringList{a, free, b, QStringLiteral("鈴木|20|1|2026年12月06日 09:00")} << 4 << 0
        << counted;
    // Id 0 marks a free slot: the entry would meet one and its empty time.
    QTest::newRow("id 0 is passed over")
        << QStringList{a, free} << 1 << QStringLiteral("x|0|2026年12月07日 11:00")
        << QStringList{a, free} << 1 << 0 << passedOver;
    QTest::newRow("id 0 with a time that does not convert is passed over too")
        << QStringList{a, free} << 1 << QStringLiteral("x|0|いつか") << QStringList{a, free} << 1
        << 0 << passedOver;
    QTest::newRow("id 0 in an empty table")
        << QStringList{free} << 0 << QStringLiteral("|0|2026年12月07日 11:00") << QStringList{free}
        << 0 << 0 << passedOver;
    QTest::newRow("stored time that does not convert")
        << QStringList{QStringLiteral("山田|10|3|そのうち"), free} << 1
        << QStringLiteral("山田|10|2026年12月07日 11:00")
        << QStringList{QStringLiteral("山田|10|3|そのうち"), free} << 1 << 13 << 0;
    QTest::newRow("empty stored time")
        << QStringList{QStringLiteral("山田|10|3|"), free} << 1
        << QStringLiteral("山田|10|2026年12月07日 11:00")
        << QStringList{QStringLiteral("山田|10|3|"), free} << 1 << 13 << 0;
    QTest::newRow("entry time that does not convert, for a known member")
        << QStringList{a, free} << 1 << QStringLiteral("山田|10|2026年昨日") << QStringList{a, free}
        << 1 << 13 << 0;
    QTest::newRow("negative id is a member like any other")
        << QStringList{free} << 0 << QStringLiteral("負|-5|2026年12月07日 11:00")
        << QStringList{QStringLiteral("負|-5|1|2026年12月07日 11:00")} << 1 << 0 << counted;
}

void NewVisitTest::entryIsCountedOrSkipped() {
    QFETCH(QStringList, before);
    QFETCH(int, rowCount);
    QFETCH(QString, entry);
    QFETCH(QStringList, after);
    QFETCH(int, rowCountAfter);
    QFETCH(int, error);
    QFETCH(int, step);

    VisitorTable table;
    fill(table, before);
    table.RowCount = rowCount;
    const QStringList e = entry.split(u'|');
    int thrown = 0;
    int done = -1;
    try {
        done = int(NewVisitStep(table, e[0], e[1].toInt(), e[2]));
    } catch (const RuntimeError& failure) {
        thrown = failure.number();
    }
    QCOMPARE(thrown, error);
    if (error == 0) {
        QCOMPARE(done, step);
    }
    QCOMPARE(dump(table, after.size()), after);
    QCOMPARE(table.RowCount, qsizetype(rowCountAfter));
}

void NewVisitTest::sameVisitOnBothPagesCountsOnce() {
    VisitorTable table;
    const QString visit = QStringLiteral("2026年12月07日 10:00");
    QCOMPARE(NewVisitStep(table, QStringLiteral("山田"), 10, visit), VisitStep::Counted);
    // Whether or not a ranking list shows the member by now.
    QCOMPARE(NewVisitStep(table, QStringLiteral("山田"), 10, visit), VisitStep::AlreadyCounted);
    QCOMPARE(table[0].AccessCount, 1);
    QCOMPARE(table.RowCount, qsizetype(1));
}

QTEST_GUILESS_MAIN(NewVisitTest)
#include "new_visit_test.moc"
