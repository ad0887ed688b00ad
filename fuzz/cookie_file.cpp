// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// The input as "cookies.txt": every cookie read is unexpired, and the same file with a
// commented-out cookie before every line reads the same cookies.

#include <QDateTime>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QSet>

#include "fuzz/fuzz_support.h"
#include "platform/http_fetch.h"

namespace {

class OpenJar final : public QNetworkCookieJar {
  public:
    using QNetworkCookieJar::allCookies;
};

QSet<QByteArray> read(const QString& path, const QByteArray& bytes) {
    fuzz::writeFile(path, bytes);
    OpenJar jar;
    LoadCookieFile(path, jar);
    QSet<QByteArray> cookies;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const QNetworkCookie& cookie : jar.allCookies()) {
        KV_FUZZ_CHECK(cookie.isSessionCookie() || cookie.expirationDate() > now,
                      QStringLiteral("expired cookie ") + QString::fromUtf8(cookie.name()));
        cookies.insert(cookie.toRawForm() + (cookie.isHttpOnly() ? "|h" : "") + '|' +
                       cookie.domain().toUtf8());
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
