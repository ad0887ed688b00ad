// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <QStringList>
#include <span>

class QChartView;
class QWidget;

// The history windows' bar charts: one bar set, a category below each bar, a value axis in whole
// visits, in the program's font.
QChartView* MakeBarChartView(QWidget* parent, const QString& objectName);

// Replaces what the chart shows: `values[i]` above `categories[i]`.
void ShowBars(QChartView* view, const QString& setName, const QStringList& categories,
              std::span<const int> values);
