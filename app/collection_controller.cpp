// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "app/collection_controller.h"

#include <QTimer>

#include "app/caption_button.h"
#include "app/history_commands.h"
#include "app/main_window.h"
#include "app/program_lifecycle.h"
#include "app/timeout_notice.h"
#include "collect/footprint_pages.h"
#include "platform/platform.h"

CollectionController::CollectionController(Platform& platform, MainWindow& window,
                                           ProgramLifecycle& lifecycle)
    : QObject(&window),
      m_platform(platform),
      m_window(window),
      m_lifecycle(lifecycle),
      m_browser(platform),
      m_schedule(platform, *this) {
    m_browser.setObjectName(QStringLiteral("WebBrowser1"));

    m_minuteTimer = new QTimer(this);
    m_minuteTimer->setObjectName(QStringLiteral("Timer1"));
    m_minuteTimer->setInterval(Schedule::kMinuteTimerIntervalMs);
    connect(m_minuteTimer, &QTimer::timeout, this, [this] { m_schedule.minutePassed(); });
    m_startupTimer = new QTimer(this);
    m_startupTimer->setObjectName(QStringLiteral("Timer2"));
    m_startupTimer->setInterval(Schedule::kStartupDelayMs);
    connect(m_startupTimer, &QTimer::timeout, this, [this] { m_schedule.startupDelayPassed(); });
    m_minuteTimer->start();
}

CollectionController::~CollectionController() = default;

void CollectionController::setServiceAddress(const FootprintPages& address) {
    m_collector.reset();
    m_collector = std::make_unique<Collector>(m_platform, *this, address);
}

void CollectionController::startStartupDelay() {
    m_startupTimer->start();
}

void CollectionController::stop() {
    m_minuteTimer->stop();
    m_startupTimer->stop();
}

void CollectionController::collectFootprints() {
    if (m_lifecycle.requestRun(ProgramLifecycle::RunRequest::Button) ==
            ProgramLifecycle::RunDecision::Start &&
        m_collector) {
        runCollector();
    }
}

void CollectionController::runCollector() {
    m_collector->collectFootprints();
    // One desktop notice for the run, and only for a window the user cannot see.
    if (!m_lifecycle.ended()) {
        m_window.history().runEnded(m_collector->runNotice(),
                                    !m_window.isVisible() || m_window.isMinimized());
    }
}

void CollectionController::showStatus(int panel, const QString& text) {
    m_window.showStatus(panel, text);
}

void CollectionController::message(const QString& prompt, MessageIcon icon, const QString& title) {
    // A scheduled run finds the window hidden in the tray; a box of its own still shows there.
    m_platform.dialogs->message(m_window.isVisible() ? &m_window : nullptr, prompt, icon, title);
}

void CollectionController::setCollectAvailable(bool enabled) {
    m_window.collectButton()->setEnabled(enabled);
}

void CollectionController::setBusy(bool busy) {
    // May carry out an end that waited for the page.
    m_lifecycle.setCollecting(busy);
}

void CollectionController::resetElapsedMinutes() {
    m_schedule.restartCountdown();
}

int CollectionController::retrievalMethod() const {
    return m_window.retrievalMethodSelected(0) ? 0 : 1;
}

void CollectionController::setRetrievalMethod(int index) {
    m_window.setRetrievalMethodSelected(index, true);
}

int CollectionController::alarmOption() const {
    return m_window.checkState(SettingsCheckBox::Alarm);
}

VisitorTable& CollectionController::visitorTable() {
    return m_window.table();
}

void CollectionController::RefreshRanking() {
    m_window.refreshRanking();
}

QString CollectionController::dataPath() const {
    return m_window.dataPath();
}

void CollectionController::SaveDataFile(const QString& path, bool IsFallback) {
    m_window.saveDataFile(path, IsFallback);
}

void CollectionController::showNotice(const QString& title, const QString& message) {
    TimeoutNotice::showNotice(m_platform, &m_window, title, message);
}

bool CollectionController::programEnding() const {
    return m_lifecycle.ended();
}

bool CollectionController::runMayStart() const {
    return m_collector && m_lifecycle.runMayStart();
}

void CollectionController::startRun() {
    if (m_lifecycle.requestRun(ProgramLifecycle::RunRequest::Schedule) ==
            ProgramLifecycle::RunDecision::Start &&
        m_collector) {
        runCollector();
    }
}

void CollectionController::setStartupTimerActive(bool active) {
    if (active) {
        m_startupTimer->start();
    } else {
        m_startupTimer->stop();
    }
}
