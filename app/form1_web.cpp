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
    // The entries' object names, in the menu's order.
    static const QStringList objectNames = {
        QStringLiteral("MNU_VIEW"),      QStringLiteral("separator1"),
        QStringLiteral("MNU_MEMO"),      QStringLiteral("separator5"),
        QStringLiteral("MNU_MYMIXI"),    QStringLiteral("MNU_COMMUNITY"),
        QStringLiteral("separator2"),    QStringLiteral("MNU_DIARY"),
        QStringLiteral("MNU_INTRODUCE"), QStringLiteral("MNU_REVIEW"),
        QStringLiteral("MNU_PICTURE"),   QStringLiteral("separator3"),
        QStringLiteral("MNU_MESSAGE"),   QStringLiteral("MNU_FAVORITE"),
        QStringLiteral("MNU_MYMIXIADD")};
    Q_ASSERT(objectNames.size() == PopupMenuEntries().size());
    qsizetype position = 0;
    for (const PopupMenuEntry& entry : PopupMenuEntries()) {
        QAction* action =
            entry.isSeparator() ? MNU_POP->addSeparator() : MNU_POP->addAction(entry.caption);
        action->setObjectName(objectNames.value(position++));
        if (entry.key == u"memo") {
            MNU_MEMO = action;
            connect(action, &QAction::triggered, this, &Form1::editMemo);
        } else if (!entry.isSeparator()) {
            connect(action, &QAction::triggered, this,
                    [this, key = entry.key] { m_links->pages().openMenuEntry(key); });
        }
    }

    connect(Command2, &QAbstractButton::clicked, this, &Form1::openLatestVersionPage);
    connect(Command3, &QAbstractButton::clicked, this, &Form1::openReportPage);
    connect(Command4, &QAbstractButton::clicked, this, &Form1::deleteByCount);
    connect(Command5, &QAbstractButton::clicked, this, &Form1::exportCsv);
    connect(Command6, &QAbstractButton::clicked, this, &Form1::Command6_Click);
}

void Form1::setServiceAddress(const QString& serviceUrlText) {
    m_links->pages().setBaseAddress(ServiceBaseAddress(serviceUrlText));
}

QString Form1::serviceBaseAddress() const {
    return m_links->pages().baseAddress();
}

void Form1::openVisitorPage() {
    m_links->pages().openVisitorPage();
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

void Form1::openLatestVersionPage() {
    m_links->pages().openLatestVersionPage();
}

void Form1::openReportPage() {
    m_links->pages().openReportPage();
}

void Form1::RefreshStartupButton() {
    m_links->startup().RefreshStartupButton();
}

void Form1::Command6_Click() {
    m_links->startup().Command6_Click();
}
