// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <QtGlobal>

#include "platform/dialogs.h"
#include "visitors/status_panels.h"

struct Platform;

// What the schedule needs of the main window. The main window implements it.
class ScheduleHost : public StatusPanels {
  public:
    // Whether "足跡取得" (Command1) is enabled: it is not while a page is being collected.
    virtual bool command1Enabled() const = 0;
    // The collection run, as the button starts it.
    virtual void collectFootprints() = 0;
    virtual void setTimer2Enabled(bool enabled) = 0;
    virtual void MsgBox(const QString& prompt, MsgBoxIcon icon, const QString& title) = 0;
};

// The schedule: the interval box, the minute timer that counts down and starts runs, and the
// start-up run. The main window owns one and calls its handlers from its controls and timers;
// UpDown1 writes its steps into Text1 itself, so they reach the box's change handler as typing
// does.
class Schedule {
  public:
    static constexpr int kTimer1IntervalMs = 60000;
    static constexpr int kTimer2IntervalMs = 3000;

    // `waitTime` and `elapsedMinutes` are the window's own fields, which the schedule works on.
    Schedule(Platform& platform, ScheduleHost& host, qint32& waitTime, qint32& elapsedMinutes);

    // Minutes between scheduled runs, and minutes counted since the countdown last started.
    qint32& WaitTime;
    qint32& ElapsedMinutes;

    // Text1's change handler: the text as a whole number of minutes (a fraction rounds to the
    // nearest, a half to the even one) within 16 bits becomes WaitTime; anything else is told to
    // the user and WaitTime stays. The box keeps the text either way.
    void Text1_Change(const QString& text);

    // Once a minute: the countdown in status panel 1, and a run when the interval has passed and
    // no run is under way.
    void Timer1_Timer();

    // 3 seconds after start-up, once: the start-up run, unless a run is already under way.
    void Timer2_Timer();

  private:
    Platform& m_platform;
    ScheduleHost& m_host;
};
