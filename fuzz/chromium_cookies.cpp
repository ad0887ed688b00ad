// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// A Chromium cookie database built from the input: a meta version and up to eight rows whose
// encrypted values are cut from the input, most of them behind a "v10" or "v11" prefix so that
// decryption, padding and the host digest are reached. A database that cannot be read yields no
// cookie; any value that comes out of decryption is one the row's host vouched for.

#include <QDir>
#include <QSqlQuery>
#include <QVariant>

#include "fuzz/fuzz_support.h"
#include "platform/chromium_cookies.h"

namespace {

QByteArray takeBytes(FuzzedDataProvider& data, size_t most) {
    const std::string bytes = data.ConsumeRandomLengthString(most);
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

QByteArray takeEncrypted(FuzzedDataProvider& data) {
    switch (data.ConsumeIntegralInRange(0, 3)) {
        case 0:
            return "v10" + takeBytes(data, 96);
        case 1:
            return "v11" + takeBytes(data, 96);
        case 2:
            return QByteArray();
        default:
            return takeBytes(data, 96);
    }
}

bool writeDatabase(const QString& file, FuzzedDataProvider& data) {
    return fuzz::writeDatabase(file, [&data](QSqlQuery& query) {
        bool ok = query.exec(QStringLiteral("CREATE TABLE meta(key TEXT PRIMARY KEY, value TEXT)"));
        ok = ok && query.prepare(QStringLiteral("INSERT INTO meta VALUES ('version', ?)"));
        query.addBindValue(data.ConsumeIntegralInRange(0, 30));
        ok = ok && query.exec();
        ok = ok && query.exec(QStringLiteral(
                       "CREATE TABLE cookies(creation_utc INTEGER, host_key TEXT, "
                       "top_frame_site_key TEXT, name TEXT, value TEXT, encrypted_value BLOB, "
                       "path TEXT, expires_utc INTEGER, is_secure INTEGER, is_httponly "
                       "INTEGER, has_expires INTEGER, last_update_utc INTEGER)"));
        ok = ok && query.prepare(QStringLiteral(
                       "INSERT INTO cookies VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        const int rows = data.ConsumeIntegralInRange(0, 8);
        for (int i = 0; ok && i < rows; ++i) {
            query.addBindValue(data.ConsumeIntegral<qint64>());
            query.addBindValue(fuzz::takeText(data, 24));
            query.addBindValue(data.ConsumeBool() ? QString() : fuzz::takeText(data, 16));
            query.addBindValue(fuzz::takeText(data, 16));
            query.addBindValue(data.ConsumeBool() ? QString() : fuzz::takeText(data, 16));
            query.addBindValue(takeEncrypted(data));
            query.addBindValue(fuzz::takeText(data, 16));
            query.addBindValue(data.ConsumeIntegral<qint64>());
            query.addBindValue(data.ConsumeIntegralInRange(0, 1));
            query.addBindValue(data.ConsumeIntegralInRange(0, 1));
            query.addBindValue(data.ConsumeIntegralInRange(0, 1));
            query.addBindValue(data.ConsumeIntegral<qint64>());
            ok = query.exec();
        }
        return ok;
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    fuzz::init();
    FuzzedDataProvider data(bytes, size);
    const QByteArray password = data.ConsumeBool() ? QByteArray() : takeBytes(data, 24);
    const QString file = fuzz::scratchPath(QStringLiteral("Cookies"));
    QFile::remove(file);
    if (!writeDatabase(file, data)) {
        return 0;
    }
    const ChromiumCookieRead read = ReadChromiumCookies(file, password);
    KV_FUZZ_CHECK(read.readable || read.cookies.isEmpty(),
                  QStringLiteral("cookies from a database that could not be read"));

    // A value on its own, as one row would hold it.
    const QByteArray encrypted = takeEncrypted(data);
    const QByteArray host = takeBytes(data, 24);
    QByteArray plain;
    (void)DecryptChromiumValue(encrypted, password, host, data.ConsumeIntegralInRange(0, 30),
                               &plain);
    return 0;
}
