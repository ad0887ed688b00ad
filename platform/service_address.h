// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>

// Where the service lives: the two footprint pages and the base of the visitor pages. By default
// the service itself; a "ServiceUrl" setting that is an absolute http or https address replaces
// the scheme, host and port of all three (any path in it is ignored), which is how the demo
// service and the tests stand in for it.
struct ServiceAddress {
    QString footprintPage1 = QStringLiteral("http://mixi.jp/show_log.pl");
    QString footprintPage2 = QStringLiteral("http://mixi.jp/show_log.pl?page=2");
    QString visitorBase = QStringLiteral("https://mixi.jp");

    // The default addresses when `serviceUrl` is empty or not an absolute http(s) address.
    static ServiceAddress fromServiceUrl(const QString& serviceUrl);
};
