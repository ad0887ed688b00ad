// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>

// Footprint entry `i` as the service writes it, for pages of any length.
inline QString FootprintEntryMarkup(int i) {
    return QStringLiteral(
               "<li><span class=\"date\">12月07日 11:%1</span><span class=\"name\"><a "
               "href=\"show_friend.pl?id=%2\">訪問者%3</a></span></li>\n")
        .arg(i % 60, 2, 10, QLatin1Char('0'))
        .arg(1000000 + i)
        .arg(i);
}
