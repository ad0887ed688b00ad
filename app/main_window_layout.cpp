// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// The main window's controls at their places, each wired to the role that does what it says, and
// the layout rule that follows the window's size.
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QStatusBar>
#include <QTimer>

#include "app/appearance.h"
#include "app/caption_button.h"
#include "app/check_box.h"
#include "app/collection_controller.h"
#include "app/list_commands.h"
#include "app/main_window.h"
#include "app/ranking_view.h"
#include "app/up_down.h"
#include "app/visitor_book.h"
#include "platform/platform.h"

namespace {

// Sizes of the parts that the layout rule keeps fixed, in twips.
constexpr int kCommandFrameWidth = 1575;
constexpr int kNotesFrameHeight = 855;
constexpr int kStatusBarHeight = 375;
constexpr int kPanel1Width = 2000;
constexpr int kPanel2MinWidth = 4000;

template <typename Widget, typename... Args>
Widget* place(QWidget* parent, const char* name, const QRect& rect, Args&&... args) {
    auto* widget = new Widget(std::forward<Args>(args)..., parent);
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(rect);
    return widget;
}

// The orange frames set every colour they show themselves, so a dark desktop theme leaves their
// dark-on-orange labels readable; `palette` is PanelPalette or PanelButtonPalette.
void paintBackground(QWidget* widget, QPalette (*palette)(QPalette)) {
    // Buttons fill with the button colour otherwise, which would leave grey boxes on the frame.
    widget->setBackgroundRole(QPalette::Window);
    widget->setPalette(palette(widget->palette()));
    widget->setAutoFillBackground(true);
}

QFrame* borderlessFrame(QWidget* parent, const char* name, const QRect& rect) {
    auto* frame = place<QFrame>(parent, name, rect);
    frame->setFrameShape(QFrame::NoFrame);
    paintBackground(frame, PanelPalette);
    return frame;
}

// A control whose text needs more room than its place reaches on towards its frame's edge
// instead of being cut; it never becomes narrower than its place.
void widenTowardsFrame(QWidget* widget, int designWidth, int neededWidth) {
    int width = designWidth;
    if (neededWidth > designWidth) {
        width = std::max(designWidth,
                         std::min(neededWidth, widget->parentWidget()->width() - widget->x()));
    }
    widget->resize(width, widget->height());
}

CheckBox* placeCheckBox(QWidget* parent, const char* name, const QString& caption,
                        const QRect& rect) {
    auto* box = place<CheckBox>(parent, name, rect, caption);
    paintBackground(box, PanelButtonPalette);
    widenTowardsFrame(box, rect.width(), box->sizeHint().width());
    return box;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, const QRect& rect) {
    auto* label = place<QLabel>(parent, name, rect, text);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QLabel* note(QWidget* parent, const char* name, const QString& text, const QRect& rect) {
    auto* note = label(parent, name, text, rect);
    QPalette palette = note->palette();
    palette.setColor(QPalette::WindowText, NoteColour());
    note->setPalette(palette);
    note->setAutoFillBackground(false);
    note->setProperty("designWidth", rect.width());
    return note;
}

// Sets one measure, unless the result would be a negative size, which the layout skips.
void setWidthIfValid(QWidget* widget, int width) {
    if (width >= 0) {
        widget->resize(width, widget->height());
    }
}
void setHeightIfValid(QWidget* widget, int height) {
    if (height >= 0) {
        widget->resize(widget->width(), height);
    }
}

}  // namespace

void MainWindow::createControls() {
    m_rankingList = place<RankingView>(this, "ListView1", TwipsRect(0, 0, 6495, 4695));
    m_rankingList->setModel(&m_book.rankingSort());
    m_rankingList->setPalette(ListPalette(m_rankingList->palette()));
    m_rankingList->applyColumnLayout();
    connect(m_rankingList->header(), &QHeaderView::sectionClicked, &m_book.rankingSort(),
            &RankingSortProxy::sortByColumn);
    m_listCommands->watchList(m_rankingList);

    m_commandFrame = borderlessFrame(this, "Frame1", TwipsRect(6840, 0, 1575, 5055));
    m_collectButton = place<CaptionButton>(
        m_commandFrame, "Command1", TwipsRect(120, 240, 1335, 495), QStringLiteral("足跡取得"));
    connect(m_collectButton, &QAbstractButton::clicked, m_collection,
            [this] { m_collection->run(ProgramLifecycle::RunRequest::Button); });
    connect(m_collection, &CollectionController::collectAvailableChanged, m_collectButton,
            &QWidget::setEnabled);

    // The method choice lives in the settings file; the frame lies over the collect button and
    // stays hidden.
    m_methodFrame = place<QGroupBox>(m_commandFrame, "Frame3", TwipsRect(120, 120, 1335, 855),
                                     QStringLiteral("取得方法"));
    paintBackground(m_methodFrame, PanelPalette);
    m_methodOptions[0] = place<QRadioButton>(
        m_methodFrame, "GetOpt0", TwipsRect(120, 240, 1095, 255), QStringLiteral("方法1"));
    m_methodOptions[1] = place<QRadioButton>(
        m_methodFrame, "GetOpt1", TwipsRect(120, 480, 1095, 255), QStringLiteral("方法2"));
    for (QRadioButton* option : m_methodOptions) {
        paintBackground(option, PanelButtonPalette);
    }
    m_methodOptions[0]->setChecked(true);
    m_methodFrame->hide();

    m_intervalLabel = label(m_commandFrame, "Label1", QStringLiteral("■定期取得"),
                            TwipsRect(120, 1200, 1215, 375));
    m_intervalBox = place<QLineEdit>(m_commandFrame, "Text1", TwipsRect(240, 1440, 480, 270),
                                     QStringLiteral("30"));
    m_intervalBox->setTextMargins(0, 0, 0, 0);
    connect(m_intervalBox, &QLineEdit::textChanged, m_collection,
            [this](const QString& text) { m_collection->schedule().setIntervalText(text); });
    m_intervalUpDown = place<UpDown>(m_commandFrame, "UpDown1", TwipsRect(720, 1455, 255, 255));
    m_intervalUpDown->setRange(1, 1000);
    m_intervalUpDown->setValue(30);
    m_intervalUpDown->setBuddy(m_intervalBox);
    m_minutesLabel =
        label(m_commandFrame, "Label2", QStringLiteral("分ごと"), TwipsRect(1005, 1560, 615, 255));

    m_openInIeBox = placeCheckBox(m_commandFrame, "IEOpenChk", QStringLiteral("IEで開く"),
                                  TwipsRect(120, 1800, 1335, 255));
    m_minimiseOnCloseBox = placeCheckBox(m_commandFrame, "BatsuChk", QStringLiteral("×で最小化"),
                                         TwipsRect(120, 2040, 1335, 255));
    m_alarmBox = placeCheckBox(m_commandFrame, "AlarmChk", QStringLiteral("アラーム機能"),
                               TwipsRect(120, 2280, 1335, 255));
    m_collectAtStartBox = placeCheckBox(m_commandFrame, "BootGetChk", QStringLiteral("起動時取得"),
                                        TwipsRect(120, 2520, 1335, 255));

    m_exportButton = place<CaptionButton>(
        m_commandFrame, "Command5", TwipsRect(120, 2880, 1335, 255), QStringLiteral("CSV書き出し"));
    connect(m_exportButton, &QAbstractButton::clicked, m_listCommands, &ListCommands::exportCsv);
    m_deleteButton =
        place<CaptionButton>(m_commandFrame, "Command4", TwipsRect(120, 3240, 1335, 255),
                             QStringLiteral("条件指定削除..."));
    connect(m_deleteButton, &QAbstractButton::clicked, m_listCommands,
            &ListCommands::deleteByCount);
    connect(m_listCommands, &ListCommands::commandsAvailableChanged, this, [this](bool available) {
        m_exportButton->setEnabled(available);
        m_deleteButton->setEnabled(available);
    });
    m_reportButton = place<CaptionButton>(
        m_commandFrame, "Command3", TwipsRect(120, 3600, 1335, 255), QStringLiteral("動作報告"));
    connect(m_reportButton, &QAbstractButton::clicked, m_listCommands,
            &ListCommands::openReportPage);
    m_latestVersionButton =
        place<CaptionButton>(m_commandFrame, "Command2", TwipsRect(120, 3960, 1335, 255),
                             QStringLiteral("最新版を確認"));
    connect(m_latestVersionButton, &QAbstractButton::clicked, m_listCommands,
            &ListCommands::openLatestVersionPage);
    m_startupButton =
        place<CaptionButton>(m_commandFrame, "Command6", TwipsRect(120, 4320, 1335, 495),
                             QStringLiteral("スタートアップに登録"));
    connect(m_startupButton, &QAbstractButton::clicked, this, [this] { m_startup.toggle(); });

    m_notesFrame = borderlessFrame(this, "Frame2", TwipsRect(0, 4920, 8415, 855));
    m_loginNote = note(m_notesFrame, "Label3",
                       QStringLiteral("※事前にmixiに自動でログインできる設定にしておいてください"),
                       TwipsRect(240, 120, 7935, 255));
    // Where the login comes from, for a user who wonders what "automatically" means here.
    m_loginNote->setToolTip(QStringLiteral(
        "ログインはブラウザから読み取ります: Firefox "
        "(~/.config/mozilla/firefox、~/.mozilla/firefox、"
        "snap、Flatpak) と Chromium、Google Chrome、Brave、Microsoft Edge、Vivaldi (~/.config)。"
        "データフォルダに cookies.txt があれば、そちらを使います。"));
    m_listNote = note(m_notesFrame, "Label5",
                      QStringLiteral("※リスト項目ダブルクリックで、その人のページにアクセス、"
                                     "右クリックで詳細メニューが表示されます"),
                      TwipsRect(240, 360, 7815, 255));
    m_trayNote = note(m_notesFrame, "Label4",
                      QStringLiteral("※最小化するとタスクトレイ(右下)に格納されます"),
                      TwipsRect(240, 600, 7815, 255));

    createStatusBar();
    describeControls();
}

void MainWindow::describeControls() {
    m_rankingList->setAccessibleName(QStringLiteral("足あとランキング"));
    m_intervalBox->setAccessibleName(QStringLiteral("巡回間隔（分）"));
    m_intervalUpDown->setAccessibleName(QStringLiteral("巡回間隔の増減"));
    // Buttons, check boxes and labels are named by their captions without the access-key
    // ampersand, which Qt reads from them as they change ("スタートアップに登録" and its opposite).

    // Reading order: the list, then the frame from top to bottom.
    const QList<QWidget*> order = {m_rankingList,       m_collectButton,       m_methodOptions[0],
                                   m_methodOptions[1],  m_intervalBox,         m_intervalUpDown,
                                   m_openInIeBox,       m_minimiseOnCloseBox,  m_alarmBox,
                                   m_collectAtStartBox, m_exportButton,        m_deleteButton,
                                   m_reportButton,      m_latestVersionButton, m_startupButton};
    for (qsizetype i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
}

void MainWindow::createStatusBar() {
    m_statusBar = place<QStatusBar>(this, "StatusBar1",
                                    QRect(0, TwipsToPixels(6195 - kStatusBarHeight),
                                          TwipsToPixels(9585), TwipsToPixels(kStatusBarHeight)));
    const QString texts[] = {QStringLiteral("Ready"), RankingCountText(0)};
    for (int i = 0; i < 2; ++i) {
        auto* panel = new QLabel(texts[i], m_statusBar);
        panel->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setIndent(2);
        m_panels[size_t(i)] = panel;
    }
    m_panels[0]->setFixedWidth(TwipsToPixels(kPanel1Width));
    m_panels[1]->setMinimumWidth(TwipsToPixels(kPanel2MinWidth));
    m_statusBar->addWidget(m_panels[0]);
    m_statusBar->addWidget(m_panels[1], 1);

    m_fileProgress = new QProgressBar(m_statusBar);
    m_fileProgress->setObjectName(QStringLiteral("FileProgress"));
    m_fileProgress->setFormat(QStringLiteral("%v / %m"));
    m_fileProgress->setTextVisible(true);
    m_fileProgress->setAccessibleName(QStringLiteral("読み書きの進み具合"));
    m_fileProgress->setFixedWidth(TwipsToPixels(kPanel1Width));
    m_statusBar->addPermanentWidget(m_fileProgress);
    m_fileProgress->hide();
}

void MainWindow::layOut() {
    if (isVisible() && isMinimized() && m_platform.trayIcon->available()) {
        hide();
        m_platform.clock->processEvents();
    }

    const int w = width();
    const int h = height();
    const int statusBarHeight = TwipsToPixels(kStatusBarHeight);
    const int commandFrameWidth = TwipsToPixels(kCommandFrameWidth);
    const int notesFrameHeight = TwipsToPixels(kNotesFrameHeight);
    m_statusBar->setGeometry(0, h - statusBarHeight, w, statusBarHeight);
    setWidthIfValid(m_rankingList, w - commandFrameWidth);
    setHeightIfValid(m_rankingList, h - statusBarHeight - notesFrameHeight);
    m_commandFrame->move(w - commandFrameWidth, m_commandFrame->y());
    setHeightIfValid(m_commandFrame, h - statusBarHeight);
    m_notesFrame->move(m_notesFrame->x(), h - notesFrameHeight - statusBarHeight);
    setWidthIfValid(m_notesFrame, w);
    layOutNotes();
}

void MainWindow::layOutNotes() {
    for (QLabel* note : {m_loginNote, m_listNote, m_trayNote}) {
        widenTowardsFrame(note, note->property("designWidth").toInt(),
                          note->fontMetrics().horizontalAdvance(note->text()) + 2);
    }
}
