// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QByteArray>

// How deep the browser lets a page nest its elements: counting the html and body elements, an
// element that would open below this depth becomes a sibling of the element it would have gone
// into (Chromium's kMaximumHTMLParserDOMTreeDepth).
inline constexpr int kMaximumTreeDepth = 512;

// `html` (UTF-8) with every start tag that would open past kMaximumTreeDepth preceded by the end
// tag of the element it would have opened in, and the source's end tags of the elements so
// closed left out, so that the HTML parser builds the sibling structure the browser builds. The
// stack of open elements is followed as the HTML parser keeps it, closely enough for the
// elements that pages nest (blocks, inline elements, lists, tables); a page that never comes
// near the bound is returned as it is.
QByteArray BoundNestingDepth(const QByteArray& html);
