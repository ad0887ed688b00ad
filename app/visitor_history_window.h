// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QWidget>

class Clock;
class HistoryLoader;
class QLabel;
class QListView;
class VisitListModel;

// One visitor's history: every recorded visit, newest first; the first and latest; the visits of
// the last 7 and 30 days; a bar for each of the last 52 weeks; and "記録開始: …" when the table
// counted visits from before the history began. Shows "読み込み中…" until the loader delivers.
class VisitorHistoryWindow : public QWidget {
    Q_OBJECT
  public:
    // Member `id`, whom the table lists as `name` with `countedVisits` visits. `loader` must
    // outlive the window; the figures are for the clock's time when the history arrives.
    VisitorHistoryWindow(HistoryLoader& loader, Clock& clock, qint32 id, const QString& name,
                         qint32 countedVisits, QWidget* parent = nullptr);

  private:
    void showHistory();

    HistoryLoader& m_loader;
    Clock& m_clock;
    qint32 m_id;
    qint32 m_countedVisits;
    QLabel* m_status;
    QLabel* m_first;
    QLabel* m_latest;
    QLabel* m_lastSevenDays;
    QLabel* m_lastThirtyDays;
    QLabel* m_recordingStart;
    QWidget* m_chart;
    QListView* m_list;
    VisitListModel* m_visits;
};
