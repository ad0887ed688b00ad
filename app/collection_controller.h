// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QObject>
#include <memory>

#include "app/schedule.h"
#include "collect/collection_host.h"
#include "collect/collector.h"
#include "platform/web_browser.h"

class MainWindow;
class ProgramLifecycle;
class QTimer;
struct FootprintPages;

// Collecting: the "足跡取得" button's action, the schedule with its minute timer and start-up
// timer, the run over the collector and the timeout notice. A run starts only when the program
// lifecycle allows it, and tells it while a page is being collected.
class CollectionController final : public QObject, public CollectionHost, public ScheduleHost {
    Q_OBJECT
  public:
    // A child of `window`, whose controls it reads and whose table and files it works on.
    CollectionController(Platform& platform, MainWindow& window, ProgramLifecycle& lifecycle);
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

    // "足跡取得": a run of both footprint pages, when the program lifecycle allows one; a click
    // during the start-up load runs once the load has ended.
    void collectFootprints();

    // Both hosts
    void showStatus(int panel, const QString& text) override;
    void message(const QString& prompt, MessageIcon icon, const QString& title) override;

    // CollectionHost
    void setCollectAvailable(bool enabled) override;
    void setBusy(bool busy) override;
    void resetElapsedMinutes() override;
    int retrievalMethod() const override;
    void setRetrievalMethod(int index) override;
    int alarmOption() const override;
    VisitorTable& visitorTable() override;
    void RefreshRanking() override;
    QString dataPath() const override;
    void SaveDataFile(const QString& path, bool IsFallback) override;
    void showNotice(const QString& title, const QString& message) override;
    WebBrowser& browser() override { return m_browser; }
    bool programEnding() const override;

    // ScheduleHost
    bool runMayStart() const override;
    void startRun() override;
    void setStartupTimerActive(bool active) override;

  private:
    // The run of both pages, then the history's notice of it.
    void runCollector();

    Platform& m_platform;
    MainWindow& m_window;
    ProgramLifecycle& m_lifecycle;
    WebBrowser m_browser;
    Schedule m_schedule;
    std::unique_ptr<Collector> m_collector;
    QTimer* m_minuteTimer;
    QTimer* m_startupTimer;
};
