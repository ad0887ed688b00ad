// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "app/check_box.h"

CheckBox::CheckBox(const QString& caption, QWidget* parent) : QCheckBox(caption, parent) {}

int CheckBox::Value() const {
    switch (checkState()) {
        case Qt::Unchecked:
            return 0;
        case Qt::Checked:
            return 1;
        case Qt::PartiallyChecked:
            return 2;
    }
    return 0;
}

bool CheckBox::setValue(int value) {
    switch (value) {
        case 0:
            setCheckState(Qt::Unchecked);
            return true;
        case 1:
            setCheckState(Qt::Checked);
            return true;
        case 2:
            setCheckState(Qt::PartiallyChecked);
            return true;
        default:
            return false;
    }
}

void CheckBox::nextCheckState() {
    setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}
