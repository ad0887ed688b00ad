// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// The input as "cookies.txt": every cookie read is unexpired, and the same file with a
// commented-out cookie before every line reads the same cookies.

#include <QDateTime>
#include <QSet>

#include "fuzz/fuzz_support.h"
#include "platform/http_fetch.h"

namespace {

QSet<QByteArray> read(const QString& path, const QByteArray& bytes) {
    fuzz::writeFile(path, bytes);
    QSet<QByteArray> cookies;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const Cookie& cookie : LoadCookieFile(path)) {
        KV_FUZZ_CHECK(cookie.isSessionCookie() || cookie.expirationDate() > now,
                      QStringLiteral("expired cookie ") + QString::fromUtf8(cookie.name()));
        cookies.insert(cookie.name() + '=' + cookie.value() + (cookie.isHttpOnly() ? "|h" : "") +
                       (cookie.isSecure() ? "|s" : "") + '|' + cookie.domain().toUtf8() + '|' +
                       cookie.path().toUtf8() + '|' +
                       cookie.expirationDate().toString(Qt::ISODate).toUtf8());
    }
    return cookies;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    fuzz::init();
    const QString path = fuzz::scratchPath(QStringLiteral("cookies.txt"));
    const QByteArray file(reinterpret_cast<const char*>(bytes), qsizetype(size));
    const QByteArray comment("# .mixi.jp\tTRUE\t/\tFALSE\t0\tcommented\tout\n");
    QByteArray commented = comment;
    for (const char c : file) {
        commented += c;
        if (c == '\n') {
            commented += comment;
        }
    }
    KV_FUZZ_CHECK(read(path, file) == read(path, commented),
                  QStringLiteral("a commented-out cookie line changed what was read"));
    return 0;
}
