// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <QtGlobal>

class Clock;

// The program's own record of what it did: "kestrelview.log" in the data folder, one line an
// event (a page collected or failed, a start, an exit, a failed save), so a user whose tally
// stopped growing can see why. It is read in a terminal, so unlike the data files it is UTF-8
// with LF line ends; a log found in another encoding is kept as "kestrelview.log.1" and a fresh
// file starts. Once the file would pass 1 MiB it becomes "kestrelview.log.1" (the one before that
// is dropped) and a fresh file starts. Writing it never fails the caller: a line that cannot be
// written leaves no part of itself in the file and goes to standard error instead.
class EventLog {
  public:
    static constexpr qint64 kLimitBytes = 1024 * 1024;

    // Where the lines go and whose time they carry; with no file nothing is written but the echo.
    void setFile(const QString& path);
    void setClock(Clock* clock) { m_clock = clock; }
    // --verbose: every line is printed on standard error as well.
    void setEcho(bool echo) { m_echo = echo; }

    QString filePath() const { return m_path; }

    // One line: the local time to the second, a TAB, then `event` with its line breaks and TABs
    // written as blanks.
    void write(const QString& event);

  private:
    void rotate() const;
    bool append(const QByteArray& bytes) const;

    QString m_path;
    bool m_checked = false;
    Clock* m_clock = nullptr;
    bool m_echo = false;
};
