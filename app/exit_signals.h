// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QObject>
#include <QString>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP (a logout or shutdown, Ctrl+C, a closed terminal) as an ordinary
// event: the handler only writes the signal's number into a socket pair, and the event loop reads
// it and reports `received`, where the program may do what a signal handler may not.
class ExitSignals : public QObject {
    Q_OBJECT
  public:
    // Holds the signals back until an object exists to take them: a signal sent while the program
    // starts (before the event loop can read it) stays pending instead of killing the program.
    static void holdUntilInstalled();

    // Installs the handlers and lets held signals through; one object at a time. The destructor
    // restores the defaults.
    ExitSignals();
    ~ExitSignals() override;

    // "SIGTERM" for SIGTERM, and so on.
    static QString signalName(int signalNumber);

  Q_SIGNALS:
    void received(const QString& signalName);

  private:
    void readSignal();

    QSocketNotifier* m_notifier = nullptr;
};
