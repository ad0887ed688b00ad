// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <exception>
#include <functional>

#include "visitors/options.h"

class Clock;

// The footprint page lists each visitor once: the visit time (month, day and time, no year) in
// one span, then the member's name linked to the member's page. The marker ends right before the
// member id; the page as the server sends it and the browser's rendering of it need their own.
inline const QString kMethod1Marker =
    QStringLiteral("</span><span class=\"name\"><a href=\"show_friend.pl?id=");
inline const QString kMethod2Marker =
    QStringLiteral("</SPAN><SPAN class=name><A href=\"\"show_friend.pl?id=");

// The entry marker of a retrieval method's page text.
const QString& EntryMarker(RetrievalMethod method);

// Whether the page holds an entry for `method`, without reading any: the page would yield one.
bool HoldsEntryMarker(const QString& text, RetrievalMethod method);

// The page's entries no longer look as expected: the visit time holds markup.
class FormatChanged : public std::exception {
  public:
    const char* what() const noexcept override { return "footprint page format changed"; }
};

struct FootprintEntry {
    // The text of the member's link as the page writes it, character references and blanks
    // kept, without the tags inside the link: an empty link gives an empty name.
    QString Name;
    qint32 Id = 0;
    QString LastAccess;  // year, "年" and the page's time text
};

// Walks the page entry by entry, in page order, handing every entry to `onEntry` before looking
// for the next. `selectedMethod` is asked before every entry, so a change of method during a page
// changes the marker from the next entry on. The year comes from `clock`: the current year, or
// the one before when the entry would lie more than a day in the future.
//
// Throws RuntimeError: 13 for a time or an id that is not a number, 6 for an id beyond 32 bits,
// 5 for an entry cut off before the end of its id or name; FormatChanged for a visit time that
// holds "<" or ">". Entries handed on before the failure stay handed on.
void ParseFootprintPage(const QString& text, const std::function<RetrievalMethod()>& selectedMethod,
                        Clock& clock, const std::function<void(const FootprintEntry&)>& onEntry);
