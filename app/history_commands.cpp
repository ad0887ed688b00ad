// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "app/history_commands.h"

#include <QAction>
#include <QWidget>

#include "app/history_chart_window.h"
#include "app/visitor_history_window.h"

namespace {

void bringToFront(QWidget* window) {
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace

HistoryCommands::HistoryCommands(const QString& historyPath, Clock& clock, QWidget* owner)
    : QObject(owner),
      m_clock(clock),
      m_owner(owner),
      m_loader(historyPath),
      m_chartAction(new QAction(QStringLiteral("足あとグラフ(&G)"), this)),
      m_notifyAction(new QAction(QStringLiteral("新しい足あとを通知(&N)"), this)) {
    m_chartAction->setObjectName(QStringLiteral("MNU_GRAPH"));
    m_notifyAction->setObjectName(QStringLiteral("MNU_NOTIFY"));
    m_notifyAction->setCheckable(true);
    connect(m_chartAction, &QAction::triggered, this, &HistoryCommands::openChart);
}

void HistoryCommands::openVisitorHistory(qint32 id, const QString& name, qint32 countedVisits) {
    std::erase_if(m_visitorWindows, [](const auto& entry) { return entry.second.isNull(); });
    QPointer<VisitorHistoryWindow>& window = m_visitorWindows[id];
    if (window) {
        // Whatever runs have appended since it opened.
        m_loader.load();
    } else {
        window = new VisitorHistoryWindow(m_loader, m_clock, id, name, countedVisits, m_owner);
    }
    bringToFront(window);
}

void HistoryCommands::openChart() {
    if (m_chartWindow) {
        m_loader.load();
    } else {
        m_chartWindow = new HistoryChartWindow(m_loader, m_clock, m_owner);
    }
    bringToFront(m_chartWindow);
}

void HistoryCommands::runEnded(const QString& notice, bool windowHidden) {
    if (m_notifyAction->isChecked() && windowHidden && !notice.isEmpty() && m_showNotice) {
        m_showNotice(notice);
    }
}
