// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>

#include "visitors/options.h"

class QWidget;

// What the browser launcher and the visitor page actions read from the window: the ranking list
// (its rows and its selected row) and the option "IEで開く". The list's commands implement it.
class WebHost {
  public:
    virtual ~WebHost() = default;
    // The number of rows the ranking list shows.
    virtual int rankingRowCount() const = 0;
    virtual bool hasSelectedRow() const = 0;
    // The ID column (the third, "ID") of the selected row as the list shows it; empty when no row
    // is selected.
    virtual QString selectedIdText() const = 0;
    // "IEで開く" (hand pages to the desktop's opener): anything but unticked hands them over.
    virtual Tick openerOptionState() const = 0;
    // The window that owns the message boxes.
    virtual QWidget* dialogParent() const = 0;
};
