// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// Save and load of 100, 1,000 and 10,000 rows against the time the 1 ms row pacing alone takes:
// the work per row has to stay small beside the pause that keeps the window responsive.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/median.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "visitors/data_files.h"
#include "visitors/ranking_model.h"
#include "visitors/status_panels.h"
#include "visitors/visitor_table.h"

namespace {

class NoPanels final : public StatusPanels {
  public:
    void showStatus(int, const QString&) override {}
};

double measuredPacingMs(Clock& clock) {
    const int samples = 1000;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < samples; ++i) {
        WaitMilliseconds(clock, 1);
    }
    return double(timer.nsecsElapsed()) / 1e6 / samples;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QTemporaryDir dir;
    Platform platform;
    platform.dataFolder = dir.path();
    platform.clock = createSystemClock();
    platform.files = createLinuxFileStore();

    const double pacing = measuredPacingMs(*platform.clock);
    std::printf("WaitMilliseconds(1) takes %.3f ms\n", pacing);
    std::printf("%8s %12s %12s %12s %8s %8s\n", "rows", "pacing ms", "save ms", "load ms", "save x",
                "load x");
    bool pass = true;
    for (int rows : {100, 1000, 10000}) {
        VisitorTable table;
        for (int i = 0; i < rows; ++i) {
            table.SetVisitor(QStringLiteral("訪問者%1さん").arg(i), QString::number(10000 + i),
                             QString::number(rows - i), QStringLiteral("2026年12月07日 10:00"),
                             i % 3 == 0 ? QStringLiteral("メモ①") : QString(), i);
        }
        RankingModel ranking;
        ranking.RefreshRanking(table);
        NoPanels panels;
        VisitorFiles files(platform, table, ranking, panels);
        const QString path = AppFilePath(dir.path(), QStringLiteral("\\zodadud_data.dat"));

        // Small files repeat, so that one slow moment of a shared machine does not decide.
        const int runs = rows >= 10000 ? 1 : rows >= 1000 ? 3 : 9;
        std::vector<double> saves;
        std::vector<double> loads;
        qsizetype loadedRows = 0;
        for (int run = 0; run < runs; ++run) {
            QElapsedTimer timer;
            timer.start();
            files.SaveDataFile(path, false);
            saves.push_back(double(timer.nsecsElapsed()) / 1e6);

            VisitorTable loaded;
            VisitorFiles loader(platform, loaded, ranking, panels);
            timer.restart();
            loader.TAB_FileLoad(path);
            loads.push_back(double(timer.nsecsElapsed()) / 1e6);
            loadedRows = loaded.RowCount;
        }
        const double saveMs = median(saves);
        const double loadMs = median(loads);

        const double pacingMs = rows * pacing;
        const double saveRatio = saveMs / pacingMs;
        const double loadRatio = loadMs / pacingMs;
        pass = pass && saveRatio <= 1.05 && loadRatio <= 1.05 && loadedRows == rows;
        std::printf("%8d %12.1f %12.1f %12.1f %8.3f %8.3f\n", rows, pacingMs, saveMs, loadMs,
                    saveRatio, loadRatio);
    }
    std::printf("target: at most 1.05 -> %s\n", pass ? "met" : "MISSED");
    return pass ? 0 : 1;
}
