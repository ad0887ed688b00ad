// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>

// The addresses of the two footprint pages. By default the service itself; a "ServiceUrl"
// setting that is an absolute http or https address replaces their scheme, host and port (any
// path in it is ignored), which is how the demo service and the tests stand in for it.
struct FootprintPages {
    QString page1 = QStringLiteral("http://mixi.jp/show_log.pl");
    QString page2 = QStringLiteral("http://mixi.jp/show_log.pl?page=2");

    // The default addresses when `serviceUrl` is empty or not an absolute http(s) address.
    static FootprintPages fromServiceUrl(const QString& serviceUrl);
};
