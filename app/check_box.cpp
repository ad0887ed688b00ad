// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "app/check_box.h"

CheckBox::CheckBox(const QString& caption, QWidget* parent) : QCheckBox(caption, parent) {}

Tick CheckBox::Value() const {
    switch (checkState()) {
        case Qt::Unchecked:
            return Tick::Unticked;
        case Qt::Checked:
            return Tick::Ticked;
        case Qt::PartiallyChecked:
            return Tick::Dimmed;
    }
    return Tick::Unticked;
}

void CheckBox::setValue(Tick value) {
    switch (value) {
        case Tick::Unticked:
            setCheckState(Qt::Unchecked);
            break;
        case Tick::Ticked:
            setCheckState(Qt::Checked);
            break;
        case Tick::Dimmed:
            setCheckState(Qt::PartiallyChecked);
            break;
    }
}

void CheckBox::nextCheckState() {
    setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}
