// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <csignal>

#include "app/check_box.h"
#include "app/exit_signals.h"
#include "app/ranking_view.h"
#include "tests/app/main_window_fixture.h"

namespace {

// Waiting: the window stays as it is and the exit is carried out when the page in progress ends.
enum class Outcome { Ended, HiddenInTray, MinimisedOnTaskbar, Waiting };

struct Seen {
    bool ended;
    bool visible;
    bool minimised;
};

Seen seen(MainWindow& window, const QSignalSpy& ended) {
    return {ended.count() > 0, window.isVisible(), window.isMinimized()};
}

bool trayIconRemoved(const FakeTrayIcon& icon) {
    return icon.hideCount > 0 && !icon.shown;
}

void fillTable(MainWindow& window, int rows) {
    for (int i = 0; i < rows; ++i) {
        window.book().table().SetVisitor(
            QStringLiteral("訪問者%1").arg(i), QString::number(1000 + i), QString::number(rows - i),
            QStringLiteral("2026年12月06日 22:19"), QString(), window.book().table().RowCount);
    }
    window.book().RefreshRanking();
}

}  // namespace

Q_DECLARE_METATYPE(Outcome)

class MainWindowCloseTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void closeRequestIsDecidedByWhatIsGoingOn_data();
    void closeRequestIsDecidedByWhatIsGoingOn();
    void exitDuringARunIsCarriedOutWhenThePageEnds_data();
    void exitDuringARunIsCarriedOutWhenThePageEnds();
    void exitSignalsAndTheSessionEndWriteTheSettings_data();
    void exitSignalsAndTheSessionEndWriteTheSettings();
    void minimisingHidesToTheTrayOnlyWhereThereIsOne_data();
    void minimisingHidesToTheTrayOnlyWhereThereIsOne();
    void exitWaitsForASaveToFinish_data();
    void exitWaitsForASaveToFinish();
    void exitDuringASaveStillMinimisesWhenAsked();
    void exitRemovesTheIconAndStopsTheTimers();
};

void MainWindowCloseTest::closeRequestIsDecidedByWhatIsGoingOn_data() {
    QTest::addColumn<bool>("fromTray");
    QTest::addColumn<int>("batsu");
    QTest::addColumn<bool>("busy");
    QTest::addColumn<bool>("trayAvailable");
    QTest::addColumn<Outcome>("outcome");

    QTest::newRow("close button") << false << 0 << false << true << Outcome::Ended;
    QTest::newRow("close button, ×で最小化")
        << false << 1 << false << true << Outcome::HiddenInTray;
    QTest::newRow("close button, ×で最小化 dimmed")
        << false << 2 << false << true << Outcome::Ended;
    QTest::newRow("close button, ×で最小化, busy")
        << false << 1 << true << true << Outcome::HiddenInTray;
    QTest::newRow("close button, ×で最小化, no tray")
        << false << 1 << false << false << Outcome::MinimisedOnTaskbar;
    QTest::newRow("close button, busy") << false << 0 << true << true << Outcome::Waiting;
    QTest::newRow("tray quit, ×で最小化") << true << 1 << false << true << Outcome::Ended;
    QTest::newRow("tray quit, busy") << true << 1 << true << true << Outcome::Waiting;
    QTest::newRow("tray quit, no tray") << true << 0 << false << false << Outcome::Ended;
}

void MainWindowCloseTest::closeRequestIsDecidedByWhatIsGoingOn() {
    QFETCH(bool, fromTray);
    QFETCH(int, batsu);
    QFETCH(bool, busy);
    QFETCH(bool, trayAvailable);
    QFETCH(Outcome, outcome);

    MainWindowFixture f;
    f.platform.trayIcon->isAvailable = trayAvailable;
    f.window->start();
    QSignalSpy ended(f.window.get(), &MainWindow::programEnded);
    control<CheckBox>(f.window, "BatsuChk")->setValue(Tick(batsu));
    f.window->collection().setBusy(busy);

    if (fromTray) {
        f.window->trayHost()->exitProgram();
    } else {
        QCOMPARE(f.window->close(), outcome == Outcome::Ended);
    }
    const Seen after = seen(*f.window, ended);
    QCOMPARE(after.ended, outcome == Outcome::Ended);
    QCOMPARE(after.visible, outcome == Outcome::MinimisedOnTaskbar || outcome == Outcome::Waiting);
    QCOMPARE(after.minimised,
             outcome == Outcome::HiddenInTray || outcome == Outcome::MinimisedOnTaskbar);
    QCOMPARE(trayIconRemoved(*f.platform.trayIcon), outcome == Outcome::Ended);
    QCOMPARE(f.window->lifecycle().endPending(), outcome == Outcome::Waiting);
}

void MainWindowCloseTest::exitDuringARunIsCarriedOutWhenThePageEnds_data() {
    QTest::addColumn<QString>("request");
    QTest::addColumn<QString>("logged");
    QTest::newRow("close button") << "close"
                                  << "終了 (ウィンドウ)";
    QTest::newRow("tray quit") << "tray"
                               << "終了 (トレイの終了)";
    QTest::newRow("signal") << "SIGTERM"
                            << "終了 (SIGTERM)";
}

void MainWindowCloseTest::exitDuringARunIsCarriedOutWhenThePageEnds() {
    QFETCH(QString, request);
    QFETCH(QString, logged);
    MainWindowFixture f;
    f.window->start();
    QSignalSpy ended(f.window.get(), &MainWindow::programEnded);
    f.window->collection().setBusy(true);
    if (request == u"close") {
        QVERIFY(!f.window->close());
    } else if (request == u"tray") {
        f.window->trayHost()->exitProgram();
    } else {
        f.window->requestExit(request);
    }
    QVERIFY(f.window->isVisible());
    QCOMPARE(ended.count(), 0);
    QVERIFY(f.window->lifecycle().endPending());

    // The page's save in between does not end the run early.
    fillTable(*f.window, 3);
    f.window->book().SaveDataFile(f.window->book().dataPath(), false);
    QCOMPARE(ended.count(), 0);

    f.window->collection().setBusy(false);
    QCOMPARE(ended.count(), 1);
    QVERIFY(!f.window->isVisible());
    QVERIFY(trayIconRemoved(*f.platform.trayIcon));
    QVERIFY(readBytes(f.path(QStringLiteral("kestrelview.log"))).contains(logged.toUtf8()));
}

void MainWindowCloseTest::exitSignalsAndTheSessionEndWriteTheSettings_data() {
    QTest::addColumn<int>("signalNumber");  // 0: the desktop session ends
    QTest::addColumn<bool>("duringARun");
    QTest::addColumn<QString>("logged");
    QTest::newRow("SIGTERM") << SIGTERM << false << "終了 (SIGTERM)";
    QTest::newRow("SIGINT") << SIGINT << false << "終了 (SIGINT)";
    QTest::newRow("SIGHUP during a run") << SIGHUP << true << "終了 (SIGHUP)";
    QTest::newRow("session end") << 0 << false << "終了 (セッション終了)";
    QTest::newRow("session end during a run") << 0 << true << "終了 (セッション終了)";
}

void MainWindowCloseTest::exitSignalsAndTheSessionEndWriteTheSettings() {
    QFETCH(int, signalNumber);
    QFETCH(bool, duringARun);
    QFETCH(QString, logged);
    MainWindowFixture f;
    f.window->start();
    ExitSignals exitSignals;
    connect(&exitSignals, &ExitSignals::received, f.window.get(), &MainWindow::requestExit);
    QSignalSpy ended(f.window.get(), &MainWindow::programEnded);
    // Changed since start-up, and the window waits in the tray, where a logout finds it.
    control<QLineEdit>(f.window, "Text1")->setText(QStringLiteral("45"));
    control<CheckBox>(f.window, "BatsuChk")->setValue(Tick::Ticked);
    f.window->trayHost()->toggleWindow();
    QVERIFY(!f.window->isVisible());
    f.window->collection().setBusy(duringARun);

    const QString setting = f.path(QStringLiteral("setting.ini"));
    if (signalNumber != 0) {
        QSignalSpy received(&exitSignals, &ExitSignals::received);
        QCOMPARE(::raise(signalNumber), 0);
        QTRY_COMPARE(received.count(), 1);
    } else {
        f.window->endSession();
        // The session may end the process before the run does.
        QVERIFY(readBytes(setting).contains("WaitTime=45\r\n"));
    }
    if (duringARun) {
        QCOMPARE(ended.count(), 0);
        f.window->collection().setBusy(false);
    }
    QCOMPARE(ended.count(), 1);
    QVERIFY(readBytes(setting).contains("WaitTime=45\r\n"));
    QVERIFY(readBytes(setting).contains("Batsu=1\r\n"));
    QVERIFY(readBytes(f.path(QStringLiteral("kestrelview.log"))).contains(logged.toUtf8()));
}

void MainWindowCloseTest::minimisingHidesToTheTrayOnlyWhereThereIsOne_data() {
    QTest::addColumn<bool>("trayAvailable");
    QTest::addColumn<int>("batsu");
    QTest::newRow("tray") << true << 0;
    QTest::newRow("tray, ×で最小化") << true << 1;
    QTest::newRow("no tray") << false << 0;
}

void MainWindowCloseTest::minimisingHidesToTheTrayOnlyWhereThereIsOne() {
    QFETCH(bool, trayAvailable);
    QFETCH(int, batsu);
    MainWindowFixture f;
    f.platform.trayIcon->isAvailable = trayAvailable;
    f.window->start();
    control<CheckBox>(f.window, "BatsuChk")->setValue(Tick(batsu));
    const QRect listBefore = control<RankingView>(f.window, "ListView1")->geometry();

    f.window->setWindowState(Qt::WindowMinimized);
    QVERIFY(f.window->isMinimized());
    QCOMPARE(f.window->isVisible(), !trayAvailable);
    QCOMPARE(control<RankingView>(f.window, "ListView1")->geometry(), listBefore);
}

void MainWindowCloseTest::exitWaitsForASaveToFinish_data() {
    QTest::addColumn<bool>("fromTray");
    QTest::newRow("close button") << false;
    QTest::newRow("tray quit") << true;
}

void MainWindowCloseTest::exitWaitsForASaveToFinish() {
    QFETCH(bool, fromTray);
    MainWindowFixture f;
    f.window->start();
    fillTable(*f.window, 50);
    QSignalSpy ended(f.window.get(), &MainWindow::programEnded);

    bool askedMidway = false;
    bool refusedMidway = false;
    f.platform.clock->onProcessEvents = [&] {
        if (!askedMidway && f.window->lifecycle().filesBusy() &&
            f.platform.clock->sleepCalls == 10) {
            askedMidway = true;
            if (fromTray) {
                f.window->trayHost()->exitProgram();
            } else {
                f.window->close();
            }
            refusedMidway = ended.isEmpty() && f.window->isVisible();
        }
    };
    f.window->book().SaveDataFile(f.window->book().dataPath(), false);

    QVERIFY(askedMidway);
    QVERIFY(refusedMidway);
    QCOMPARE(ended.count(), 1);
    QVERIFY(!f.window->isVisible());
    QVERIFY(trayIconRemoved(*f.platform.trayIcon));
    QFile saved(f.window->book().dataPath());
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll().count("\r\n"), 50);
}

void MainWindowCloseTest::exitDuringASaveStillMinimisesWhenAsked() {
    MainWindowFixture f;
    f.window->start();
    fillTable(*f.window, 20);
    control<CheckBox>(f.window, "BatsuChk")->setValue(Tick::Ticked);
    QSignalSpy ended(f.window.get(), &MainWindow::programEnded);
    f.platform.clock->onProcessEvents = [&] {
        if (f.platform.clock->sleepCalls == 5 && f.window->isVisible()) {
            f.window->close();
        }
    };
    f.window->book().SaveDataFile(f.window->book().dataPath(), false);
    QVERIFY(f.window->isMinimized());
    QVERIFY(!f.window->isVisible());
    QCOMPARE(ended.count(), 0);
}

void MainWindowCloseTest::exitRemovesTheIconAndStopsTheTimers() {
    MainWindowFixture f;
    writeBytes(f.path(QStringLiteral("setting.ini")), "[Setting]\r\nBootGet=1\r\n");
    f.window->start();
    QVERIFY(control<QTimer>(f.window, "Timer2")->isActive());
    QSignalSpy ended(f.window.get(), &MainWindow::programEnded);
    f.window->close();
    QCOMPARE(ended.count(), 1);
    QVERIFY(!control<QTimer>(f.window, "Timer1")->isActive());
    QVERIFY(!control<QTimer>(f.window, "Timer2")->isActive());

    QVERIFY(trayIconRemoved(*f.platform.trayIcon));
}

QTEST_MAIN(MainWindowCloseTest)
#include "main_window_close_test.moc"
