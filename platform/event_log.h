// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <QtGlobal>

class Clock;

// The program's own record of what it did: "kestrelview.log" in the data folder, one line an
// event (a page collected or failed, a start, an exit, a failed save), so a user whose tally
// stopped growing can see why. CP932 with CR LF like the other files; once the file would pass
// 1 MiB it becomes "kestrelview.log.1" (the one before that is dropped) and a fresh file starts.
// Writing it never fails the caller: a log that cannot be written is silently skipped.
class EventLog {
  public:
    static constexpr qint64 kLimitBytes = 1024 * 1024;

    // Where the lines go and whose time they carry; with no file nothing is written but the echo.
    void setFile(const QString& path) { m_path = path; }
    void setClock(Clock* clock) { m_clock = clock; }
    // --verbose: every line is printed on standard error as well.
    void setEcho(bool echo) { m_echo = echo; }

    QString filePath() const { return m_path; }

    // One line: the local time to the second, a TAB, then `event` with its line breaks and TABs
    // written as blanks.
    void write(const QString& event);

  private:
    QString m_path;
    Clock* m_clock = nullptr;
    bool m_echo = false;
};
