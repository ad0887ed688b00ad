// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <memory>

#include "visitors/data_files.h"
#include "visitors/ranking_model.h"
#include "visitors/status_panels.h"
#include "visitors/visitor_table.h"

class CaptionButton;
class CheckBox;
class Form3;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QRadioButton;
class QStatusBar;
class QTimer;
class RankingView;
class UpDown;
struct Platform;

class Form1Links;
class QAction;
class QMenu;
class QPoint;

// The main window. It owns the program's state: the visitor table and its ranking, the paths,
// the schedule counters and the flags. Loading it (Form_Load) starts the program and its final
// close ends it (programEnded). Every control is a public member named as the control is, and
// has that name as its objectName.
class Form1 : public QWidget, public StatusPanels {
    Q_OBJECT
  public:
    explicit Form1(Platform& platform, QWidget* parent = nullptr);
    ~Form1() override;

    // The start-up sequence: the settings, the tray and the window come first, the visitor table
    // loads behind the shown window and the list fills when it ends. A click on "足跡取得"
    // during that load starts the run once the load has ended.
    void Form_Load();

    // --- State ---
    QString DataPath;           // "\zodadud_data.dat" beside the executable
    QString CsvPath;            // "\output.csv" beside the executable
    qint32 WaitTime = 30;       // minutes between scheduled runs
    qint32 ElapsedMinutes = 0;  // minutes counted since the last reset
    bool Busy = false;          // a footprint page is being collected: an exit waits for its end
    // The tray menu asked for a real exit, so the close must not turn into a minimise. Form1
    // lives as long as the program, so this is the program-wide flag.
    bool QuitRequested = false;

    Platform& platform() const { return m_platform; }
    VisitorTable& table() { return m_table; }
    RankingModel& ranking() { return m_ranking; }
    RankingSortProxy& rankingSort() { return m_rankingSort; }
    // The tray host; exists from step 7 of Form_Load on.
    Form3* form3() const { return m_form3.get(); }

    // --- Status bar ---
    // Panel 1: progress and results; panel 2: the ranking's row count.
    void SetPanelText(int panel, const QString& text) override;
    QString PanelText(int panel) const;

    // --- Ranking and files ---
    // Refills the list from the table (disabled meanwhile) and shows its row count in panel 2.
    void RefreshRanking();
    void sortByColumn(int column);
    // The savers and loaders of the visitor files. A close request that arrives while one of
    // them is between rows is carried out once it has finished.
    void SaveDataFile(const QString& path, bool IsFallback);
    void SaveCsvFile(const QString& path, bool IsFallback);
    void TAB_FileLoad(const QString& path);
    void CSV_FileLoad(const QString& path);
    // True while a load or a save is between two rows.
    bool FilesBusy() const { return m_files.busy(); }
    // In the status bar, "rows done / rows" of a load or a save that has lasted over a second.
    QProgressBar* FileProgress = nullptr;

    // --- Filled in by the settings file, the start-up registration and the schedule ---
    void LoadSettings();
    void SaveSettings();
    void RefreshStartupButton();
    void Timer1_Timer();
    void Timer2_Timer();

    // --- Handlers ---
    void Form_Resize();
    // Decides between minimising, waiting and ending the program; sets Cancel to keep it alive.
    // An exit asked for while a page is collected or a file is between rows is carried out as
    // soon as that ends.
    void Form_Unload(bool& Cancel);

    // Sets Busy, updates the commands that wait for the run, and carries out an exit that waited.
    void setBusy(bool busy);
    // An exit that no minimise setting turns into a trip to the tray: a signal or the end of the
    // desktop session. `reason` goes into the log.
    void requestExit(const QString& reason);
    // The session is ending and may not wait for us: the settings are written now, then the
    // program ends as soon as a page or a save in progress allows.
    void endSession();
    // A second start on this data folder: the window comes to the front, out of the tray.
    void bringToFront();
    // The close handling has ended the program (programEnded was sent).
    bool ended() const { return m_ended; }

    // --- Controls ---
    RankingView* ListView1 = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QFrame* Frame1 = nullptr;
    CaptionButton* Command1 = nullptr;
    QGroupBox* Frame3 = nullptr;
    std::array<QRadioButton*, 2> GetOpt{};  // objectNames "GetOpt0" and "GetOpt1"
    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr;
    UpDown* UpDown1 = nullptr;
    QLabel* Label2 = nullptr;
    CheckBox* IEOpenChk = nullptr;
    CheckBox* BatsuChk = nullptr;
    CheckBox* AlarmChk = nullptr;
    CheckBox* BootGetChk = nullptr;
    CaptionButton* Command5 = nullptr;
    CaptionButton* Command4 = nullptr;
    CaptionButton* Command3 = nullptr;
    CaptionButton* Command2 = nullptr;
    CaptionButton* Command6 = nullptr;
    QFrame* Frame2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label4 = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;

    // --- Visitor pages, list commands and start-up registration (form1_web.cpp) ---
    // The visitor pages' base address from the "ServiceUrl" setting: its scheme, host and port
    // when it is an absolute http or https address, otherwise "https://mixi.jp" (the default).
    void setServiceAddress(const QString& serviceUrlText);
    QString serviceBaseAddress() const;
    // Command4, Command5 and MNU_MEMO change or write the table, so they are unavailable while a
    // page is collected (Busy) or a file is between rows; call this after changing Busy.
    void updateCommandAvailability();
    void openVisitorPage();
    // A mouse button pressed over the list: 1 left, 2 right, 4 middle; `pointer` on the screen.
    void ListView1_MouseDown(int Button, const QPoint& pointer);
    // The Menu key or Shift+F10 in the list: the pop-up menu for the selected row, at that row.
    void ListView1_MenuKey();
    void editMemo();
    void openLatestVersionPage();
    void openReportPage();
    void deleteByCount();
    void exportCsv();
    void Command6_Click();
    QMenu* MNU_POP = nullptr;  // its entries are QActions named as the entries are
    QAction* MNU_MEMO = nullptr;

    // --- Collection run, schedule and settings (form1_collection.h, form1_collection.cpp) ---
    // "足跡取得": a run of both footprint pages, unless a page is being collected or a load or a
    // save is between rows. The button, the schedule and the start-up run all come here.
    void collectFootprints();
    // Whether a run may start now: Command1 enabled and no file between rows.
    bool runMayStart() const;
    class Collection;

  Q_SIGNALS:
    // The close handling decided to end the program; main() leaves its event loop on it.
    void programEnded();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    struct CollectionDeleter {
        void operator()(Collection* collection) const;
    };

    void createControls();
    void createStatusBar();
    // Accessible names and the Tab order.
    void describeControls();
    void layOutNotes();
    void startFileWork();
    void showFileProgress(qsizetype done, qsizetype total);
    void finishFileWork();
    void createLinks();
    void setListCommandsEnabled(bool enabled);
    void wireCollection();
    void carryOutPendingExit();
    void endProgram(const QString& reason);

    Platform& m_platform;
    VisitorTable m_table;
    RankingModel m_ranking;
    RankingSortProxy m_rankingSort;
    VisitorFiles m_files;
    std::unique_ptr<Form3> m_form3;
    std::array<QLabel*, 2> m_panels{};
    // An exit asked for while a page was collected or a load or a save was between rows, and
    // what asked for it.
    bool m_exitPending = false;
    QString m_exitReason;
    bool m_ended = false;
    quint32 m_fileWorkStart = 0;    // the clock's count when the outermost load or save began
    bool m_loadingTable = false;    // the start-up load is between rows
    bool m_runAfterLoad = false;    // "足跡取得" was clicked during it
    Form1Links* m_links = nullptr;  // a child object
    // The run's, the schedule's and the settings' view of this window, with the browser, the
    // collector and the schedule it owns.
    std::unique_ptr<Collection, CollectionDeleter> m_collection;
};
