// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "collect/footprint_pages.h"

#include "platform/http_origin.h"

FootprintPages FootprintPages::fromServiceUrl(const QString& serviceUrl) {
    FootprintPages pages;
    if (const auto origin = HttpOrigin(serviceUrl)) {
        pages.page1 = *origin + QStringLiteral("/show_log.pl");
        pages.page2 = *origin + QStringLiteral("/show_log.pl?page=2");
    }
    return pages;
}
