// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QMenu>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>

#include "app/check_box.h"
#include "app/form3.h"
#include "app/tray_icon.h"
#include "platform/text_codec.h"
#include "tests/app/form1_fixture.h"

namespace {

QByteArray tipBytes(const NOTIFYICONDATA& data) {
    return QByteArray(data.szTip, int(qstrnlen(data.szTip, sizeof data.szTip)));
}

void notify(Form3* host, quint32 mouseMessage) {
    TrayNotifyEvent event(Form3::kCallbackMessage, 0, mouseMessage);
    QCoreApplication::sendEvent(host, &event);
}

}  // namespace

class TrayTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void iconRecordCarriesTheTipCutToItsField_data();
    void iconRecordCarriesTheTipCutToItsField();
    void leftClickOnTheIconTogglesTheWindow();
    void rightClickOnTheIconOpensTheMenu();
    void otherMouseActionsDoNothing_data();
    void otherMouseActionsDoNothing();
    void clickBringsAMinimisedWindowBackRestored();
    void quitFromTheMenuEndsEvenWhenCloseMinimises();
    void quitFromTheMenuDuringARunIsForgotten();
};

void TrayTest::iconRecordCarriesTheTipCutToItsField_data() {
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

void TrayTest::iconRecordCarriesTheTipCutToItsField() {
    QFETCH(QString, tip);
    QFETCH(QByteArray, expected);

    NOTIFYICONDATA data;
    std::memset(data.szTip, 'x', sizeof data.szTip);
    QObject host;
    SetTrayIconData(data, &host, 0, 512, QIcon(), tip);
    QCOMPARE(data.cbSize, 88u);
    QCOMPARE(data.hWnd, &host);
    QCOMPARE(data.uFlags, NIF_MESSAGE | NIF_ICON | NIF_TIP);
    QCOMPARE(data.uCallbackMessage, 512u);
    QCOMPARE(tipBytes(data), expected);
    QVERIFY(tipBytes(data).size() <= 63);
    QCOMPARE(data.szTip[63], '\0');
}

void TrayTest::leftClickOnTheIconTogglesTheWindow() {
    // The desktop's own tray icon object, as the program uses it.
    Form1Fixture f;
    f.platform->notifyIcon = createQtNotifyIconService();
    f.form->Form_Load();
    auto* icon = f.form->form3()->findChild<QSystemTrayIcon*>(QStringLiteral("NotifyIcon0"));
    QVERIFY(icon);
    QCOMPARE(icon->toolTip(), QStringLiteral("Kestrelviewβ(0.3.3)"));
    QAction* entry = f.form->form3()->MNU_VISIBLE;
    QCOMPARE(entry->text(), QStringLiteral("非表示(&V)"));

    Q_EMIT icon->activated(QSystemTrayIcon::Trigger);
    QVERIFY(!f.form->isVisible());
    QCOMPARE(entry->text(), QStringLiteral("表示"));

    Q_EMIT icon->activated(QSystemTrayIcon::Trigger);
    QVERIFY(f.form->isVisible());
    QCOMPARE(entry->text(), QStringLiteral("非表示"));

    // The menu entry does the same.
    entry->trigger();
    QVERIFY(!f.form->isVisible());
    QCOMPARE(entry->text(), QStringLiteral("表示"));
}

void TrayTest::rightClickOnTheIconOpensTheMenu() {
    Form1Fixture f;
    f.platform->notifyIcon = createQtNotifyIconService();
    f.form->Form_Load();
    auto* icon = f.form->form3()->findChild<QSystemTrayIcon*>(QStringLiteral("NotifyIcon0"));
    QVERIFY(icon);
    QMenu* menu = f.form->form3()->MNU_POPUP;
    QCOMPARE(menu->objectName(), QStringLiteral("MNU_POPUP"));
    QCOMPARE(menu->title(), QStringLiteral("ポップアップメニュー"));
    const QList<QAction*> entries = menu->actions();
    QCOMPARE(entries.size(), 2);
    QCOMPARE(entries[0]->objectName(), QStringLiteral("MNU_VISIBLE"));
    QCOMPARE(entries[1]->objectName(), QStringLiteral("MNU_END"));
    QCOMPARE(entries[1]->text(), QStringLiteral("終了(&E)"));

    QCursor::setPos(300, 200);
    Q_EMIT icon->activated(QSystemTrayIcon::Context);
    QTRY_VERIFY(menu->isVisible());
    QCOMPARE(menu->geometry().topLeft(), QPoint(300, 200));
    QVERIFY(f.form->isVisible());
    menu->hide();
}

void TrayTest::otherMouseActionsDoNothing_data() {
    QTest::addColumn<quint32>("mouseMessage");
    QTest::newRow("pointer moved") << WM_MOUSEMOVE;
    QTest::newRow("left released") << WM_LBUTTONUP;
    QTest::newRow("left double click") << WM_LBUTTONDBLCLK;
    QTest::newRow("right released") << WM_RBUTTONUP;
    QTest::newRow("right double click") << WM_RBUTTONDBLCLK;
    QTest::newRow("middle pressed") << WM_MBUTTONDOWN;
}

void TrayTest::otherMouseActionsDoNothing() {
    QFETCH(quint32, mouseMessage);
    Form1Fixture f;
    f.form->Form_Load();
    notify(f.form->form3(), mouseMessage);
    QCoreApplication::processEvents();
    QVERIFY(f.form->isVisible());
    QVERIFY(!f.form->form3()->MNU_POPUP->isVisible());
    QCOMPARE(f.form->form3()->MNU_VISIBLE->text(), QStringLiteral("非表示(&V)"));
}

void TrayTest::clickBringsAMinimisedWindowBackRestored() {
    Form1Fixture f;
    f.form->Form_Load();
    f.form->setWindowState(Qt::WindowMinimized);
    QVERIFY(!f.form->isVisible());
    // Minimising leaves the menu entry as it was.
    QCOMPARE(f.form->form3()->MNU_VISIBLE->text(), QStringLiteral("非表示(&V)"));

    notify(f.form->form3(), WM_LBUTTONDOWN);
    QVERIFY(f.form->isVisible());
    QVERIFY(!f.form->isMinimized());
    QCOMPARE(f.form->form3()->MNU_VISIBLE->text(), QStringLiteral("非表示"));
    // A double click reaches the program as a press and a double click: one toggle.
    notify(f.form->form3(), WM_LBUTTONDOWN);
    notify(f.form->form3(), WM_LBUTTONDBLCLK);
    QVERIFY(!f.form->isVisible());
}

void TrayTest::quitFromTheMenuEndsEvenWhenCloseMinimises() {
    Form1Fixture f;
    f.form->Form_Load();
    QVERIFY(f.form->BatsuChk->setValue(1));
    QSignalSpy ended(f.form.get(), &Form1::programEnded);
    f.form->form3()->MNU_END->trigger();
    QCOMPARE(ended.count(), 1);
    QVERIFY(!f.form->isVisible());
    QVERIFY(!f.form->QuitRequested);
    QCOMPARE(f.platform.notifyIcon->calls.back().message, NIM_DELETE);
}

void TrayTest::quitFromTheMenuDuringARunIsForgotten() {
    Form1Fixture f;
    f.form->Form_Load();
    QVERIFY(f.form->BatsuChk->setValue(1));
    f.form->Busy = true;
    QSignalSpy ended(f.form.get(), &Form1::programEnded);
    f.form->form3()->MNU_END->trigger();
    QCOMPARE(ended.count(), 0);
    QVERIFY(!f.form->QuitRequested);
    QVERIFY(f.form->isVisible());
    // The next close button press after the run minimises again, as ×で最小化 asks.
    f.form->Busy = false;
    f.form->close();
    QCOMPARE(ended.count(), 0);
    QVERIFY(f.form->isMinimized());
}

QTEST_MAIN(TrayTest)
#include "tray_test.moc"
