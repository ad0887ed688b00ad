// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// The commands that change or write the visitor table: delete by count, the CSV export and the
// memo edit.
#include <QAction>

#include "app/caption_button.h"
#include "app/form1.h"
#include "app/form1_links.h"

void Form1::deleteByCount() {
    m_links->maintenance().deleteByCount();
}

void Form1::exportCsv() {
    m_links->maintenance().exportCsv();
}

void Form1::editMemo() {
    m_links->maintenance().editMemo(m_links->selectedRankingRow());
}

void Form1::updateCommandAvailability() {
    setListCommandsEnabled(!Busy && !FilesBusy());
}

void Form1::setListCommandsEnabled(bool enabled) {
    Command4->setEnabled(enabled);
    Command5->setEnabled(enabled);
    MNU_MEMO->setEnabled(enabled);
}
