// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "tests/support/fake_clock.h"

#include <QCoreApplication>

void FakeClock::sleep(quint32 milliseconds) {
    ++sleepCalls;
    counter += milliseconds;
    wall = wall.addMSecs(milliseconds);
}

void FakeClock::processEvents() {
    ++doEventsCalls;
    if (processRealEvents) {
        QCoreApplication::processEvents();
    }
    if (onProcessEvents) {
        onProcessEvents();
    }
}

QDateTime FakeClock::now() {
    QDateTime now = wall;
    return now.addMSecs(-now.time().msec());
}
