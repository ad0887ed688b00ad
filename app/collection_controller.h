// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QObject>
#include <memory>

#include "app/program_lifecycle.h"
#include "app/schedule.h"
#include "collect/collection_host.h"
#include "collect/collector.h"
#include "platform/web_browser.h"

class HistoryCommands;
class QTimer;
class QWidget;
class SettingsControls;
class VisitorBook;
struct FootprintPages;

// Collecting: the "足跡取得" button's action, the schedule with its minute timer and start-up
// timer, the run over the collector and the timeout notice. A run starts only when the program
// lifecycle allows it, and tells it while a page is being collected. The collector works on the
// visitor book; the options come from the window's controls, and the window follows
// collectAvailableChanged with its button.
class CollectionController final : public QObject, public CollectionHost, public ScheduleHost {
    Q_OBJECT
  public:
    // `window` owns the boxes and notices and decides whether the run's notice is due; the
    // controller is its child.
    CollectionController(Platform& platform, VisitorBook& book, ProgramLifecycle& lifecycle,
                         HistoryCommands& history, const SettingsControls& options,
                         QWidget& window);
    ~CollectionController() override;

    // The run fetches the footprint pages from `address`. Set once at start-up, before any run.
    void setServiceAddress(const FootprintPages& address);
    // Null until start-up has read where the service lives.
    Collector* collector() { return m_collector.get(); }
    Schedule& schedule() { return m_schedule; }
    // The start-up run, 3 seconds from now.
    void startStartupDelay();
    // The program ends: no timer starts a run any more.
    void stop();

    // A run of both footprint pages, for the "足跡取得" button or the schedule, when the program
    // lifecycle allows one; a click during the start-up load runs once the load has ended.
    void run(ProgramLifecycle::RunRequest request);

    // Both hosts
    void message(const QString& prompt, MessageIcon icon, const QString& title) override;

    // CollectionHost
    void setCollectAvailable(bool enabled) override;
    void setBusy(bool busy) override;
    void resetElapsedMinutes() override;
    RetrievalMethod retrievalMethod() const override;
    Tick alarmOption() const override;
    void showNotice(const QString& title, const QString& message) override;
    WebBrowser& browser() override { return m_browser; }
    bool programEnding() const override;

    // ScheduleHost
    void showStatus(int panel, const QString& text) override;
    bool runMayStart() const override;
    void startRun() override;
    void setStartupTimerActive(bool active) override;

  Q_SIGNALS:
    // Whether "足跡取得" can start a run: not while a page is collected.
    void collectAvailableChanged(bool available);

  private:
    Platform& m_platform;
    VisitorBook& m_book;
    ProgramLifecycle& m_lifecycle;
    HistoryCommands& m_history;
    const SettingsControls& m_options;
    QWidget& m_window;
    WebBrowser m_browser;
    Schedule m_schedule;
    std::unique_ptr<Collector> m_collector;
    QTimer* m_minuteTimer;
    QTimer* m_startupTimer;
};
