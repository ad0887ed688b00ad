// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QObject>
#include <QString>
#include <optional>

#include "visitors/maintenance.h"
#include "web/visitor_pages.h"
#include "web/web_host.h"

class MainWindow;
class ProgramLifecycle;
class QAction;
class QMenu;
class QPoint;
class RankingView;
struct Platform;

// The commands over the ranking list and the visitor table: the memo, delete by count, the CSV
// export, the visitors' and the maker's pages, and the list's pop-up menu with the mouse and key
// handling that opens it. The commands that change or write the table are unavailable while the
// program lifecycle reports a page or a file under way.
class ListCommands final : public QObject, public MaintenanceHost, public WebHost {
    Q_OBJECT
  public:
    // A child of `window`, over its table, its ranking list and its files.
    ListCommands(Platform& platform, MainWindow& window, ProgramLifecycle& lifecycle);

    // Takes the presses over the list's viewport that the list's own handlers stand for, and
    // the list's Menu key and Shift+F10.
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
    // The selected visitor's page.
    void onListDoubleClicked();
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
    int openerOptionState() const override;
    QWidget* dialogParent() const override;

    // MaintenanceHost
    void RefreshRanking() override;
    bool collecting() const override;
    bool filesBusy() const override;
    void SaveDataFile(const QString& path, bool IsFallback) override;
    bool SaveCsvFile(const QString& path, bool IsFallback) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void createMenu();
    ListMaintenance maintenance();
    void setAvailable(bool available);
    bool listKeyEvent(QEvent* event);

    Platform& m_platform;
    MainWindow& m_window;
    ProgramLifecycle& m_lifecycle;
    VisitorPageActions m_pages;
    RankingView* m_list = nullptr;
    QWidget* m_listViewport = nullptr;
    QMenu* m_menu = nullptr;  // its entries are QActions named as the entries are
    QAction* m_memoAction = nullptr;
};
