// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <functional>
#include <span>

class HistoryLoader;
class QFont;
class QLabel;
class QWidget;

// The line above a history window's figures: "読み込み中…" until the history has been read, then
// hidden, or why it could not be read.
QLabel* MakeLoadStatus();
void ShowLoadStatus(QLabel* status, const HistoryLoader& loader);

// The history windows' bar charts: one bar set, a value axis in whole visits, in the program's
// font. They are drawn by Qt Charts in the charts module, which the first history window opens;
// where it cannot be opened the chart's place holds a line saying why (object name `objectName`
// too), and the window's figures and lists work as ever.
QWidget* MakeBarChartView(QWidget* parent, const QString& objectName);

// Replaces what the chart shows with one bar for each value. Every `labelEvery`-th bar, counted
// back from the last, is labelled with labelOf(its index) on the axis below; a label under every
// one of 52 or 90 bars would not fit. Leaves the line of a chart that could not be made as it is.
void ShowBars(QWidget* view, const QString& setName, std::span<const int> values, int labelEvery,
              const std::function<QString(int)>& labelOf);

// What the charts module ("charts.so") hands the program through its one function,
// kestrelview_bar_charts(), which returns an object that lives as long as the process.
class BarChartModule {
  public:
    virtual QWidget* makeBarChart(QWidget* parent, const QString& objectName,
                                  const QFont& font) = 0;
    // Ignores a widget it did not make.
    virtual void showBars(QWidget* chart, const QString& setName, std::span<const int> values,
                          int labelEvery, const std::function<QString(int)>& labelOf) = 0;

  protected:
    ~BarChartModule() = default;
};
using BarChartModuleEntry = BarChartModule* (*)();
