// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>

struct Platform;
class QWidget;

// The command template of the desktop's https browser, read afresh from the platform's browser
// registry: empty when none is registered, or when the platform has no browser registry. A
// fault of the lookup itself (a failure of the registry, no memory) is shown in a message box
// titled "RegistryGetKeyValue" and also gives the empty text; nothing is thrown.
QString BrowserCommandTemplate(Platform& platform, QWidget* dialogParent);
