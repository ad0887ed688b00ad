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
class BenchHost final : public CollectionHost {
  public:
    explicit BenchHost(Platform& platform)
        : files(platform, table, ranking, *this),
          webBrowser(platform),
          path(AppFilePath(platform.dataFolder, QStringLiteral("\\zodadud_data.dat"))) {}
    void showStatus(int, const QString&) override {}
    void setCollectAvailable(bool) override {}
    void setBusy(bool) override {}
    void resetElapsedMinutes() override {}
    int retrievalMethod() const override { return 0; }
    void setRetrievalMethod(int) override {}
    int alarmOption() const override { return 0; }
    VisitorTable& visitorTable() override { return table; }
    void RefreshRanking() override { ranking.RefreshRanking(table); }
    QString dataPath() const override { return path; }
    void SaveDataFile(const QString& p, bool IsFallback) override {
        savedRows += ranking.rowCount();
        files.SaveDataFile(p, IsFallback);
    }
    void showNotice(const QString&, const QString&) override { failed = true; }
    void message(const QString&, MessageIcon, const QString&) override { failed = true; }
    WebBrowser& browser() override { return webBrowser; }
    bool programEnding() const override { return false; }

    VisitorTable table;
    RankingModel ranking;
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
        collector = std::make_unique<Collector>(*platform, *host,
                                                FootprintPages::fromServiceUrl(service.baseUrl()));
        return true;
    }

    DemoServiceThread service;
    QTemporaryDir dir;
    std::unique_ptr<Platform> platform;
    std::unique_ptr<BenchHost> host;
    std::unique_ptr<Collector> collector;
};
