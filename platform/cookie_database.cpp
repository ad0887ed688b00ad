// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "platform/cookie_database.h"

#include <QAtomicInt>
#include <QFile>
#include <QFileInfo>

CookieDatabaseCopy::CookieDatabaseCopy(const QString& source) {
    if (!QFileInfo(source).isFile()) {
        return;
    }
    auto folder = std::make_unique<QTemporaryDir>();
    if (!folder->isValid()) {
        return;
    }
    const QString copy = folder->filePath(QFileInfo(source).fileName());
    if (!QFile::copy(source, copy)) {
        return;
    }
    for (const QString& suffix : {QStringLiteral("-wal"), QStringLiteral("-journal")}) {
        if (QFileInfo(source + suffix).isFile() && !QFile::copy(source + suffix, copy + suffix)) {
            return;
        }
    }
    m_folder = std::move(folder);
    m_file = copy;
}

CookieDatabaseConnection::CookieDatabaseConnection(const QString& fileName) {
    static QAtomicInt connections;
    m_name = QStringLiteral("browser-cookies-%1").arg(connections.fetchAndAddRelaxed(1));
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        return;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    db.setDatabaseName(fileName);
    // Not read-only: SQLite must be free to make the -shm file that reading a -wal file needs.
    m_open = db.open();
}

CookieDatabaseConnection::~CookieDatabaseConnection() {
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        if (db.isValid()) {
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(m_name);
}

QSqlDatabase CookieDatabaseConnection::database() const {
    return QSqlDatabase::database(m_name, false);
}
