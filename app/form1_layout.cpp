// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// The main window's controls at their places, and the layout rule that follows the window's size.
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
#include "app/form1.h"
#include "app/ranking_view.h"
#include "app/up_down.h"
#include "platform/platform.h"

namespace {

// Sizes of the parts that the layout rule keeps fixed, in twips.
constexpr int kFrame1Width = 1575;
constexpr int kFrame2Height = 855;
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

CheckBox* checkBox(QWidget* parent, const char* name, const QString& caption, const QRect& rect) {
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

void Form1::createControls() {
    ListView1 = place<RankingView>(this, "ListView1", TwipsRect(0, 0, 6495, 4695));
    ListView1->setModel(&m_rankingSort);
    ListView1->setPalette(ListPalette(ListView1->palette()));
    ListView1->applyColumnLayout();
    connect(ListView1->header(), &QHeaderView::sectionClicked, this, &Form1::sortByColumn);

    Frame1 = borderlessFrame(this, "Frame1", TwipsRect(6840, 0, 1575, 5055));
    Command1 = place<CaptionButton>(Frame1, "Command1", TwipsRect(120, 240, 1335, 495),
                                    QStringLiteral("足跡取得"));

    // The method choice lives in the settings file; the frame lies over Command1 and stays hidden.
    Frame3 = place<QGroupBox>(Frame1, "Frame3", TwipsRect(120, 120, 1335, 855),
                              QStringLiteral("取得方法"));
    paintBackground(Frame3, PanelPalette);
    GetOpt[0] = place<QRadioButton>(Frame3, "GetOpt0", TwipsRect(120, 240, 1095, 255),
                                    QStringLiteral("方法1"));
    GetOpt[1] = place<QRadioButton>(Frame3, "GetOpt1", TwipsRect(120, 480, 1095, 255),
                                    QStringLiteral("方法2"));
    for (QRadioButton* option : GetOpt) {
        paintBackground(option, PanelButtonPalette);
    }
    GetOpt[0]->setChecked(true);
    Frame3->hide();

    Label1 = label(Frame1, "Label1", QStringLiteral("■定期取得"), TwipsRect(120, 1200, 1215, 375));
    Text1 = place<QLineEdit>(Frame1, "Text1", TwipsRect(240, 1440, 480, 270), QStringLiteral("30"));
    Text1->setTextMargins(0, 0, 0, 0);
    UpDown1 = place<UpDown>(Frame1, "UpDown1", TwipsRect(720, 1455, 255, 255));
    UpDown1->setRange(1, 1000);
    UpDown1->setValue(30);
    UpDown1->setBuddy(Text1);
    Label2 = label(Frame1, "Label2", QStringLiteral("分ごと"), TwipsRect(1005, 1560, 615, 255));

    IEOpenChk =
        checkBox(Frame1, "IEOpenChk", QStringLiteral("IEで開く"), TwipsRect(120, 1800, 1335, 255));
    BatsuChk =
        checkBox(Frame1, "BatsuChk", QStringLiteral("×で最小化"), TwipsRect(120, 2040, 1335, 255));
    AlarmChk = checkBox(Frame1, "AlarmChk", QStringLiteral("アラーム機能"),
                        TwipsRect(120, 2280, 1335, 255));
    BootGetChk = checkBox(Frame1, "BootGetChk", QStringLiteral("起動時取得"),
                          TwipsRect(120, 2520, 1335, 255));

    Command5 = place<CaptionButton>(Frame1, "Command5", TwipsRect(120, 2880, 1335, 255),
                                    QStringLiteral("CSV書き出し"));
    Command4 = place<CaptionButton>(Frame1, "Command4", TwipsRect(120, 3240, 1335, 255),
                                    QStringLiteral("条件指定削除..."));
    Command3 = place<CaptionButton>(Frame1, "Command3", TwipsRect(120, 3600, 1335, 255),
                                    QStringLiteral("動作報告"));
    Command2 = place<CaptionButton>(Frame1, "Command2", TwipsRect(120, 3960, 1335, 255),
                                    QStringLiteral("最新版を確認"));
    Command6 = place<CaptionButton>(Frame1, "Command6", TwipsRect(120, 4320, 1335, 495),
                                    QStringLiteral("スタートアップに登録"));

    Frame2 = borderlessFrame(this, "Frame2", TwipsRect(0, 4920, 8415, 855));
    Label3 = note(Frame2, "Label3",
                  QStringLiteral("※事前にmixiに自動でログインできる設定にしておいてください"),
                  TwipsRect(240, 120, 7935, 255));
    Label5 = note(Frame2, "Label5",
                  QStringLiteral("※リスト項目ダブルクリックで、その人のページにアクセス、"
                                 "右クリックで詳細メニューが表示されます"),
                  TwipsRect(240, 360, 7815, 255));
    Label4 = note(Frame2, "Label4", QStringLiteral("※最小化するとタスクトレイ(右下)に格納されます"),
                  TwipsRect(240, 600, 7815, 255));

    createStatusBar();
    describeControls();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(60000);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(3000);
    connect(Timer2, &QTimer::timeout, this, &Form1::Timer2_Timer);
    Timer1->start();
}

void Form1::describeControls() {
    ListView1->setAccessibleName(QStringLiteral("足あとランキング"));
    Text1->setAccessibleName(QStringLiteral("巡回間隔（分）"));
    UpDown1->setAccessibleName(QStringLiteral("巡回間隔の増減"));
    // Buttons, check boxes and labels are named by their captions without the access-key
    // ampersand, which Qt reads from them as they change ("スタートアップに登録" and its opposite).

    // Reading order: the list, then the frame from top to bottom.
    const QList<QWidget*> order = {ListView1, Command1,  GetOpt[0], GetOpt[1], Text1,
                                   UpDown1,   IEOpenChk, BatsuChk,  AlarmChk,  BootGetChk,
                                   Command5,  Command4,  Command3,  Command2,  Command6};
    for (qsizetype i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
}

void Form1::createStatusBar() {
    StatusBar1 = place<QStatusBar>(this, "StatusBar1",
                                   QRect(0, TwipsToPixels(6195 - kStatusBarHeight),
                                         TwipsToPixels(9585), TwipsToPixels(kStatusBarHeight)));
    const QString texts[] = {QStringLiteral("Ready"), RankingCountText(0)};
    for (int i = 0; i < 2; ++i) {
        auto* panel = new QLabel(texts[i], StatusBar1);
        panel->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setIndent(2);
        m_panels[size_t(i)] = panel;
    }
    m_panels[0]->setFixedWidth(TwipsToPixels(kPanel1Width));
    m_panels[1]->setMinimumWidth(TwipsToPixels(kPanel2MinWidth));
    StatusBar1->addWidget(m_panels[0]);
    StatusBar1->addWidget(m_panels[1], 1);

    FileProgress = new QProgressBar(StatusBar1);
    FileProgress->setObjectName(QStringLiteral("FileProgress"));
    FileProgress->setFormat(QStringLiteral("%v / %m"));
    FileProgress->setTextVisible(true);
    FileProgress->setAccessibleName(QStringLiteral("読み書きの進み具合"));
    FileProgress->setFixedWidth(TwipsToPixels(kPanel1Width));
    StatusBar1->addPermanentWidget(FileProgress);
    FileProgress->hide();
}

void Form1::Form_Resize() {
    if (isVisible() && isMinimized() && m_platform.notifyIcon->available()) {
        hide();
        m_platform.clock->DoEvents();
    }

    const int w = width();
    const int h = height();
    const int statusBarHeight = TwipsToPixels(kStatusBarHeight);
    const int frame1Width = TwipsToPixels(kFrame1Width);
    const int frame2Height = TwipsToPixels(kFrame2Height);
    StatusBar1->setGeometry(0, h - statusBarHeight, w, statusBarHeight);
    setWidthIfValid(ListView1, w - frame1Width);
    setHeightIfValid(ListView1, h - statusBarHeight - frame2Height);
    Frame1->move(w - frame1Width, Frame1->y());
    setHeightIfValid(Frame1, h - statusBarHeight);
    Frame2->move(Frame2->x(), h - frame2Height - statusBarHeight);
    setWidthIfValid(Frame2, w);
    layOutNotes();
}

void Form1::layOutNotes() {
    for (QLabel* note : {Label3, Label5, Label4}) {
        widenTowardsFrame(note, note->property("designWidth").toInt(),
                          note->fontMetrics().horizontalAdvance(note->text()) + 2);
    }
}
