// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "app/visitor_book.h"

#include <QFileInfo>

#include "app/program_lifecycle.h"
#include "platform/paths.h"
#include "platform/platform.h"

VisitorBook::VisitorBook(Platform& platform, ProgramLifecycle& lifecycle, QObject* parent)
    : QObject(parent),
      m_platform(platform),
      m_lifecycle(lifecycle),
      m_files(platform, m_table, m_ranking, *this),
      m_dataPath(AppFilePath(platform.dataFolder, QStringLiteral("\\zodadud_data.dat"))),
      m_csvPath(AppFilePath(platform.dataFolder, QStringLiteral("\\output.csv"))) {
    m_rankingSort.setSourceModel(&m_ranking);
    m_files.setProgress([this](qsizetype done, qsizetype total) {
        // Work that ends within a second shows no progress, so saves of ordinary tables do not
        // flicker.
        if (m_platform.clock->milliseconds() - m_fileWorkStart > 1000) {
            Q_EMIT fileProgress(done, total);
        }
    });
}

void VisitorBook::loadAtStartup() {
    const QFileInfo dataFile(m_dataPath);
    if (dataFile.isFile() && !dataFile.isHidden()) {
        loadDataFile(m_dataPath);
    } else {
        loadCsvFile(m_csvPath);
    }
}

void VisitorBook::showStatus(int panel, const QString& text) {
    Q_EMIT statusShown(panel, text);
}

void VisitorBook::RefreshRanking() {
    Q_EMIT rankingRefreshStarted();
    m_ranking.RefreshRanking(m_table);
    showStatus(2, RankingCountText(m_ranking.rowCount()));
    Q_EMIT rankingRefreshed();
}

bool VisitorBook::SaveDataFile(const QString& path, bool IsFallback) {
    startFileWork();
    const bool saved = m_files.SaveDataFile(path, IsFallback);
    finishFileWork();
    return saved;
}

bool VisitorBook::SaveCsvFile(const QString& path, bool IsFallback) {
    startFileWork();
    const bool saved = m_files.SaveCsvFile(path, IsFallback);
    finishFileWork();
    return saved;
}

void VisitorBook::loadDataFile(const QString& path) {
    startFileWork();
    m_files.TAB_FileLoad(path);
    finishFileWork();
}

void VisitorBook::loadCsvFile(const QString& path) {
    startFileWork();
    m_files.CSV_FileLoad(path);
    finishFileWork();
}

void VisitorBook::startFileWork() {
    if (!m_lifecycle.filesBusy()) {
        m_fileWorkStart = m_platform.clock->milliseconds();
    }
    m_lifecycle.fileWorkStarted();
}

void VisitorBook::finishFileWork() {
    if (!m_files.busy()) {
        Q_EMIT fileWorkEnded();
    }
    // May carry out an end that waited for the file.
    m_lifecycle.fileWorkFinished();
}
