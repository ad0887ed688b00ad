// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "platform/clock.h"

void WaitMilliseconds(Clock& clock, qint32 milliseconds) {
    const quint32 start = clock.milliseconds();
    for (;;) {
        clock.processEvents();
        clock.sleep(1);
        // Unsigned difference: correct across the counter's wrap-around, and long waits cannot
        // turn negative the way a signed difference would after 24.8 days.
        const quint32 elapsed = clock.milliseconds() - start;
        if (qint64(elapsed) > qint64(milliseconds)) {
            return;
        }
    }
}
