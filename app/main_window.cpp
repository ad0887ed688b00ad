// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "app/main_window.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QTimer>
#include <climits>

#include "app/appearance.h"
#include "app/caption_button.h"
#include "app/check_box.h"
#include "app/collection_controller.h"
#include "app/history_commands.h"
#include "app/list_commands.h"
#include "app/ranking_view.h"
#include "app/tray_host.h"
#include "app/visitor_book.h"
#include "collect/footprint_pages.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "visitors/visit_history.h"

MainWindow::MainWindow(Platform& platform, QWidget* parent)
    : MainWindow(platform, nullptr, nullptr, parent) {}

MainWindow::MainWindow(Platform& platform, ProgramLifecycle& lifecycle, VisitorBook& book,
                       QWidget* parent)
    : MainWindow(platform, &lifecycle, &book, parent) {}

MainWindow::MainWindow(Platform& platform, ProgramLifecycle* lifecycle, VisitorBook* book,
                       QWidget* parent)
    : QWidget(parent),
      m_platform(platform),
      m_ownLifecycle(lifecycle ? nullptr : std::make_unique<ProgramLifecycle>()),
      m_lifecycle(lifecycle ? *lifecycle : *m_ownLifecycle),
      m_ownBook(book ? nullptr : std::make_unique<VisitorBook>(platform, m_lifecycle)),
      m_book(book ? *book : *m_ownBook),
      m_startup(platform, *this) {
    setObjectName(QStringLiteral("Form1"));
    setFont(ProgramFont());
    setWindowIcon(ProgramIcon());
    m_book.setDialogParent(this);
    connect(&m_lifecycle, &ProgramLifecycle::endDue, this, &MainWindow::endProgram);
    // Reads nothing until a history window first asks.
    m_history = new HistoryCommands(HistoryFilePath(platform.dataFolder), *platform.clock, this);
    m_collection =
        new CollectionController(platform, m_book, m_lifecycle, *m_history, *this, *this);
    m_listCommands = new ListCommands(platform, m_book, m_lifecycle, *m_history, *this, *this);
    createControls();
    showBook();
    resize(TwipsToPixels(9585), TwipsToPixels(6195));
}

MainWindow::~MainWindow() {
    // The roles work on the table and the lifecycle, which go before the window's children do.
    delete m_collection;
    delete m_listCommands;
}

void MainWindow::start() {
    m_book.table().reset();
    m_collection->schedule().restartCountdown();

    // Before the tray icon, which takes its tip from the caption.
    setWindowTitle(QStringLiteral("Kestrelviewβ(%1.%2.%3)")
                       .arg(KV_VERSION_MAJOR)
                       .arg(KV_VERSION_MINOR)
                       .arg(KV_VERSION_PATCH));

    m_platform.log.write(QStringLiteral("起動 Kestrelview %1.%2.%3 データフォルダ ")
                             .arg(KV_VERSION_MAJOR)
                             .arg(KV_VERSION_MINOR)
                             .arg(KV_VERSION_PATCH) +
                         DisplayPath(m_platform.dataFolder));

    LoadSettings(m_platform, *this);
    const QString serviceUrl = ReadServiceUrl(m_platform);
    m_collection->setServiceAddress(FootprintPages::fromServiceUrl(serviceUrl));
    m_listCommands->setServiceAddress(serviceUrl);

    m_trayHost = std::make_unique<TrayHost>(m_platform, *m_history);
    connect(m_trayHost.get(), &TrayHost::showRequested, this, [this] { showFromTray(true); });
    connect(m_trayHost.get(), &TrayHost::hideRequested, this, [this] { showFromTray(false); });
    // Direct: the lifecycle decides at once, also inside a page's nested event loop.
    connect(
        m_trayHost.get(), &TrayHost::exitRequested, this,
        [this] { requestEnd(ProgramLifecycle::EndRequest::TrayExit); }, Qt::DirectConnection);
    m_trayHost->setWindowVisible(isVisible());
    m_trayHost->showIcon(windowIcon(), windowTitle());
    m_trayHost->show();
    m_trayHost->hide();

    m_startup.refreshButton();

    m_platform.clock->processEvents();
    showNormal();

    // A large table takes a while; the window stays alive meanwhile, since each row pumps events.
    m_lifecycle.startupLoadStarted();
    m_book.loadAtStartup();
    const bool runAfterLoad = m_lifecycle.startupLoadFinished();
    if (ended()) {
        return;  // an end asked for during the load was carried out at its end
    }

    m_book.RefreshRanking();

    if (m_collectAtStartBox->Value() == Tick::Ticked) {
        m_collection->startStartupDelay();
    }
    if (runAfterLoad) {
        QTimer::singleShot(0, m_collection,
                           [this] { m_collection->run(ProgramLifecycle::RunRequest::Button); });
    }
}

void MainWindow::showBook() {
    connect(&m_book, &VisitorBook::statusShown, this, &MainWindow::showStatus);
    connect(&m_book, &VisitorBook::rankingRefreshStarted, m_rankingList,
            [this] { m_rankingList->setEnabled(false); });
    connect(&m_book, &VisitorBook::rankingRefreshed, m_rankingList, [this] {
        m_rankingList->setEnabled(true);
        m_rankingList->viewport()->update();
    });
    connect(&m_book, &VisitorBook::fileProgress, this, &MainWindow::showFileProgress);
    connect(&m_book, &VisitorBook::fileWorkEnded, m_fileProgress, &QWidget::hide);
}

void MainWindow::showStatus(int panel, const QString& text) {
    if (panel >= 1 && panel <= int(m_panels.size())) {
        m_panels[size_t(panel - 1)]->setText(text);
    }
}

QString MainWindow::panelText(int panel) const {
    if (panel >= 1 && panel <= int(m_panels.size())) {
        return m_panels[size_t(panel - 1)]->text();
    }
    return {};
}

void MainWindow::showFileProgress(qsizetype done, qsizetype total) {
    m_fileProgress->setRange(0, int(std::min<qsizetype>(total, INT_MAX)));
    m_fileProgress->setValue(int(std::min(done, total)));
    m_fileProgress->show();
}

void MainWindow::requestEnd(ProgramLifecycle::EndRequest request, const QString& reason) {
    const bool closeMinimises = m_minimiseOnCloseBox->Value() == Tick::Ticked;
    const ProgramLifecycle::EndDecision decision =
        m_lifecycle.requestEnd(request, closeMinimises, reason);
    if (decision == ProgramLifecycle::EndDecision::Minimise) {
        setWindowState(windowState() | Qt::WindowMinimized);
    }
    // A signal or the session's end may come with nobody at the screen: a page that waits on a
    // message or a notice would hold the logout, so those boxes close and the page ends.
    const bool withoutUser = request == ProgramLifecycle::EndRequest::Signal ||
                             request == ProgramLifecycle::EndRequest::SessionEnd;
    if (decision == ProgramLifecycle::EndDecision::Wait && withoutUser) {
        m_platform.dialogs->dismissAll();
    }
}

void MainWindow::requestExit(const QString& signalName) {
    requestEnd(ProgramLifecycle::EndRequest::Signal, signalName);
}

void MainWindow::endSession() {
    if (ended()) {
        return;
    }
    saveSettings();
    requestEnd(ProgramLifecycle::EndRequest::SessionEnd);
}

void MainWindow::saveSettings() {
    SaveSettings(m_platform, *this);
}

void MainWindow::bringToFront() {
    m_platform.log.write(QStringLiteral("前面に表示 (もう一度起動されたため)"));
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    if (m_trayHost) {
        m_trayHost->setWindowShown(true);
    }
}

void MainWindow::showFromTray(bool show) {
    if (show) {
        setWindowState(Qt::WindowNoState);
    }
    m_platform.clock->processEvents();
    setVisible(show);
    m_trayHost->setWindowShown(isVisible());
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOut();
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        layOut();
    }
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_trayHost) {
        m_trayHost->setWindowVisible(true);
    }
}

void MainWindow::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (m_trayHost) {
        m_trayHost->setWindowVisible(false);
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    requestEnd(ProgramLifecycle::EndRequest::CloseButton);
    // Only an end lets the window close; a minimise or a wait keeps it.
    event->setAccepted(ended());
}

void MainWindow::endProgram(const QString& reason) {
    saveSettings();
    m_platform.log.write(QStringLiteral("終了 (") + reason + u')');
    hide();
    m_collection->stop();
    if (m_trayHost) {
        m_trayHost->removeIcon();
    }
    m_platform.clock->processEvents();
    Q_EMIT programEnded();
}

QString MainWindow::intervalText() const {
    return m_intervalBox->text();
}

void MainWindow::setIntervalText(const QString& text) {
    // textChanged runs the change handler when the text differs, as typing does.
    m_intervalBox->setText(text);
}

CheckBox* MainWindow::checkBox(SettingsCheckBox box) const {
    switch (box) {
        case SettingsCheckBox::OpenInIe:
            return m_openInIeBox;
        case SettingsCheckBox::Alarm:
            return m_alarmBox;
        case SettingsCheckBox::MinimiseOnClose:
            return m_minimiseOnCloseBox;
        case SettingsCheckBox::CollectAtStart:
            return m_collectAtStartBox;
    }
    return m_openInIeBox;
}

Tick MainWindow::checkState(SettingsCheckBox box) const {
    return checkBox(box)->Value();
}

void MainWindow::setCheckState(SettingsCheckBox box, Tick state) {
    checkBox(box)->setValue(state);
}

bool MainWindow::newVisitNotices() const {
    return m_history->notifyAction()->isChecked();
}

void MainWindow::setNewVisitNotices(bool on) {
    m_history->notifyAction()->setChecked(on);
}

QRadioButton* MainWindow::methodOption(RetrievalMethod method) const {
    return m_methodOptions[method == RetrievalMethod::Download ? 0 : 1];
}

bool MainWindow::retrievalMethodSelected(RetrievalMethod method) const {
    return methodOption(method)->isChecked();
}

void MainWindow::setRetrievalMethodSelected(RetrievalMethod method, bool selected) {
    QRadioButton* option = methodOption(method);
    if (selected) {
        option->setChecked(true);
        return;
    }
    // A button of an option pair refuses to be cleared on its own; cleared, it selects neither,
    // and the settings select the other next.
    option->setAutoExclusive(false);
    option->setChecked(false);
    option->setAutoExclusive(true);
}

QString MainWindow::caption() const {
    return m_startupButton->text();
}

void MainWindow::setCaption(const QString& caption) {
    m_startupButton->setText(caption);
}

QWidget* MainWindow::dialogParent() const {
    return const_cast<MainWindow*>(this);
}
