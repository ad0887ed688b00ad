// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <functional>
#include <span>

class HistoryLoader;
class QChartView;
class QLabel;
class QWidget;

// The line above a history window's figures: "読み込み中…" until the history has been read, then
// hidden, or why it could not be read.
QLabel* MakeLoadStatus();
void ShowLoadStatus(QLabel* status, const HistoryLoader& loader);

// The history windows' bar charts: one bar set, a value axis in whole visits, in the program's
// font.
QChartView* MakeBarChartView(QWidget* parent, const QString& objectName);

// Replaces what the chart shows with one bar for each value. Every `labelEvery`-th bar, counted
// back from the last, is labelled with labelOf(its index) on the axis below; a label under every
// one of 52 or 90 bars would not fit.
void ShowBars(QChartView* view, const QString& setName, std::span<const int> values, int labelEvery,
              const std::function<QString(int)>& labelOf);
