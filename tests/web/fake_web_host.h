// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include "web/web_host.h"

// The main window as the web actions read it.
class FakeWebHost final : public WebHost {
  public:
    int rankingRowCount() const override { return rows; }
    bool hasSelectedRow() const override { return selected; }
    QString selectedIdText() const override { return selected ? idText : QString(); }
    int openerOptionState() const override { return ieOpen; }
    QWidget* dialogParent() const override { return nullptr; }

    int rows = 1;
    bool selected = true;
    QString idText = QStringLiteral("       42");
    int ieOpen = 0;
};
