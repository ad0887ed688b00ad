// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QtTest>

#include "collect/new_visit.h"
#include "platform/runtime_error.h"
#include "visitors/maintenance.h"
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

// What a scan from slot 0 finds: the first slot with the id, before the first free slot.
qsizetype scanFor(const VisitorTable& table, qint32 id) {
    for (qsizetype k = 0; k < table.slotCount(); ++k) {
        if (table[k].Id == id) {
            return k;
        }
        if (table[k].Id == 0) {
            return -1;
        }
    }
    return -1;
}

// Runs one step of a script: "rows ID:COUNT..." (file rows from RowCount on), "load ID:COUNT..."
// (a load from slot 0 over what is there), "set SLOT ID:COUNT", "visit ID" (a later visit),
// "grow N" (N newcomers), "sort", "delete MAX", "reset", "clear SLOT", "id SLOT ID" (a write
// through the slots).
void runStep(VisitorTable& table, const QString& step, int& minute) {
    const QStringList words = step.split(u' ');
    const auto setRow = [&table](const QString& row, qsizetype slot) {
        const QStringList f = row.split(u':');
        table.SetVisitor(QStringLiteral("v") + f[0], f[0], f[1],
                         QStringLiteral("2026年12月01日 10:00"), QString(), slot);
    };
    const auto visit = [&table, &minute](qint32 id) {
        ++minute;
        const QString time = QStringLiteral("2026年12月02日 %1:%2")
                                 .arg(10 + minute / 60)
                                 .arg(minute % 60, 2, 10, QChar(u'0'));
        NewVisitStep(table, QStringLiteral("v%1").arg(id), id, time);
    };
    const QString& verb = words[0];
    if (verb == u"rows" || verb == u"load") {
        if (verb == u"load") {
            table.RowCount = 0;
        }
        for (const QString& row : words.sliced(1)) {
            setRow(row, table.RowCount);
        }
    } else if (verb == u"set") {
        setRow(words[2], words[1].toInt());
    } else if (verb == u"visit") {
        visit(words[1].toInt());
    } else if (verb == u"grow") {
        for (int i = 0; i < words[1].toInt(); ++i) {
            visit(1000 + i);
        }
    } else if (verb == u"sort") {
        sortVisitorSlots(table, 0, table.upperBound());
    } else if (verb == u"delete") {
        DeleteByCount(table, words[1].toInt());
    } else if (verb == u"reset") {
        table.reset();
    } else if (verb == u"clear") {
        table[words[1].toInt()] = VisitorRecord{};
    } else if (verb == u"id") {
        table[words[1].toInt()].Id = words[2].toInt();
    } else {
        QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
    }
}

}  // namespace

class NewVisitTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void entryIsCountedOrSkipped_data();
    void entryIsCountedOrSkipped();
    void sameVisitOnBothPagesCountsOnce();
    void lookupAgreesWithAScanThroughEveryChange_data();
    void lookupAgreesWithAScanThroughEveryChange();
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

void NewVisitTest::lookupAgreesWithAScanThroughEveryChange_data() {
    QTest::addColumn<QString>("steps");
    QTest::newRow("visits of members and newcomers, then the end-of-page sort")
        << "rows 5:3 3:1 5:2 7:1; visit 5; visit 9; visit 3; visit 9; sort; visit 7; visit 11; "
           "sort";
    QTest::newRow("deletes by count clear rows")
        << "rows 5:3 3:1 8:2 7:1; delete 1; visit 3; visit 8; delete 5; visit 5; visit 8";
    QTest::newRow("a load over the rows there")
        << "rows 5:3 3:1 8:2; load 8:1 8:4; visit 3; visit 8; load 2:1; visit 5; visit 2";
    QTest::newRow("a reset, then the same members again")
        << "rows 5:1 6:1; reset; visit 6; rows 6:2 5:1; visit 5";
    QTest::newRow("rows behind a free slot, until it is filled")
        << "rows 5:1 0:1 6:1; visit 6; set 1 6:1; visit 6; set 0 0:1; visit 5; visit 6";
    QTest::newRow("writes through the slots")
        << "rows 5:1 6:1 7:1; id 1 5; visit 5; clear 0; visit 9; id 2 9; visit 6; visit 9";
    QTest::newRow("a table that grows")
        << "grow 300; visit 1150; sort; visit 1299; delete 1; grow 3";
}

void NewVisitTest::lookupAgreesWithAScanThroughEveryChange() {
    QFETCH(QString, steps);
    VisitorTable table;
    int minute = 0;
    for (const QString& step : steps.split(QStringLiteral("; "))) {
        runStep(table, step, minute);
        QList<qint32> ids{0, 4, 999999};
        for (const VisitorRecord& slot : std::as_const(table).slots()) {
            ids << slot.Id;
        }
        for (const qint32 id : ids) {
            if (table.findVisitor(id) != scanFor(table, id)) {
                QFAIL(qPrintable(QStringLiteral("after \"%1\", id %2 found at %3, a scan finds %4")
                                     .arg(step)
                                     .arg(id)
                                     .arg(table.findVisitor(id))
                                     .arg(scanFor(table, id))));
            }
        }
    }
}

QTEST_GUILESS_MAIN(NewVisitTest)
#include "new_visit_test.moc"
