// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QByteArray>
#include <QString>

// The program keeps its files in CP932 (Windows Shift_JIS); the service sends its pages in EUC-JP.

// Text to CP932 bytes as Windows writes them. Characters that Linux input methods produce but
// CP932 lacks are first mapped to the forms CP932 has (wave dash to full-width tilde and so on);
// anything still unmappable is written as "?".
QByteArray EncodeCp932(const QString& text);

// CP932 bytes to text. Bytes that are not CP932 become U+FFFD; `exact` (when given) tells whether
// every byte decoded.
QString DecodeCp932(const QByteArray& bytes, bool* exact = nullptr);

// EUC-JP bytes to text, with the same treatment of bytes that do not decode.
QString DecodeEucJp(const QByteArray& bytes, bool* exact = nullptr);

// The longest prefix of `text` whose CP932 form has at most `maxBytes` bytes, never cutting a
// double-byte character in two.
QString TruncateToCp932Bytes(const QString& text, qsizetype maxBytes);
