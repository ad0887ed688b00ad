// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <QtGlobal>

class FileStore;

// Private-profile (INI) files, such as setting.ini: "[Section]" lines followed by
// "key=value" lines. Section and key names match without regard to case and without the blanks
// around them; of two equal keys in a section the first counts; a line starting with ";" is a
// comment. The file is CP932, unless it starts with the byte-order mark of UTF-8 or of UTF-16LE:
// it is then read in that form and written back in it, with its mark.

// The integer the key's value begins with: an optional sign and decimal digits, so "12ab" reads
// 12, "-1" reads -1 and "+5" reads 5; 0 when the value begins otherwise; `defaultValue` when the
// file, the section or the key is missing or the value is empty. A number beyond 32 bits stops at
// the nearest 32-bit value.
qint32 ReadProfileInt(const QString& section, const QString& key, qint32 defaultValue,
                      const QString& fileName);

// The key's value without the blanks around it, or `defaultValue` when the file, the section or
// the key is missing.
QString ReadProfileString(const QString& section, const QString& key, const QString& defaultValue,
                          const QString& fileName);

// Writes key=value into the section. An existing key is replaced on its own line; a new key goes
// after the last key of its section, a new section at the end of the file. Every other line is
// kept as it was; the file is written whole in its own form (CP932 for a new one) with CR LF line
// ends, through `files`, so a failed write leaves the old file. False when the file could not be
// written.
bool WriteProfileString(FileStore& files, const QString& section, const QString& key,
                        const QString& value, const QString& fileName);
