// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QObject>
#include <QString>
#include <optional>

#include "visitors/maintenance.h"
#include "web/visitor_pages.h"
#include "web/web_host.h"

class HistoryCommands;
class ProgramLifecycle;
class QAction;
class QMenu;
class QPoint;
class RankingView;
class SettingsControls;
class VisitorBook;
struct Platform;

// The commands over the ranking list and the visitor book: the memo, delete by count, the CSV
// export, the visitors' and the maker's pages, and the list's pop-up menu with the mouse and key
// handling that opens it. The commands that change or write the table are unavailable while the
// program lifecycle reports a page or a file under way; the window follows
// commandsAvailableChanged with its buttons.
class ListCommands final : public QObject, public MaintenanceHost, public WebHost {
    Q_OBJECT
  public:
    // A child of `window`, which owns its boxes and its menu; "IEで開く" comes from `options`.
    ListCommands(Platform& platform, VisitorBook& book, ProgramLifecycle& lifecycle,
                 HistoryCommands& history, const SettingsControls& options, QWidget& window);

    // The list the commands act on: its selected row, and the presses over its viewport that the
    // list's own handlers stand for, with its Menu key and Shift+F10.
    void watchList(RankingView* list);

    // The visitor pages' base address from the "ServiceUrl" setting: its scheme, host and port
    // when it is an absolute http or https address, otherwise "https://mixi.jp" (the default).
    void setServiceAddress(const QString& serviceUrlText);
    QString serviceBaseAddress() const;

    QMenu* popupMenu() const { return m_menu; }
    // The selected row of the list as a row of the ranking, whatever the header sort shows.
    std::optional<int> selectedRankingRow() const;

    // Asks for a count and clears the visitors at or below it.
    void deleteByCount();
    // Writes "\output.csv" and confirms.
    void exportCsv();
    // Edits the memo of the selected visitor.
    void editMemo();
    void openLatestVersionPage();
    void openReportPage();
    // The selected visitor's profile page.
    void onListDoubleClicked();
    // The selected visitor's page at `path`, as the menu's page entries open it.
    void openPage(const QString& path);
    // "足あと履歴(&H)", or a double click with Ctrl held: the selected visitor's history window.
    void openVisitorHistory();
    // A mouse button pressed over the list: 1 left, 2 right, 4 middle; `pointer` on the screen.
    void onListPressed(int button, const QPoint& pointer);
    // The Menu key or Shift+F10 in the list: the pop-up menu for the selected row, at that row.
    void onListMenuKey();

    // WebHost
    int rankingRowCount() const override;
    bool hasSelectedRow() const override;
    QString selectedIdText() const override;
    Tick openerOptionState() const override;
    QWidget* dialogParent() const override;

    // MaintenanceHost
    bool collecting() const override;
    bool filesBusy() const override;

  Q_SIGNALS:
    // Whether delete by count and the CSV export can run: not while a page or a file is under way.
    void commandsAvailableChanged(bool available);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void createMenu();
    ListMaintenance maintenance();
    void setAvailable(bool available);
    bool listKeyEvent(QEvent* event);

    Platform& m_platform;
    VisitorBook& m_book;
    ProgramLifecycle& m_lifecycle;
    HistoryCommands& m_history;
    const SettingsControls& m_options;
    QWidget& m_window;
    VisitorPageActions m_pages;
    RankingView* m_list = nullptr;
    QWidget* m_listViewport = nullptr;
    QMenu* m_menu = nullptr;  // its entries are QActions named as the entries are
    QAction* m_memoAction = nullptr;
};
