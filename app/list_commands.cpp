// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "app/list_commands.h"

#include <QAbstractItemView>
#include <QContextMenuEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <string_view>

#include "app/history_commands.h"
#include "app/program_lifecycle.h"
#include "app/ranking_view.h"
#include "app/settings.h"
#include "app/visitor_book.h"
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

// The list's pop-up menu, "ポップアップメニュー", in its order: what each entry is for, its caption
// ("-" for a separator; the letter after "&" is its access key), its object name, and what it does.
struct MenuEntry {
    const char16_t* key;
    const char16_t* caption;
    const char* objectName;
    void (*run)(ListCommands& commands);
};

const MenuEntry kPopupMenu[] = {
    {u"view", u"ページ表示(&V)", "MNU_VIEW",
     [](ListCommands& c) { c.openPage(QString::fromUtf16(kProfilePath)); }},
    {u"", u"-", "separator1", nullptr},
    {u"memo", u"メモを編集", "MNU_MEMO", [](ListCommands& c) { c.editMemo(); }},
    // Reads only what the runs have kept, so it stays available during a run.
    {u"history", u"足あと履歴(&H)", "MNU_HISTORY", [](ListCommands& c) { c.openVisitorHistory(); }},
    {u"", u"-", "separator5", nullptr},
    {u"friends", u"マイミクシィ一覧(&M)", "MNU_MYMIXI",
     [](ListCommands& c) { c.openPage(QStringLiteral("/list_friend.pl?id=")); }},
    {u"communities", u"コミュニティ一覧(&C)", "MNU_COMMUNITY",
     [](ListCommands& c) { c.openPage(QStringLiteral("/list_community.pl?id=")); }},
    {u"", u"-", "separator2", nullptr},
    {u"diary", u"日記一覧(&D)", "MNU_DIARY",
     [](ListCommands& c) { c.openPage(QStringLiteral("/list_diary.pl?id=")); }},
    {u"introductions", u"紹介文一覧(&I)", "MNU_INTRODUCE",
     [](ListCommands& c) { c.openPage(QStringLiteral("/show_intro.pl?id=")); }},
    {u"reviews", u"レビュー一覧(&R)", "MNU_REVIEW",
     [](ListCommands& c) { c.openPage(QStringLiteral("/list_review.pl?id=")); }},
    {u"photos", u"写真一覧(&P)", "MNU_PICTURE",
     [](ListCommands& c) { c.openPage(QStringLiteral("/show_photo.pl?id=")); }},
    {u"", u"-", "separator3", nullptr},
    {u"message", u"メッセージを送る(&S)", "MNU_MESSAGE",
     [](ListCommands& c) { c.openPage(QStringLiteral("/send_message.pl?id=")); }},
    {u"bookmark", u"お気に入りに追加(&F)", "MNU_FAVORITE",
     [](ListCommands& c) { c.openPage(QStringLiteral("/add_bookmark.pl?id=")); }},
    {u"friendRequest", u"マイミクシィに追加(&A)", "MNU_MYMIXIADD",
     [](ListCommands& c) { c.openPage(QStringLiteral("/add_friend.pl?id=")); }},
};

}  // namespace

ListCommands::ListCommands(Platform& platform, VisitorBook& book, ProgramLifecycle& lifecycle,
                           HistoryCommands& history, const SettingsControls& options,
                           QWidget& window)
    : QObject(&window),
      m_platform(platform),
      m_book(book),
      m_lifecycle(lifecycle),
      m_history(history),
      m_options(options),
      m_window(window),
      m_pages(platform, *this) {
    createMenu();
    connect(&m_lifecycle, &ProgramLifecycle::busyChanged, this,
            [this](bool busy) { setAvailable(!busy); });
}

void ListCommands::createMenu() {
    m_menu = new QMenu(QStringLiteral("ポップアップメニュー"), &m_window);
    m_menu->setObjectName(QStringLiteral("MNU_POP"));
    for (const MenuEntry& entry : kPopupMenu) {
        const QString caption = QString::fromUtf16(entry.caption);
        QAction* action = caption == u"-" ? m_menu->addSeparator() : m_menu->addAction(caption);
        action->setObjectName(QLatin1String(entry.objectName));
        if (entry.run) {
            connect(action, &QAction::triggered, this, [this, run = entry.run] { run(*this); });
        }
        if (entry.key == std::u16string_view(u"memo")) {
            m_memoAction = action;
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
    return ListMaintenance(m_platform, m_book, *this);
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
    m_memoAction->setEnabled(available);
    Q_EMIT commandsAvailableChanged(available);
}

void ListCommands::onListDoubleClicked() {
    m_pages.openVisitorPage();
}

void ListCommands::openPage(const QString& path) {
    m_pages.openPage(path);
}

void ListCommands::openVisitorHistory() {
    const qint32 id = m_pages.SelectedVisitorId();
    if (id == 0) {
        return;
    }
    const VisitorTable& table = m_book.table();
    const qsizetype slot = table.findVisitor(id);
    if (slot >= 0) {
        m_history.openVisitorHistory(id, table[slot].Name, table[slot].AccessCount);
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
    const QItemSelectionModel* selection = m_list ? m_list->selectionModel() : nullptr;
    const QModelIndexList rows = selection ? selection->selectedRows() : QModelIndexList();
    if (rows.isEmpty()) {
        return std::nullopt;
    }
    return m_book.rankingSort().mapToSource(rows.first()).row();
}

int ListCommands::rankingRowCount() const {
    return m_book.ranking().rowCount();
}

bool ListCommands::hasSelectedRow() const {
    return selectedRankingRow().has_value();
}

QString ListCommands::selectedIdText() const {
    const std::optional<int> row = selectedRankingRow();
    return row ? m_book.ranking().text(*row, RankingModel::IdColumn) : QString();
}

Tick ListCommands::openerOptionState() const {
    return m_options.checkState(SettingsCheckBox::OpenInIe);
}

QWidget* ListCommands::dialogParent() const {
    return &m_window;
}

bool ListCommands::collecting() const {
    return m_lifecycle.collecting();
}

bool ListCommands::filesBusy() const {
    return m_lifecycle.filesBusy();
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
