// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// The charts module: the history windows' bar charts over Qt Charts, which with its OpenGL
// libraries stays out of every run that opens no history window.
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QValueAxis>
#include <algorithm>

#include "app/history_charts.h"

namespace {

class QtBarCharts final : public BarChartModule {
  public:
    QWidget* makeBarChart(QWidget* parent, const QString& objectName, const QFont& font) override {
        auto* chart = new QChart;
        chart->legend()->hide();
        // Room on the right for the last label, which stands centred under the last bar.
        chart->setMargins(QMargins(4, 4, 16, 4));
        auto* view = new QChartView(chart, parent);
        view->setObjectName(objectName);
        view->setRenderHint(QPainter::Antialiasing);
        view->setProperty("kvAxisFont", font);
        return view;
    }

    void showBars(QWidget* widget, const QString& setName, std::span<const int> values,
                  int labelEvery, const std::function<QString(int)>& labelOf) override {
        auto* view = qobject_cast<QChartView*>(widget);
        if (!view) {
            return;
        }
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

        const QFont font = view->property("kvAxisFont").value<QFont>();
        // On a value axis the bars stand at 0, 1, 2, ..., and labels can go under some of them.
        const int count = int(values.size());
        auto* labelAxis = new QCategoryAxis;
        labelAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
        labelAxis->setRange(-0.5, count - 0.5);
        labelAxis->setStartValue(-0.5);
        for (int i = (count - 1) % labelEvery; i < count; i += labelEvery) {
            labelAxis->append(labelOf(i), i);
        }
        labelAxis->setLabelsFont(font);
        labelAxis->setGridLineVisible(false);
        chart->addAxis(labelAxis, Qt::AlignBottom);
        series->attachAxis(labelAxis);

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
};

}  // namespace

extern "C" Q_DECL_EXPORT BarChartModule* kestrelview_bar_charts() {
    static QtBarCharts charts;
    return &charts;
}
