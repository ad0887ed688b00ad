// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QSignalSpy>
#include <QTest>

#include "app/program_lifecycle.h"

namespace {

using Lifecycle = ProgramLifecycle;

enum class Request {
    Button,
    Schedule,
    CloseButton,
    CloseButtonMinimising,  // ×で最小化 ticked
    TrayExit,
    Signal,
    SessionEnd,
    PageDone,
    FileDone,
    LoadDone,  // the start-up load's rows are all read
};

// What is going on when the request comes.
struct State {
    bool collecting = false;
    bool fileWork = false;
    bool startupLoad = false;  // a load also counts as file work
    bool clickedDuringLoad = false;
    QString pendingEnd;  // an end that waits, and its reason
    bool ended = false;
};

QString runText(Lifecycle::RunDecision decision) {
    switch (decision) {
        case Lifecycle::RunDecision::Start:
            return QStringLiteral("start");
        case Lifecycle::RunDecision::AfterLoad:
            return QStringLiteral("after load");
        case Lifecycle::RunDecision::Refuse:
            return QStringLiteral("refuse");
    }
    return {};
}

QString endText(Lifecycle::EndDecision decision) {
    switch (decision) {
        case Lifecycle::EndDecision::Ignore:
            return QStringLiteral("ignore");
        case Lifecycle::EndDecision::Minimise:
            return QStringLiteral("minimise");
        case Lifecycle::EndDecision::Wait:
            return QStringLiteral("wait");
        case Lifecycle::EndDecision::End:
            return QStringLiteral("end");
    }
    return {};
}

void enter(Lifecycle& lifecycle, const State& state) {
    if (state.ended) {
        lifecycle.requestEnd(Lifecycle::EndRequest::Signal, false, QStringLiteral("SIGTERM"));
    }
    if (state.startupLoad) {
        lifecycle.startupLoadStarted();
        lifecycle.fileWorkStarted();
    }
    if (state.clickedDuringLoad) {
        lifecycle.requestRun(Lifecycle::RunRequest::Button);
    }
    if (state.collecting) {
        lifecycle.setCollecting(true);
    }
    if (state.fileWork) {
        lifecycle.fileWorkStarted();
    }
    if (!state.pendingEnd.isEmpty()) {
        lifecycle.requestEnd(Lifecycle::EndRequest::Signal, false, state.pendingEnd);
    }
}

// The decision, with the reason of an end carried out by it, as "end (SIGTERM)".
QString ask(Lifecycle& lifecycle, Request request) {
    switch (request) {
        case Request::Button:
            return runText(lifecycle.requestRun(Lifecycle::RunRequest::Button));
        case Request::Schedule:
            return runText(lifecycle.requestRun(Lifecycle::RunRequest::Schedule));
        case Request::CloseButton:
            return endText(lifecycle.requestEnd(Lifecycle::EndRequest::CloseButton, false));
        case Request::CloseButtonMinimising:
            return endText(lifecycle.requestEnd(Lifecycle::EndRequest::CloseButton, true));
        case Request::TrayExit:
            return endText(lifecycle.requestEnd(Lifecycle::EndRequest::TrayExit, true));
        case Request::Signal:
            return endText(lifecycle.requestEnd(Lifecycle::EndRequest::Signal, true,
                                                QStringLiteral("SIGHUP")));
        case Request::SessionEnd:
            return endText(lifecycle.requestEnd(Lifecycle::EndRequest::SessionEnd, true));
        case Request::PageDone:
            lifecycle.setCollecting(false);
            return QStringLiteral("none");
        case Request::FileDone:
            lifecycle.fileWorkFinished();
            return QStringLiteral("none");
        case Request::LoadDone: {
            // As the window does: the load's file work ends, then the load.
            lifecycle.fileWorkFinished();
            const bool run = lifecycle.startupLoadFinished();
            return run ? QStringLiteral("start") : QStringLiteral("none");
        }
    }
    return {};
}

}  // namespace

Q_DECLARE_METATYPE(Request)
Q_DECLARE_METATYPE(State)

class ProgramLifecycleTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void decidesRunsAndEndsFromWhatIsGoingOn_data();
    void decidesRunsAndEndsFromWhatIsGoingOn();
};

void ProgramLifecycleTest::decidesRunsAndEndsFromWhatIsGoingOn_data() {
    QTest::addColumn<State>("state");
    QTest::addColumn<Request>("request");
    QTest::addColumn<QString>("decision");
    QTest::addColumn<bool>("pendingAfter");

    const State idle;
    State collecting;
    collecting.collecting = true;
    State fileWork;
    fileWork.fileWork = true;
    State loading;
    loading.startupLoad = true;
    State clickedDuringLoad = loading;
    clickedDuringLoad.clickedDuringLoad = true;
    State pendingDuringRun = collecting;
    pendingDuringRun.pendingEnd = QStringLiteral("SIGTERM");
    State pendingDuringFile = fileWork;
    pendingDuringFile.pendingEnd = QStringLiteral("トレイの終了");
    State pendingDuringBoth = pendingDuringRun;
    pendingDuringBoth.fileWork = true;
    State pendingDuringLoad = clickedDuringLoad;
    pendingDuringLoad.pendingEnd = QStringLiteral("SIGINT");
    State ended;
    ended.ended = true;

    // Runs
    QTest::newRow("button, idle") << idle << Request::Button << "start" << false;
    QTest::newRow("schedule, idle") << idle << Request::Schedule << "start" << false;
    QTest::newRow("button, collecting") << collecting << Request::Button << "refuse" << false;
    QTest::newRow("schedule, collecting") << collecting << Request::Schedule << "refuse" << false;
    QTest::newRow("button, file between rows") << fileWork << Request::Button << "refuse" << false;
    QTest::newRow("schedule, file between rows")
        << fileWork << Request::Schedule << "refuse" << false;
    QTest::newRow("button, start-up load") << loading << Request::Button << "after load" << false;
    QTest::newRow("schedule, start-up load") << loading << Request::Schedule << "refuse" << false;
    QTest::newRow("load ends after a click")
        << clickedDuringLoad << Request::LoadDone << "start" << false;
    QTest::newRow("load ends, no click") << loading << Request::LoadDone << "none" << false;
    QTest::newRow("button, ended") << ended << Request::Button << "refuse" << false;
    QTest::newRow("schedule, ended") << ended << Request::Schedule << "refuse" << false;

    // Ends asked for
    QTest::newRow("close, idle") << idle << Request::CloseButton << "end (ウィンドウ)" << false;
    QTest::newRow("close minimising, idle")
        << idle << Request::CloseButtonMinimising << "minimise" << false;
    QTest::newRow("tray exit, idle") << idle << Request::TrayExit << "end (トレイの終了)" << false;
    QTest::newRow("signal, idle") << idle << Request::Signal << "end (SIGHUP)" << false;
    QTest::newRow("session end, idle")
        << idle << Request::SessionEnd << "end (セッション終了)" << false;
    QTest::newRow("close, collecting") << collecting << Request::CloseButton << "wait" << true;
    QTest::newRow("close minimising, collecting")
        << collecting << Request::CloseButtonMinimising << "minimise" << false;
    QTest::newRow("tray exit, collecting") << collecting << Request::TrayExit << "wait" << true;
    QTest::newRow("signal, file between rows") << fileWork << Request::Signal << "wait" << true;
    QTest::newRow("session end, start-up load") << loading << Request::SessionEnd << "wait" << true;
    QTest::newRow("close minimising, end pending")
        << pendingDuringRun << Request::CloseButtonMinimising << "minimise" << true;
    QTest::newRow("close, end pending keeps its reason")
        << pendingDuringRun << Request::CloseButton << "wait" << true;
    QTest::newRow("close, ended") << ended << Request::CloseButton << "ignore" << false;
    QTest::newRow("signal, ended") << ended << Request::Signal << "ignore" << false;

    // A pending end is carried out when what it waited for is whole
    QTest::newRow("page done, end pending")
        << pendingDuringRun << Request::PageDone << "none, then end (SIGTERM)" << false;
    QTest::newRow("file done, end pending")
        << pendingDuringFile << Request::FileDone << "none, then end (トレイの終了)" << false;
    QTest::newRow("page done, file still between rows")
        << pendingDuringBoth << Request::PageDone << "none" << true;
    QTest::newRow("file done, page still collected")
        << pendingDuringBoth << Request::FileDone << "none" << true;
    QTest::newRow("load done, end pending: no run")
        << pendingDuringLoad << Request::LoadDone << "none, then end (SIGINT)" << false;
    QTest::newRow("page done, nothing pending")
        << collecting << Request::PageDone << "none" << false;
}

void ProgramLifecycleTest::decidesRunsAndEndsFromWhatIsGoingOn() {
    QFETCH(State, state);
    QFETCH(Request, request);
    QFETCH(QString, decision);
    QFETCH(bool, pendingAfter);

    ProgramLifecycle lifecycle;
    enter(lifecycle, state);
    QSignalSpy endDue(&lifecycle, &ProgramLifecycle::endDue);

    QString seen = ask(lifecycle, request);
    QVERIFY(endDue.count() <= 1);
    if (!endDue.isEmpty()) {
        const QString reason = endDue.first().first().toString();
        seen = seen == u"end" ? QStringLiteral("end (%1)").arg(reason)
                              : seen + QStringLiteral(", then end (%1)").arg(reason);
    }
    QCOMPARE(seen, decision);
    QCOMPARE(lifecycle.endPending(), pendingAfter);
    QCOMPARE(lifecycle.ended(), state.ended || decision.contains(u"end ("));
    // An ended program starts no run, whatever asks.
    if (lifecycle.ended()) {
        QVERIFY(!lifecycle.runMayStart());
    }
}

QTEST_MAIN(ProgramLifecycleTest)
#include "program_lifecycle_test.moc"
