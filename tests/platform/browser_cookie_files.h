// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

// Browser profiles as the browsers themselves lay them out, made by the tests in a temporary
// home: Firefox's profiles.ini and cookies.sqlite, Chromium's Local State and cookie database with
// its encrypted values.
#include <openssl/evp.h>
#include <openssl/sha.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QList>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <memory>

namespace testcookies {

// One cookie to write. `expires` is seconds since 1970; 0 is a session cookie.
struct Row {
    Row(const QString& host_, const QString& name_, const QByteArray& value_,
        const QString& path_ = QStringLiteral("/"))
        : host(host_), name(name_), value(value_), path(path_) {}

    QString host;
    QString name;
    QByteArray value;
    QString path;
    qint64 expires = 0;
    QDateTime set = QDateTime::currentDateTimeUtc();
    bool secure = false;
    QString partition;  // Firefox's partitionKey, Chromium's top_frame_site_key
};

inline qint64 inAnHour() {
    return QDateTime::currentSecsSinceEpoch() + 3600;
}

inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// An SQLite file the test writes; kept open (with its -wal file) until the writer goes, when
// `keepOpen` says so.
class Database {
  public:
    explicit Database(const QString& file) {
        static int counter = 0;
        m_name = QStringLiteral("test-cookie-writer-%1").arg(++counter);
        QDir().mkpath(QFileInfo(file).absolutePath());
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(file);
        m_ok = db.open();
    }
    ~Database() {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    bool run(const QString& statement, const QVariantList& values = {}) {
        QSqlQuery query(QSqlDatabase::database(m_name, false));
        if (!query.prepare(statement)) {
            qWarning() << query.lastError().text();
            return false;
        }
        for (const QVariant& value : values) {
            query.addBindValue(value);
        }
        const bool done = query.exec();
        if (!done) {
            qWarning() << query.lastError().text();
        }
        return done && m_ok;
    }
    void close() { QSqlDatabase::database(m_name, false).close(); }

  private:
    QString m_name;
    bool m_ok = false;
};

// profiles.ini naming one relative profile as Firefox's default.
inline QByteArray profilesIni(const QString& relativeProfile) {
    return "[Profile0]\nName=default-release\nIsRelative=1\nPath=" + relativeProfile.toUtf8() +
           "\nDefault=1\n\n[General]\nStartWithLastProfile=1\nVersion=2\n";
}

// Firefox's moz_cookies table as current versions create it.
inline std::unique_ptr<Database> writeFirefoxCookies(const QString& profile, const QList<Row>& rows,
                                                     bool onlyInWal = false) {
    auto db = std::make_unique<Database>(QDir(profile).filePath(QStringLiteral("cookies.sqlite")));
    if (onlyInWal) {
        db->run(QStringLiteral("PRAGMA journal_mode=WAL"));
        db->run(QStringLiteral("PRAGMA wal_autocheckpoint=0"));
    }
    db->run(QStringLiteral(
        "CREATE TABLE moz_cookies (id INTEGER PRIMARY KEY, originAttributes TEXT NOT NULL "
        "DEFAULT '', name TEXT, value TEXT, host TEXT, path TEXT, expiry INTEGER, lastAccessed "
        "INTEGER, creationTime INTEGER, isSecure INTEGER, isHttpOnly INTEGER, inBrowserElement "
        "INTEGER DEFAULT 0, sameSite INTEGER DEFAULT 0, rawSameSite INTEGER DEFAULT 0, schemeMap "
        "INTEGER DEFAULT 0, isPartitionedAttributeSet INTEGER DEFAULT 0, CONSTRAINT moz_uniqueid "
        "UNIQUE (name, host, path, originAttributes))"));
    for (const Row& row : rows) {
        const qint64 micros = row.set.toMSecsSinceEpoch() * 1000;
        db->run(
            QStringLiteral("INSERT INTO moz_cookies (originAttributes, name, value, host, path, "
                           "expiry, lastAccessed, creationTime, isSecure, isHttpOnly) VALUES "
                           "(?, ?, ?, ?, ?, ?, ?, ?, ?, 1)"),
            {row.partition.isEmpty() ? QStringLiteral("")
                                     : QStringLiteral("^partitionKey=") + row.partition,
             row.name, QString::fromUtf8(row.value), row.host, row.path, row.expires, micros,
             micros, row.secure ? 1 : 0});
    }
    if (!onlyInWal) {
        db->close();
    }
    return db;
}

// Chromium's time: microseconds since 1601-01-01 UTC.
inline qint64 chromiumTime(const QDateTime& time) {
    return (time.toMSecsSinceEpoch() + 11'644'473'600'000LL) * 1000;
}

// AES-128-CBC as Chromium encrypts on Linux, done with libcrypto; `prefix` is "v10" or "v11".
inline QByteArray chromiumEncrypt(const QByteArray& plain, const QByteArray& password,
                                  const QByteArray& prefix) {
    unsigned char key[16];
    PKCS5_PBKDF2_HMAC_SHA1(password.constData(), int(password.size()),
                           reinterpret_cast<const unsigned char*>("saltysalt"), 9, 1, 16, key);
    const QByteArray iv(16, ' ');
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    QByteArray out(plain.size() + 32, '\0');
    int n = 0;
    int last = 0;
    EVP_EncryptInit_ex(context, EVP_aes_128_cbc(), nullptr, key,
                       reinterpret_cast<const unsigned char*>(iv.constData()));
    EVP_EncryptUpdate(context, reinterpret_cast<unsigned char*>(out.data()), &n,
                      reinterpret_cast<const unsigned char*>(plain.constData()), int(plain.size()));
    EVP_EncryptFinal_ex(context, reinterpret_cast<unsigned char*>(out.data()) + n, &last);
    EVP_CIPHER_CTX_free(context);
    out.truncate(n + last);
    return prefix + out;
}

inline QByteArray sha256(const QByteArray& bytes) {
    QByteArray digest(SHA256_DIGEST_LENGTH, '\0');
    SHA256(reinterpret_cast<const unsigned char*>(bytes.constData()), size_t(bytes.size()),
           reinterpret_cast<unsigned char*>(digest.data()));
    return digest;
}

enum class Encryption { Plain, V10, V11 };

// A Chromium cookie database of version `version` (24 and later: the digest of the host leads
// the plain text), with its rows' values encrypted as `encryption` says.
inline bool writeChromiumCookies(const QString& file, const QList<Row>& rows, int version,
                                 Encryption encryption, const QByteArray& v11Password = {}) {
    Database db(file);
    bool ok =
        db.run(QStringLiteral("CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY "
                              "KEY, value LONGVARCHAR)")) &&
        db.run(QStringLiteral("INSERT INTO meta VALUES ('version', ?)"), {version}) &&
        db.run(QStringLiteral("INSERT INTO meta VALUES ('last_compatible_version', ?)"), {version});
    if (version >= 13) {
        ok = ok && db.run(QStringLiteral(
                       "CREATE TABLE cookies(creation_utc INTEGER NOT NULL,host_key TEXT NOT "
                       "NULL,top_frame_site_key TEXT NOT NULL,name TEXT NOT NULL,value TEXT NOT "
                       "NULL,encrypted_value BLOB NOT NULL,path TEXT NOT NULL,expires_utc INTEGER "
                       "NOT NULL,is_secure INTEGER NOT NULL,is_httponly INTEGER NOT "
                       "NULL,last_access_utc INTEGER NOT NULL,has_expires INTEGER NOT "
                       "NULL,is_persistent INTEGER NOT NULL,priority INTEGER NOT NULL,samesite "
                       "INTEGER NOT NULL,source_scheme INTEGER NOT NULL,source_port INTEGER NOT "
                       "NULL,last_update_utc INTEGER NOT NULL,source_type INTEGER NOT "
                       "NULL,has_cross_site_ancestor INTEGER NOT NULL)"));
    } else {
        ok = ok && db.run(QStringLiteral(
                       "CREATE TABLE cookies (creation_utc INTEGER NOT NULL UNIQUE PRIMARY "
                       "KEY,host_key TEXT NOT NULL,name TEXT NOT NULL,value TEXT NOT NULL,path "
                       "TEXT NOT NULL,expires_utc INTEGER NOT NULL,secure INTEGER NOT "
                       "NULL,httponly INTEGER NOT NULL,last_access_utc INTEGER NOT NULL, "
                       "has_expires INTEGER NOT NULL DEFAULT 1, persistent INTEGER NOT NULL "
                       "DEFAULT 1,priority INTEGER NOT NULL DEFAULT 1,encrypted_value BLOB "
                       "DEFAULT '',firstpartyonly INTEGER NOT NULL DEFAULT 0)"));
    }
    // The columns are NOT NULL: empty values must not bind as NULL.
    const auto text = [](const QString& value) {
        return value.isNull() ? QStringLiteral("") : value;
    };
    qint64 index = 0;
    for (const Row& row : rows) {
        QByteArray plain = row.value;
        QByteArray encrypted("");
        if (encryption != Encryption::Plain) {
            if (version >= 24) {
                plain.prepend(sha256(row.host.toUtf8()));
            }
            encrypted = encryption == Encryption::V10 ? chromiumEncrypt(plain, "peanuts", "v10")
                                                      : chromiumEncrypt(plain, v11Password, "v11");
        }
        const QString value =
            text(encryption == Encryption::Plain ? QString::fromUtf8(row.value) : QString());
        // Older versions key the rows by their creation time, which must differ.
        const qint64 set = chromiumTime(row.set) + index++;
        const qint64 expires =
            row.expires == 0 ? 0
                             : chromiumTime(QDateTime::fromSecsSinceEpoch(row.expires, Qt::UTC));
        if (version >= 13) {
            ok = ok &&
                 db.run(QStringLiteral("INSERT INTO cookies VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, "
                                       "1, ?, ?, ?, 1, 0, 2, 443, ?, 0, 0)"),
                        {set, row.host, text(row.partition), row.name, value, encrypted, row.path,
                         expires, row.secure ? 1 : 0, set, row.expires != 0 ? 1 : 0,
                         row.expires != 0 ? 1 : 0, set});
        } else {
            ok =
                ok && db.run(QStringLiteral("INSERT INTO cookies VALUES (?, ?, ?, ?, ?, ?, ?, 1, "
                                            "?, ?, ?, 1, ?, 0)"),
                             {set, row.host, row.name, value, row.path, expires, row.secure ? 1 : 0,
                              set, row.expires != 0 ? 1 : 0, row.expires != 0 ? 1 : 0, encrypted});
        }
    }
    return ok;
}

// Chromium's Local State naming `lastUsed` as the last profile used.
inline QByteArray localState(const QString& lastUsed) {
    return R"({"browser":{"enabled_labs_experiments":[]},"profile":{"info_cache":{},"last_used":")" +
           lastUsed.toUtf8() + R"("},"os_crypt":{"portal":{}}})";
}

}  // namespace testcookies
