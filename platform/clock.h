// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QDateTime>
#include <QtGlobal>
#include <memory>

// The millisecond counter, sleeping, the event pump and the wall clock. Everything that waits or
// reads the time goes through here, so tests can move time themselves.
class Clock {
  public:
    virtual ~Clock() = default;

    // Whole milliseconds since an arbitrary start; wraps around after 2^32.
    virtual quint32 milliseconds() = 0;
    virtual void sleep(quint32 milliseconds) = 0;
    // Lets the window handle its pending events once.
    virtual void processEvents() = 0;
    // The local date and time, to the second.
    virtual QDateTime now() = 0;
};

std::unique_ptr<Clock> createSystemClock();

// Waits just over `milliseconds` while pending window events keep being handled. The loop always
// runs at least once; a wrap-around of the counter does not shorten or lengthen the wait.
void WaitMilliseconds(Clock& clock, qint32 milliseconds);
