// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QWidget>

class Clock;
class HistoryLoader;
class QLabel;
class QTreeWidget;

// Everyone's history, "足あとグラフ": the visits of each of the last 90 days as bars, and the ten
// most frequent visitors of the last 30 days. Shows "読み込み中…" until the loader delivers.
class HistoryChartWindow : public QWidget {
    Q_OBJECT
  public:
    // `loader` must outlive the window; the figures are for the clock's time when the history
    // arrives.
    HistoryChartWindow(HistoryLoader& loader, Clock& clock, QWidget* parent = nullptr);

  private:
    void showHistory();

    HistoryLoader& m_loader;
    Clock& m_clock;
    QLabel* m_status;
    QWidget* m_chart;
    QTreeWidget* m_frequent;
};
