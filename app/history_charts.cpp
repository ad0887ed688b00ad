// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "app/history_charts.h"

#include <QLabel>

#include "app/appearance.h"
#include "platform/program_modules.h"
#include "visitors/history_loader.h"

namespace {

BarChartModule* chartModule(QString* error) {
    const auto entry = reinterpret_cast<BarChartModuleEntry>(
        ProgramModuleFunction(QStringLiteral("charts"), "kestrelview_bar_charts", error));
    return entry ? entry() : nullptr;
}

}  // namespace

QWidget* MakeBarChartView(QWidget* parent, const QString& objectName) {
    QString error;
    if (BarChartModule* module = chartModule(&error)) {
        return module->makeBarChart(parent, objectName, ProgramFont());
    }
    auto* missing = new QLabel(
        QStringLiteral("グラフは表示できません (グラフの部品を読み込めません: %1)").arg(error),
        parent);
    missing->setObjectName(objectName);
    missing->setWordWrap(true);
    missing->setAlignment(Qt::AlignCenter);
    missing->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return missing;
}

void ShowBars(QWidget* view, const QString& setName, std::span<const int> values, int labelEvery,
              const std::function<QString(int)>& labelOf) {
    if (ProgramModuleLoaded(QStringLiteral("charts"))) {
        chartModule(nullptr)->showBars(view, setName, values, labelEvery, labelOf);
    }
}

QLabel* MakeLoadStatus() {
    auto* status = new QLabel(QStringLiteral("読み込み中…"));
    status->setObjectName(QStringLiteral("status"));
    return status;
}

void ShowLoadStatus(QLabel* status, const HistoryLoader& loader) {
    if (loader.error().isEmpty()) {
        status->hide();
    } else {
        status->setText(QStringLiteral("足あと履歴を読み込めませんでした: ") + loader.error());
        status->show();
    }
}
