// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QTest>

#include "platform/runtime_error.h"
#include "visitors/visit_time.h"

class VisitTimeTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void readsTheFormsThePagesAndFilesHold_data();
    void readsTheFormsThePagesAndFilesHold();
    void anythingElseIsATypeMismatch_data();
    void anythingElseIsATypeMismatch();
    void ordersVisitTimes();
};

void VisitTimeTest::readsTheFormsThePagesAndFilesHold_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDateTime>("expected");
    const auto at = [](int y, int mo, int d, int h, int mi, int s = 0) {
        return QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::UTC);
    };
    QTest::newRow("footprint form, no leading zeros")
        << QStringLiteral("2009年1月7日 22:19") << at(2009, 1, 7, 22, 19);
    QTest::newRow("footprint form, leading zeros")
        << QStringLiteral("2009年01月07日 08:05") << at(2009, 1, 7, 8, 5);
    QTest::newRow("with seconds") << QStringLiteral("2026年12月07日 23:59:58")
                                  << at(2026, 12, 7, 23, 59, 58);
    QTest::newRow("slashes, as the clock is written")
        << QStringLiteral("2026/12/07 09:00:01") << at(2026, 12, 7, 9, 0, 1);
    QTest::newRow("single-digit hour")
        << QStringLiteral("2026年3月1日 7:05") << at(2026, 3, 1, 7, 5);
    QTest::newRow("no blank before the time")
        << QStringLiteral("2026年03月01日07:05") << at(2026, 3, 1, 7, 5);
    QTest::newRow("blanks around")
        << QStringLiteral(" 2026年3月1日  7:05 ") << at(2026, 3, 1, 7, 5);
    QTest::newRow("leap day") << QStringLiteral("2024年02月29日 12:00") << at(2024, 2, 29, 12, 0);
    QTest::newRow("hour skipped by a clock change")
        << QStringLiteral("2026年03月29日 02:30") << at(2026, 3, 29, 2, 30);
}

void VisitTimeTest::readsTheFormsThePagesAndFilesHold() {
    QFETCH(QString, text);
    QFETCH(QDateTime, expected);
    QCOMPARE(ParseVisitTime(text), expected);
}

void VisitTimeTest::anythingElseIsATypeMismatch_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("no year") << QStringLiteral("01月07日 22:19");
    QTest::newRow("date only") << QStringLiteral("2009年01月07日");
    QTest::newRow("no minutes") << QStringLiteral("2009年01月07日 22");
    QTest::newRow("month 13") << QStringLiteral("2009年13月07日 22:19");
    QTest::newRow("31 February") << QStringLiteral("2009年02月31日 22:19");
    QTest::newRow("hour 24") << QStringLiteral("2009年01月07日 24:00");
    QTest::newRow("minute 60") << QStringLiteral("2009年01月07日 22:60");
    QTest::newRow("markup inside") << QStringLiteral("2009年01月07日 <b>22:19");
    QTest::newRow("full-width digits") << QStringLiteral("２００９年１月７日 22:19");
    QTest::newRow("text after the time") << QStringLiteral("2009年01月07日 22:19 pm");
    QTest::newRow("letters") << QStringLiteral("abc");
}

void VisitTimeTest::anythingElseIsATypeMismatch() {
    QFETCH(QString, text);
    try {
        ParseVisitTime(text);
        QFAIL("converted");
    } catch (const RuntimeError& e) {
        QCOMPARE(e.number(), 13);
        QCOMPARE(e.description(), QStringLiteral("型が一致しません。"));
    }
}

void VisitTimeTest::ordersVisitTimes() {
    QVERIFY(ParseVisitTime(QStringLiteral("2008年12月31日 23:50")) <
            ParseVisitTime(QStringLiteral("2009年1月1日 0:10")));
    QCOMPARE(ParseVisitTime(QStringLiteral("2009年01月07日 22:19")),
             ParseVisitTime(QStringLiteral("2009/1/7 22:19:00")));
}

QTEST_GUILESS_MAIN(VisitTimeTest)
#include "visit_time_test.moc"
