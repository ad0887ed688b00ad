// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "app/schedule.h"

#include "platform/clock.h"
#include "platform/conversions.h"
#include "platform/platform.h"

Schedule::Schedule(Platform& platform, ScheduleHost& host) : m_platform(platform), m_host(host) {}

void Schedule::setIntervalText(const QString& text) {
    const std::optional<double> number = ParseDecimal(text);
    const std::optional<qint64> minutes =
        number ? RoundHalfEven(*number, -32768, 32767) : std::nullopt;
    if (!minutes) {
        m_host.message(QStringLiteral("設定に失敗しました。"), MessageIcon::None,
                       QStringLiteral("Kestrelview"));
        return;
    }
    m_waitTime = qint32(*minutes);
}

void Schedule::minutePassed() {
    m_host.showStatus(1, QStringLiteral("次の巡回まで") +
                             QString::number(qint64(m_waitTime) - m_elapsedMinutes) +
                             QStringLiteral("分"));
    m_elapsedMinutes += 1;
    if (m_elapsedMinutes >= m_waitTime) {
        m_elapsedMinutes = 0;
        if (m_host.runMayStart()) {
            m_host.startRun();
            m_platform.clock->processEvents();
        }
    }
}

void Schedule::startupDelayPassed() {
    if (m_host.runMayStart()) {
        m_host.startRun();
    }
    m_host.setStartupTimerActive(false);
}
