// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "tests/collect/collection_host_fake.h"

#include "platform/paths.h"
#include "platform/platform.h"

TestCollectionHost::TestCollectionHost(Platform& p)
    : platform(p),
      files(p, table, rankingModel, *this),
      webBrowser(p),
      DataPath(AppFilePath(p.dataFolder, QStringLiteral("\\zodadud_data.dat"))) {}

void TestCollectionHost::showStatus(int panel, const QString& text) {
    if (panel == 1) {
        panel1.push_back(text);
    } else {
        panel2 = text;
    }
}

void TestCollectionHost::RefreshRanking() {
    ++refreshes;
    rankingModel.RefreshRanking(table);
    showStatus(2, RankingCountText(rankingModel.rowCount()));
}

bool TestCollectionHost::SaveDataFile(const QString& path, bool IsFallback) {
    ++saves;
    return files.SaveDataFile(path, IsFallback);
}

bool TestCollectionHost::SaveCsvFile(const QString& path, bool IsFallback) {
    return files.SaveCsvFile(path, IsFallback);
}

void TestCollectionHost::showNotice(const QString& title, const QString& message) {
    noticeTitles.push_back(title);
    notices.push_back(message);
    if (whileNoticeShown) {
        whileNoticeShown(message);
    }
}

void TestCollectionHost::message(const QString& prompt, MessageIcon icon, const QString& title) {
    platform.dialogs->message(nullptr, prompt, icon, title);
}
