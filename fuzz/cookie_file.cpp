// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// The input as "cookies.txt": every cookie read is one a request may send: none expired, none
// made of a comment line.

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
        // A line that starts with "#" is a comment unless "#HttpOnly_" marks its cookie.
        KV_FUZZ_CHECK(cookie.isHttpOnly() || !cookie.domain().startsWith(u'#'),
                      QStringLiteral("a comment became the cookie ") + cookie.domain());
    }
    return 0;
}
