// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "app/history_chart_window.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/appearance.h"
#include "app/history_charts.h"
#include "platform/clock.h"
#include "visitors/history_figures.h"
#include "visitors/history_loader.h"
#include "visitors/ranking_model.h"

HistoryChartWindow::HistoryChartWindow(HistoryLoader& loader, Clock& clock, QWidget* parent)
    : QWidget(parent, Qt::Window), m_loader(loader), m_clock(clock) {
    setObjectName(QStringLiteral("HistoryChartWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("足あとグラフ"));
    setFont(ProgramFont());
    resize(1000, 680);

    auto* layout = new QVBoxLayout(this);
    m_status = MakeLoadStatus();
    layout->addWidget(m_status);

    m_chart = MakeBarChartView(this, QStringLiteral("dailyChart"));
    m_chart->setMinimumHeight(320);
    layout->addWidget(m_chart, 3);

    auto* caption = new QLabel(QStringLiteral("過去30日間によく来た人"));
    layout->addWidget(caption);
    m_frequent = new QTreeWidget;
    m_frequent->setObjectName(QStringLiteral("frequentVisitors"));
    m_frequent->setRootIsDecorated(false);
    m_frequent->setHeaderLabels({QStringLiteral("順位"), QStringLiteral("名前"),
                                 QStringLiteral("ID"), QStringLiteral("足あと"),
                                 QStringLiteral("最新の記録")});
    m_frequent->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(m_frequent, 2);

    connect(&m_loader, &HistoryLoader::loaded, this, &HistoryChartWindow::showHistory);
    m_loader.load();
}

void HistoryChartWindow::showHistory() {
    const std::shared_ptr<const HistoryIndex> index = m_loader.index();
    if (!index) {
        return;
    }
    ShowLoadStatus(m_status, m_loader);
    const EveryoneFigures figures = FiguresOfEveryone(*index, m_clock.now());
    // A label a week, on the weekday of today.
    ShowBars(m_chart, QStringLiteral("1日の足あと"), figures.perDay, 7,
             [today = figures.today](int day) {
                 return HistoryDay(today, day).toString(QStringLiteral("M/d"));
             });

    m_frequent->clear();
    int rank = 0;
    for (const FrequentVisitor& visitor : figures.mostFrequent) {
        auto* item = new QTreeWidgetItem(
            m_frequent, {QString::number(++rank), DecodeCharacterReferences(visitor.name),
                         QString::number(visitor.id), QString::number(visitor.visits),
                         FormatVisitStamp(visitor.latest)});
        for (int column : {0, 2, 3}) {
            item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
        }
    }
}
