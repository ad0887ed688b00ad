// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// The commands that change or write the visitor table: delete by count, the CSV export and the
// memo edit.
#include <QAction>

#include "app/caption_button.h"
#include "app/form1.h"
#include "app/form1_links.h"

void Form1::Command4_Click() {
    m_links->maintenance().Command4_Click();
}

void Form1::Command5_Click() {
    m_links->maintenance().Command5_Click();
}

void Form1::MNU_MEMO_Click() {
    m_links->maintenance().MNU_MEMO_Click(m_links->selectedRankingRow());
}

void Form1::updateCommandAvailability() {
    setListCommandsEnabled(!Busy && !FilesBusy());
}

void Form1::setListCommandsEnabled(bool enabled) {
    Command4->setEnabled(enabled);
    Command5->setEnabled(enabled);
    MNU_MEMO->setEnabled(enabled);
}
