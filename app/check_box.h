// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QCheckBox>

// A check box with the three states the program's options know: 0 unticked, 1 ticked, 2 dimmed.
// The dimmed state is only ever set by the program; a click ticks a dimmed box, and otherwise
// switches between ticked and unticked.
class CheckBox : public QCheckBox {
    Q_OBJECT
  public:
    explicit CheckBox(const QString& caption, QWidget* parent = nullptr);

    int Value() const;
    // False, leaving the box as it was, for a number that is not a state.
    bool setValue(int value);

  protected:
    void nextCheckState() override;
};
