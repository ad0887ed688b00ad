// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QObject>
#include <QString>

#include "visitors/data_files.h"
#include "visitors/ranking_model.h"
#include "visitors/visitor_data.h"
#include "visitors/visitor_table.h"

class ProgramLifecycle;
class QWidget;
struct Platform;

// The visitor data of the running program: the table, the ranking the list shows and its sort,
// the data and CSV files with their loads and saves. No widget: the window shows what it
// signals, and the collection and the list's commands work on it directly. A load or a save
// tells the program lifecycle while it is between rows, so that an end asked for meanwhile waits
// for it.
class VisitorBook final : public QObject, public VisitorData {
    Q_OBJECT
  public:
    VisitorBook(Platform& platform, ProgramLifecycle& lifecycle, QObject* parent = nullptr);

    VisitorTable& table() { return m_table; }
    RankingSortProxy& rankingSort() { return m_rankingSort; }
    // The window that owns the files' message boxes.
    void setDialogParent(QWidget* parent) { m_files.setDialogParent(parent); }

    // The start-up load: the data file when there is one, otherwise "\output.csv".
    void loadAtStartup();
    void loadDataFile(const QString& path);
    void loadCsvFile(const QString& path);

    // VisitorData
    void showStatus(int panel, const QString& text) override;
    VisitorTable& visitorTable() override { return m_table; }
    RankingModel& ranking() override { return m_ranking; }
    void RefreshRanking() override;
    QString dataPath() const override { return m_dataPath; }
    QString csvPath() const override { return m_csvPath; }
    bool SaveDataFile(const QString& path, bool IsFallback) override;
    bool SaveCsvFile(const QString& path, bool IsFallback) override;

  Q_SIGNALS:
    void statusShown(int panel, const QString& text);
    // Around a refill of the ranking: the list takes no input meanwhile.
    void rankingRefreshStarted();
    void rankingRefreshed();
    // A load or a save that has taken over a second: `done` of `total` rows or lines.
    void fileProgress(qsizetype done, qsizetype total);
    // No load or save is under way any more.
    void fileWorkEnded();

  private:
    void startFileWork();
    void finishFileWork();

    Platform& m_platform;
    ProgramLifecycle& m_lifecycle;
    VisitorTable m_table;
    RankingModel m_ranking;
    RankingSortProxy m_rankingSort;
    VisitorFiles m_files;
    QString m_dataPath;
    QString m_csvPath;
    quint32 m_fileWorkStart = 0;  // the clock's count when the outermost load or save began
};
