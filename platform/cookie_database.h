// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QVariantList>
#include <functional>
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

// One row as SQLite gives it: text as QString, a blob as QByteArray, an integer as qlonglong.
using CookieRowReader = std::function<void(const QVariantList& row)>;

// An SQLite connection of its own to a private copy, closed when this goes. It runs in the
// cookie-database module ("cookies.so", Qt Sql with its SQLite driver), which the first connection
// opens, so a run whose login comes from "cookies.txt" never maps Qt Sql; without the module no
// connection opens and error() says why.
class CookieDatabaseConnection {
  public:
    explicit CookieDatabaseConnection(const QString& fileName);
    ~CookieDatabaseConnection();
    CookieDatabaseConnection(const CookieDatabaseConnection&) = delete;
    CookieDatabaseConnection& operator=(const CookieDatabaseConnection&) = delete;

    bool open() const { return m_connection != nullptr; }
    // Why the connection did not open.
    QString error() const { return m_error; }
    // Runs `statement`, one call of `row` for each row it gives; false when it could not run.
    bool select(const QString& statement, const CookieRowReader& row) const;

    // What the module makes: one open connection.
    class Module {
      public:
        virtual ~Module() = default;
        virtual bool select(const QString& statement, const CookieRowReader& row) = 0;
    };
    // The module's one function, kestrelview_open_cookie_database: a connection to `fileName`, or
    // null with `error` set.
    using ModuleEntry = Module* (*)(const QString& fileName, QString* error);

  private:
    std::unique_ptr<Module> m_connection;
    QString m_error;
};
