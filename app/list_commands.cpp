// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "app/list_commands.h"

#include <QAbstractItemView>
#include <QContextMenuEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include "app/caption_button.h"
#include "app/history_commands.h"
#include "app/main_window.h"
#include "app/program_lifecycle.h"
#include "app/ranking_view.h"
#include "visitors/ranking_model.h"
#include "visitors/visitor_table.h"

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

ListCommands::ListCommands(Platform& platform, MainWindow& window, ProgramLifecycle& lifecycle)
    : QObject(&window),
      m_platform(platform),
      m_window(window),
      m_lifecycle(lifecycle),
      m_pages(platform, *this) {
    createMenu();
    connect(&m_lifecycle, &ProgramLifecycle::busyChanged, this,
            [this](bool busy) { setAvailable(!busy); });
}

void ListCommands::createMenu() {
    m_menu = new QMenu(PopupMenuCaption(), &m_window);
    m_menu->setObjectName(QStringLiteral("MNU_POP"));
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
            entry.isSeparator() ? m_menu->addSeparator() : m_menu->addAction(entry.caption);
        action->setObjectName(objectNames.value(position++));
        if (entry.key == u"memo") {
            m_memoAction = action;
            connect(action, &QAction::triggered, this, &ListCommands::editMemo);
            // Reads only what the runs have kept, so it stays available during a run.
            QAction* history = m_menu->addAction(QStringLiteral("足あと履歴(&H)"));
            history->setObjectName(QStringLiteral("MNU_HISTORY"));
            connect(history, &QAction::triggered, this, &ListCommands::openVisitorHistory);
        } else if (!entry.isSeparator()) {
            connect(action, &QAction::triggered, this,
                    [this, key = entry.key] { m_pages.openMenuEntry(key); });
        }
    }
}

void ListCommands::setServiceAddress(const QString& serviceUrlText) {
    m_pages.setBaseAddress(ServiceBaseAddress(serviceUrlText));
}

QString ListCommands::serviceBaseAddress() const {
    return m_pages.baseAddress();
}

ListMaintenance ListCommands::maintenance() {
    return ListMaintenance(m_platform, m_window.table(), m_window.ranking(), *this,
                           m_window.dataPath(), m_window.csvPath());
}

void ListCommands::deleteByCount() {
    maintenance().deleteByCount();
}

void ListCommands::exportCsv() {
    maintenance().exportCsv();
}

void ListCommands::editMemo() {
    maintenance().editMemo(selectedRankingRow());
}

void ListCommands::openLatestVersionPage() {
    m_pages.openLatestVersionPage();
}

void ListCommands::openReportPage() {
    m_pages.openReportPage();
}

void ListCommands::setAvailable(bool available) {
    m_window.deleteButton()->setEnabled(available);
    m_window.exportButton()->setEnabled(available);
    m_memoAction->setEnabled(available);
}

void ListCommands::onListDoubleClicked() {
    m_pages.openVisitorPage();
}

void ListCommands::openVisitorHistory() {
    const std::optional<qint32> id = IdFromColumnText(selectedIdText());
    if (!id || *id == 0) {
        return;
    }
    const VisitorTable& table = m_window.table();
    for (qsizetype i = 0; i < table.slotCount() && table[i].Id != 0; ++i) {
        if (table[i].Id == *id) {
            m_window.history().openVisitorHistory(*id, table[i].Name, table[i].AccessCount);
            return;
        }
    }
}

void ListCommands::onListPressed(int button, const QPoint& pointer) {
    if (ShowsPopupMenu(button, rankingRowCount())) {
        m_menu->popup(pointer);
    }
}

void ListCommands::onListMenuKey() {
    const QItemSelectionModel* selection = m_list->selectionModel();
    const QModelIndexList rows = selection ? selection->selectedRows() : QModelIndexList();
    if (rows.isEmpty() || !ShowsPopupMenu(2, rankingRowCount())) {
        return;
    }
    m_list->scrollTo(rows.first());
    const QRect row = m_list->visualRect(rows.first());
    m_menu->popup(m_list->viewport()->mapToGlobal(row.bottomLeft()));
}

std::optional<int> ListCommands::selectedRankingRow() const {
    const QItemSelectionModel* selection = m_window.rankingList()->selectionModel();
    const QModelIndexList rows = selection ? selection->selectedRows() : QModelIndexList();
    if (rows.isEmpty()) {
        return std::nullopt;
    }
    return m_window.rankingSort().mapToSource(rows.first()).row();
}

int ListCommands::rankingRowCount() const {
    return m_window.ranking().rowCount();
}

bool ListCommands::hasSelectedRow() const {
    return selectedRankingRow().has_value();
}

QString ListCommands::selectedIdText() const {
    const std::optional<int> row = selectedRankingRow();
    return row ? m_window.ranking().text(*row, RankingModel::IdColumn) : QString();
}

int ListCommands::openerOptionState() const {
    return m_window.checkState(SettingsCheckBox::OpenInIe);
}

QWidget* ListCommands::dialogParent() const {
    return &m_window;
}

void ListCommands::RefreshRanking() {
    m_window.refreshRanking();
}

bool ListCommands::collecting() const {
    return m_lifecycle.collecting();
}

bool ListCommands::filesBusy() const {
    return m_lifecycle.filesBusy();
}

void ListCommands::SaveDataFile(const QString& path, bool IsFallback) {
    m_window.saveDataFile(path, IsFallback);
}

bool ListCommands::SaveCsvFile(const QString& path, bool IsFallback) {
    return m_window.saveCsvFile(path, IsFallback);
}

void ListCommands::watchList(RankingView* list) {
    m_list = list;
    m_listViewport = list->viewport();
    m_list->installEventFilter(this);
    m_listViewport->installEventFilter(this);
}

bool ListCommands::eventFilter(QObject* watched, QEvent* event) {
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
        if (mouse->modifiers() & Qt::ControlModifier) {
            openVisitorHistory();
        } else {
            onListDoubleClicked();
        }
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
    onListPressed(button, mouse->globalPosition().toPoint());
    return button == 2;
}

bool ListCommands::listKeyEvent(QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool menuKey = key->key() == Qt::Key_Menu && key->modifiers() == Qt::NoModifier;
        const bool shiftF10 = key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier;
        if (menuKey || shiftF10) {
            onListMenuKey();
            return true;
        }
    } else if (event->type() == QEvent::ContextMenu) {
        // The desktop may turn the Menu key into a context-menu request of its own; the pointer
        // gets its menu from the press.
        if (static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard) {
            onListMenuKey();
        }
        return true;
    }
    return false;
}
