// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QObject>
#include <QString>

// Whether a collection run may start and whether the program may end, decided in one place from
// what is going on: a page being collected, a visitor file being loaded or saved between rows,
// the start-up load, an end that waits, an end already carried out. It holds no widgets; the
// main window and its roles report to it and do what it decides.
class ProgramLifecycle : public QObject {
    Q_OBJECT
  public:
    // Who asks for a run: the "足跡取得" button, or the schedule (the minute timer and the
    // start-up run).
    enum class RunRequest { Button, Schedule };
    enum class RunDecision {
        Start,
        // The start-up load is under way: the run starts once it has ended.
        AfterLoad,
        Refuse,
    };
    // Who asks for the end: the window's close button (which ×で最小化 may turn into a
    // minimise), or a real exit that nothing turns into a minimise.
    enum class EndRequest { CloseButton, TrayExit, Signal, SessionEnd };
    enum class EndDecision {
        // The program has ended already.
        Ignore,
        Minimise,
        // A page or a file is under way; the end is carried out when it is whole.
        Wait,
        End,
    };

    explicit ProgramLifecycle(QObject* parent = nullptr);

    // --- What is going on ---
    // A page is being collected.
    void setCollecting(bool collecting);
    bool collecting() const { return m_collecting; }
    // A load or a save of a visitor file; they may nest when one pumps events.
    void fileWorkStarted();
    void fileWorkFinished();
    bool filesBusy() const { return m_fileWork > 0; }
    // The visitor table's load at start-up. Ending it returns whether a click came during it.
    void startupLoadStarted();
    bool startupLoadFinished();
    bool endPending() const { return m_endPending; }
    bool ended() const { return m_ended; }

    // --- Requests ---
    // Whether a run may start now, without asking for one.
    bool runMayStart() const;
    RunDecision requestRun(RunRequest request);
    // `closeMinimises` is ×で最小化; `reason` goes into the log ("SIGTERM"), empty for the
    // default of the request.
    EndDecision requestEnd(EndRequest request, bool closeMinimises, const QString& reason = {});

  Q_SIGNALS:
    // Decided now, or when what an end waited for is whole. Sent once.
    void endDue(const QString& reason);
    // collecting() or filesBusy() changed: the commands that change the table follow it.
    void busyChanged(bool busy);

  private:
    bool busy() const { return m_collecting || filesBusy(); }
    void busyMayHaveEnded(bool wasBusy);
    EndDecision end(QString reason);

    bool m_collecting = false;
    int m_fileWork = 0;
    bool m_loadingTable = false;
    bool m_runAfterLoad = false;
    bool m_endPending = false;
    QString m_pendingReason;
    bool m_ended = false;
};
