// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <memory>

#include "app/program_lifecycle.h"
#include "app/settings.h"
#include "app/startup_registration.h"

class CaptionButton;
class CheckBox;
class CollectionController;
class HistoryCommands;
class ListCommands;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QRadioButton;
class QStatusBar;
class RankingView;
class TrayHost;
class UpDown;
class VisitorBook;
struct Platform;

// The main window, a view: its controls and their layout, the status bar and the ranking list
// over the visitor book, which it shows as the book signals. What the controls do belongs to the
// roles it owns: the collection controller, the list commands, the tray host and the start-up
// registration; the visitor data to the book; whether a run may start and whether the program may
// end, to the program lifecycle. The roles never see the window: they signal, and the window
// enables its own controls and acts on what they ask.
class MainWindow : public QWidget, public SettingsControls, public StartupButton {
    Q_OBJECT
  public:
    // With a lifecycle and a visitor book of its own.
    explicit MainWindow(Platform& platform, QWidget* parent = nullptr);
    // With the lifecycle the program kept before the window existed, so that what it decided
    // then still holds, and the book the program made; both outlive the window.
    MainWindow(Platform& platform, ProgramLifecycle& lifecycle, VisitorBook& book,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // The start-up sequence: the settings, the tray and the window come first, the visitor table
    // loads behind the shown window and the list fills when it ends. A click on "足跡取得"
    // during that load starts the run once the load has ended.
    void start();

    Platform& platform() const { return m_platform; }
    ProgramLifecycle& lifecycle() { return m_lifecycle; }
    VisitorBook& book() { return m_book; }
    CollectionController& collection() { return *m_collection; }
    ListCommands& listCommands() { return *m_listCommands; }
    HistoryCommands& history() { return *m_history; }
    // Exists once start() has begun.
    TrayHost* trayHost() const { return m_trayHost.get(); }

    // --- Status bar: panel 1 progress and results, panel 2 the ranking's row count ---
    void showStatus(int panel, const QString& text);
    QString panelText(int panel) const;

    // --- The end of the program ---
    // Asks the program lifecycle, and minimises, waits or ends as it decides. `reason` goes
    // into the log.
    void requestEnd(ProgramLifecycle::EndRequest request, const QString& reason = {});
    // An ending signal: a real exit that no minimise setting turns into a trip to the tray.
    void requestExit(const QString& signalName);
    // The session is ending and may not wait for us: the settings are written now, then the
    // program ends as soon as a page or a save in progress allows.
    void endSession();
    // The options into "setting.ini".
    void saveSettings();
    // A second start on this data folder: the window comes to the front, out of the tray.
    void bringToFront();
    bool ended() const { return m_lifecycle.ended(); }

    // SettingsControls
    QString intervalText() const override;
    void setIntervalText(const QString& text) override;
    Tick checkState(SettingsCheckBox box) const override;
    void setCheckState(SettingsCheckBox box, Tick state) override;
    bool retrievalMethodSelected(RetrievalMethod method) const override;
    void setRetrievalMethodSelected(RetrievalMethod method, bool selected) override;
    bool newVisitNotices() const override;
    void setNewVisitNotices(bool on) override;

    // StartupButton
    QString caption() const override;
    void setCaption(const QString& caption) override;
    QWidget* dialogParent() const override;

  Q_SIGNALS:
    // The program has ended; main() leaves its event loop on it.
    void programEnded();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    MainWindow(Platform& platform, ProgramLifecycle* lifecycle, VisitorBook* book, QWidget* parent);
    // Follows what the book signals: the status panels, the list during a refill, the progress.
    void showBook();
    // The tray asked for the window to be shown or hidden.
    void showFromTray(bool show);
    void createControls();
    void createStatusBar();
    // Accessible names and the Tab order.
    void describeControls();
    // Follows the window's size; a minimised window goes to the tray where there is one.
    void layOut();
    void layOutNotes();
    CheckBox* checkBox(SettingsCheckBox box) const;
    QRadioButton* methodOption(RetrievalMethod method) const;
    void showFileProgress(qsizetype done, qsizetype total);
    void endProgram(const QString& reason);

    Platform& m_platform;
    std::unique_ptr<ProgramLifecycle> m_ownLifecycle;
    ProgramLifecycle& m_lifecycle;
    std::unique_ptr<VisitorBook> m_ownBook;
    VisitorBook& m_book;
    // Children of the window, made before its controls so that the controls connect to them.
    CollectionController* m_collection = nullptr;
    ListCommands* m_listCommands = nullptr;
    HistoryCommands* m_history = nullptr;
    StartupRegistration m_startup;
    std::unique_ptr<TrayHost> m_trayHost;

    RankingView* m_rankingList = nullptr;
    QStatusBar* m_statusBar = nullptr;
    std::array<QLabel*, 2> m_panels{};
    QProgressBar* m_fileProgress = nullptr;
    QFrame* m_commandFrame = nullptr;
    CaptionButton* m_collectButton = nullptr;
    QGroupBox* m_methodFrame = nullptr;
    std::array<QRadioButton*, 2> m_methodOptions{};
    QLabel* m_intervalLabel = nullptr;
    QLineEdit* m_intervalBox = nullptr;
    UpDown* m_intervalUpDown = nullptr;
    QLabel* m_minutesLabel = nullptr;
    CheckBox* m_openInIeBox = nullptr;
    CheckBox* m_minimiseOnCloseBox = nullptr;
    CheckBox* m_alarmBox = nullptr;
    CheckBox* m_collectAtStartBox = nullptr;
    CaptionButton* m_exportButton = nullptr;
    CaptionButton* m_deleteButton = nullptr;
    CaptionButton* m_reportButton = nullptr;
    CaptionButton* m_latestVersionButton = nullptr;
    CaptionButton* m_startupButton = nullptr;
    QFrame* m_notesFrame = nullptr;
    QLabel* m_loginNote = nullptr;
    QLabel* m_listNote = nullptr;
    QLabel* m_trayNote = nullptr;
};
