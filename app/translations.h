// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

class QCoreApplication;

// Installs Qt's own Japanese texts (standard buttons, the text fields' menus) into `application`,
// whatever the locale, since every other text of the program is Japanese. False when the
// translation is not installed; Qt's English texts stay then.
bool InstallQtJapanese(QCoreApplication& application);
