// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QCheckBox>

#include "visitors/options.h"

// A check box with the three states the program's options know: unticked, ticked and dimmed.
// The dimmed state is only ever set by the program; a click ticks a dimmed box, and otherwise
// switches between ticked and unticked.
class CheckBox : public QCheckBox {
    Q_OBJECT
  public:
    explicit CheckBox(const QString& caption, QWidget* parent = nullptr);

    Tick Value() const;
    void setValue(Tick value);

  protected:
    void nextCheckState() override;
};
