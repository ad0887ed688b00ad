// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "app/collection_controller.h"

#include <QTimer>
#include <QWidget>

#include "app/history_commands.h"
#include "app/settings.h"
#include "app/timeout_notice.h"
#include "app/visitor_book.h"
#include "collect/footprint_pages.h"
#include "platform/platform.h"

CollectionController::CollectionController(Platform& platform, VisitorBook& book,
                                           ProgramLifecycle& lifecycle, HistoryCommands& history,
                                           const SettingsControls& options, QWidget& window)
    : QObject(&window),
      m_platform(platform),
      m_book(book),
      m_lifecycle(lifecycle),
      m_history(history),
      m_options(options),
      m_window(window),
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
    m_collector = std::make_unique<Collector>(m_platform, *this, m_book, address);
}

void CollectionController::startStartupDelay() {
    m_startupTimer->start();
}

void CollectionController::stop() {
    m_minuteTimer->stop();
    m_startupTimer->stop();
}

void CollectionController::run(ProgramLifecycle::RunRequest request) {
    if (m_lifecycle.requestRun(request) != ProgramLifecycle::RunDecision::Start || !m_collector) {
        return;
    }
    m_collector->collectFootprints();
    // One desktop notice for the run, and only for a window the user cannot see.
    if (!m_lifecycle.ended()) {
        m_history.runEnded(m_collector->runNotice(),
                           !m_window.isVisible() || m_window.isMinimized());
    }
}

void CollectionController::showStatus(int panel, const QString& text) {
    m_book.showStatus(panel, text);
}

void CollectionController::message(const QString& prompt, MessageIcon icon, const QString& title) {
    // A scheduled run finds the window hidden in the tray; a box of its own still shows there.
    m_platform.dialogs->message(m_window.isVisible() ? &m_window : nullptr, prompt, icon, title);
}

void CollectionController::setCollectAvailable(bool enabled) {
    Q_EMIT collectAvailableChanged(enabled);
}

void CollectionController::setBusy(bool busy) {
    // May carry out an end that waited for the page.
    m_lifecycle.setCollecting(busy);
}

void CollectionController::resetElapsedMinutes() {
    m_schedule.restartCountdown();
}

RetrievalMethod CollectionController::retrievalMethod() const {
    return m_options.retrievalMethodSelected(RetrievalMethod::Download) ? RetrievalMethod::Download
                                                                        : RetrievalMethod::Browser;
}

Tick CollectionController::alarmOption() const {
    return m_options.checkState(SettingsCheckBox::Alarm);
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
    run(ProgramLifecycle::RunRequest::Schedule);
}

void CollectionController::setStartupTimerActive(bool active) {
    if (active) {
        m_startupTimer->start();
    } else {
        m_startupTimer->stop();
    }
}
