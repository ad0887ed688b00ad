// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <QtGlobal>

#include "platform/dialogs.h"
#include "visitors/status_panels.h"

struct Platform;

// What the schedule needs of the collection controller.
class ScheduleHost : public StatusPanels {
  public:
    // Whether "足跡取得" could start a run now: not while a page is being collected.
    virtual bool runMayStart() const = 0;
    // The collection run, as the button starts it.
    virtual void startRun() = 0;
    virtual void setStartupTimerActive(bool active) = 0;
    virtual void message(const QString& prompt, MessageIcon icon, const QString& title) = 0;
};

// The schedule: the interval box, the minute timer that counts down and starts runs, and the
// start-up run. The collection controller owns one and calls it from the box and its timers;
// the up-down control writes its steps into the box itself, so they reach the box's change
// handler as typing does.
class Schedule {
  public:
    static constexpr int kMinuteTimerIntervalMs = 60000;
    static constexpr int kStartupDelayMs = 3000;

    Schedule(Platform& platform, ScheduleHost& host);

    // Minutes between scheduled runs, and minutes counted since the countdown last started.
    qint32 waitTime() const { return m_waitTime; }
    qint32 elapsedMinutes() const { return m_elapsedMinutes; }
    // A run has collected a page: the countdown starts again.
    void restartCountdown() { m_elapsedMinutes = 0; }

    // The interval box's change handler: the text as a whole number of minutes (a fraction rounds
    // to the nearest, a half to the even one) within 16 bits becomes the wait time; anything else
    // is told to the user and the wait time stays. The box keeps the text either way.
    void setIntervalText(const QString& text);

    // Once a minute: the countdown in status panel 1, and a run when the interval has passed and
    // no run is under way.
    void minutePassed();

    // 3 seconds after start-up, once: the start-up run, unless a run is already under way.
    void startupDelayPassed();

  private:
    Platform& m_platform;
    ScheduleHost& m_host;
    qint32 m_waitTime = 30;
    qint32 m_elapsedMinutes = 0;
};
