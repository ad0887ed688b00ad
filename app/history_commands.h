// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <map>

#include "visitors/history_loader.h"

class Clock;
class HistoryChartWindow;
class QAction;
class QWidget;
class VisitorHistoryWindow;

// What the main window and the tray offer of the visit history: a visitor's history window, the
// chart of everyone's, and the desktop notice after a run. Keeps the one history loader, which
// reads nothing until a window first asks.
class HistoryCommands : public QObject {
    Q_OBJECT
  public:
    // `owner` is the main window: history windows stay above it and close with it.
    HistoryCommands(const QString& historyPath, Clock& clock, QWidget* owner);

    // Opens the history of member `id`, whom the table lists as `name` with `countedVisits`
    // visits, or brings the window already open for that member to the front.
    void openVisitorHistory(qint32 id, const QString& name, qint32 countedVisits);
    // "足あとグラフ(&G)": opens the chart of everyone's history, or brings it to the front.
    QAction* chartAction() const { return m_chartAction; }
    // "新しい足あとを通知(&N)", ticked when the setting Notify is 1.
    QAction* notifyAction() const { return m_notifyAction; }

    // Shows a desktop notice, "Kestrelview" with the text: set by the tray host, which sends it to
    // the desktop's notification service.
    void setNoticeShower(std::function<void(const QString& text)> show) {
        m_showNotice = std::move(show);
    }
    // A collection run has ended with `notice` (HistoryWriter::runNotice). One notice for the
    // run, only while notices are ticked, the run counted something and the window is hidden.
    void runEnded(const QString& notice, bool windowHidden);

    HistoryLoader& loader() { return m_loader; }

  private:
    void openChart();

    Clock& m_clock;
    QWidget* m_owner;
    HistoryLoader m_loader;
    QAction* m_chartAction;
    QAction* m_notifyAction;
    std::function<void(const QString&)> m_showNotice;
    std::map<qint32, QPointer<VisitorHistoryWindow>> m_visitorWindows;
    QPointer<HistoryChartWindow> m_chartWindow;
};
