// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// The ranking list's pages in the browser, its pop-up menu, the maker's pages and the start-up
// button.
#include <QAction>
#include <QItemSelectionModel>
#include <QMenu>

#include "app/caption_button.h"
#include "app/form1.h"
#include "app/form1_links.h"
#include "app/ranking_view.h"
#include "web/visitor_pages.h"

void Form1::createLinks() {
    m_links = new Form1Links(*this);
    m_links->watchList(ListView1);

    MNU_POP = new QMenu(PopupMenuCaption(), this);
    MNU_POP->setObjectName(QStringLiteral("MNU_POP"));
    for (const PopupMenuEntry& entry : PopupMenuEntries()) {
        QAction* action =
            entry.isSeparator() ? MNU_POP->addSeparator() : MNU_POP->addAction(entry.caption);
        action->setObjectName(entry.name);
        if (entry.name == u"MNU_MEMO") {
            MNU_MEMO = action;
            connect(action, &QAction::triggered, this, &Form1::MNU_MEMO_Click);
        } else if (!entry.isSeparator()) {
            connect(action, &QAction::triggered, this,
                    [this, name = entry.name] { m_links->pages().MenuEntry_Click(name); });
        }
    }

    connect(Command2, &QAbstractButton::clicked, this, &Form1::Command2_Click);
    connect(Command3, &QAbstractButton::clicked, this, &Form1::Command3_Click);
    connect(Command4, &QAbstractButton::clicked, this, &Form1::Command4_Click);
    connect(Command5, &QAbstractButton::clicked, this, &Form1::Command5_Click);
    connect(Command6, &QAbstractButton::clicked, this, &Form1::Command6_Click);
}

void Form1::setServiceAddress(const QString& serviceUrlText) {
    m_links->pages().setBaseAddress(ServiceBaseAddress(serviceUrlText));
}

QString Form1::serviceBaseAddress() const {
    return m_links->pages().baseAddress();
}

void Form1::ListView1_DblClick() {
    m_links->pages().ListView1_DblClick();
}

void Form1::ListView1_MouseDown(int Button, const QPoint& pointer) {
    if (ShowsPopupMenu(Button, m_links->rankingRowCount())) {
        MNU_POP->popup(pointer);
    }
}

void Form1::ListView1_MenuKey() {
    const QItemSelectionModel* selection = ListView1->selectionModel();
    const QModelIndexList rows = selection ? selection->selectedRows() : QModelIndexList();
    if (rows.isEmpty() || !ShowsPopupMenu(2, m_links->rankingRowCount())) {
        return;
    }
    ListView1->scrollTo(rows.first());
    const QRect row = ListView1->visualRect(rows.first());
    MNU_POP->popup(ListView1->viewport()->mapToGlobal(row.bottomLeft()));
}

void Form1::Command2_Click() {
    m_links->pages().Command2_Click();
}

void Form1::Command3_Click() {
    m_links->pages().Command3_Click();
}

void Form1::RefreshStartupButton() {
    m_links->startup().RefreshStartupButton();
}

void Form1::Command6_Click() {
    m_links->startup().Command6_Click();
}
