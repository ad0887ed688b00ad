// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "app/program_lifecycle.h"

ProgramLifecycle::ProgramLifecycle(QObject* parent) : QObject(parent) {}

void ProgramLifecycle::setCollecting(bool collecting) {
    const bool wasBusy = busy();
    m_collecting = collecting;
    busyMayHaveEnded(wasBusy);
}

void ProgramLifecycle::fileWorkStarted() {
    const bool wasBusy = busy();
    ++m_fileWork;
    busyMayHaveEnded(wasBusy);
}

void ProgramLifecycle::fileWorkFinished() {
    const bool wasBusy = busy();
    if (m_fileWork > 0) {
        --m_fileWork;
    }
    busyMayHaveEnded(wasBusy);
}

void ProgramLifecycle::startupLoadStarted() {
    m_loadingTable = true;
    m_runAfterLoad = false;
}

bool ProgramLifecycle::startupLoadFinished() {
    m_loadingTable = false;
    const bool run = m_runAfterLoad && !m_ended;
    m_runAfterLoad = false;
    return run;
}

bool ProgramLifecycle::runMayStart() const {
    // A load or a save between rows pumps events (a memo save does); a run started then would
    // sort and rewrite the table under it.
    return !m_collecting && !filesBusy() && !m_loadingTable && !m_ended;
}

ProgramLifecycle::RunDecision ProgramLifecycle::requestRun(RunRequest request) {
    if (m_ended) {
        return RunDecision::Refuse;
    }
    // The run needs the whole table; only the user's click is remembered for the load's end.
    if (m_loadingTable) {
        if (request == RunRequest::Button) {
            m_runAfterLoad = true;
            return RunDecision::AfterLoad;
        }
        return RunDecision::Refuse;
    }
    return runMayStart() ? RunDecision::Start : RunDecision::Refuse;
}

ProgramLifecycle::EndDecision ProgramLifecycle::requestEnd(EndRequest request, bool closeMinimises,
                                                           const QString& reason) {
    if (m_ended) {
        return EndDecision::Ignore;
    }
    if (request == EndRequest::CloseButton && closeMinimises) {
        return EndDecision::Minimise;
    }
    QString why = reason;
    if (why.isEmpty() && m_endPending) {
        why = m_pendingReason;
    }
    if (why.isEmpty()) {
        switch (request) {
            case EndRequest::CloseButton:
                why = QStringLiteral("ウィンドウ");
                break;
            case EndRequest::TrayExit:
                why = QStringLiteral("トレイの終了");
                break;
            case EndRequest::Signal:
                why = QStringLiteral("シグナル");
                break;
            case EndRequest::SessionEnd:
                why = QStringLiteral("セッション終了");
                break;
        }
    }
    if (busy()) {
        // Ending now would lose the page in progress or cut the file short.
        m_endPending = true;
        m_pendingReason = why;
        return EndDecision::Wait;
    }
    return end(why);
}

void ProgramLifecycle::busyMayHaveEnded(bool wasBusy) {
    if (wasBusy == busy()) {
        return;
    }
    Q_EMIT busyChanged(busy());
    // The waiting end passed the minimise test already.
    if (m_endPending && !busy() && !m_ended) {
        end(m_pendingReason);
    }
}

ProgramLifecycle::EndDecision ProgramLifecycle::end(QString reason) {
    m_endPending = false;
    m_pendingReason.clear();
    m_ended = true;
    Q_EMIT endDue(reason);
    return EndDecision::End;
}
