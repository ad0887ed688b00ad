// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QAction>
#include <QItemSelectionModel>
#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "app/caption_button.h"
#include "app/check_box.h"
#include "app/ranking_view.h"
#include "app/timeout_notice.h"
#include "app/up_down.h"
#include "platform/text_codec.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/network_test_platform.h"
#include "tests/support/test_files.h"
#include "tools/demo_service.h"

namespace {

const QDateTime kNow(QDate(2026, 12, 7), QTime(12, 0, 30));
const QString kPage1 = QStringLiteral("/show_log.pl");
const QString kPage2 = QStringLiteral("/show_log.pl?page=2");

// The main window in its folder, fetching from the demo service on 127.0.0.1.
struct Rig : MainWindowFixture {
    Rig() {
        sound = installNetworkServices(platform);
        platform.clock->wall = kNow;
        QVERIFY(demo.start());
        demo.service().setNow(kNow);
    }

    // A settings file whose ServiceUrl points at the demo service, with `keys` after it.
    void writeSettings(const QByteArray& keys) {
        writeBytes(path(QStringLiteral("setting.ini")),
                   "[Setting]\r\nServiceUrl=" + demo.baseUrl().toLatin1() + "\r\n" + keys);
    }
    QStringList requests() {
        QStringList targets;
        for (const auto& request : demo.service().requests()) {
            targets << request.target;
        }
        return targets;
    }
    int dataFileRows() const { return int(readBytes(window->book().dataPath()).count("\r\n")); }
    void click(QAbstractButton* button) {
        QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
    }

    RecordingSound* sound = nullptr;
    DemoServiceThread demo;
};

}  // namespace

class MainWindowCollectionTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void buttonCollectsBothPagesIntoTheWindow_data();
    void buttonCollectsBothPagesIntoTheWindow();
    void aCloseDuringARunEndsTheProgramAfterThatPage();
    void noRunStartsWhileAFileIsBetweenRows();
    void clickDuringTheStartUpLoadRunsOnceTheTableHasLoaded();
    void scheduleStartsRunsAfterStartUpAndEveryInterval();
    void settingsAreReadAtStartAndWrittenOnlyAtExit();
    void timeOutShowsTheNoticeAndKeepsTheCountdown();
    void expiredLoginIsToldEvenWhileTheWindowIsInTheTray();
    void newVisitsAreNoticedOnlyWhileTheWindowIsInTheTray_data();
    void newVisitsAreNoticedOnlyWhileTheWindowIsInTheTray();
    void aDayOfUseWritesTheFilesItAlwaysHas();
};

void MainWindowCollectionTest::buttonCollectsBothPagesIntoTheWindow_data() {
    QTest::addColumn<int>("alarm");
    QTest::addColumn<int>("sounds");
    QTest::newRow("アラーム機能 ticked") << 1 << 2;
    QTest::newRow("アラーム機能 unticked") << 0 << 0;
}

void MainWindowCollectionTest::buttonCollectsBothPagesIntoTheWindow() {
    QFETCH(int, alarm);
    QFETCH(int, sounds);
    Rig rig;
    rig.writeSettings("Alarm=" + QByteArray::number(alarm) + "\r\n");
    rig.window->start();
    for (int minute = 0; minute < 9; ++minute) {
        rig.window->collection().schedule().minutePassed();
    }
    rig.click(control<CaptionButton>(rig.window, "Command1"));

    QCOMPARE(rig.requests(), (QStringList{kPage1, kPage2}));
    QCOMPARE(control<RankingView>(rig.window, "ListView1")->model()->rowCount(), 100);
    QCOMPARE(rig.window->panelText(2), QStringLiteral("100件みつかりました"));
    QCOMPARE(rig.dataFileRows(), 100);
    QCOMPARE(int(rig.sound->calls.size()), sounds);
    for (const auto& call : rig.sound->calls) {
        QCOMPARE(call.soundName, rig.path(QStringLiteral("alarm.wav")));
    }
    QVERIFY(control<CaptionButton>(rig.window, "Command1")->isEnabled());
    QVERIFY(!rig.window->lifecycle().collecting());
    QCOMPARE(rig.window->collection().schedule().elapsedMinutes(), 0);
    QVERIFY(rig.platform.dialogs->messages.empty());
}

void MainWindowCollectionTest::aCloseDuringARunEndsTheProgramAfterThatPage() {
    Rig rig;
    rig.writeSettings("");
    rig.window->start();
    QSignalSpy ended(rig.window.get(), &MainWindow::programEnded);
    bool closeTried = false;
    bool closed = true;
    rig.platform.clock->onProcessEvents = [&] {
        if (!closeTried && rig.window->lifecycle().collecting()) {
            closeTried = true;
            closed = rig.window->close();
        }
    };
    rig.click(control<CaptionButton>(rig.window, "Command1"));

    // The first page is collected and saved whole; the second is never asked for.
    QVERIFY(closeTried);
    QVERIFY(!closed);
    QCOMPARE(rig.requests(), QStringList{kPage1});
    QCOMPARE(ended.count(), 1);
    QVERIFY(!rig.window->isVisible());
    QCOMPARE(rig.dataFileRows(),
             control<RankingView>(rig.window, "ListView1")->model()->rowCount());
    QVERIFY(rig.dataFileRows() > 0);
}

void MainWindowCollectionTest::noRunStartsWhileAFileIsBetweenRows() {
    Rig rig;
    rig.writeSettings("WaitTime=1\r\n");
    QFile::copy(QStringLiteral(KV_TEST_DATA "/sample_zodadud_data.dat"),
                rig.path(QStringLiteral("zodadud_data.dat")));
    rig.window->start();
    QCOMPARE(rig.window->book().ranking().rowCount(), 12);

    // A save between two rows, as a memo edit makes one: the button, a falling-due minute tick
    // and the start-up tick all find it.
    bool tried = false;
    qint32 elapsedAfterTick = -1;
    rig.platform.clock->onProcessEvents = [&] {
        if (!tried && rig.window->lifecycle().filesBusy()) {
            tried = true;
            QVERIFY(control<CaptionButton>(rig.window, "Command1")->isEnabled());
            rig.click(control<CaptionButton>(rig.window, "Command1"));
            rig.window->collection().schedule().minutePassed();
            elapsedAfterTick = rig.window->collection().schedule().elapsedMinutes();
            control<QTimer>(rig.window, "Timer2")->start();
            rig.window->collection().schedule().startupDelayPassed();
        }
    };
    rig.window->book().SaveDataFile(rig.window->book().dataPath(), false);

    QVERIFY(tried);
    QCOMPARE(rig.requests(), QStringList());
    QCOMPARE(elapsedAfterTick, 0);
    QVERIFY(!control<QTimer>(rig.window, "Timer2")->isActive());
    QCOMPARE(rig.window->book().ranking().rowCount(), 12);

    // Once the file is whole, the next tick that falls due runs.
    rig.window->collection().schedule().minutePassed();
    QCOMPARE(rig.requests(), (QStringList{kPage1, kPage2}));
    QVERIFY(rig.window->book().ranking().rowCount() > 12);
}

void MainWindowCollectionTest::clickDuringTheStartUpLoadRunsOnceTheTableHasLoaded() {
    Rig rig;
    rig.writeSettings("");
    QFile::copy(QStringLiteral(KV_TEST_DATA "/sample_zodadud_data.dat"),
                rig.path(QStringLiteral("zodadud_data.dat")));
    bool clicked = false;
    rig.platform.clock->onProcessEvents = [&] {
        if (!clicked && rig.window->lifecycle().filesBusy()) {
            clicked = true;
            QVERIFY(rig.window->isVisible());
            rig.click(control<CaptionButton>(rig.window, "Command1"));
        }
    };
    rig.window->start();
    rig.platform.clock->onProcessEvents = nullptr;

    // The run would sort and rewrite a half-loaded table: it waits for the whole one.
    QVERIFY(clicked);
    QCOMPARE(rig.requests(), QStringList());
    QCOMPARE(rig.window->book().ranking().rowCount(), 12);
    QTRY_COMPARE(rig.requests(), (QStringList{kPage1, kPage2}));
    QTRY_VERIFY(rig.window->book().ranking().rowCount() > 12);
}

void MainWindowCollectionTest::scheduleStartsRunsAfterStartUpAndEveryInterval() {
    Rig rig;
    rig.writeSettings("WaitTime=3\r\nBootGet=1\r\n");
    rig.window->start();
    QCOMPARE(rig.window->collection().schedule().waitTime(), 3);
    QVERIFY(control<QTimer>(rig.window, "Timer2")->isActive());

    // The start-up run, once.
    rig.window->collection().schedule().startupDelayPassed();
    QVERIFY(!control<QTimer>(rig.window, "Timer2")->isActive());
    QCOMPARE(rig.requests(), (QStringList{kPage1, kPage2}));
    QCOMPARE(rig.window->book().ranking().rowCount(), 100);

    // The arrows rewrite the box, and the box sets the interval the schedule counts down.
    control<UpDown>(rig.window, "UpDown1")->stepDown();
    QCOMPARE(control<QLineEdit>(rig.window, "Text1")->text(), QStringLiteral("2"));
    QCOMPARE(rig.window->collection().schedule().waitTime(), 2);

    rig.window->collection().schedule().minutePassed();
    QCOMPARE(rig.window->panelText(1), QStringLiteral("次の巡回まで2分"));
    QCOMPARE(rig.window->collection().schedule().elapsedMinutes(), 1);
    QCOMPARE(rig.requests().size(), 2);
    rig.window->collection().schedule().minutePassed();
    QCOMPARE(rig.requests(), (QStringList{kPage1, kPage2, kPage1, kPage2}));
    QCOMPARE(rig.window->collection().schedule().elapsedMinutes(), 0);
    QCOMPARE(rig.window->panelText(1), QStringLiteral("Ready"));
}

void MainWindowCollectionTest::settingsAreReadAtStartAndWrittenOnlyAtExit() {
    MainWindowFixture f;
    const QString ini = f.path(QStringLiteral("setting.ini"));
    const QByteArray before =
        "; mine\r\n[Setting]\r\nServiceUrl=http://127.0.0.1:9\r\nWaitTime=45\r\nIE=1\r\n"
        "GetOpt=0\r\nAlarm=1\r\nBatsu=1\r\nBootGet=2\r\n";
    writeBytes(ini, before);
    f.window->start();

    QCOMPARE(control<QLineEdit>(f.window, "Text1")->text(), QStringLiteral("45"));
    QCOMPARE(f.window->collection().schedule().waitTime(), 45);
    QCOMPARE(control<CheckBox>(f.window, "IEOpenChk")->Value(), Tick::Ticked);
    QVERIFY(!control<QRadioButton>(f.window, "GetOpt0")->isChecked());
    QVERIFY(control<QRadioButton>(f.window, "GetOpt1")->isChecked());
    QCOMPARE(control<CheckBox>(f.window, "AlarmChk")->Value(), Tick::Ticked);
    QCOMPARE(control<CheckBox>(f.window, "BatsuChk")->Value(), Tick::Ticked);
    QCOMPARE(control<CheckBox>(f.window, "BootGetChk")->Value(), Tick::Dimmed);
    QVERIFY(!control<QTimer>(f.window, "Timer2")->isActive());  // a dimmed box is not ticked
    // The visitor pages follow the same service address.
    QCOMPARE(f.window->listCommands().serviceBaseAddress(), QStringLiteral("http://127.0.0.1:9"));

    control<QLineEdit>(f.window, "Text1")->setText(QStringLiteral("12"));
    control<CheckBox>(f.window, "AlarmChk")->setValue(Tick::Unticked);
    QSignalSpy ended(f.window.get(), &MainWindow::programEnded);
    QVERIFY(!f.window->close());  // ×で最小化: to the tray, nothing written
    QCOMPARE(ended.count(), 0);
    QCOMPARE(readBytes(ini), before);

    f.window->trayHost()->exitProgram();
    QVERIFY(f.window->ended());
    QCOMPARE(ended.count(), 1);
    QCOMPARE(readBytes(ini),
             QByteArray("; mine\r\n[Setting]\r\nServiceUrl=http://127.0.0.1:9\r\nWaitTime=12\r\n"
                        "IE=1\r\nGetOpt=0\r\nAlarm=0\r\nBatsu=1\r\nBootGet=2\r\n"));
}

void MainWindowCollectionTest::timeOutShowsTheNoticeAndKeepsTheCountdown() {
    MainWindowFixture f;
    installNetworkServices(f.platform);
    f.platform->network.timeOutHost(QStringLiteral("silent.mixi.test"));
    f.platform->network.connectTimeoutMs = 300;
    writeBytes(f.path(QStringLiteral("setting.ini")),
               "[Setting]\r\nServiceUrl=http://silent.mixi.test:8080\r\n"
               "GetOpt=0\r\n");
    f.window->start();
    for (int minute = 0; minute < 5; ++minute) {
        f.window->collection().schedule().minutePassed();
    }

    // The notice is modal and would close itself after 3 seconds; the test closes it sooner.
    QStringList notices;
    bool modal = true;
    QTimer closer;
    closer.setInterval(10);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* notice = qobject_cast<TimeoutNotice*>(window);
            if (notice && notice->isVisible()) {
                notices << control<QLabel>(notice, "Label1")->text();
                modal = modal && notice->isModal();
                notice->close();
            }
        }
    });
    closer.start();
    QTest::mouseClick(control<CaptionButton>(f.window, "Command1"), Qt::LeftButton);

    const QString notice =
        QStringLiteral("タイムアウトしました\nファイアーウォール等は通すように設定してください。");
    QCOMPARE(notices, (QStringList{notice, notice}));
    QVERIFY(modal);
    QCOMPARE(f.window->collection().schedule().elapsedMinutes(), 5);
    QCOMPARE(f.window->panelText(1), QStringLiteral("取得に失敗しました (時間切れ)"));
    QVERIFY(control<CaptionButton>(f.window, "Command1")->isEnabled());
    QVERIFY(!f.window->lifecycle().collecting());
}

void MainWindowCollectionTest::expiredLoginIsToldEvenWhileTheWindowIsInTheTray() {
    Rig rig;
    DemoOptions options;
    options.requireCookie = true;
    rig.demo.service().setOptions(options);
    rig.writeSettings("WaitTime=1\r\n");
    rig.window->start();
    rig.window->hide();

    rig.window->collection().schedule().minutePassed();
    QCOMPARE(rig.requests(), (QStringList{kPage1, kPage2}));
    QCOMPARE(rig.platform.dialogs->messages.size(), size_t(1));
    QVERIFY(rig.platform.dialogs->messages[0].prompt.startsWith(
        QStringLiteral("ログインしていないため足あとを取得できませんでした。")));
    QCOMPARE(rig.window->panelText(1), QStringLiteral("ログインが必要です"));
    QVERIFY(!QFileInfo::exists(rig.window->book().dataPath()));
    QVERIFY(control<CaptionButton>(rig.window, "Command1")->isEnabled());
    QVERIFY(!rig.window->lifecycle().collecting());
}

void MainWindowCollectionTest::newVisitsAreNoticedOnlyWhileTheWindowIsInTheTray_data() {
    QTest::addColumn<QByteArray>("notify");
    QTest::addColumn<bool>("inTray");
    QTest::addColumn<int>("notices");  // over two runs, the second of which counts nothing
    QTest::newRow("ticked, in the tray") << QByteArray("Notify=1\r\n") << true << 1;
    QTest::newRow("ticked, window shown") << QByteArray("Notify=1\r\n") << false << 0;
    QTest::newRow("not ticked") << QByteArray() << true << 0;
}

void MainWindowCollectionTest::newVisitsAreNoticedOnlyWhileTheWindowIsInTheTray() {
    QFETCH(QByteArray, notify);
    QFETCH(bool, inTray);
    QFETCH(int, notices);
    Rig rig;
    rig.writeSettings("WaitTime=1\r\n" + notify);
    rig.window->start();
    rig.window->setVisible(!inTray);

    rig.window->collection().schedule().minutePassed();
    rig.window->collection().schedule().minutePassed();
    QCOMPARE(rig.requests().size(), 4);
    const auto& messages = rig.platform.trayIcon->messages;
    QCOMPARE(int(messages.size()), notices);
    for (const QString& message : messages) {
        QVERIFY2(message.startsWith(QStringLiteral("Kestrelview:新しい足あと: ")) &&
                     message.contains(QStringLiteral(" さん ほか")),
                 qPrintable(message));
    }
}

// Two collections an hour apart, a memo edit between them, a delete by count and a CSV export,
// then the tray's exit: every file the program keeps must come out byte for byte as recorded in
// tests/data/day_of_use, so that a change that moves code around cannot change what is written.
void MainWindowCollectionTest::aDayOfUseWritesTheFilesItAlwaysHas() {
    Rig rig;
    rig.writeSettings("WaitTime=20\r\nAlarm=1\r\n");
    rig.window->start();
    rig.click(control<CaptionButton>(rig.window, "Command1"));
    QCOMPARE(rig.window->panelText(2), QStringLiteral("100件みつかりました"));

    auto* list = control<RankingView>(rig.window, "ListView1");
    list->selectionModel()->setCurrentIndex(
        list->model()->index(2, 0),
        QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    rig.platform.dialogs->inputAnswers.push_back(QStringLiteral("よく来る, 同僚"));
    control<QAction>(rig.window, "MNU_MEMO")->trigger();

    const QDateTime later = kNow.addSecs(3600);
    rig.demo.service().setNow(later);
    rig.platform.clock->wall = later;
    rig.click(control<CaptionButton>(rig.window, "Command1"));

    rig.platform.dialogs->inputAnswers.push_back(QStringLiteral("1"));
    rig.click(control<CaptionButton>(rig.window, "Command4"));
    rig.click(control<CaptionButton>(rig.window, "Command5"));
    rig.window->trayHost()->exitProgram();
    QVERIFY(rig.window->ended());

    QCOMPARE(rig.requests(), (QStringList{kPage1, kPage2, kPage1, kPage2}));
    QCOMPARE(rig.platform.dialogs->inputs.size(), size_t(2));
    QCOMPARE(rig.platform.dialogs->messages.size(), size_t(1));  // the export's confirmation
    for (const char* name :
         {"zodadud_data.dat", "zodadud_history.dat", "output.csv", "setting.ini"}) {
        const QString file = QString::fromLatin1(name);
        // The demo service listens on a port of its own each time.
        const QByteArray written =
            readBytes(rig.path(file)).replace(rig.demo.baseUrl().toLatin1(), "SERVICE");
        QCOMPARE(written, readBytes(QStringLiteral(KV_TEST_DATA "/day_of_use/") + file));
    }
}

QTEST_MAIN(MainWindowCollectionTest)
#include "main_window_collection_test.moc"
