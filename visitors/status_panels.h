// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>

// The two panels of the main window's status bar, as the logic below the window writes them.
class StatusPanels {
  public:
    virtual ~StatusPanels() = default;
    // panel is 1 (progress and results) or 2 (the ranking's row count).
    virtual void showStatus(int panel, const QString& text) = 0;
};
