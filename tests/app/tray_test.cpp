// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QMenu>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>

#include "app/check_box.h"
#include "app/history_commands.h"
#include "platform/text_codec.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/notification_bus.h"

Q_DECLARE_METATYPE(TrayIcon::Activation)

namespace {

void press(MainWindowFixture& f, TrayIcon::Activation activation) {
    Q_EMIT f.platform.trayIcon->activated(activation);
}

QAction* visibilityEntry(MainWindowFixture& f) {
    return control<QAction>(f.window->trayHost(), "MNU_VISIBLE");
}

}  // namespace

class TrayTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void tipIsTheCaptionCutToItsField_data();
    void tipIsTheCaptionCutToItsField();
    void leftClickOnTheIconTogglesTheWindow();
    void rightClickOnTheIconOpensTheMenu();
    void otherMouseActionsDoNothing_data();
    void otherMouseActionsDoNothing();
    void clickBringsAMinimisedWindowBackRestored();
    void quitFromTheMenuEndsEvenWhenCloseMinimises();
    void quitFromTheMenuDuringARunWaitsForItsEnd();
    void minimisingHidesOnlyIntoATrayThatIsThere_data();
    void minimisingHidesOnlyIntoATrayThatIsThere();
    void noticeGoesToTheDesktopServiceElseTheBalloon_data();
    void noticeGoesToTheDesktopServiceElseTheBalloon();
};

void TrayTest::tipIsTheCaptionCutToItsField_data() {
    QTest::addColumn<QString>("tip");
    QTest::addColumn<QByteArray>("expected");

    const QString caption = QStringLiteral("Kestrelviewβ(0.3.3)");
    QTest::newRow("the caption") << caption << EncodeCp932(caption);
    QTest::newRow("empty") << QString() << QByteArray();
    QTest::newRow("63 bytes fit") << QString(63, u'a') << QByteArray(63, 'a');
    QTest::newRow("64 bytes are cut") << QString(64, u'a') << QByteArray(63, 'a');
    // A double-byte character that would straddle the last byte is left out whole.
    QTest::newRow("no half character")
        << QString(62, u'a') + QStringLiteral("あい") << QByteArray(62, 'a');
    QTest::newRow("double-byte to the end")
        << QString(40, u'鷹') << EncodeCp932(QString(31, u'鷹'));
    // Characters CP932 lacks are written as "?", one byte each.
    QTest::newRow("emoji") << QStringLiteral("🦅 Kestrel") << QByteArrayLiteral("? Kestrel");
}

void TrayTest::tipIsTheCaptionCutToItsField() {
    QFETCH(QString, tip);
    QFETCH(QByteArray, expected);
    QCOMPARE(EncodeCp932(TrayHost::tipFor(tip)), expected);

    // The icon carries the window's caption so cut.
    MainWindowFixture f;
    f.window->start();
    f.window->setWindowTitle(tip);
    f.window->trayHost()->showIcon(f.window->windowIcon(), f.window->windowTitle());
    QCOMPARE(EncodeCp932(f.platform.trayIcon->tip), expected);
}

void TrayTest::leftClickOnTheIconTogglesTheWindow() {
    // The desktop's own tray icon object, as the program uses it.
    MainWindowFixture f;
    f.platform->trayIcon = createQtTrayIcon();
    f.window->start();
    auto* icon = f.platform->trayIcon->findChild<QSystemTrayIcon*>(QStringLiteral("NotifyIcon0"));
    QVERIFY(icon);
    QCOMPARE(icon->toolTip(), QStringLiteral("Kestrelviewβ(0.3.3)"));
    QAction* entry = visibilityEntry(f);
    QCOMPARE(entry->text(), QStringLiteral("非表示(&V)"));

    Q_EMIT icon->activated(QSystemTrayIcon::Trigger);
    QVERIFY(!f.window->isVisible());
    QCOMPARE(entry->text(), QStringLiteral("表示"));

    Q_EMIT icon->activated(QSystemTrayIcon::Trigger);
    QVERIFY(f.window->isVisible());
    QCOMPARE(entry->text(), QStringLiteral("非表示"));

    // The menu entry does the same.
    entry->trigger();
    QVERIFY(!f.window->isVisible());
    QCOMPARE(entry->text(), QStringLiteral("表示"));
}

void TrayTest::rightClickOnTheIconOpensTheMenu() {
    MainWindowFixture f;
    f.platform->trayIcon = createQtTrayIcon();
    f.window->start();
    auto* icon = f.platform->trayIcon->findChild<QSystemTrayIcon*>(QStringLiteral("NotifyIcon0"));
    QVERIFY(icon);
    QMenu* menu = control<QMenu>(f.window->trayHost(), "MNU_POPUP");
    QCOMPARE(menu->objectName(), QStringLiteral("MNU_POPUP"));
    QCOMPARE(menu->title(), QStringLiteral("ポップアップメニュー"));
    const QList<QAction*> entries = menu->actions();
    QStringList shown;
    for (const QAction* entry : entries) {
        shown << entry->objectName() + u'=' + entry->text() +
                     (entry->isCheckable() ? QStringLiteral(" ☐") : QString());
    }
    QCOMPARE(shown, QStringList({"MNU_VISIBLE=非表示(&V)", "MNU_GRAPH=足あとグラフ(&G)",
                                 "MNU_NOTIFY=新しい足あとを通知(&N) ☐", "=", "MNU_END=終了(&E)"}));

    QCursor::setPos(300, 200);
    Q_EMIT icon->activated(QSystemTrayIcon::Context);
    QTRY_VERIFY(menu->isVisible());
    QCOMPARE(menu->geometry().topLeft(), QPoint(300, 200));
    QVERIFY(f.window->isVisible());
    menu->hide();
}

void TrayTest::otherMouseActionsDoNothing_data() {
    QTest::addColumn<TrayIcon::Activation>("activation");
    QTest::newRow("double click") << TrayIcon::Activation::DoubleClick;
    QTest::newRow("middle pressed") << TrayIcon::Activation::MiddlePress;
}

void TrayTest::otherMouseActionsDoNothing() {
    QFETCH(TrayIcon::Activation, activation);
    MainWindowFixture f;
    f.window->start();
    press(f, activation);
    QCoreApplication::processEvents();
    QVERIFY(f.window->isVisible());
    QVERIFY(!control<QMenu>(f.window->trayHost(), "MNU_POPUP")->isVisible());
    QCOMPARE(visibilityEntry(f)->text(), QStringLiteral("非表示(&V)"));
}

void TrayTest::clickBringsAMinimisedWindowBackRestored() {
    MainWindowFixture f;
    f.window->start();
    f.window->setWindowState(Qt::WindowMinimized);
    QVERIFY(!f.window->isVisible());
    // Minimising leaves the menu entry as it was.
    QCOMPARE(visibilityEntry(f)->text(), QStringLiteral("非表示(&V)"));

    press(f, TrayIcon::Activation::LeftPress);
    QVERIFY(f.window->isVisible());
    QVERIFY(!f.window->isMinimized());
    QCOMPARE(visibilityEntry(f)->text(), QStringLiteral("非表示"));
    // A double click reaches the program as a press and a double click: one toggle.
    press(f, TrayIcon::Activation::LeftPress);
    press(f, TrayIcon::Activation::DoubleClick);
    QVERIFY(!f.window->isVisible());
}

void TrayTest::quitFromTheMenuEndsEvenWhenCloseMinimises() {
    MainWindowFixture f;
    f.window->start();
    control<CheckBox>(f.window, "BatsuChk")->setValue(Tick::Ticked);
    QSignalSpy ended(f.window.get(), &MainWindow::programEnded);
    control<QAction>(f.window->trayHost(), "MNU_END")->trigger();
    QCOMPARE(ended.count(), 1);
    QVERIFY(!f.window->isVisible());
    QVERIFY(!f.window->lifecycle().endPending());
    QVERIFY(!f.platform.trayIcon->shown);
}

void TrayTest::quitFromTheMenuDuringARunWaitsForItsEnd() {
    MainWindowFixture f;
    f.window->start();
    control<CheckBox>(f.window, "BatsuChk")->setValue(Tick::Ticked);
    f.window->collection().setBusy(true);
    QSignalSpy ended(f.window.get(), &MainWindow::programEnded);
    control<QAction>(f.window->trayHost(), "MNU_END")->trigger();
    QCOMPARE(ended.count(), 0);
    QVERIFY(f.window->isVisible());
    // The close button meanwhile still minimises, as ×で最小化 asks.
    f.window->close();
    QCOMPARE(ended.count(), 0);
    QVERIFY(f.window->isMinimized());
    // The tray's exit is carried out when the page is whole.
    f.window->collection().setBusy(false);
    QCOMPARE(ended.count(), 1);
    QVERIFY(!f.platform.trayIcon->shown);
}

void TrayTest::minimisingHidesOnlyIntoATrayThatIsThere_data() {
    QTest::addColumn<bool>("trayAvailable");
    QTest::addColumn<bool>("byCloseButton");  // ×で最小化 ticked and the close button pressed
    QTest::addColumn<bool>("stillVisible");
    QTest::newRow("tray, minimised") << true << false << false;
    QTest::newRow("tray, closed") << true << true << false;
    // A desktop without a tray (a Wayland session, say): the window stays where it can be found.
    QTest::newRow("no tray, minimised") << false << false << true;
    QTest::newRow("no tray, closed") << false << true << true;
}

void TrayTest::minimisingHidesOnlyIntoATrayThatIsThere() {
    QFETCH(bool, trayAvailable);
    QFETCH(bool, byCloseButton);
    QFETCH(bool, stillVisible);
    MainWindowFixture f;
    f.platform.trayIcon->isAvailable = trayAvailable;
    f.window->start();
    if (byCloseButton) {
        control<CheckBox>(f.window, "BatsuChk")->setValue(Tick::Ticked);
        f.window->close();
    } else {
        f.window->setWindowState(Qt::WindowMinimized);
    }
    QCoreApplication::processEvents();
    QVERIFY(f.window->isMinimized());
    QCOMPARE(f.window->isVisible(), stillVisible);
    QVERIFY(!f.window->ended());
}

void TrayTest::noticeGoesToTheDesktopServiceElseTheBalloon_data() {
    QTest::addColumn<bool>("serviceRuns");
    QTest::addColumn<bool>("trayAvailable");
    QTest::addColumn<QStringList>("serviceBodies");
    QTest::addColumn<QStringList>("balloons");

    const QStringList escaped{QStringLiteral("新しい足あと: Tom &amp; &lt;Jerry&gt; さん")};
    QTest::newRow("service and tray") << true << true << escaped << QStringList();
    QTest::newRow("service, no tray") << true << false << escaped << QStringList();
    QTest::newRow("no service: the balloon")
        << false << true << QStringList()
        << QStringList{QStringLiteral("Kestrelview:新しい足あと: Tom & <Jerry> さん")};
}

void TrayTest::noticeGoesToTheDesktopServiceElseTheBalloon() {
    QFETCH(bool, serviceRuns);
    QFETCH(bool, trayAvailable);
    QFETCH(QStringList, serviceBodies);
    QFETCH(QStringList, balloons);

    PrivateSessionBus bus;
    if (!bus.failure().isEmpty()) {
        KV_SKIP_OR_FAIL_WITHOUT(bus.failure());
    }
    const QString tag = QString::fromLatin1(QTest::currentDataTag());
    std::unique_ptr<RecordingNotificationService> service;
    if (serviceRuns) {
        service = std::make_unique<RecordingNotificationService>(
            bus.connect(QStringLiteral("service ") + tag),
            QStringList{QStringLiteral("body"), QStringLiteral("body-markup")});
        QVERIFY(service->registered());
    }
    MainWindowFixture f;
    f.platform.trayIcon->isAvailable = trayAvailable;
    f.platform->notices = createDBusDesktopNotices(bus.connect(QStringLiteral("client ") + tag));
    f.window->start();
    f.window->history().notifyAction()->setChecked(true);
    f.window->history().runEnded(QStringLiteral("新しい足あと: Tom & <Jerry> さん"), true);

    if (serviceRuns) {
        QTRY_COMPARE(service->notices.size(), size_t(1));
        QCOMPARE(QStringList{service->notices[0].body}, serviceBodies);
        QCOMPARE(service->notices[0].appName, QStringLiteral("Kestrelview"));
        QTest::qWait(50);
    } else {
        QTRY_VERIFY(!f.platform.trayIcon->messages.empty());
    }
    const QStringList shown(f.platform.trayIcon->messages.begin(),
                            f.platform.trayIcon->messages.end());
    QCOMPARE(shown, balloons);
}

QTEST_MAIN(TrayTest)
#include "tray_test.moc"
