// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// A visitor's history window on a real X display (run by with-display.sh), with a screenshot.
#include <QApplication>
#include <QBarSeries>
#include <QBarSet>
#include <QChartView>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include "app/visitor_history_window.h"
#include "tests/support/fake_clock.h"
#include "visitors/history_loader.h"
#include "visitors/visit_history.h"

class HistoryWindowDisplayTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void drawsTheWeeklyBars();
};

void HistoryWindowDisplayTest::drawsTheWeeklyBars() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    FakeClock clock;
    clock.wall = QDateTime(QDate(2026, 12, 7), QTime(12, 0));
    // A visitor who comes more often as the year goes on.
    QList<CountedVisit> visits;
    for (int daysAgo = 360; daysAgo >= 0; daysAgo -= 1 + daysAgo / 30) {
        visits.append(
            {7, QStringLiteral("山田花子"),
             clock.wall.addDays(-daysAgo).toString(QStringLiteral("yyyy年MM月dd日 HH:mm"))});
    }
    QVERIFY(AppendHistory(HistoryFilePath(dir.path()), visits));

    HistoryLoader loader(HistoryFilePath(dir.path()));
    VisitorHistoryWindow window(loader, clock, 7, QStringLiteral("山田花子"),
                                qint32(visits.size()) + 12);
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.move(20, 20);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(window.findChild<QLabel*>(QStringLiteral("status"))->isHidden());
    QTest::qWait(300);

    const QString shot =
        QCoreApplication::applicationDirPath() + QStringLiteral("/kestrelview_history_window.png");
    QVERIFY(QGuiApplication::primaryScreen()->grabWindow(0).save(shot));
    qInfo("Screenshot: %s", qPrintable(shot));

    // The bars are on the screen in their set's colour, across the width of the plot.
    auto* view = window.findChild<QChartView*>(QStringLiteral("weeklyChart"));
    auto* series = qobject_cast<QBarSeries*>(view->chart()->series().first());
    const QColor bar = series->barSets().first()->color();
    const QImage image = view->grab().toImage();
    int left = image.width();
    int right = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y).rgb() == bar.rgb()) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    QVERIFY2(
        right - left > image.width() / 2,
        qPrintable(
            QStringLiteral("bars from %1 to %2 of %3").arg(left).arg(right).arg(image.width())));
}

QTEST_MAIN(HistoryWindowDisplayTest)
#include "history_window_display_test.moc"
