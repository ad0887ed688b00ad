// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QByteArray>
#include <QString>
#include <variant>

#include "platform/registry.h"

struct Platform;
class QWidget;

// A value read from the registry: no value, a text, a byte array or a signed 32-bit integer.
using RegistryValue = std::variant<std::monostate, QString, QByteArray, qint32>;

// The value as text: no value is the empty text, a number its decimal digits, a byte array the
// text its bytes spell in the system code page up to the first NUL.
QString RegistryValueText(const RegistryValue& value);

// Reads one value of `keyName` under `root`; an empty `valueName` is the key's default value.
// A text (REG_SZ) is cut before its first NUL, a size of 0 gives the empty text; a byte array
// (REG_BINARY) and a 32-bit number (REG_DWORD) are returned as they are; every other type, and
// every failing registry call, gives no value. An unexpected failure (a value too large for
// memory, a fault of the registry itself) is shown in a message box titled
// "RegistryGetKeyValue" and also gives no value. The key is always closed again.
RegistryValue RegistryGetKeyValue(Platform& platform, QWidget* dialogParent, HKEY root,
                                  const QString& keyName, const QString& valueName);
