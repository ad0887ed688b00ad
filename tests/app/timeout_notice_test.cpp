// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include "app/timeout_notice.h"
#include "tests/support/test_platform.h"

namespace {

void sendMove(QWidget* widget, QPoint global, Qt::MouseButtons buttons) {
    QMouseEvent move(QEvent::MouseMove, QPointF(widget->mapFromGlobal(global)), QPointF(global),
                     Qt::NoButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

}  // namespace

class TimeoutNoticeTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init();
    void cleanup();
    void looksLikeAMessageBoxOfItsOwn();
    void faceHasTheBandTheCloseMarkAndTheTriangle();
    void bandNamesWhatHappened_data();
    void bandNamesWhatHappened();
    void closesByItselfThreeSecondsAfterLoading();
    void closesAtOnce_data();
    void closesAtOnce();
    void dragsByItsFaceWithTheLeftButtonOnly_data();
    void dragsByItsFaceWithTheLeftButtonOnly();

  private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TestPlatform> m_platform;
};

void TimeoutNoticeTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_platform = std::make_unique<TestPlatform>(m_dir->path());
    (*m_platform)->windowDrag = createQtWindowDrag();
}

void TimeoutNoticeTest::cleanup() {
    m_platform.reset();
    m_dir.reset();
}

void TimeoutNoticeTest::looksLikeAMessageBoxOfItsOwn() {
    TimeoutNotice form(**m_platform);
    QVERIFY(form.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(form.windowTitle(), QStringLiteral("タイムアウト"));
    QCOMPARE(form.size(), QSize(312, 121));
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("Label2"))->text(),
             QStringLiteral("タイムアウト"));
    QCOMPARE(
        form.findChild<QLabel*>(QStringLiteral("Label2"))->palette().color(QPalette::WindowText),
        QColor(Qt::white));
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("Label2"))->geometry(), QRect(16, 8, 73, 17));
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("Label1"))->geometry(), QRect(64, 40, 233, 49));
    QCOMPARE(form.findChild<QPushButton*>(QStringLiteral("Command1"))->text(),
             QStringLiteral("確認"));
    QCOMPARE(form.findChild<QPushButton*>(QStringLiteral("Command1"))->geometry(),
             QRect(104, 88, 97, 25));
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("Label3"))->geometry(), QRect(288, 0, 25, 25));
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("Label3"))->text(), QString());
    QVERIFY(form.findChild<QTimer*>(QStringLiteral("Timer1"))->isActive());
    QCOMPARE(form.findChild<QTimer*>(QStringLiteral("Timer1"))->interval(), 3000);

    // The message shows on the face beside the triangle.
    const QString message = QStringLiteral(
        "タイムアウトしました\r\nファイアーウォール等は通すように設定してください。");
    form.setMessage(message);
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("Label1"))->text(),
             QString(message).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void TimeoutNoticeTest::faceHasTheBandTheCloseMarkAndTheTriangle() {
    const QImage face = TimeoutNotice::facePicture().toImage();
    QCOMPARE(face.size(), QSize(313, 122));
    const QColor band = face.pixelColor(150, 12);
    QVERIFY(band.blue() > 200 && band.red() < 100);
    const QColor close = face.pixelColor(296, 6);
    QVERIFY(close.red() > 200 && close.blue() < 100);
    const QColor body = face.pixelColor(200, 100);
    QVERIFY(body.red() > 200 && body.green() > 200 && body.blue() > 180 &&
            body.blue() < body.red());
    const QColor triangle = face.pixelColor(28, 68);
    QVERIFY(triangle.red() > 200 && triangle.green() > 180 && triangle.blue() < 60);

    TimeoutNotice form(**m_platform);
    const QImage shown = form.grab().toImage();
    QCOMPARE(shown.pixelColor(28, 68), triangle);
}

void TimeoutNoticeTest::bandNamesWhatHappened_data() {
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("whole");  // the band shows all of it
    QTest::newRow("time-out") << QStringLiteral("タイムアウト") << true;
    QTest::newRow("failed load") << QStringLiteral("取得に失敗しました (HTTP 503)") << true;
    QTest::newRow("server not found")
        << QStringLiteral("取得に失敗しました (サーバーが見つかりません)") << true;
    QTest::newRow("longer than the band") << QStringLiteral("取得に失敗しました (") +
                                                 QStringLiteral("接続できません").repeated(6) + u')'
                                          << false;
}

void TimeoutNoticeTest::bandNamesWhatHappened() {
    QFETCH(QString, title);
    QFETCH(bool, whole);
    TimeoutNotice form(**m_platform);
    form.setTitle(title);
    const auto* band = form.findChild<QLabel*>(QStringLiteral("Label2"));
    const auto* closeSpot = form.findChild<QLabel*>(QStringLiteral("Label3"));
    QCOMPARE(form.windowTitle(), title);
    QCOMPARE(band->text() == title, whole);
    if (!whole) {
        QVERIFY(band->text().endsWith(QChar(0x2026)));
    }
    // Readable on the band, clear of the close mark.
    QVERIFY(band->fontMetrics().horizontalAdvance(band->text()) <= band->width());
    QVERIFY(band->geometry().right() < closeSpot->geometry().left());
    QCOMPARE(band->geometry().topLeft(), QPoint(16, 8));
    QVERIFY(QFontInfo(band->font()).pixelSize() >= 9);
}

void TimeoutNoticeTest::closesByItselfThreeSecondsAfterLoading() {
    QElapsedTimer timer;
    timer.start();
    TimeoutNotice::showNotice(**m_platform, nullptr,
                              QStringLiteral("取得に失敗しました (サーバーが見つかりません)"),
                              QStringLiteral("サーバーが見つからないか、DNS エラーです。"));
    QVERIFY2(timer.elapsed() >= 2900 && timer.elapsed() < 8000,
             qPrintable(QString::number(timer.elapsed())));
}

void TimeoutNoticeTest::closesAtOnce_data() {
    QTest::addColumn<QString>("control");
    QTest::newRow("確認") << QStringLiteral("Command1");
    QTest::newRow("close spot") << QStringLiteral("Label3");
}

void TimeoutNoticeTest::closesAtOnce() {
    QFETCH(QString, control);
    TimeoutNotice form(**m_platform);
    QTimer::singleShot(0, &form, [&] {
        QWidget* target = form.findChild<QWidget*>(control);
        QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(5, 5));
    });
    QElapsedTimer timer;
    timer.start();
    form.exec();
    QVERIFY(timer.elapsed() < 2000);
    QVERIFY(!form.isVisible());
}

void TimeoutNoticeTest::dragsByItsFaceWithTheLeftButtonOnly_data() {
    QTest::addColumn<QString>("where");
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("moves");
    QTest::newRow("beige body, left button") << QString() << int(Qt::LeftButton) << true;
    QTest::newRow("title band, left button")
        << QStringLiteral("band") << int(Qt::LeftButton) << true;
    QTest::newRow("beige body, right button") << QString() << int(Qt::RightButton) << false;
    QTest::newRow("message label") << QStringLiteral("Label1") << int(Qt::LeftButton) << false;
}

void TimeoutNoticeTest::dragsByItsFaceWithTheLeftButtonOnly() {
    QFETCH(QString, where);
    QFETCH(int, button);
    QFETCH(bool, moves);
    TimeoutNotice form(**m_platform);
    form.findChild<QTimer*>(QStringLiteral("Timer1"))->stop();
    form.move(100, 100);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QPoint start = form.pos();

    QWidget* target = where == u"Label1"
                          ? static_cast<QWidget*>(form.findChild<QLabel*>(QStringLiteral("Label1")))
                          : &form;
    const QPoint at = where == u"band" ? QPoint(150, 12) : QPoint(20, 20);
    const auto buttons = Qt::MouseButtons(button);
    QTest::mousePress(target, Qt::MouseButton(button), {}, at);
    // The first move hands the window to the window manager, which refuses here (no window
    // manager); the window then follows the mouse.
    const QPoint global = target->mapToGlobal(at);
    sendMove(target, global + QPoint(2, 1), buttons);
    sendMove(target, global + QPoint(32, 21), buttons);
    sendMove(target, global + QPoint(52, 41), buttons);
    QTest::mouseRelease(target, Qt::MouseButton(button), {},
                        target->mapFromGlobal(global + QPoint(52, 41)));
    if (moves) {
        QTRY_COMPARE(form.pos(), start + QPoint(50, 40));
    } else {
        QTest::qWait(50);
        QCOMPARE(form.pos(), start);
    }
}

QTEST_MAIN(TimeoutNoticeTest)
#include "timeout_notice_test.moc"
