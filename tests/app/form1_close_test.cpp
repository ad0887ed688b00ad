#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "app/check_box.h"
#include "app/form3.h"
#include "app/ranking_view.h"
#include "tests/app/form1_fixture.h"

namespace {

enum class Outcome { Ended, HiddenInTray, MinimisedOnTaskbar, Refused };

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
    void refusedCloseSucceedsOnceTheRunIsOver();
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
    QTest::newRow("close button, busy") << false << 0 << true << true << Outcome::Refused;
    QTest::newRow("tray quit, ×で最小化") << true << 1 << false << true << Outcome::Ended;
    QTest::newRow("tray quit, busy") << true << 1 << true << true << Outcome::Refused;
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
    f.form->Busy = busy;
    f.form->QuitRequested = quitRequested;

    const bool accepted = f.form->close();
    const Seen after = seen(*f.form, ended);
    QCOMPARE(accepted, outcome == Outcome::Ended);
    QCOMPARE(after.ended, outcome == Outcome::Ended);
    QCOMPARE(after.visible, outcome == Outcome::MinimisedOnTaskbar || outcome == Outcome::Refused);
    QCOMPARE(after.minimised,
             outcome == Outcome::HiddenInTray || outcome == Outcome::MinimisedOnTaskbar);
    QCOMPARE(trayIconRemoved(*f.platform.notifyIcon), outcome == Outcome::Ended);
    // A minimise leaves the tray's request alone (there is none); everything else consumes it.
    QVERIFY(!f.form->QuitRequested);
}

void Form1CloseTest::refusedCloseSucceedsOnceTheRunIsOver() {
    Form1Fixture f;
    f.form->Form_Load();
    QSignalSpy ended(f.form.get(), &Form1::programEnded);
    f.form->Busy = true;
    f.form->QuitRequested = true;
    QVERIFY(!f.form->close());
    QVERIFY(f.form->isVisible());
    QCOMPARE(ended.count(), 0);
    QVERIFY(!f.form->QuitRequested);

    // Nothing was remembered: the end of the run does not end the program by itself.
    f.form->Busy = false;
    QCoreApplication::processEvents();
    QCOMPARE(ended.count(), 0);
    QVERIFY(f.form->close());
    QCOMPARE(ended.count(), 1);
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
