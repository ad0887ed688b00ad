// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "platform/service_address.h"

#include <QUrl>

ServiceAddress ServiceAddress::fromServiceUrl(const QString& serviceUrl) {
    ServiceAddress address;
    const QUrl url(serviceUrl.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || url.host().isEmpty() || (scheme != u"http" && scheme != u"https")) {
        return address;
    }
    QUrl base;
    base.setScheme(scheme);
    base.setHost(url.host());
    base.setPort(url.port());
    const QString origin = base.toString(QUrl::FullyEncoded);
    address.footprintPage1 = origin + QStringLiteral("/show_log.pl");
    address.footprintPage2 = origin + QStringLiteral("/show_log.pl?page=2");
    address.visitorBase = origin;
    return address;
}
