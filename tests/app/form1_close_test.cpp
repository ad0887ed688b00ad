// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <csignal>

#include "app/check_box.h"
#include "app/exit_signals.h"
#include "app/form3.h"
#include "app/ranking_view.h"
#include "platform/text_codec.h"
#include "tests/app/form1_fixture.h"

namespace {

// Waiting: the window stays as it is and the exit is carried out when the page in progress ends.
enum class Outcome { Ended, HiddenInTray, MinimisedOnTaskbar, Waiting };

struct Seen {
    bool ended;
    bool visible;
    bool minimised;
};

Seen seen(Form1& form, const QSignalSpy& ended) {
    return {ended.count() > 0, form.isVisible(), form.isMinimized()};
}

bool trayIconRemoved(const FakeNotifyIcon& icon) {
    for (const auto& call : icon.calls) {
        if (call.message == NIM_DELETE) {
            return true;
        }
    }
    return false;
}

void fillTable(Form1& form, int rows) {
    for (int i = 0; i < rows; ++i) {
        form.table().SetVisitor(QStringLiteral("訪問者%1").arg(i), QString::number(1000 + i),
                                QString::number(rows - i), QStringLiteral("2026年12月06日 22:19"),
                                QString(), form.table().RowCount);
    }
    form.RefreshRanking();
}

}  // namespace

Q_DECLARE_METATYPE(Outcome)

class Form1CloseTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void closeRequestIsDecidedByTheFlags_data();
    void closeRequestIsDecidedByTheFlags();
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

void Form1CloseTest::closeRequestIsDecidedByTheFlags_data() {
    QTest::addColumn<bool>("quitRequested");
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

void Form1CloseTest::closeRequestIsDecidedByTheFlags() {
    QFETCH(bool, quitRequested);
    QFETCH(int, batsu);
    QFETCH(bool, busy);
    QFETCH(bool, trayAvailable);
    QFETCH(Outcome, outcome);

    Form1Fixture f;
    f.platform.notifyIcon->isAvailable = trayAvailable;
    f.form->Form_Load();
    QSignalSpy ended(f.form.get(), &Form1::programEnded);
    QVERIFY(f.form->BatsuChk->setValue(batsu));
    f.form->setBusy(busy);
    f.form->QuitRequested = quitRequested;

    const bool accepted = f.form->close();
    const Seen after = seen(*f.form, ended);
    QCOMPARE(accepted, outcome == Outcome::Ended);
    QCOMPARE(after.ended, outcome == Outcome::Ended);
    QCOMPARE(after.visible, outcome == Outcome::MinimisedOnTaskbar || outcome == Outcome::Waiting);
    QCOMPARE(after.minimised,
             outcome == Outcome::HiddenInTray || outcome == Outcome::MinimisedOnTaskbar);
    QCOMPARE(trayIconRemoved(*f.platform.notifyIcon), outcome == Outcome::Ended);
    // A minimise leaves the tray's request alone (there is none); everything else consumes it.
    QVERIFY(!f.form->QuitRequested);
}

void Form1CloseTest::exitDuringARunIsCarriedOutWhenThePageEnds_data() {
    QTest::addColumn<QString>("request");
    QTest::addColumn<QString>("logged");
    QTest::newRow("close button") << "close"
                                  << "終了 (ウィンドウ)";
    QTest::newRow("tray quit") << "tray"
                               << "終了 (トレイの終了)";
    QTest::newRow("signal") << "SIGTERM"
                            << "終了 (SIGTERM)";
}

void Form1CloseTest::exitDuringARunIsCarriedOutWhenThePageEnds() {
    QFETCH(QString, request);
    QFETCH(QString, logged);
    Form1Fixture f;
    f.form->Form_Load();
    QSignalSpy ended(f.form.get(), &Form1::programEnded);
    f.form->setBusy(true);
    if (request == u"close") {
        QVERIFY(!f.form->close());
    } else if (request == u"tray") {
        f.form->form3()->MNU_END_Click();
    } else {
        f.form->requestExit(request);
    }
    QVERIFY(f.form->isVisible());
    QCOMPARE(ended.count(), 0);
    QVERIFY(!f.form->QuitRequested);

    // The page's save in between does not end the run early.
    fillTable(*f.form, 3);
    f.form->SaveDataFile(f.form->DataPath, false);
    QCOMPARE(ended.count(), 0);

    f.form->setBusy(false);
    QCOMPARE(ended.count(), 1);
    QVERIFY(!f.form->isVisible());
    QVERIFY(trayIconRemoved(*f.platform.notifyIcon));
    QVERIFY(readBytes(f.path(QStringLiteral("kestrelview.log"))).contains(EncodeCp932(logged)));
}

void Form1CloseTest::exitSignalsAndTheSessionEndWriteTheSettings_data() {
    QTest::addColumn<int>("signalNumber");  // 0: the desktop session ends
    QTest::addColumn<bool>("duringARun");
    QTest::addColumn<QString>("logged");
    QTest::newRow("SIGTERM") << SIGTERM << false << "終了 (SIGTERM)";
    QTest::newRow("SIGINT") << SIGINT << false << "終了 (SIGINT)";
    QTest::newRow("SIGHUP during a run") << SIGHUP << true << "終了 (SIGHUP)";
    QTest::newRow("session end") << 0 << false << "終了 (セッション終了)";
    QTest::newRow("session end during a run") << 0 << true << "終了 (セッション終了)";
}

void Form1CloseTest::exitSignalsAndTheSessionEndWriteTheSettings() {
    QFETCH(int, signalNumber);
    QFETCH(bool, duringARun);
    QFETCH(QString, logged);
    Form1Fixture f;
    f.form->Form_Load();
    ExitSignals exitSignals;
    connect(&exitSignals, &ExitSignals::received, f.form.get(), &Form1::requestExit);
    QSignalSpy ended(f.form.get(), &Form1::programEnded);
    // Changed since start-up, and the window waits in the tray, where a logout finds it.
    f.form->Text1->setText(QStringLiteral("45"));
    QVERIFY(f.form->BatsuChk->setValue(1));
    f.form->form3()->MNU_VISIBLE_Click();
    QVERIFY(!f.form->isVisible());
    f.form->setBusy(duringARun);

    const QString setting = f.path(QStringLiteral("setting.ini"));
    if (signalNumber != 0) {
        QSignalSpy received(&exitSignals, &ExitSignals::received);
        QCOMPARE(::raise(signalNumber), 0);
        QTRY_COMPARE(received.count(), 1);
    } else {
        f.form->endSession();
        // The session may end the process before the run does.
        QVERIFY(readBytes(setting).contains("WaitTime=45\r\n"));
    }
    if (duringARun) {
        QCOMPARE(ended.count(), 0);
        f.form->setBusy(false);
    }
    QCOMPARE(ended.count(), 1);
    QVERIFY(readBytes(setting).contains("WaitTime=45\r\n"));
    QVERIFY(readBytes(setting).contains("Batsu=1\r\n"));
    QVERIFY(readBytes(f.path(QStringLiteral("kestrelview.log"))).contains(EncodeCp932(logged)));
}

void Form1CloseTest::minimisingHidesToTheTrayOnlyWhereThereIsOne_data() {
    QTest::addColumn<bool>("trayAvailable");
    QTest::addColumn<int>("batsu");
    QTest::newRow("tray") << true << 0;
    QTest::newRow("tray, ×で最小化") << true << 1;
    QTest::newRow("no tray") << false << 0;
}

void Form1CloseTest::minimisingHidesToTheTrayOnlyWhereThereIsOne() {
    QFETCH(bool, trayAvailable);
    QFETCH(int, batsu);
    Form1Fixture f;
    f.platform.notifyIcon->isAvailable = trayAvailable;
    f.form->Form_Load();
    QVERIFY(f.form->BatsuChk->setValue(batsu));
    const QRect listBefore = f.form->ListView1->geometry();

    f.form->setWindowState(Qt::WindowMinimized);
    QVERIFY(f.form->isMinimized());
    QCOMPARE(f.form->isVisible(), !trayAvailable);
    QCOMPARE(f.form->ListView1->geometry(), listBefore);
}

void Form1CloseTest::exitWaitsForASaveToFinish_data() {
    QTest::addColumn<bool>("fromTray");
    QTest::newRow("close button") << false;
    QTest::newRow("tray quit") << true;
}

void Form1CloseTest::exitWaitsForASaveToFinish() {
    QFETCH(bool, fromTray);
    Form1Fixture f;
    f.form->Form_Load();
    fillTable(*f.form, 50);
    QSignalSpy ended(f.form.get(), &Form1::programEnded);

    bool askedMidway = false;
    bool refusedMidway = false;
    f.platform.clock->onDoEvents = [&] {
        if (!askedMidway && f.form->FilesBusy() && f.platform.clock->sleepCalls == 10) {
            askedMidway = true;
            if (fromTray) {
                f.form->form3()->MNU_END_Click();
            } else {
                f.form->close();
            }
            refusedMidway = ended.isEmpty() && f.form->isVisible();
        }
    };
    f.form->SaveDataFile(f.form->DataPath, false);

    QVERIFY(askedMidway);
    QVERIFY(refusedMidway);
    QCOMPARE(ended.count(), 1);
    QVERIFY(!f.form->isVisible());
    QVERIFY(trayIconRemoved(*f.platform.notifyIcon));
    QFile saved(f.form->DataPath);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll().count("\r\n"), 50);
}

void Form1CloseTest::exitDuringASaveStillMinimisesWhenAsked() {
    Form1Fixture f;
    f.form->Form_Load();
    fillTable(*f.form, 20);
    QVERIFY(f.form->BatsuChk->setValue(1));
    QSignalSpy ended(f.form.get(), &Form1::programEnded);
    f.platform.clock->onDoEvents = [&] {
        if (f.platform.clock->sleepCalls == 5 && f.form->isVisible()) {
            f.form->close();
        }
    };
    f.form->SaveDataFile(f.form->DataPath, false);
    QVERIFY(f.form->isMinimized());
    QVERIFY(!f.form->isVisible());
    QCOMPARE(ended.count(), 0);
}

void Form1CloseTest::exitRemovesTheIconAndStopsTheTimers() {
    Form1Fixture f;
    writeBytes(f.path(QStringLiteral("setting.ini")), "[Setting]\r\nBootGet=1\r\n");
    f.form->Form_Load();
    QVERIFY(f.form->Timer2->isActive());
    QSignalSpy ended(f.form.get(), &Form1::programEnded);
    f.form->close();
    QCOMPARE(ended.count(), 1);
    QVERIFY(!f.form->Timer1->isActive());
    QVERIFY(!f.form->Timer2->isActive());

    const auto& last = f.platform.notifyIcon->calls.back();
    QCOMPARE(last.message, NIM_DELETE);
    QCOMPARE(last.data.cbSize, 88u);
    QCOMPARE(last.data.hWnd, static_cast<QObject*>(f.form->form3()));
    QCOMPARE(last.data.uID, 0u);
    QCOMPARE(last.data.uFlags, 7u);
    QCOMPARE(last.data.uCallbackMessage, 0u);
    QVERIFY(last.data.hIcon.isNull());
    QCOMPARE(last.data.szTip[0], '\0');
}

QTEST_MAIN(Form1CloseTest)
#include "form1_close_test.moc"
