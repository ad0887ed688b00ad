// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "app/form1.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <climits>

#include "app/appearance.h"
#include "app/caption_button.h"
#include "app/check_box.h"
#include "app/form3.h"
#include "app/ranking_view.h"
#include "app/tray_icon.h"
#include "platform/paths.h"
#include "platform/platform.h"

Form1::Form1(Platform& platform, QWidget* parent)
    : QWidget(parent), m_platform(platform), m_files(platform, m_table, m_ranking, *this) {
    setObjectName(QStringLiteral("Form1"));
    setFont(ProgramFont());
    setWindowIcon(ProgramIcon());
    m_rankingSort.setSourceModel(&m_ranking);
    m_files.setDialogParent(this);
    m_files.setProgress([this](qsizetype done, qsizetype total) { showFileProgress(done, total); });
    createControls();
    createLinks();
    wireCollection();
    // The run needs the whole table; a click during the start-up load is remembered for its end.
    connect(Command1, &QAbstractButton::clicked, this, [this] {
        if (m_loadingTable) {
            m_runAfterLoad = true;
        }
    });
    resize(TwipsToPixels(9585), TwipsToPixels(6195));
}

Form1::~Form1() = default;

void Form1::Form_Load() {
    WaitTime = 30;
    m_table.reset();
    ElapsedMinutes = 0;

    CsvPath = AppFilePath(m_platform.applicationDirectory, QStringLiteral("\\output.csv"));
    DataPath = AppFilePath(m_platform.applicationDirectory, QStringLiteral("\\zodadud_data.dat"));

    // Before the tray icon, which takes its tip from the caption.
    setWindowTitle(QStringLiteral("Kestrelviewβ(%1.%2.%3)")
                       .arg(KV_VERSION_MAJOR)
                       .arg(KV_VERSION_MINOR)
                       .arg(KV_VERSION_PATCH));

    m_platform.log.write(QStringLiteral("起動 Kestrelview %1.%2.%3 データフォルダ ")
                             .arg(KV_VERSION_MAJOR)
                             .arg(KV_VERSION_MINOR)
                             .arg(KV_VERSION_PATCH) +
                         DisplayPath(m_platform.applicationDirectory));

    LoadSettings();

    m_form3 = std::make_unique<Form3>(*this);
    m_form3->Form_Load();
    m_form3->show();
    m_form3->hide();

    RefreshStartupButton();

    m_platform.clock->DoEvents();
    showNormal();

    // A large table takes a while; the window stays alive meanwhile, since each row pumps events.
    m_loadingTable = true;
    const QFileInfo dataFile(DataPath);
    if (dataFile.isFile() && !dataFile.isHidden()) {
        TAB_FileLoad(DataPath);
    } else {
        CSV_FileLoad(CsvPath);
    }
    m_loadingTable = false;
    if (m_ended) {
        return;  // an exit asked for during the load was carried out at its end
    }

    RefreshRanking();

    if (BootGetChk->Value() == 1) {
        Timer2->start();
    }
    if (m_runAfterLoad) {
        m_runAfterLoad = false;
        QTimer::singleShot(0, this, &Form1::collectFootprints);
    }
}

void Form1::SetPanelText(int panel, const QString& text) {
    if (panel >= 1 && panel <= int(m_panels.size())) {
        m_panels[size_t(panel - 1)]->setText(text);
    }
}

QString Form1::PanelText(int panel) const {
    if (panel >= 1 && panel <= int(m_panels.size())) {
        return m_panels[size_t(panel - 1)]->text();
    }
    return {};
}

void Form1::RefreshRanking() {
    ListView1->setEnabled(false);
    m_ranking.RefreshRanking(m_table);
    SetPanelText(2, RankingCountText(m_ranking.rowCount()));
    ListView1->setEnabled(true);
    ListView1->viewport()->update();
}

void Form1::sortByColumn(int column) {
    m_rankingSort.sortByColumn(column);
}

void Form1::SaveDataFile(const QString& path, bool IsFallback) {
    startFileWork();
    m_files.SaveDataFile(path, IsFallback);
    finishFileWork();
}

void Form1::SaveCsvFile(const QString& path, bool IsFallback) {
    startFileWork();
    m_files.SaveCsvFile(path, IsFallback);
    finishFileWork();
}

void Form1::TAB_FileLoad(const QString& path) {
    startFileWork();
    m_files.TAB_FileLoad(path);
    finishFileWork();
}

void Form1::CSV_FileLoad(const QString& path) {
    startFileWork();
    m_files.CSV_FileLoad(path);
    finishFileWork();
}

void Form1::startFileWork() {
    if (!m_files.busy()) {
        m_fileWorkStart = m_platform.clock->timeGetTime();
    }
    setListCommandsEnabled(false);
}

void Form1::showFileProgress(qsizetype done, qsizetype total) {
    // Work that ends within a second shows no bar, so saves of ordinary tables do not flicker.
    if (m_platform.clock->timeGetTime() - m_fileWorkStart <= 1000) {
        return;
    }
    FileProgress->setRange(0, int(std::min<qsizetype>(total, INT_MAX)));
    FileProgress->setValue(int(std::min(done, total)));
    FileProgress->show();
}

void Form1::finishFileWork() {
    if (!m_files.busy()) {
        FileProgress->hide();
    }
    updateCommandAvailability();
    carryOutPendingExit();
}

void Form1::setBusy(bool busy) {
    Busy = busy;
    updateCommandAvailability();
    carryOutPendingExit();
}

void Form1::carryOutPendingExit() {
    // The exit waited for the page and the file to be whole; it passed the minimise test already.
    if (m_exitPending && !Busy && !m_files.busy()) {
        m_exitPending = false;
        requestExit(m_exitReason);
    }
}

void Form1::requestExit(const QString& reason) {
    m_exitReason = reason;
    QuitRequested = true;
    // Not close(): a window hidden in the tray must end all the same.
    bool cancel = false;
    Form_Unload(cancel);
}

void Form1::endSession() {
    if (m_ended) {
        return;
    }
    SaveSettings();
    requestExit(QStringLiteral("セッション終了"));
}

void Form1::bringToFront() {
    m_platform.log.write(QStringLiteral("前面に表示 (もう一度起動されたため)"));
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    if (m_form3) {
        m_form3->MNU_VISIBLE->setText(QStringLiteral("非表示"));
    }
}

void Form1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Form_Resize();
}

void Form1::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        Form_Resize();
    }
}

void Form1::closeEvent(QCloseEvent* event) {
    bool cancel = false;
    Form_Unload(cancel);
    event->setAccepted(!cancel);
}

void Form1::Form_Unload(bool& Cancel) {
    if (m_ended) {
        return;
    }
    if (!QuitRequested && BatsuChk->Value() == 1) {
        Cancel = true;
        setWindowState(windowState() | Qt::WindowMinimized);
        return;
    }
    QString reason = m_exitReason;
    if (reason.isEmpty()) {
        reason = QuitRequested ? QStringLiteral("トレイの終了") : QStringLiteral("ウィンドウ");
    }
    m_exitReason.clear();
    QuitRequested = false;
    if (Busy || m_files.busy()) {
        // Ending now would lose the page in progress or cut the file short; their end carries
        // the exit out.
        Cancel = true;
        m_exitPending = true;
        m_exitReason = reason;
        return;
    }
    endProgram(reason);
}

void Form1::endProgram(const QString& reason) {
    m_ended = true;
    SaveSettings();
    m_platform.log.write(QStringLiteral("終了 (") + reason + u')');
    hide();
    Timer1->stop();
    Timer2->stop();
    if (m_form3) {
        DeleteTrayIcon(*m_platform.notifyIcon, m_form3.get(), 0);
    }
    m_platform.clock->DoEvents();
    Q_EMIT programEnded();
}
