// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

// What the start-up and idle benchmarks share with the baseline they measure the program against
// (baseline_program.cpp).
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QSet>
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "app/appearance.h"
#include "app/translations.h"
#include "bench/resident_memory.h"

// The application set up as the program's main() sets it up: its name, the font and Qt's
// Japanese texts.
inline void PrepareLikeTheProgram(QApplication& application) {
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setFont(ProgramFont());
    InstallQtJapanese(application);
}

// The shared libraries this process has mapped, each counted once.
inline int MappedLibraries() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly)) {
        return -1;
    }
    QSet<QByteArray> libraries;
    for (const QByteArray& line : maps.readAll().split('\n')) {
        const qsizetype slash = line.indexOf('/');
        if (slash < 0) {
            continue;
        }
        const QByteArray path = line.mid(slash);
        if (path.endsWith(".so") || path.contains(".so.")) {
            libraries.insert(path);
        }
    }
    return int(libraries.size());
}

// Runs the event loop for `milliseconds`.
inline void WaitMs(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents,
                                    int(std::max<qint64>(1, milliseconds - timer.elapsed())));
    }
}

inline qint64 MonotonicNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The time from `start` (MonotonicNanoseconds) to the first paint of the object it watches.
class FirstPaint : public QObject {
  public:
    explicit FirstPaint(qint64 start) : m_start(start) {}
    double milliseconds = -1;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && milliseconds < 0) {
            milliseconds = double(MonotonicNanoseconds() - m_start) / 1e6;
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    qint64 m_start;
};

// Waits up to 10 s for the first paint, lets the window and the tray settle for half a second,
// then prints the time to it, the resident KiB and the libraries mapped. 1 when nothing painted.
inline int ReportFirstPaint(const FirstPaint& firstPaint) {
    QElapsedTimer waited;
    waited.start();
    while (firstPaint.milliseconds < 0 && waited.elapsed() < 10000) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    WaitMs(500);
    std::printf("%.1f %ld %d\n", firstPaint.milliseconds, residentKilobytes(), MappedLibraries());
    return firstPaint.milliseconds < 0 ? 1 : 0;
}
