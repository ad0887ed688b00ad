// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QChar>
#include <QString>
#include <functional>

struct Platform;
class QWidget;
class RankingModel;
class StatusPanels;
class VisitorTable;

// Loading and saving the visitor table: the TAB-separated data file, the comma-separated CSV file
// and the fallback file. Files are CP932 with CR LF. Every row paces itself with a 1 ms wait so
// the window stays alive through large files.
class VisitorFiles {
  public:
    VisitorFiles(Platform& platform, VisitorTable& table, const RankingModel& ranking,
                 StatusPanels& panels);

    // The window that owns the message boxes.
    void setDialogParent(QWidget* parent) { m_dialogParent = parent; }

    // Told how many of a load's lines or a save's rows are done: once with 0 before the first,
    // then after each.
    using Progress = std::function<void(qsizetype done, qsizetype total)>;
    void setProgress(Progress progress) { m_progress = std::move(progress); }

    // Writes as many leading slots as the ranking shows rows. A failed save leaves the old file
    // as it was, writes the rows to "\setting.bak" instead (unless this save is that fallback)
    // and tells the user, once more when the fallback fails too. True when the rows reached
    // `path`; the user has been told of anything else.
    bool SaveDataFile(const QString& path, bool IsFallback);
    bool SaveCsvFile(const QString& path, bool IsFallback);

    // Loads the table from the start of the file until the end or the first line that does not
    // load; the rows before it stay. A file that exists but cannot be opened is reported and is
    // never replaced in this run: every save to it goes to the fallback file.
    void TAB_FileLoad(const QString& path);
    void CSV_FileLoad(const QString& path);

    // True while a load or a save is between two rows.
    bool busy() const { return m_busyDepth > 0; }

    // True when the last load did not read its file exactly as it stands, so that replacing the
    // file would lose something; the first save over it keeps a copy first.
    bool lastLoadInexact() const { return !m_inexactSource.isEmpty(); }

  private:
    bool save(const QString& path, bool isFallback, QChar separator);
    void load(const QString& path, QChar separator);
    // Copies the inexactly loaded file before it is replaced; false when that failed.
    bool keepUnreadCopy(const QString& path, QString* copyName);
    void report(qsizetype done, qsizetype total) const;

    Platform& m_platform;
    VisitorTable& m_table;
    const RankingModel& m_ranking;
    StatusPanels& m_panels;
    QWidget* m_dialogParent = nullptr;
    Progress m_progress;
    int m_busyDepth = 0;
    QString m_inexactSource;  // absolute path of a file that did not load exactly
    QString m_unreadCopy;     // the copy made of it, once made
    QString m_unreadable;     // absolute path of a file that exists but could not be opened
};
