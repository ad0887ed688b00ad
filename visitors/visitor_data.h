// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>

#include "visitors/status_panels.h"

class RankingModel;
class VisitorTable;

// The visitor data as the collection run and the list's commands work on it: the table, the
// ranking the list shows, the two files and the status panels that report on them. One owner
// implements it for the program; tests implement it over a real table, ranking and files.
class VisitorData : public StatusPanels {
  public:
    virtual VisitorTable& visitorTable() = 0;
    virtual RankingModel& ranking() = 0;
    // Refills the ranking from the table, with its row count in status panel 2.
    virtual void RefreshRanking() = 0;
    // DataPath and CsvPath: "\zodadud_data.dat" and "\output.csv" in the data folder.
    virtual QString dataPath() const = 0;
    virtual QString csvPath() const = 0;
    // The savers write the rows the ranking shows; true when they reached `path` (anything else
    // has been told to the user).
    virtual bool SaveDataFile(const QString& path, bool IsFallback) = 0;
    virtual bool SaveCsvFile(const QString& path, bool IsFallback) = 0;
};
