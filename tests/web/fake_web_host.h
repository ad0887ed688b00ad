// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include "web/web_host.h"

// The ranking list and its options as the web actions read them.
class FakeWebHost final : public WebHost {
  public:
    int rankingRowCount() const override { return rows; }
    bool hasSelectedRow() const override { return selected; }
    QString selectedIdText() const override { return selected ? idText : QString(); }
    Tick openerOptionState() const override { return ieOpen; }
    QWidget* dialogParent() const override { return nullptr; }

    int rows = 1;
    bool selected = true;
    QString idText = QStringLiteral("       42");
    Tick ieOpen = Tick::Unticked;
};
