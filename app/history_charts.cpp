// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "app/history_charts.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QValueAxis>
#include <algorithm>

#include "app/appearance.h"

QChartView* MakeBarChartView(QWidget* parent, const QString& objectName) {
    auto* chart = new QChart;
    chart->legend()->hide();
    chart->setMargins(QMargins(4, 4, 4, 4));
    auto* view = new QChartView(chart, parent);
    view->setObjectName(objectName);
    view->setRenderHint(QPainter::Antialiasing);
    return view;
}

void ShowBars(QChartView* view, const QString& setName, const QStringList& categories,
              std::span<const int> values) {
    QChart* chart = view->chart();
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
    auto* set = new QBarSet(setName);
    int highest = 0;
    for (int value : values) {
        set->append(value);
        highest = std::max(highest, value);
    }
    auto* series = new QBarSeries;
    series->setBarWidth(0.8);
    series->append(set);
    chart->addSeries(series);

    const QFont font = ProgramFont();
    auto* categoryAxis = new QBarCategoryAxis;
    categoryAxis->append(categories);
    categoryAxis->setLabelsFont(font);
    // Dates side by side would run into each other.
    categoryAxis->setLabelsAngle(-90);
    categoryAxis->setGridLineVisible(false);
    chart->addAxis(categoryAxis, Qt::AlignBottom);
    series->attachAxis(categoryAxis);

    // Ticks on whole visits, about five of them.
    const int step = std::max(1, (highest + 4) / 5);
    auto* valueAxis = new QValueAxis;
    valueAxis->setLabelFormat(QStringLiteral("%d"));
    valueAxis->setLabelsFont(font);
    valueAxis->setTickType(QValueAxis::TicksDynamic);
    valueAxis->setTickAnchor(0);
    valueAxis->setTickInterval(step);
    valueAxis->setRange(0, std::max(step, (highest + step - 1) / step * step));
    chart->addAxis(valueAxis, Qt::AlignLeft);
    series->attachAxis(valueAxis);
}
