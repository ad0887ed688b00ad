// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QCoreApplication>
#include <chrono>
#include <thread>

#include "platform/clock.h"

namespace {

class SystemClock final : public Clock {
  public:
    quint32 milliseconds() override {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        return quint32(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
    }
    void sleep(quint32 milliseconds) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
    void processEvents() override { QCoreApplication::processEvents(); }
    QDateTime now() override {
        // The parse loop reads the clock for every entry; the local-time conversion is the dear
        // part, so it is made once a second.
        const qint64 seconds = QDateTime::currentSecsSinceEpoch();
        if (seconds != m_nowSeconds) {
            m_nowSeconds = seconds;
            m_now = QDateTime::fromSecsSinceEpoch(seconds);
        }
        return m_now;
    }

  private:
    qint64 m_nowSeconds = -1;
    QDateTime m_now;
};

}  // namespace

std::unique_ptr<Clock> createSystemClock() {
    return std::make_unique<SystemClock>();
}
