// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "app/form1_links.h"

#include <QAbstractItemView>
#include <QContextMenuEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>

#include "app/caption_button.h"
#include "app/check_box.h"
#include "app/form1.h"
#include "app/ranking_view.h"

namespace {

// The button numbers the list's mouse handler knows.
int buttonNumber(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return 1;
        case Qt::RightButton:
            return 2;
        case Qt::MiddleButton:
            return 4;
        default:
            return 0;
    }
}

}  // namespace

Form1Links::Form1Links(Form1& form)
    : QObject(&form),
      m_form(form),
      m_pages(form.platform(), *this),
      m_startup(form.platform(), *this) {}

ListMaintenance Form1Links::maintenance() {
    return ListMaintenance(m_form.platform(), m_form.table(), m_form.ranking(), *this,
                           m_form.DataPath, m_form.CsvPath);
}

std::optional<int> Form1Links::selectedRankingRow() const {
    const QItemSelectionModel* selection = m_form.ListView1->selectionModel();
    const QModelIndexList rows = selection ? selection->selectedRows() : QModelIndexList();
    if (rows.isEmpty()) {
        return std::nullopt;
    }
    return m_form.rankingSort().mapToSource(rows.first()).row();
}

int Form1Links::rankingRowCount() const {
    return m_form.ranking().rowCount();
}

bool Form1Links::hasSelectedRow() const {
    return selectedRankingRow().has_value();
}

QString Form1Links::selectedIdText() const {
    const std::optional<int> row = selectedRankingRow();
    return row ? m_form.ranking().text(*row, RankingModel::IdColumn) : QString();
}

int Form1Links::openerOptionState() const {
    return m_form.IEOpenChk->Value();
}

QWidget* Form1Links::dialogParent() const {
    return &m_form;
}

void Form1Links::RefreshRanking() {
    m_form.RefreshRanking();
}

bool Form1Links::collecting() const {
    return m_form.Busy;
}

bool Form1Links::filesBusy() const {
    return m_form.FilesBusy();
}

void Form1Links::SaveDataFile(const QString& path, bool IsFallback) {
    m_form.SaveDataFile(path, IsFallback);
}

void Form1Links::SaveCsvFile(const QString& path, bool IsFallback) {
    m_form.SaveCsvFile(path, IsFallback);
}

QString Form1Links::caption() const {
    return m_form.Command6->text();
}

void Form1Links::setCaption(const QString& caption) {
    m_form.Command6->setText(caption);
}

void Form1Links::watchList(QAbstractItemView* list) {
    m_list = list;
    m_listViewport = list->viewport();
    m_list->installEventFilter(this);
    m_listViewport->installEventFilter(this);
}

bool Form1Links::eventFilter(QObject* watched, QEvent* event) {
    // The window is not touched for other events: the list still gets some while the window is
    // being destroyed.
    const QEvent::Type type = event->type();
    if (watched == m_list && watched != nullptr) {
        return listKeyEvent(event);
    }
    if ((type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick &&
         type != QEvent::MouseButtonRelease) ||
        watched != m_listViewport) {
        return false;
    }
    const auto* mouse = static_cast<QMouseEvent*>(event);
    const int button = buttonNumber(mouse->button());
    if (type == QEvent::MouseButtonRelease) {
        // The list never sees the right button: the press below has done what it does.
        return button == 2;
    }
    if (type == QEvent::MouseButtonDblClick && button == 1) {
        // The first press of the pair has selected the row already.
        m_form.openVisitorPage();
        return false;
    }
    if (button == 2) {
        // The menu acts on the selected row, so it must be the one under the pointer; over
        // empty space the selection stays.
        const QModelIndex index = m_list->indexAt(mouse->position().toPoint());
        if (index.isValid()) {
            m_list->selectionModel()->setCurrentIndex(
                index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        }
    }
    // A second right press comes as a double-click and shows the menu again.
    m_form.ListView1_MouseDown(button, mouse->globalPosition().toPoint());
    return button == 2;
}

bool Form1Links::listKeyEvent(QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool menuKey = key->key() == Qt::Key_Menu && key->modifiers() == Qt::NoModifier;
        const bool shiftF10 = key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier;
        if (menuKey || shiftF10) {
            m_form.ListView1_MenuKey();
            return true;
        }
    } else if (event->type() == QEvent::ContextMenu) {
        // The desktop may turn the Menu key into a context-menu request of its own; the pointer
        // gets its menu from the press.
        if (static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard) {
            m_form.ListView1_MenuKey();
        }
        return true;
    }
    return false;
}
