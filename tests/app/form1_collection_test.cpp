// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QLabel>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "app/caption_button.h"
#include "app/check_box.h"
#include "app/form2.h"
#include "app/ranking_view.h"
#include "app/up_down.h"
#include "platform/text_codec.h"
#include "tests/app/form1_fixture.h"
#include "tests/support/network_test_platform.h"
#include "tests/support/test_files.h"
#include "tools/demo_service.h"

namespace {

const QDateTime kNow(QDate(2026, 12, 7), QTime(12, 0, 30));
const QString kPage1 = QStringLiteral("/show_log.pl");
const QString kPage2 = QStringLiteral("/show_log.pl?page=2");

// The main window in its folder, fetching from the demo service on 127.0.0.1.
struct Rig : Form1Fixture {
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
    int dataFileRows() const { return int(readBytes(form->DataPath).count("\r\n")); }
    void click(QAbstractButton* button) {
        QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
    }

    RecordingSound* sound = nullptr;
    DemoServiceThread demo;
};

}  // namespace

class Form1CollectionTest : public QObject {
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
};

void Form1CollectionTest::buttonCollectsBothPagesIntoTheWindow_data() {
    QTest::addColumn<int>("alarm");
    QTest::addColumn<int>("sounds");
    QTest::newRow("アラーム機能 ticked") << 1 << 2;
    QTest::newRow("アラーム機能 unticked") << 0 << 0;
}

void Form1CollectionTest::buttonCollectsBothPagesIntoTheWindow() {
    QFETCH(int, alarm);
    QFETCH(int, sounds);
    Rig rig;
    rig.writeSettings("Alarm=" + QByteArray::number(alarm) + "\r\n");
    rig.form->Form_Load();
    rig.form->ElapsedMinutes = 9;
    rig.click(rig.form->Command1);

    QCOMPARE(rig.requests(), (QStringList{kPage1, kPage2}));
    QCOMPARE(rig.form->ListView1->model()->rowCount(), 100);
    QCOMPARE(rig.form->PanelText(2), QStringLiteral("100件みつかりました"));
    QCOMPARE(rig.dataFileRows(), 100);
    QCOMPARE(int(rig.sound->calls.size()), sounds);
    for (const auto& call : rig.sound->calls) {
        QCOMPARE(call.soundName, rig.path(QStringLiteral("alarm.wav")));
    }
    QVERIFY(rig.form->Command1->isEnabled());
    QVERIFY(!rig.form->Busy);
    QCOMPARE(rig.form->ElapsedMinutes, 0);
    QVERIFY(rig.platform.dialogs->messages.empty());
}

void Form1CollectionTest::aCloseDuringARunEndsTheProgramAfterThatPage() {
    Rig rig;
    rig.writeSettings("");
    rig.form->Form_Load();
    QSignalSpy ended(rig.form.get(), &Form1::programEnded);
    bool closeTried = false;
    bool closed = true;
    rig.platform.clock->onDoEvents = [&] {
        if (!closeTried && rig.form->Busy) {
            closeTried = true;
            closed = rig.form->close();
        }
    };
    rig.click(rig.form->Command1);

    // The first page is collected and saved whole; the second is never asked for.
    QVERIFY(closeTried);
    QVERIFY(!closed);
    QCOMPARE(rig.requests(), QStringList{kPage1});
    QCOMPARE(ended.count(), 1);
    QVERIFY(!rig.form->isVisible());
    QCOMPARE(rig.dataFileRows(), rig.form->ListView1->model()->rowCount());
    QVERIFY(rig.dataFileRows() > 0);
}

void Form1CollectionTest::noRunStartsWhileAFileIsBetweenRows() {
    Rig rig;
    rig.writeSettings("WaitTime=1\r\n");
    QFile::copy(QStringLiteral(KV_TEST_DATA "/sample_zodadud_data.dat"),
                rig.path(QStringLiteral("zodadud_data.dat")));
    rig.form->Form_Load();
    QCOMPARE(rig.form->ranking().rowCount(), 12);

    // A save between two rows, as a memo edit makes one: the button, a falling-due minute tick
    // and the start-up tick all find it.
    bool tried = false;
    qint32 elapsedAfterTick = -1;
    rig.platform.clock->onDoEvents = [&] {
        if (!tried && rig.form->FilesBusy()) {
            tried = true;
            QVERIFY(rig.form->Command1->isEnabled());
            rig.click(rig.form->Command1);
            rig.form->Timer1_Timer();
            elapsedAfterTick = rig.form->ElapsedMinutes;
            rig.form->Timer2->start();
            rig.form->Timer2_Timer();
        }
    };
    rig.form->SaveDataFile(rig.form->DataPath, false);

    QVERIFY(tried);
    QCOMPARE(rig.requests(), QStringList());
    QCOMPARE(elapsedAfterTick, 0);
    QVERIFY(!rig.form->Timer2->isActive());
    QCOMPARE(rig.form->ranking().rowCount(), 12);

    // Once the file is whole, the next tick that falls due runs.
    rig.form->Timer1_Timer();
    QCOMPARE(rig.requests(), (QStringList{kPage1, kPage2}));
    QVERIFY(rig.form->ranking().rowCount() > 12);
}

void Form1CollectionTest::clickDuringTheStartUpLoadRunsOnceTheTableHasLoaded() {
    Rig rig;
    rig.writeSettings("");
    QFile::copy(QStringLiteral(KV_TEST_DATA "/sample_zodadud_data.dat"),
                rig.path(QStringLiteral("zodadud_data.dat")));
    bool clicked = false;
    rig.platform.clock->onDoEvents = [&] {
        if (!clicked && rig.form->FilesBusy()) {
            clicked = true;
            QVERIFY(rig.form->isVisible());
            rig.click(rig.form->Command1);
        }
    };
    rig.form->Form_Load();
    rig.platform.clock->onDoEvents = nullptr;

    // The run would sort and rewrite a half-loaded table: it waits for the whole one.
    QVERIFY(clicked);
    QCOMPARE(rig.requests(), QStringList());
    QCOMPARE(rig.form->ranking().rowCount(), 12);
    QTRY_COMPARE(rig.requests(), (QStringList{kPage1, kPage2}));
    QTRY_VERIFY(rig.form->ranking().rowCount() > 12);
}

void Form1CollectionTest::scheduleStartsRunsAfterStartUpAndEveryInterval() {
    Rig rig;
    rig.writeSettings("WaitTime=3\r\nBootGet=1\r\n");
    rig.form->Form_Load();
    QCOMPARE(rig.form->WaitTime, 3);
    QVERIFY(rig.form->Timer2->isActive());

    // The start-up run, once.
    rig.form->Timer2_Timer();
    QVERIFY(!rig.form->Timer2->isActive());
    QCOMPARE(rig.requests(), (QStringList{kPage1, kPage2}));
    QCOMPARE(rig.form->ranking().rowCount(), 100);

    // The arrows rewrite the box, and the box sets the interval the schedule counts down.
    rig.form->UpDown1->stepDown();
    QCOMPARE(rig.form->Text1->text(), QStringLiteral("2"));
    QCOMPARE(rig.form->WaitTime, 2);

    rig.form->Timer1_Timer();
    QCOMPARE(rig.form->PanelText(1), QStringLiteral("次の巡回まで2分"));
    QCOMPARE(rig.form->ElapsedMinutes, 1);
    QCOMPARE(rig.requests().size(), 2);
    rig.form->Timer1_Timer();
    QCOMPARE(rig.requests(), (QStringList{kPage1, kPage2, kPage1, kPage2}));
    QCOMPARE(rig.form->ElapsedMinutes, 0);
    QCOMPARE(rig.form->PanelText(1), QStringLiteral("Ready"));
}

void Form1CollectionTest::settingsAreReadAtStartAndWrittenOnlyAtExit() {
    Form1Fixture f;
    const QString ini = f.path(QStringLiteral("setting.ini"));
    const QByteArray before =
        "; mine\r\n[Setting]\r\nServiceUrl=http://127.0.0.1:9\r\nWaitTime=45\r\nIE=1\r\n"
        "GetOpt=0\r\nAlarm=1\r\nBatsu=1\r\nBootGet=2\r\n";
    writeBytes(ini, before);
    f.form->Form_Load();

    QCOMPARE(f.form->Text1->text(), QStringLiteral("45"));
    QCOMPARE(f.form->WaitTime, 45);
    QCOMPARE(f.form->IEOpenChk->Value(), 1);
    QVERIFY(!f.form->GetOpt[0]->isChecked());
    QVERIFY(f.form->GetOpt[1]->isChecked());
    QCOMPARE(f.form->AlarmChk->Value(), 1);
    QCOMPARE(f.form->BatsuChk->Value(), 1);
    QCOMPARE(f.form->BootGetChk->Value(), 2);
    QVERIFY(!f.form->Timer2->isActive());  // a dimmed box is not ticked
    // The visitor pages follow the same service address.
    QCOMPARE(f.form->serviceBaseAddress(), QStringLiteral("http://127.0.0.1:9"));

    f.form->Text1->setText(QStringLiteral("12"));
    QVERIFY(f.form->AlarmChk->setValue(0));
    QSignalSpy ended(f.form.get(), &Form1::programEnded);
    QVERIFY(!f.form->close());  // ×で最小化: to the tray, nothing written
    QCOMPARE(ended.count(), 0);
    QCOMPARE(readBytes(ini), before);

    f.form->QuitRequested = true;
    QVERIFY(f.form->close());
    QCOMPARE(ended.count(), 1);
    QCOMPARE(readBytes(ini),
             QByteArray("; mine\r\n[Setting]\r\nServiceUrl=http://127.0.0.1:9\r\nWaitTime=12\r\n"
                        "IE=1\r\nGetOpt=0\r\nAlarm=0\r\nBatsu=1\r\nBootGet=2\r\n"));
}

void Form1CollectionTest::timeOutShowsTheNoticeAndKeepsTheCountdown() {
    Form1Fixture f;
    installNetworkServices(f.platform);
    f.platform->network.timeOutHost(QStringLiteral("silent.mixi.test"));
    f.platform->network.connectTimeoutMs = 300;
    writeBytes(f.path(QStringLiteral("setting.ini")),
               "[Setting]\r\nServiceUrl=http://silent.mixi.test:8080\r\n"
               "GetOpt=0\r\n");
    f.form->Form_Load();
    f.form->ElapsedMinutes = 5;

    // The notice is modal and would close itself after 3 seconds; the test closes it sooner.
    QStringList notices;
    bool modal = true;
    QTimer closer;
    closer.setInterval(10);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            auto* notice = qobject_cast<Form2*>(window);
            if (notice && notice->isVisible()) {
                notices << notice->Label1->text();
                modal = modal && notice->isModal();
                notice->close();
            }
        }
    });
    closer.start();
    QTest::mouseClick(f.form->Command1, Qt::LeftButton);

    const QString notice =
        QStringLiteral("タイムアウトしました\nファイアーウォール等は通すように設定してください。");
    QCOMPARE(notices, (QStringList{notice, notice}));
    QVERIFY(modal);
    QCOMPARE(f.form->ElapsedMinutes, 5);
    QCOMPARE(f.form->PanelText(1), QStringLiteral("取得に失敗しました (時間切れ)"));
    QVERIFY(f.form->Command1->isEnabled());
    QVERIFY(!f.form->Busy);
}

void Form1CollectionTest::expiredLoginIsToldEvenWhileTheWindowIsInTheTray() {
    Rig rig;
    DemoOptions options;
    options.requireCookie = true;
    rig.demo.service().setOptions(options);
    rig.writeSettings("WaitTime=1\r\n");
    rig.form->Form_Load();
    rig.form->hide();

    rig.form->Timer1_Timer();
    QCOMPARE(rig.requests(), (QStringList{kPage1, kPage2}));
    QCOMPARE(rig.platform.dialogs->messages.size(), size_t(1));
    QVERIFY(rig.platform.dialogs->messages[0].prompt.startsWith(
        QStringLiteral("ログインしていないため足あとを取得できませんでした。")));
    QCOMPARE(rig.form->PanelText(1), QStringLiteral("ログインが必要です"));
    QVERIFY(!QFileInfo::exists(rig.form->DataPath));
    QVERIFY(rig.form->Command1->isEnabled());
    QVERIFY(!rig.form->Busy);
}

QTEST_MAIN(Form1CollectionTest)
#include "form1_collection_test.moc"
