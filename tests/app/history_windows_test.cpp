// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QAction>
#include <QApplication>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChartView>
#include <QDir>
#include <QLabel>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "app/history_chart_window.h"
#include "app/history_commands.h"
#include "app/visitor_history_window.h"
#include "tests/support/fake_clock.h"
#include "visitors/history_loader.h"
#include "visitors/visit_history.h"

namespace {

QBarSet* barsOf(QWidget* window, const QString& chartName) {
    auto* view = window->findChild<QChartView*>(chartName);
    if (!view || view->chart()->series().isEmpty()) {
        return nullptr;
    }
    auto* series = qobject_cast<QBarSeries*>(view->chart()->series().first());
    return series && !series->barSets().isEmpty() ? series->barSets().first() : nullptr;
}

// The labels below the bars, by the position of the bar they stand under.
QMap<int, QString> labelsOf(QWidget* window, const QString& chartName) {
    auto* view = window->findChild<QChartView*>(chartName);
    const auto axes = view->chart()->axes(Qt::Horizontal);
    auto* axis = axes.isEmpty() ? nullptr : qobject_cast<QCategoryAxis*>(axes.first());
    QMap<int, QString> labels;
    for (const QString& label : axis ? axis->categoriesLabels() : QStringList()) {
        labels.insert(qRound(axis->endValue(label)), label);
    }
    return labels;
}

// The bars that are not zero, by position.
QMap<int, int> nonZeroBars(QBarSet* set) {
    QMap<int, int> bars;
    for (int i = 0; set && i < set->count(); ++i) {
        if (set->at(i) != 0) {
            bars.insert(i, int(set->at(i)));
        }
    }
    return bars;
}

QString label(QWidget* window, const QString& name) {
    auto* found = window->findChild<QLabel*>(name);
    return found ? found->text() : QStringLiteral("<no label %1>").arg(name);
}

}  // namespace

using Bars = QMap<int, int>;

class HistoryWindowsTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init();

    void visitorWindowShowsTheVisitorsHistory_data();
    void visitorWindowShowsTheVisitorsHistory();
    void chartWindowShowsEveryonesDaysAndMostFrequentVisitors();
    void showsLoadingUntilTheHistoryArrivesAndWhenItCannot();
    void openingAHistoryAgainBringsItsWindowForward();
    void aRunTellsOfNewVisitsOnlyWhenTickedAndHidden_data();
    void aRunTellsOfNewVisitsOnlyWhenTickedAndHidden();

  private:
    QString historyPath() const { return HistoryFilePath(m_dir->path()); }

    std::unique_ptr<QTemporaryDir> m_dir;
    FakeClock m_clock;
};

void HistoryWindowsTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    // Monday 7 December 2026, noon.
    m_clock.wall = QDateTime(QDate(2026, 12, 7), QTime(12, 0));
    const auto visit = [](qint32 id, const char* time) {
        return CountedVisit{id,
                            id == 7 ? QStringLiteral("山田花子") : QStringLiteral("佐藤&amp;Co"),
                            QString::fromUtf8(time)};
    };
    QVERIFY(AppendHistory(historyPath(),
                          {visit(9, "2026年10月01日 10:00"), visit(7, "2026年11月07日 10:00"),
                           visit(7, "2026年11月08日 10:00"), visit(9, "2026年11月08日 11:00"),
                           visit(7, "2026年11月30日 10:00"), visit(7, "2026年12月01日 10:00"),
                           visit(9, "2026年12月07日 08:00"), visit(7, "2026年12月07日 09:00")}));
}

void HistoryWindowsTest::visitorWindowShowsTheVisitorsHistory_data() {
    QTest::addColumn<qint32>("id");
    QTest::addColumn<qint32>("counted");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QStringList>("labels");
    // Week (0 oldest, 51 ending today) and its visits.
    QTest::addColumn<Bars>("weeks");
    QTest::addColumn<bool>("startNoted");

    const QStringList yamada{
        QStringLiteral("2026年12月07日 09:00"), QStringLiteral("2026年12月01日 10:00"),
        QStringLiteral("2026年11月30日 10:00"), QStringLiteral("2026年11月08日 10:00"),
        QStringLiteral("2026年11月07日 10:00")};
    const QStringList yamadaLabels{
        QStringLiteral("最初の記録: 2026年11月07日 10:00"),
        QStringLiteral("最新の記録: 2026年12月07日 09:00"), QStringLiteral("過去7日間: 2回"),
        QStringLiteral("過去30日間: 4回"), QStringLiteral("記録開始: 2026年10月01日 10:00")};
    const Bars yamadaWeeks{{51, 2}, {50, 1}, {47, 2}};
    QTest::newRow("every counted visit recorded")
        << 7 << 5 << yamada << yamadaLabels << yamadaWeeks << false;
    QTest::newRow("visits counted before the history began")
        << 7 << 8 << yamada << yamadaLabels << yamadaWeeks << true;
    QTest::newRow("nothing recorded of this visitor")
        << 8 << 3 << QStringList()
        << QStringList{QStringLiteral("最初の記録: -"), QStringLiteral("最新の記録: -"),
                       QStringLiteral("過去7日間: 0回"), QStringLiteral("過去30日間: 0回"),
                       QStringLiteral("記録開始: 2026年10月01日 10:00")}
        << Bars() << true;
}

void HistoryWindowsTest::visitorWindowShowsTheVisitorsHistory() {
    QFETCH(qint32, id);
    QFETCH(qint32, counted);
    QFETCH(QStringList, rows);
    QFETCH(QStringList, labels);
    QFETCH(Bars, weeks);
    QFETCH(bool, startNoted);

    HistoryLoader loader(historyPath());
    VisitorHistoryWindow window(loader, m_clock, id, QStringLiteral("山田花子"), counted);
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QTRY_VERIFY(window.findChild<QLabel*>(QStringLiteral("status"))->isHidden());

    QCOMPARE(window.windowTitle(), QStringLiteral("山田花子"));
    auto* list = window.findChild<QListView*>(QStringLiteral("visitList"));
    QStringList shown;
    for (int row = 0; row < list->model()->rowCount(); ++row) {
        shown.append(list->model()->index(row, 0).data().toString());
    }
    QCOMPARE(shown, rows);
    QCOMPARE((QStringList{label(&window, QStringLiteral("firstVisit")),
                          label(&window, QStringLiteral("latestVisit")),
                          label(&window, QStringLiteral("lastSevenDays")),
                          label(&window, QStringLiteral("lastThirtyDays")),
                          label(&window, QStringLiteral("recordingStart"))}),
             labels);
    QCOMPARE(window.findChild<QLabel*>(QStringLiteral("recordingStart"))->isVisible(), startNoted);

    QBarSet* bars = barsOf(&window, QStringLiteral("weeklyChart"));
    QVERIFY(bars);
    QCOMPARE(bars->count(), 52);
    QCOMPARE(nonZeroBars(bars), weeks);
    // Weeks by their last day, every fourth back from this week.
    const QMap<int, QString> weekLabels = labelsOf(&window, QStringLiteral("weeklyChart"));
    QCOMPARE(weekLabels.size(), 13);
    QCOMPARE(weekLabels.value(51), QStringLiteral("12/7"));
    QCOMPARE(weekLabels.value(47), QStringLiteral("11/9"));
    QCOMPARE(weekLabels.firstKey(), 3);
}

void HistoryWindowsTest::chartWindowShowsEveryonesDaysAndMostFrequentVisitors() {
    // Nine more visitors on the day 89 days back, which is the chart's first; 10 more 90 days
    // back, out of it.
    QList<CountedVisit> more;
    for (qint32 id = 100; id < 109; ++id) {
        more.append({id, QStringLiteral("会員%1").arg(id), QStringLiteral("2026年09月09日 12:00")});
    }
    more.append({200, QStringLiteral("古い会員"), QStringLiteral("2026年09月08日 12:00")});
    QVERIFY(AppendHistory(historyPath(), more));

    HistoryLoader loader(historyPath());
    HistoryChartWindow window(loader, m_clock);
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    QCOMPARE(window.windowTitle(), QStringLiteral("足あとグラフ"));
    QTRY_VERIFY(window.findChild<QLabel*>(QStringLiteral("status"))->isHidden());

    QBarSet* bars = barsOf(&window, QStringLiteral("dailyChart"));
    QVERIFY(bars);
    QCOMPARE(bars->count(), 90);
    // 7 Dec: two; 1 Dec: one; 30 Nov: one; 8 Nov: two; 7 Nov: one; 1 Oct: one; 9 Sep: nine.
    QCOMPARE(nonZeroBars(bars),
             (Bars{{89, 2}, {83, 1}, {82, 1}, {60, 2}, {59, 1}, {22, 1}, {0, 9}}));
    const QMap<int, QString> labels = labelsOf(&window, QStringLiteral("dailyChart"));
    QCOMPARE(labels.size(), 13);
    QCOMPARE(labels.value(89), QStringLiteral("12/7"));
    QCOMPARE(labels.value(82), QStringLiteral("11/30"));
    QCOMPARE(labels.firstKey(), 5);

    auto* frequent = window.findChild<QTreeWidget*>(QStringLiteral("frequentVisitors"));
    QStringList rows;
    for (int i = 0; i < frequent->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = frequent->topLevelItem(i);
        rows.append(
            QStringList{item->text(0), item->text(1), item->text(2), item->text(3), item->text(4)}
                .join(u'|'));
    }
    // The last 30 days are 8 November to today; member 9's visit of 1 October is older.
    QCOMPARE(rows, (QStringList{QStringLiteral("1|山田花子|7|4|2026年12月07日 09:00"),
                                QStringLiteral("2|佐藤&Co|9|2|2026年12月07日 08:00")}));
}

void HistoryWindowsTest::showsLoadingUntilTheHistoryArrivesAndWhenItCannot() {
    HistoryLoader loader(historyPath());
    {
        VisitorHistoryWindow first(loader, m_clock, 7, QStringLiteral("山田花子"), 5);
        first.setAttribute(Qt::WA_DeleteOnClose, false);
        auto* status = first.findChild<QLabel*>(QStringLiteral("status"));
        QCOMPARE(status->text(), QStringLiteral("読み込み中…"));
        QVERIFY(!status->isHidden());
        QCOMPARE(first.findChild<QListView*>(QStringLiteral("visitList"))->model()->rowCount(), 0);
        QTRY_VERIFY(status->isHidden());
    }
    // The kept index shows at once.
    HistoryChartWindow second(loader, m_clock);
    second.setAttribute(Qt::WA_DeleteOnClose, false);
    QVERIFY(second.findChild<QLabel*>(QStringLiteral("status"))->isHidden());
    QVERIFY(!loader.isLoading());

    QVERIFY(QFile::remove(historyPath()));
    QVERIFY(QDir(m_dir->path()).mkdir(QFileInfo(historyPath()).fileName()));
    VisitorHistoryWindow third(loader, m_clock, 7, QStringLiteral("山田花子"), 5);
    third.setAttribute(Qt::WA_DeleteOnClose, false);
    auto* status = third.findChild<QLabel*>(QStringLiteral("status"));
    QTRY_VERIFY(status->text().startsWith(QStringLiteral("足あと履歴を読み込めませんでした: ")));
    QVERIFY(!status->isHidden());
}

void HistoryWindowsTest::openingAHistoryAgainBringsItsWindowForward() {
    QWidget owner;
    HistoryCommands commands(historyPath(), m_clock, &owner);
    const auto windows = [&] {
        return owner.findChildren<VisitorHistoryWindow*>().size() +
               owner.findChildren<HistoryChartWindow*>().size();
    };
    commands.openVisitorHistory(7, QStringLiteral("山田花子"), 5);
    commands.openVisitorHistory(7, QStringLiteral("山田花子"), 5);
    QCOMPARE(windows(), 1);
    commands.openVisitorHistory(9, QStringLiteral("佐藤&amp;Co"), 3);
    QCOMPARE(windows(), 2);
    // Named as the list shows the name.
    QStringList titles;
    for (const VisitorHistoryWindow* window : owner.findChildren<VisitorHistoryWindow*>()) {
        titles << window->windowTitle();
    }
    QVERIFY(titles.contains(QStringLiteral("佐藤&Co")));
    QCOMPARE(commands.chartAction()->text(), QStringLiteral("足あとグラフ(&G)"));
    commands.chartAction()->trigger();
    commands.chartAction()->trigger();
    QCOMPARE(windows(), 3);
    QVERIFY(owner.findChildren<HistoryChartWindow*>().first()->isVisible());

    // A closed window is gone; asking again opens a new one.
    owner.findChildren<HistoryChartWindow*>().first()->close();
    QTRY_COMPARE(windows(), 2);
    commands.chartAction()->trigger();
    QCOMPARE(windows(), 3);
}

void HistoryWindowsTest::aRunTellsOfNewVisitsOnlyWhenTickedAndHidden_data() {
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<bool>("hidden");
    QTest::addColumn<QString>("notice");
    QTest::addColumn<QStringList>("shown");
    const QString notice = QStringLiteral("新しい足あと: 山田花子 さん ほか1人");
    QTest::newRow("ticked, in the tray") << true << true << notice << QStringList{notice};
    QTest::newRow("ticked, window open") << true << false << notice << QStringList();
    QTest::newRow("not ticked") << false << true << notice << QStringList();
    QTest::newRow("nothing new") << true << true << QString() << QStringList();
}

void HistoryWindowsTest::aRunTellsOfNewVisitsOnlyWhenTickedAndHidden() {
    QFETCH(bool, ticked);
    QFETCH(bool, hidden);
    QFETCH(QString, notice);
    QFETCH(QStringList, shown);
    QWidget owner;
    HistoryCommands commands(historyPath(), m_clock, &owner);
    QCOMPARE(commands.notifyAction()->text(), QStringLiteral("新しい足あとを通知(&N)"));
    QVERIFY(commands.notifyAction()->isCheckable());
    QVERIFY(!commands.notifyAction()->isChecked());
    QStringList notices;
    commands.setNoticeShower([&](const QString& text) { notices.append(text); });
    commands.notifyAction()->setChecked(ticked);
    commands.runEnded(notice, hidden);
    QCOMPARE(notices, shown);
}

QTEST_MAIN(HistoryWindowsTest)
#include "history_windows_test.moc"
