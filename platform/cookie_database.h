// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>
#include <memory>

// A browser's cookie database copied into a private folder with its -wal or -journal file, so the
// rows the browser has not yet folded into the main file are read too, and the browser's own files
// are never locked, changed or checkpointed by us.
class CookieDatabaseCopy {
  public:
    // Copies `source`; valid() says whether it worked.
    explicit CookieDatabaseCopy(const QString& source);
    bool valid() const { return !m_file.isEmpty(); }
    // The copy of the main file.
    QString fileName() const { return m_file; }

  private:
    std::unique_ptr<QTemporaryDir> m_folder;
    QString m_file;
};

// An SQLite connection of its own to a private copy, removed when this goes.
class CookieDatabaseConnection {
  public:
    explicit CookieDatabaseConnection(const QString& fileName);
    ~CookieDatabaseConnection();
    CookieDatabaseConnection(const CookieDatabaseConnection&) = delete;
    CookieDatabaseConnection& operator=(const CookieDatabaseConnection&) = delete;

    bool open() const { return m_open; }
    QSqlDatabase database() const;

  private:
    QString m_name;
    bool m_open = false;
};
