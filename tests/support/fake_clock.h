// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QDateTime>
#include <functional>

#include "platform/clock.h"

// A clock that moves only when the program sleeps or the test says so. sleep(n) moves both the
// millisecond counter and the wall clock by n.
class FakeClock final : public Clock {
  public:
    quint32 milliseconds() override { return counter; }
    void sleep(quint32 milliseconds) override;
    void processEvents() override;
    QDateTime now() override;

    void advance(quint32 milliseconds) { sleep(milliseconds); }

    quint32 counter = 0;
    QDateTime wall{QDate(2026, 12, 7), QTime(12, 0), Qt::LocalTime};
    // Handle the real Qt events too (widgets, queued calls) on every processEvents.
    bool processRealEvents = true;
    // Runs on every processEvents, after the real events: the place to click or close mid-wait.
    std::function<void()> onProcessEvents;

    int doEventsCalls = 0;
    int sleepCalls = 0;
};
