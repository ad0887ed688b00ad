#include "app/form1.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QTimer>

#include "app/appearance.h"
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
    createControls();
    createLinks();
    wireCollection();
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

    LoadSettings();

    const QFileInfo dataFile(DataPath);
    if (dataFile.isFile() && !dataFile.isHidden()) {
        TAB_FileLoad(DataPath);
    } else {
        CSV_FileLoad(CsvPath);
    }

    RefreshRanking();

    m_form3 = std::make_unique<Form3>(*this);
    m_form3->Form_Load();
    m_form3->show();
    m_form3->hide();

    RefreshStartupButton();

    if (BootGetChk->Value() == 1) {
        Timer2->start();
    }

    m_platform.clock->DoEvents();
    showNormal();
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

void Form1::ListView1_ColumnClick(int column) {
    m_rankingSort.ListView1_ColumnClick(column);
}

void Form1::SaveDataFile(const QString& path, bool IsFallback) {
    setListCommandsEnabled(false);
    m_files.SaveDataFile(path, IsFallback);
    finishFileWork();
}

void Form1::SaveCsvFile(const QString& path, bool IsFallback) {
    setListCommandsEnabled(false);
    m_files.SaveCsvFile(path, IsFallback);
    finishFileWork();
}

void Form1::TAB_FileLoad(const QString& path) {
    setListCommandsEnabled(false);
    m_files.TAB_FileLoad(path);
    finishFileWork();
}

void Form1::CSV_FileLoad(const QString& path) {
    setListCommandsEnabled(false);
    m_files.CSV_FileLoad(path);
    finishFileWork();
}

void Form1::finishFileWork() {
    updateCommandAvailability();
    // The exit waited for the file to be whole on disk; it passed the minimise test already.
    if (m_exitPending && !m_files.busy()) {
        m_exitPending = false;
        QuitRequested = true;
        close();
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
    if (!QuitRequested && BatsuChk->Value() == 1) {
        Cancel = true;
        setWindowState(windowState() | Qt::WindowMinimized);
        return;
    }
    QuitRequested = false;
    if (Busy) {
        Cancel = true;
        return;
    }
    if (m_files.busy()) {
        // Ending now would cut the file short; the save's end carries the exit out.
        Cancel = true;
        m_exitPending = true;
        return;
    }
    endProgram();
}

void Form1::endProgram() {
    SaveSettings();
    hide();
    Timer1->stop();
    Timer2->stop();
    if (m_form3) {
        DeleteTrayIcon(*m_platform.notifyIcon, m_form3.get(), 0);
    }
    m_platform.clock->DoEvents();
    Q_EMIT programEnded();
}
