// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// The input as "cookies.txt": every cookie read is one a request may send, none expired and none
// with the HTTP-only mark left in its domain.

#include <QDateTime>
#include <QNetworkCookie>
#include <QNetworkCookieJar>

#include "fuzz/fuzz_support.h"
#include "platform/http_fetch.h"

namespace {

class OpenJar final : public QNetworkCookieJar {
  public:
    using QNetworkCookieJar::allCookies;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    fuzz::init();
    const QString path = fuzz::scratchPath(QStringLiteral("cookies.txt"));
    fuzz::writeFile(path, QByteArrayView(reinterpret_cast<const char*>(bytes), qsizetype(size)));
    OpenJar jar;
    LoadCookieFile(path, jar);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const QNetworkCookie& cookie : jar.allCookies()) {
        KV_FUZZ_CHECK(cookie.isSessionCookie() || cookie.expirationDate() > now,
                      QStringLiteral("expired cookie ") + QString::fromUtf8(cookie.name()));
        KV_FUZZ_CHECK(!cookie.domain().contains(QStringLiteral("#HttpOnly_")),
                      QStringLiteral("HTTP-only mark kept in ") + cookie.domain());
    }
    return 0;
}
