// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QObject>
#include <QString>
#include <optional>

#include "app/startup_registration.h"
#include "visitors/maintenance.h"
#include "web/visitor_pages.h"
#include "web/web_host.h"

class Form1;
class QAbstractItemView;

// The main window as the visitor page actions, the list commands and the start-up registration
// see it, and the mouse handling of its ranking list. A child object of the window.
class Form1Links final : public QObject,
                         public WebHost,
                         public MaintenanceHost,
                         public StartupButton {
  public:
    explicit Form1Links(Form1& form);

    // Takes the presses over the list's viewport that the list's own handlers stand for, and
    // the list's Menu key and Shift+F10.
    void watchList(QAbstractItemView* list);

    VisitorPageActions& pages() { return m_pages; }
    StartupRegistration& startup() { return m_startup; }
    // The commands over the window's table, with the window's present file paths.
    ListMaintenance maintenance();

    // The selected row of the list as a row of the ranking, whatever the header sort shows.
    std::optional<int> selectedRankingRow() const;

    int rankingRowCount() const override;
    bool hasSelectedRow() const override;
    QString selectedIdText() const override;
    int openerOptionState() const override;
    QWidget* dialogParent() const override;

    void RefreshRanking() override;
    bool collecting() const override;
    bool filesBusy() const override;
    void SaveDataFile(const QString& path, bool IsFallback) override;
    void SaveCsvFile(const QString& path, bool IsFallback) override;

    QString caption() const override;
    void setCaption(const QString& caption) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool listKeyEvent(QEvent* event);

    Form1& m_form;
    QAbstractItemView* m_list = nullptr;
    QWidget* m_listViewport = nullptr;
    VisitorPageActions m_pages;
    StartupRegistration m_startup;
};
