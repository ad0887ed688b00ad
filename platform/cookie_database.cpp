// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "platform/cookie_database.h"

#include <QFile>
#include <QFileInfo>

#include "platform/program_modules.h"

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
    const auto entry = reinterpret_cast<ModuleEntry>(ProgramModuleFunction(
        QStringLiteral("cookies"), "kestrelview_open_cookie_database", &m_error));
    if (entry) {
        m_connection.reset(entry(fileName, &m_error));
    } else {
        m_error = QStringLiteral("the cookie database module cannot be loaded: ") + m_error;
    }
}

CookieDatabaseConnection::~CookieDatabaseConnection() = default;

bool CookieDatabaseConnection::select(const QString& statement, const CookieRowReader& row) const {
    return m_connection && m_connection->select(statement, row);
}
