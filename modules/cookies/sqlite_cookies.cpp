// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// The cookie-database module: the browsers' SQLite cookie stores read through Qt Sql, which stays
// out of every run whose login comes from "cookies.txt".
#include <QAtomicInt>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include "platform/cookie_database.h"

namespace {

class SqliteConnection final : public CookieDatabaseConnection::Module {
  public:
    explicit SqliteConnection(const QString& name) : m_name(name) {}
    ~SqliteConnection() override {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            if (db.isValid()) {
                db.close();
            }
        }
        QSqlDatabase::removeDatabase(m_name);
    }

    bool select(const QString& statement, const CookieRowReader& row) override {
        QSqlQuery query(QSqlDatabase::database(m_name, false));
        query.setForwardOnly(true);
        if (!query.exec(statement)) {
            return false;
        }
        QVariantList values;
        while (query.next()) {
            const int columns = query.record().count();
            values.clear();
            for (int column = 0; column < columns; ++column) {
                values.append(query.value(column));
            }
            row(values);
        }
        return true;
    }

  private:
    QString m_name;
};

}  // namespace

extern "C" Q_DECL_EXPORT CookieDatabaseConnection::Module* kestrelview_open_cookie_database(
    const QString& fileName, QString* error) {
    static QAtomicInt connections;
    const QString name =
        QStringLiteral("browser-cookies-%1").arg(connections.fetchAndAddRelaxed(1));
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        *error = QStringLiteral("Qt's SQLite driver is not installed");
        return nullptr;
    }
    auto connection = std::make_unique<SqliteConnection>(name);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(fileName);
    // Not read-only: SQLite must be free to make the -shm file that reading a -wal file needs.
    if (!db.open()) {
        *error = db.lastError().text();
        return nullptr;
    }
    return connection.release();
}
