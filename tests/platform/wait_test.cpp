// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include "platform/clock.h"
#include "tests/support/fake_clock.h"

class WaitTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void lastsJustOverTheRequestedTime_data();
    void lastsJustOverTheRequestedTime();
    void handlesEventsOnEveryPass();
    void endsAcrossTheCounterWrapAround();
    void longWaitsDoNotTurnNegative();
    void realClockWaitsAtLeastTheRequestedTime();
};

void WaitTest::lastsJustOverTheRequestedTime_data() {
    QTest::addColumn<int>("milliseconds");
    QTest::addColumn<int>("passes");
    QTest::newRow("zero waits for the counter to move") << 0 << 1;
    QTest::newRow("negative returns after the first pass") << -5 << 1;
    QTest::newRow("one millisecond takes two") << 1 << 2;
    QTest::newRow("a second") << 1000 << 1001;
}

void WaitTest::lastsJustOverTheRequestedTime() {
    QFETCH(int, milliseconds);
    QFETCH(int, passes);
    FakeClock clock;
    clock.counter = 5000;
    WaitMilliseconds(clock, milliseconds);
    QCOMPARE(clock.sleepCalls, passes);
    QCOMPARE(clock.doEventsCalls, passes);
    QCOMPARE(clock.counter, quint32(5000 + passes));
}

void WaitTest::handlesEventsOnEveryPass() {
    FakeClock clock;
    int fired = 0;
    QTimer::singleShot(0, this, [&fired] { ++fired; });
    WaitMilliseconds(clock, 3);
    QCOMPARE(fired, 1);
}

void WaitTest::endsAcrossTheCounterWrapAround() {
    FakeClock clock;
    clock.counter = 0xFFFFFF00u;  // 256 ms before the counter wraps
    WaitMilliseconds(clock, 1000);
    QCOMPARE(clock.sleepCalls, 1001);
    QCOMPARE(clock.counter, quint32(0xFFFFFF00u + 1001u));
}

void WaitTest::longWaitsDoNotTurnNegative() {
    // A counter that leaps: after 2^31 ms a signed difference would read as negative and the wait
    // would never end.
    FakeClock clock;
    clock.onProcessEvents = [&clock] { clock.counter += 0x40000000u; };
    WaitMilliseconds(clock, 0x7FFFFFFF);
    QCOMPARE(clock.sleepCalls, 2);
}

void WaitTest::realClockWaitsAtLeastTheRequestedTime() {
    auto clock = createSystemClock();
    QElapsedTimer timer;
    timer.start();
    WaitMilliseconds(*clock, 20);
    QVERIFY2(timer.elapsed() >= 20, qPrintable(QString::number(timer.elapsed())));
}

QTEST_GUILESS_MAIN(WaitTest)
#include "wait_test.moc"
