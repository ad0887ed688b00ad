// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "app/main_window.h"

#include <QCloseEvent>
#include <QFileInfo>
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
#include "collect/footprint_pages.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "visitors/visit_history.h"

MainWindow::MainWindow(Platform& platform, QWidget* parent)
    : MainWindow(platform, nullptr, parent) {}

MainWindow::MainWindow(Platform& platform, ProgramLifecycle& lifecycle, QWidget* parent)
    : MainWindow(platform, &lifecycle, parent) {}

MainWindow::MainWindow(Platform& platform, ProgramLifecycle* lifecycle, QWidget* parent)
    : QWidget(parent),
      m_platform(platform),
      m_files(platform, m_table, m_ranking, *this),
      m_ownLifecycle(lifecycle ? nullptr : std::make_unique<ProgramLifecycle>()),
      m_lifecycle(lifecycle ? *lifecycle : *m_ownLifecycle),
      m_startup(platform, *this) {
    setObjectName(QStringLiteral("Form1"));
    setFont(ProgramFont());
    setWindowIcon(ProgramIcon());
    m_rankingSort.setSourceModel(&m_ranking);
    m_files.setDialogParent(this);
    m_files.setProgress([this](qsizetype done, qsizetype total) { showFileProgress(done, total); });
    connect(&m_lifecycle, &ProgramLifecycle::endDue, this, &MainWindow::endProgram);
    // Reads nothing until a history window first asks.
    m_history = new HistoryCommands(HistoryFilePath(platform.dataFolder), *platform.clock, this);
    m_collection = new CollectionController(platform, *this, m_lifecycle);
    m_listCommands = new ListCommands(platform, *this, m_lifecycle);
    createControls();
    resize(TwipsToPixels(9585), TwipsToPixels(6195));
}

MainWindow::~MainWindow() {
    // The roles work on the table and the lifecycle, which go before the window's children do.
    delete m_collection;
    delete m_listCommands;
}

void MainWindow::start() {
    m_table.reset();
    m_collection->schedule().restartCountdown();
    m_csvPath = AppFilePath(m_platform.dataFolder, QStringLiteral("\\output.csv"));
    m_dataPath = AppFilePath(m_platform.dataFolder, QStringLiteral("\\zodadud_data.dat"));

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

    m_trayHost = std::make_unique<TrayHost>(m_platform, *this);
    m_trayHost->showIcon();
    m_trayHost->show();
    m_trayHost->hide();

    m_startup.refreshButton();

    m_platform.clock->processEvents();
    showNormal();

    // A large table takes a while; the window stays alive meanwhile, since each row pumps events.
    m_lifecycle.startupLoadStarted();
    const QFileInfo dataFile(m_dataPath);
    if (dataFile.isFile() && !dataFile.isHidden()) {
        loadDataFile(m_dataPath);
    } else {
        loadCsvFile(m_csvPath);
    }
    const bool runAfterLoad = m_lifecycle.startupLoadFinished();
    if (ended()) {
        return;  // an end asked for during the load was carried out at its end
    }

    refreshRanking();

    if (m_collectAtStartBox->Value() == 1) {
        m_collection->startStartupDelay();
    }
    if (runAfterLoad) {
        QTimer::singleShot(0, m_collection, &CollectionController::collectFootprints);
    }
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

void MainWindow::refreshRanking() {
    m_rankingList->setEnabled(false);
    m_ranking.RefreshRanking(m_table);
    showStatus(2, RankingCountText(m_ranking.rowCount()));
    m_rankingList->setEnabled(true);
    m_rankingList->viewport()->update();
}

void MainWindow::saveDataFile(const QString& path, bool isFallback) {
    startFileWork();
    m_files.SaveDataFile(path, isFallback);
    finishFileWork();
}

bool MainWindow::saveCsvFile(const QString& path, bool isFallback) {
    startFileWork();
    const bool saved = m_files.SaveCsvFile(path, isFallback);
    finishFileWork();
    return saved;
}

void MainWindow::loadDataFile(const QString& path) {
    startFileWork();
    m_files.TAB_FileLoad(path);
    finishFileWork();
}

void MainWindow::loadCsvFile(const QString& path) {
    startFileWork();
    m_files.CSV_FileLoad(path);
    finishFileWork();
}

void MainWindow::startFileWork() {
    if (!m_lifecycle.filesBusy()) {
        m_fileWorkStart = m_platform.clock->milliseconds();
    }
    m_lifecycle.fileWorkStarted();
}

void MainWindow::showFileProgress(qsizetype done, qsizetype total) {
    // Work that ends within a second shows no bar, so saves of ordinary tables do not flicker.
    if (m_platform.clock->milliseconds() - m_fileWorkStart <= 1000) {
        return;
    }
    m_fileProgress->setRange(0, int(std::min<qsizetype>(total, INT_MAX)));
    m_fileProgress->setValue(int(std::min(done, total)));
    m_fileProgress->show();
}

void MainWindow::finishFileWork() {
    if (!m_files.busy()) {
        m_fileProgress->hide();
    }
    // May carry out an end that waited for the file.
    m_lifecycle.fileWorkFinished();
}

void MainWindow::requestEnd(ProgramLifecycle::EndRequest request, const QString& reason) {
    const bool closeMinimises = m_minimiseOnCloseBox->Value() == 1;
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
        m_trayHost->windowBroughtToFront();
    }
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

int MainWindow::checkState(SettingsCheckBox box) const {
    return checkBox(box)->Value();
}

void MainWindow::setCheckState(SettingsCheckBox box, int state) {
    checkBox(box)->setValue(state);
}

bool MainWindow::newVisitNotices() const {
    return m_history->notifyAction()->isChecked();
}

void MainWindow::setNewVisitNotices(bool on) {
    m_history->notifyAction()->setChecked(on);
}

bool MainWindow::retrievalMethodSelected(int index) const {
    return index >= 0 && index < int(m_methodOptions.size()) &&
           m_methodOptions[size_t(index)]->isChecked();
}

void MainWindow::setRetrievalMethodSelected(int index, bool selected) {
    if (index < 0 || index >= int(m_methodOptions.size())) {
        return;
    }
    QRadioButton* option = m_methodOptions[size_t(index)];
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
