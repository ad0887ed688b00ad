// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "tests/support/fake_clock.h"

#include <QCoreApplication>

void FakeClock::Sleep(quint32 milliseconds) {
    ++sleepCalls;
    counter += milliseconds;
    wall = wall.addMSecs(milliseconds);
}

void FakeClock::DoEvents() {
    ++doEventsCalls;
    if (processRealEvents) {
        QCoreApplication::processEvents();
    }
    if (onDoEvents) {
        onDoEvents();
    }
}

QDateTime FakeClock::Now() {
    QDateTime now = wall;
    return now.addMSecs(-now.time().msec());
}
