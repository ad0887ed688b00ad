// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "app/schedule.h"

#include "platform/clock.h"
#include "platform/conversions.h"
#include "platform/platform.h"

Schedule::Schedule(Platform& platform, ScheduleHost& host, qint32& waitTime, qint32& elapsedMinutes)
    : WaitTime(waitTime), ElapsedMinutes(elapsedMinutes), m_platform(platform), m_host(host) {}

void Schedule::Text1_Change(const QString& text) {
    const std::optional<double> number = ParseDecimal(text);
    const std::optional<qint64> minutes =
        number ? RoundHalfEven(*number, -32768, 32767) : std::nullopt;
    if (!minutes) {
        m_host.MsgBox(QStringLiteral("設定に失敗しました。"), MsgBoxIcon::None,
                      QStringLiteral("Kestrelview"));
        return;
    }
    WaitTime = qint32(*minutes);
}

void Schedule::Timer1_Timer() {
    m_host.SetPanelText(1, QStringLiteral("次の巡回まで") +
                               QString::number(qint64(WaitTime) - ElapsedMinutes) +
                               QStringLiteral("分"));
    ElapsedMinutes += 1;
    if (ElapsedMinutes >= WaitTime) {
        ElapsedMinutes = 0;
        if (m_host.command1Enabled()) {
            m_host.collectFootprints();
            m_platform.clock->DoEvents();
        }
    }
}

void Schedule::Timer2_Timer() {
    if (m_host.command1Enabled()) {
        m_host.collectFootprints();
    }
    m_host.setTimer2Enabled(false);
}
