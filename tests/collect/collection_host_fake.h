// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "collect/collection_host.h"
#include "platform/web_browser.h"
#include "visitors/data_files.h"
#include "visitors/ranking_model.h"
#include "visitors/visitor_data.h"
#include "visitors/visitor_table.h"

struct Platform;

// The program as a collection run sees it, over the real table, ranking, data files and browser;
// it records what the window would show. A collector takes it as its host and as its data.
class TestCollectionHost final : public CollectionHost, public VisitorData {
  public:
    explicit TestCollectionHost(Platform& platform);

    void showStatus(int panel, const QString& text) override;
    void setCollectAvailable(bool enabled) override { command1Enabled = enabled; }
    void setBusy(bool busy) override { Busy = busy; }
    void resetElapsedMinutes() override { ElapsedMinutes = 0; }
    RetrievalMethod retrievalMethod() const override {
        return getOpt == 1 ? RetrievalMethod::Browser : RetrievalMethod::Download;
    }
    Tick alarmOption() const override { return Tick(alarmChk); }
    VisitorTable& visitorTable() override { return table; }
    RankingModel& ranking() override { return rankingModel; }
    void RefreshRanking() override;
    QString dataPath() const override { return DataPath; }
    QString csvPath() const override { return {}; }
    bool SaveDataFile(const QString& path, bool IsFallback) override;
    bool SaveCsvFile(const QString& path, bool IsFallback) override;
    void showNotice(const QString& title, const QString& message) override;
    void message(const QString& prompt, MessageIcon icon, const QString& title) override;
    WebBrowser& browser() override { return webBrowser; }
    bool programEnding() const override { return false; }

    Platform& platform;
    VisitorTable table;
    RankingModel rankingModel;
    VisitorFiles files;
    WebBrowser webBrowser;
    QString DataPath;

    bool command1Enabled = true;
    bool Busy = false;
    qint32 ElapsedMinutes = 7;
    int getOpt = 0;    // 0 "方法1", 1 "方法2"
    int alarmChk = 0;  // as setting.ini keeps アラーム機能

    std::vector<QString> panel1;  // every text panel 1 showed
    QString panel2;
    std::vector<QString> notices;
    std::vector<QString> noticeTitles;
    int saves = 0;
    int refreshes = 0;
    // Runs while a notice is shown, before it closes.
    std::function<void(const QString&)> whileNoticeShown;
};
