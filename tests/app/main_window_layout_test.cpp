// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QAccessible>
#include <QApplication>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include "app/caption_button.h"
#include "app/check_box.h"
#include "app/ranking_view.h"
#include "app/up_down.h"
#include "tests/app/main_window_fixture.h"

namespace {

const QColor kFrameColour(255, 192, 128);
const QColor kNoteColour(255, 0, 0);

QString captionOf(QWidget* widget) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        return button->text();
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        return label->text();
    }
    if (auto* box = qobject_cast<QGroupBox*>(widget)) {
        return box->title();
    }
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        return edit->text();
    }
    return {};
}

}  // namespace

class MainWindowLayoutTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void controlsSitAtTheirPlacesWithTheirCaptions_data();
    void controlsSitAtTheirPlacesWithTheirCaptions();
    void textsThatNeedMoreRoomReachTowardsTheFrameEdge();
    void framesAndOptionsShowTheirColours();
    void designColoursHoldUnderADarkTheme_data();
    void designColoursHoldUnderADarkTheme();
    void tabWalksTheControlsInReadingOrderAndEachHasAName_data();
    void tabWalksTheControlsInReadingOrderAndEachHasAName();
    void methodChoiceIsHiddenWithMethodOneSelected();
    void statusBarHasItsTwoPanels();
    void timersStartAsTheScheduleNeeds();
    void tallButtonsWrapTheirCaption();
    void layoutFollowsTheWindowSize_data();
    void layoutFollowsTheWindowSize();
    void tinySizesKeepTheNoteAtItsPlace();
};

void MainWindowLayoutTest::controlsSitAtTheirPlacesWithTheirCaptions_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("parentName");
    QTest::addColumn<QRect>("place");
    QTest::addColumn<QString>("caption");

    // Pixels: the twips of the layout divided by 15; the list and the two frames as the layout
    // rule places them in the 639 x 413 client area.
    auto row = [](const char* name, const char* parent, QRect place, const char* caption) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(parent) << place
                            << QString::fromUtf8(caption);
    };
    row("ListView1", "Form1", {0, 0, 534, 331}, "");
    row("Frame1", "Form1", {534, 0, 105, 388}, "");
    row("Command1", "Frame1", {8, 16, 89, 33}, "足跡取得");
    row("Frame3", "Frame1", {8, 8, 89, 57}, "取得方法");
    row("GetOpt0", "Frame3", {8, 16, 73, 17}, "方法1");
    row("GetOpt1", "Frame3", {8, 32, 73, 17}, "方法2");
    row("Label1", "Frame1", {8, 80, 81, 25}, "■定期取得");
    row("Text1", "Frame1", {16, 96, 32, 18}, "30");
    row("UpDown1", "Frame1", {48, 97, 17, 17}, "");
    row("Label2", "Frame1", {67, 104, 41, 17}, "分ごと");
    row("IEOpenChk", "Frame1", {8, 120, 89, 17}, "IEで開く");
    row("BatsuChk", "Frame1", {8, 136, 89, 17}, "×で最小化");
    row("AlarmChk", "Frame1", {8, 152, 89, 17}, "アラーム機能");
    row("BootGetChk", "Frame1", {8, 168, 89, 17}, "起動時取得");
    row("Command5", "Frame1", {8, 192, 89, 17}, "CSV書き出し");
    row("Command4", "Frame1", {8, 216, 89, 17}, "条件指定削除...");
    row("Command3", "Frame1", {8, 240, 89, 17}, "動作報告");
    row("Command2", "Frame1", {8, 264, 89, 17}, "最新版を確認");
    row("Command6", "Frame1", {8, 288, 89, 33}, "スタートアップに登録");
    row("Frame2", "Form1", {0, 331, 639, 57}, "");
    row("Label3", "Frame2", {16, 8, 529, 17},
        "※事前にmixiに自動でログインできる設定にしておいてください");
    row("Label5", "Frame2", {16, 24, 521, 17},
        "※リスト項目ダブルクリックで、その人のページにアクセス、右クリックで詳細メニューが表示"
        "されます");
    row("Label4", "Frame2", {16, 40, 521, 17}, "※最小化するとタスクトレイ(右下)に格納されます");
    row("StatusBar1", "Form1", {0, 388, 639, 25}, "");
}

void MainWindowLayoutTest::controlsSitAtTheirPlacesWithTheirCaptions() {
    QFETCH(QString, name);
    QFETCH(QString, parentName);
    QFETCH(QRect, place);
    QFETCH(QString, caption);

    MainWindowFixture f;
    f.window->start();
    QCOMPARE(f.window->size(), QSize(639, 413));

    auto* widget = f.window->findChild<QWidget*>(name);
    QVERIFY2(widget, qPrintable(name));
    QCOMPARE(widget->parentWidget()->objectName(), parentName);
    QCOMPARE(captionOf(widget), caption);
    QCOMPARE(widget->pos(), place.topLeft());
    QCOMPARE(widget->height(), place.height());
    // Check boxes and notes may reach on towards their frame's edge (tested below), never less.
    if (qobject_cast<CheckBox*>(widget) || name.startsWith(u"Label")) {
        QVERIFY(widget->width() >= place.width());
        if (widget->width() > place.width()) {
            QVERIFY(widget->geometry().right() <= widget->parentWidget()->width() - 1);
        }
    } else {
        QCOMPARE(widget->width(), place.width());
    }
}

void MainWindowLayoutTest::textsThatNeedMoreRoomReachTowardsTheFrameEdge() {
    MainWindowFixture f;
    f.window->start();
    // The long note and "アラーム機能" need more than their places; nothing of them is cut.
    for (QLabel* note : {control<QLabel>(f.window, "Label3"), control<QLabel>(f.window, "Label5"),
                         control<QLabel>(f.window, "Label4")}) {
        QVERIFY2(note->fontMetrics().horizontalAdvance(note->text()) <= note->width(),
                 qPrintable(note->objectName()));
    }
    QVERIFY(control<QLabel>(f.window, "Label5")->width() > 521);
    for (CheckBox* box :
         {control<CheckBox>(f.window, "IEOpenChk"), control<CheckBox>(f.window, "BatsuChk"),
          control<CheckBox>(f.window, "AlarmChk"), control<CheckBox>(f.window, "BootGetChk")}) {
        QVERIFY2(box->sizeHint().width() <= box->width(), qPrintable(box->objectName()));
    }
    // In a narrow window the note keeps its own place and is cut by the frame.
    f.window->resize(300, 413);
    QCOMPARE(control<QLabel>(f.window, "Label5")->width(), 521);
}

void MainWindowLayoutTest::framesAndOptionsShowTheirColours() {
    MainWindowFixture f;
    f.window->start();
    const QImage shot = f.window->grab().toImage();

    // An empty spot of the right-hand column, between Command1 and Label1, and of the notes strip
    // right of the notes.
    QCOMPARE(shot.pixelColor(534 + 50, 65), kFrameColour);
    QCOMPARE(shot.pixelColor(630, 331 + 50), kFrameColour);
    // Each check box is drawn on the frame colour too, and so are the option buttons.
    for (QWidget* w : std::initializer_list<QWidget*>{
             control<CheckBox>(f.window, "IEOpenChk"), control<CheckBox>(f.window, "BatsuChk"),
             control<CheckBox>(f.window, "AlarmChk"), control<CheckBox>(f.window, "BootGetChk"),
             control<QRadioButton>(f.window, "GetOpt0"), control<QRadioButton>(f.window, "GetOpt1"),
             control<QGroupBox>(f.window, "Frame3")}) {
        QVERIFY2(w->autoFillBackground(), qPrintable(w->objectName()));
        QCOMPARE(w->palette().color(QPalette::Window), kFrameColour);
    }
    const QImage box = control<CheckBox>(f.window, "AlarmChk")->grab().toImage();
    QCOMPARE(box.pixelColor(box.width() - 1, 0), kFrameColour);
    QCOMPARE(box.pixelColor(0, box.height() - 1), kFrameColour);

    // The notes write in red straight onto the frame.
    for (QLabel* note : {control<QLabel>(f.window, "Label3"), control<QLabel>(f.window, "Label5"),
                         control<QLabel>(f.window, "Label4")}) {
        QVERIFY(!note->autoFillBackground());
        const QRect area = note->geometry().translated(control<QFrame>(f.window, "Frame2")->pos());
        bool red = false;
        for (int x = area.left(); x <= area.right() && !red; ++x) {
            for (int y = area.top(); y <= area.bottom() && !red; ++y) {
                const QColor c = shot.pixelColor(x, y);
                red = c.red() > 200 && c.green() < 60 && c.blue() < 60;
            }
        }
        QVERIFY2(red, qPrintable(note->objectName()));
        QCOMPARE(note->palette().color(QPalette::WindowText), kNoteColour);
    }
}

void MainWindowLayoutTest::designColoursHoldUnderADarkTheme_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("role");
    QTest::addColumn<QColor>("colour");
    auto row = [](const char* what, const char* name, QPalette::ColorRole role, QColor colour) {
        QTest::newRow(what) << QString::fromLatin1(name) << int(role) << colour;
    };
    row("list background", "ListView1", QPalette::Base, Qt::white);
    row("list text", "ListView1", QPalette::Text, Qt::black);
    row("list selection", "ListView1", QPalette::Highlight, QColor(48, 140, 198));
    row("list selected text", "ListView1", QPalette::HighlightedText, Qt::white);
    row("frame", "Frame1", QPalette::Window, kFrameColour);
    row("frame label", "Label1", QPalette::WindowText, Qt::black);
    row("minutes box", "Text1", QPalette::Text, Qt::black);
    row("minutes box background", "Text1", QPalette::Base, Qt::white);
    row("check box caption", "AlarmChk", QPalette::WindowText, Qt::black);
    row("check box button", "AlarmChk", QPalette::Button, kFrameColour);
    row("option caption", "GetOpt0", QPalette::WindowText, Qt::black);
    row("note", "Label3", QPalette::WindowText, kNoteColour);
}

void MainWindowLayoutTest::designColoursHoldUnderADarkTheme() {
    QFETCH(QString, name);
    QFETCH(int, role);
    QFETCH(QColor, colour);
    const QPalette saved = QApplication::palette();
    QApplication::setPalette(DarkThemePalette());
    MainWindowFixture f;
    f.window->show();
    const QColor shown = f.window->findChild<QWidget*>(name)->palette().color(
        QPalette::Active, QPalette::ColorRole(role));
    QApplication::setPalette(saved);
    QCOMPARE(shown, colour);
}

void MainWindowLayoutTest::tabWalksTheControlsInReadingOrderAndEachHasAName_data() {
    QTest::addColumn<int>("tabs");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("spoken");
    const char* const order[][2] = {
        {"ListView1", "足あとランキング"},
        {"Command1", "足跡取得"},
        {"Text1", "巡回間隔（分）"},
        {"UpDown1", "巡回間隔の増減"},
        {"IEOpenChk", "IEで開く"},
        {"BatsuChk", "×で最小化"},
        {"AlarmChk", "アラーム機能"},
        {"BootGetChk", "起動時取得"},
        {"Command5", "CSV書き出し"},
        {"Command4", "条件指定削除..."},
        {"Command3", "動作報告"},
        {"Command2", "最新版を確認"},
        {"Command6", "スタートアップに登録"},
        // Round again: no other control takes the focus.
        {"ListView1", "足あとランキング"},
    };
    int tabs = 0;
    for (const auto& [name, spoken] : order) {
        QTest::addRow("%d %s", tabs, name)
            << tabs << QString::fromLatin1(name) << QString::fromUtf8(spoken);
        ++tabs;
    }
}

void MainWindowLayoutTest::tabWalksTheControlsInReadingOrderAndEachHasAName() {
    QFETCH(int, tabs);
    QFETCH(QString, name);
    QFETCH(QString, spoken);
    MainWindowFixture f;
    f.window->show();
    f.window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
    control<RankingView>(f.window, "ListView1")->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < tabs; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QWidget* focused = QApplication::focusWidget();
    QVERIFY(focused);
    QCOMPARE(focused->objectName(), name);
    // What a screen reader says: the accessible name, or a button's caption without its '&'.
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(focused);
    QVERIFY(accessible);
    QCOMPARE(accessible->text(QAccessible::Name), spoken);
}

void MainWindowLayoutTest::methodChoiceIsHiddenWithMethodOneSelected() {
    MainWindowFixture f;
    f.window->start();
    QVERIFY(!control<QGroupBox>(f.window, "Frame3")->isVisible());
    QVERIFY(control<CaptionButton>(f.window, "Command1")->isVisible());
    QVERIFY(control<QRadioButton>(f.window, "GetOpt0")->isChecked());
    QVERIFY(!control<QRadioButton>(f.window, "GetOpt1")->isChecked());
    control<QRadioButton>(f.window, "GetOpt1")->setChecked(true);
    QVERIFY(!control<QRadioButton>(f.window, "GetOpt0")->isChecked());
}

void MainWindowLayoutTest::statusBarHasItsTwoPanels() {
    MainWindowFixture f;
    f.window->start();
    auto* panel1 =
        control<QStatusBar>(f.window, "StatusBar1")->findChild<QLabel*>(QStringLiteral("Panel1"));
    auto* panel2 =
        control<QStatusBar>(f.window, "StatusBar1")->findChild<QLabel*>(QStringLiteral("Panel2"));
    QVERIFY(panel1 && panel2);
    QCOMPARE(panel1->text(), QStringLiteral("Ready"));
    QCOMPARE(panel2->text(), QStringLiteral("0件みつかりました"));
    QCOMPARE(panel1->width(), 2000 / 15);
    QVERIFY(panel2->width() >= 4000 / 15);
    QVERIFY(panel2->x() > panel1->x());

    f.window->showStatus(1, QStringLiteral("保存中です..."));
    QCOMPARE(f.window->panelText(1), QStringLiteral("保存中です..."));
    QCOMPARE(panel1->text(), QStringLiteral("保存中です..."));
    // Panel 2 takes what the wider window gives.
    f.window->resize(1000, 413);
    QVERIFY(panel2->width() > 1000 - 2 * 133);
}

void MainWindowLayoutTest::timersStartAsTheScheduleNeeds() {
    MainWindowFixture f;
    f.window->start();
    QCOMPARE(control<QTimer>(f.window, "Timer1")->objectName(), QStringLiteral("Timer1"));
    QCOMPARE(control<QTimer>(f.window, "Timer1")->interval(), 60000);
    QVERIFY(control<QTimer>(f.window, "Timer1")->isActive());
    QCOMPARE(control<QTimer>(f.window, "Timer2")->objectName(), QStringLiteral("Timer2"));
    QCOMPARE(control<QTimer>(f.window, "Timer2")->interval(), 3000);
    QVERIFY(!control<QTimer>(f.window, "Timer2")->isActive());
}

void MainWindowLayoutTest::tallButtonsWrapTheirCaption() {
    MainWindowFixture f;
    f.window->start();
    const QStringList lines = control<CaptionButton>(f.window, "Command6")->captionLines();
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines.join(QString()), QStringLiteral("スタートアップに登録"));
    const QFontMetrics metrics(control<CaptionButton>(f.window, "Command6")->font());
    for (const QString& line : lines) {
        QVERIFY2(metrics.horizontalAdvance(line) <=
                     control<CaptionButton>(f.window, "Command6")->width() - 4,
                 qPrintable(line));
    }
    // Short buttons keep one line, and a caption that fits stays one line on a tall button.
    QCOMPARE(control<CaptionButton>(f.window, "Command4")->captionLines(),
             QStringList{QStringLiteral("条件指定削除...")});
    QCOMPARE(control<CaptionButton>(f.window, "Command1")->captionLines(),
             QStringList{QStringLiteral("足跡取得")});
}

void MainWindowLayoutTest::layoutFollowsTheWindowSize_data() {
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QRect>("list");
    QTest::addColumn<QRect>("frame1");
    QTest::addColumn<QRect>("frame2");

    // Start: list 534 x 331, Frame1 at 534 (105 x 388), Frame2 at 331 (639 x 57). A measure that
    // would turn negative stays what it was; positions may go negative.
    QTest::newRow("larger") << QSize(1000, 700) << QRect(0, 0, 895, 618) << QRect(895, 0, 105, 675)
                            << QRect(0, 618, 1000, 57);
    QTest::newRow("exactly the fixed parts")
        << QSize(105, 82) << QRect(0, 0, 0, 0) << QRect(0, 0, 105, 57) << QRect(0, 0, 105, 57);
    QTest::newRow("narrower than Frame1") << QSize(100, 300) << QRect(0, 0, 534, 218)
                                          << QRect(-5, 0, 105, 275) << QRect(0, 218, 100, 57);
    QTest::newRow("lower than the bars") << QSize(400, 60) << QRect(0, 0, 295, 331)
                                         << QRect(295, 0, 105, 35) << QRect(0, -22, 400, 57);
    QTest::newRow("one pixel") << QSize(1, 1) << QRect(0, 0, 534, 331) << QRect(-104, 0, 105, 388)
                               << QRect(0, -81, 1, 57);
}

void MainWindowLayoutTest::layoutFollowsTheWindowSize() {
    QFETCH(QSize, client);
    QFETCH(QRect, list);
    QFETCH(QRect, frame1);
    QFETCH(QRect, frame2);

    MainWindowFixture f;
    f.window->start();
    f.window->resize(client);
    QCOMPARE(f.window->size(), client);
    QCOMPARE(control<RankingView>(f.window, "ListView1")->geometry(), list);
    QCOMPARE(control<QFrame>(f.window, "Frame1")->geometry(), frame1);
    QCOMPARE(control<QFrame>(f.window, "Frame2")->geometry(), frame2);
    QCOMPARE(control<QStatusBar>(f.window, "StatusBar1")->geometry(),
             QRect(0, client.height() - 25, client.width(), 25));
}

void MainWindowLayoutTest::tinySizesKeepTheNoteAtItsPlace() {
    MainWindowFixture f;
    f.window->start();
    for (const QSize& size : {QSize(1, 1), QSize(5, 400), QSize(800, 3), QSize(639, 413)}) {
        f.window->resize(size);
        QCOMPARE(control<QLabel>(f.window, "Label3")->pos(), QPoint(16, 8));
        QVERIFY(control<QLabel>(f.window, "Label3")->width() >= 529);
    }
    QCOMPARE(control<RankingView>(f.window, "ListView1")->geometry(), QRect(0, 0, 534, 331));
}

QTEST_MAIN(MainWindowLayoutTest)
#include "main_window_layout_test.moc"
