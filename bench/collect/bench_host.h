// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

#include "collect/collection_host.h"
#include "collect/collector.h"
#include "collect/footprint_pages.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/web_browser.h"
#include "tools/demo_service.h"
#include "visitors/data_files.h"
#include "visitors/ranking_model.h"
#include "visitors/visitor_data.h"
#include "visitors/visitor_table.h"

// The services a run needs, in `folder`: the system clock, the real files and the download.
inline std::unique_ptr<Platform> benchPlatform(const QString& folder) {
    auto platform = std::make_unique<Platform>();
    platform->dataFolder = folder;
    platform->clock = createSystemClock();
    platform->files = createLinuxFileStore();
    platform->download = createQtDownload(*platform);
    return platform;
}

// A window-less host for whole collection runs: the real table, ranking and data file, method 1,
// no alarm; any notice or message marks the run as failed.
class BenchHost final : public CollectionHost, public VisitorData {
  public:
    explicit BenchHost(Platform& platform)
        : files(platform, table, rankingModel, *this),
          webBrowser(platform),
          path(AppFilePath(platform.dataFolder, QStringLiteral("\\zodadud_data.dat"))) {}
    void showStatus(int, const QString&) override {}
    void setCollectAvailable(bool) override {}
    void setBusy(bool) override {}
    void resetElapsedMinutes() override {}
    RetrievalMethod retrievalMethod() const override { return RetrievalMethod::Download; }
    Tick alarmOption() const override { return Tick::Unticked; }
    VisitorTable& visitorTable() override { return table; }
    RankingModel& ranking() override { return rankingModel; }
    void RefreshRanking() override { rankingModel.RefreshRanking(table); }
    QString dataPath() const override { return path; }
    QString csvPath() const override { return {}; }
    bool SaveDataFile(const QString& p, bool IsFallback) override {
        savedRows += rankingModel.rowCount();
        return files.SaveDataFile(p, IsFallback);
    }
    bool SaveCsvFile(const QString& p, bool IsFallback) override {
        return files.SaveCsvFile(p, IsFallback);
    }
    void showNotice(const QString&, const QString&) override { failed = true; }
    void message(const QString&, MessageIcon, const QString&) override { failed = true; }
    WebBrowser& browser() override { return webBrowser; }
    bool programEnding() const override { return false; }

    VisitorTable table;
    RankingModel rankingModel;
    VisitorFiles files;
    WebBrowser webBrowser;
    QString path;
    int savedRows = 0;
    bool failed = false;
};

// A collection against the demo service on 127.0.0.1: its folder, services, host and run.
struct BenchCollection {
    // False, having said why, when the demo service finds no port.
    bool start() {
        if (!service.start()) {
            std::fprintf(stderr, "no port for the demo service\n");
            return false;
        }
        platform = benchPlatform(dir.path());
        host = std::make_unique<BenchHost>(*platform);
        collector = std::make_unique<Collector>(*platform, *host, *host,
                                                FootprintPages::fromServiceUrl(service.baseUrl()));
        return true;
    }

    DemoServiceThread service;
    QTemporaryDir dir;
    std::unique_ptr<Platform> platform;
    std::unique_ptr<BenchHost> host;
    std::unique_ptr<Collector> collector;
};
