// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QtTest>
#include <map>

#include "app/schedule.h"
#include "app/settings.h"
#include "platform/paths.h"
#include "tests/support/test_files.h"
#include "tests/support/test_platform.h"

namespace {

// The main window's controls and timers as the schedule and the settings see them. A run takes
// the button away while its pages are collected and restarts the countdown at their end.
class Window final : public ScheduleHost, public SettingsControls {
  public:
    explicit Window(Platform& platform) : schedule(platform, *this) {}

    void showStatus(int panel, const QString& text) override {
        if (panel == 1) {
            panel1.push_back(text);
        }
    }
    bool runMayStart() const override { return enabled; }
    void startRun() override {
        ++runs;
        if (runFinishes) {
            schedule.restartCountdown();
        }
    }
    void setStartupTimerActive(bool on) override { timer2 = on; }
    void message(const QString& prompt, MessageIcon, const QString& title) override {
        messages.push_back(title + u':' + prompt);
    }

    QString intervalText() const override { return text; }
    void setIntervalText(const QString& value) override {
        if (value != text) {
            text = value;
            schedule.setIntervalText(text);
        }
    }
    Tick checkState(SettingsCheckBox box) const override { return Tick(checks.at(box)); }
    void setCheckState(SettingsCheckBox box, Tick state) override { checks[box] = int(state); }
    bool retrievalMethodSelected(RetrievalMethod method) const override {
        return getOpt[method == RetrievalMethod::Download ? 0 : 1];
    }
    void setRetrievalMethodSelected(RetrievalMethod method, bool selected) override {
        const int index = method == RetrievalMethod::Download ? 0 : 1;
        getOpt[index] = selected;
        if (selected) {
            getOpt[1 - index] = false;  // an option pair
        }
    }

    bool newVisitNotices() const override { return notify; }
    void setNewVisitNotices(bool on) override { notify = on; }

    Schedule schedule;
    QString text = QStringLiteral("30");
    // As setting.ini keeps them: 0 unticked, 1 ticked, 2 dimmed; "方法1" and "方法2".
    std::map<SettingsCheckBox, int> checks{{SettingsCheckBox::OpenInIe, 0},
                                           {SettingsCheckBox::Alarm, 0},
                                           {SettingsCheckBox::MinimiseOnClose, 0},
                                           {SettingsCheckBox::CollectAtStart, 0}};
    bool getOpt[2] = {true, false};
    bool notify = false;
    bool enabled = true;
    bool runFinishes = true;
    bool timer2 = true;
    int runs = 0;
    std::vector<QString> panel1;
    std::vector<QString> messages;
};

const QString kFailed = QStringLiteral("Kestrelview:設定に失敗しました。");

}  // namespace

class ScheduleSettingsTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init();
    void cleanup();
    void intervalTextBecomesWaitTime_data();
    void intervalTextBecomesWaitTime();
    void typingLettersWarnsAtEveryKeystroke();
    void countdownStartsARunWhenTheIntervalHasPassed_data();
    void countdownStartsARunWhenTheIntervalHasPassed();
    void finishedPageRestartsTheCountdown();
    void noRunStartsWhileOneIsUnderWay();
    void startUpRunHappensOnce_data();
    void startUpRunHappensOnce();
    void firstStartWritesEveryKeyInOrder();
    void settingsReadIntoTheControls_data();
    void settingsReadIntoTheControls();
    void settingsRoundTripKeepsTheTypedText();
    void keyThatCannotBeWrittenIsSkipped();
    void serviceUrlIsReadButNeverWritten();
    void noticeTickIsKeptOnceUsed_data();
    void noticeTickIsKeptOnceUsed();

  private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TestPlatform> m_platform;
    std::unique_ptr<Window> m_window;
    QString m_ini;
};

void ScheduleSettingsTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_platform = std::make_unique<TestPlatform>(m_dir->path());
    m_window = std::make_unique<Window>(**m_platform);
    m_ini = AppFilePath(m_dir->path(), QStringLiteral("\\setting.ini"));
}

void ScheduleSettingsTest::cleanup() {
    m_window.reset();
    m_platform.reset();
    m_dir.reset();
}

void ScheduleSettingsTest::intervalTextBecomesWaitTime_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("waitTime");  // -99: refused, WaitTime stays
    QTest::newRow("number") << QStringLiteral("45") << 45;
    QTest::newRow("blanks and sign") << QStringLiteral(" +12 ") << 12;
    QTest::newRow("negative") << QStringLiteral("-7") << -7;
    QTest::newRow("zero") << QStringLiteral("0") << 0;
    QTest::newRow("above the arrows' bound") << QStringLiteral("5000") << 5000;
    QTest::newRow("half to even, down") << QStringLiteral("2.5") << 2;
    QTest::newRow("half to even, up") << QStringLiteral("3.5") << 4;
    QTest::newRow("fraction") << QStringLiteral("7.6") << 8;
    QTest::newRow("16-bit top") << QStringLiteral("32767") << 32767;
    QTest::newRow("16-bit bottom") << QStringLiteral("-32768") << -32768;
    QTest::newRow("past 16 bits") << QStringLiteral("32768") << -99;
    QTest::newRow("rounds past 16 bits") << QStringLiteral("32767.5") << -99;
    QTest::newRow("empty") << QString() << -99;
    QTest::newRow("letters") << QStringLiteral("abc") << -99;
    QTest::newRow("exponent") << QStringLiteral("1e2") << -99;
    QTest::newRow("full-width digits") << QStringLiteral("１２") << -99;
}

void ScheduleSettingsTest::intervalTextBecomesWaitTime() {
    QFETCH(QString, text);
    QFETCH(int, waitTime);
    for (int minute = 0; minute < 5; ++minute) {
        m_window->schedule.minutePassed();
    }
    m_window->schedule.setIntervalText(text);
    QCOMPARE(m_window->schedule.waitTime(), waitTime == -99 ? 30 : waitTime);
    QCOMPARE(m_window->messages.size(), size_t(waitTime == -99 ? 1 : 0));
    QCOMPARE(m_window->schedule.elapsedMinutes(), 5);  // the countdown goes on
}

void ScheduleSettingsTest::typingLettersWarnsAtEveryKeystroke() {
    m_window->setIntervalText(QString());
    m_window->setIntervalText(QStringLiteral("a"));
    m_window->setIntervalText(QStringLiteral("ab"));
    m_window->setIntervalText(QStringLiteral("abc"));
    QCOMPARE(m_window->messages, std::vector<QString>(4, kFailed));
    QCOMPARE(m_window->schedule.waitTime(), 30);
    QCOMPARE(m_window->intervalText(), QStringLiteral("abc"));
}

void ScheduleSettingsTest::countdownStartsARunWhenTheIntervalHasPassed_data() {
    QTest::addColumn<QString>("interval");
    QTest::addColumn<QStringList>("panels");  // the countdown of the first ticks
    QTest::addColumn<QList<int>>("runsAfterTick");
    QTest::newRow("3 minutes") << QStringLiteral("3")
                               << QStringList{QStringLiteral("次の巡回まで3分"),
                                              QStringLiteral("次の巡回まで2分"),
                                              QStringLiteral("次の巡回まで1分"),
                                              QStringLiteral("次の巡回まで3分")}
                               << QList<int>{0, 0, 1, 1};
    QTest::newRow("1 minute") << QStringLiteral("1")
                              << QStringList{QStringLiteral("次の巡回まで1分"),
                                             QStringLiteral("次の巡回まで1分")}
                              << QList<int>{1, 2};
    QTest::newRow("0 minutes") << QStringLiteral("0")
                               << QStringList{QStringLiteral("次の巡回まで0分"),
                                              QStringLiteral("次の巡回まで0分")}
                               << QList<int>{1, 2};
    QTest::newRow("negative") << QStringLiteral("-2")
                              << QStringList{QStringLiteral("次の巡回まで-2分"),
                                             QStringLiteral("次の巡回まで-2分")}
                              << QList<int>{1, 2};
}

void ScheduleSettingsTest::countdownStartsARunWhenTheIntervalHasPassed() {
    QFETCH(QString, interval);
    QFETCH(QStringList, panels);
    QFETCH(QList<int>, runsAfterTick);
    m_window->runFinishes = false;
    m_window->setIntervalText(interval);
    for (qsizetype tick = 0; tick < panels.size(); ++tick) {
        m_platform->clock->advance(Schedule::kMinuteTimerIntervalMs);
        m_window->schedule.minutePassed();
        QCOMPARE(m_window->panel1.back(), panels[tick]);
        QCOMPARE(m_window->runs, runsAfterTick[tick]);
    }
}

void ScheduleSettingsTest::finishedPageRestartsTheCountdown() {
    // Default interval: the first countdown reads 30, a run starts at the 30th tick.
    for (int tick = 1; tick <= 29; ++tick) {
        m_window->schedule.minutePassed();
    }
    QCOMPARE(m_window->panel1.front(), QStringLiteral("次の巡回まで30分"));
    QCOMPARE(m_window->runs, 0);
    // A run by hand that collects a page restarts the count.
    m_window->startRun();
    for (int tick = 1; tick <= 29; ++tick) {
        m_window->schedule.minutePassed();
    }
    QCOMPARE(m_window->runs, 1);
    m_window->schedule.minutePassed();
    QCOMPARE(m_window->runs, 2);
    QCOMPARE(m_window->panel1.back(), QStringLiteral("次の巡回まで1分"));
    QVERIFY(m_platform->clock->doEventsCalls >= 1);
}

void ScheduleSettingsTest::noRunStartsWhileOneIsUnderWay() {
    m_window->setIntervalText(QStringLiteral("2"));
    m_window->enabled = false;
    m_window->schedule.minutePassed();
    m_window->schedule.minutePassed();
    QCOMPARE(m_window->runs, 0);
    QCOMPARE(m_window->schedule.elapsedMinutes(), 0);  // the count starts over all the same
    m_window->enabled = true;
    m_window->schedule.minutePassed();
    m_window->schedule.minutePassed();
    QCOMPARE(m_window->runs, 1);
}

void ScheduleSettingsTest::startUpRunHappensOnce_data() {
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("runs");
    QTest::newRow("idle") << true << 1;
    QTest::newRow("a run by hand under way") << false << 0;
}

void ScheduleSettingsTest::startUpRunHappensOnce() {
    QFETCH(bool, enabled);
    QFETCH(int, runs);
    m_window->enabled = enabled;
    m_window->schedule.startupDelayPassed();
    QCOMPARE(m_window->runs, runs);
    QVERIFY(!m_window->timer2);
}

void ScheduleSettingsTest::firstStartWritesEveryKeyInOrder() {
    LoadSettings(**m_platform, *m_window);
    QCOMPARE(m_window->intervalText(), QStringLiteral("30"));
    QVERIFY(m_window->getOpt[0] && !m_window->getOpt[1]);
    QVERIFY(m_window->messages.empty());
    SaveSettings(**m_platform, *m_window);
    QCOMPARE(readBytes(m_ini),
             QByteArray("[Setting]\r\nWaitTime=30\r\nIE=0\r\nGetOpt=-1\r\nAlarm=0\r\nBatsu=0\r\n"
                        "BootGet=0\r\n"));
}

void ScheduleSettingsTest::settingsReadIntoTheControls_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("waitTime");
    QTest::addColumn<bool>("method1");
    QTest::addColumn<QList<int>>("checks");  // IE, Alarm, Batsu, BootGet
    QTest::addColumn<int>("messages");
    QTest::newRow("all set")
        << QByteArray(
               "[Setting]\r\nWaitTime=15\r\nIE=1\r\nGetOpt=0\r\nAlarm=1\r\nBatsu=1\r\n"
               "BootGet=1\r\n")
        << QStringLiteral("15") << 15 << false << QList<int>{1, 1, 1, 1} << 0;
    QTest::newRow("letters read as 0")
        << QByteArray("[Setting]\r\nWaitTime=abc\r\n") << QStringLiteral("0") << 0 << true
        << QList<int>{0, 0, 0, 0} << 0;
    QTest::newRow("past 16 bits warns and keeps 30")
        << QByteArray("[Setting]\r\nWaitTime=99999\r\n") << QStringLiteral("99999") << 30 << true
        << QList<int>{0, 0, 0, 0} << 1;
    QTest::newRow("empty value is the default")
        << QByteArray("[Setting]\r\nWaitTime=\r\nGetOpt=\r\n") << QStringLiteral("30") << 30 << true
        << QList<int>{0, 0, 0, 0} << 0;
    QTest::newRow("any non-zero GetOpt is method 1")
        << QByteArray("[Setting]\r\nGetOpt=5\r\n") << QStringLiteral("30") << 30 << true
        << QList<int>{0, 0, 0, 0} << 0;
    QTest::newRow("dimmed and unknown states")
        << QByteArray("[Setting]\r\nIE=2\r\nAlarm=-1\r\nBatsu=3\r\nBootGet=2\r\n")
        << QStringLiteral("30") << 30 << true << QList<int>{2, 0, 0, 2} << 0;
    QTest::newRow("mixed case, duplicates, comments, LF")
        << QByteArray("; mine\n[setting]\nwaittime=12\nWAITTIME=99\n;GetOpt=0\nalarm=1\n")
        << QStringLiteral("12") << 12 << true << QList<int>{0, 1, 0, 0} << 0;
    QTest::newRow("negative interval")
        << QByteArray("[Setting]\r\nWaitTime=-1\r\n") << QStringLiteral("-1") << -1 << true
        << QList<int>{0, 0, 0, 0} << 0;
}

void ScheduleSettingsTest::settingsReadIntoTheControls() {
    QFETCH(QByteArray, file);
    QFETCH(QString, text);
    QFETCH(int, waitTime);
    QFETCH(bool, method1);
    QFETCH(QList<int>, checks);
    QFETCH(int, messages);
    writeBytes(m_ini, file);
    LoadSettings(**m_platform, *m_window);
    QCOMPARE(m_window->intervalText(), text);
    QCOMPARE(m_window->schedule.waitTime(), waitTime);
    QCOMPARE(m_window->getOpt[0], method1);
    QCOMPARE(m_window->getOpt[1], !method1);
    const QList<int> states = {m_window->checks[SettingsCheckBox::OpenInIe],
                               m_window->checks[SettingsCheckBox::Alarm],
                               m_window->checks[SettingsCheckBox::MinimiseOnClose],
                               m_window->checks[SettingsCheckBox::CollectAtStart]};
    QCOMPARE(states, checks);
    QCOMPARE(int(m_window->messages.size()), messages);
    QCOMPARE(readBytes(m_ini), file);  // reading never writes
}

void ScheduleSettingsTest::settingsRoundTripKeepsTheTypedText() {
    writeBytes(m_ini, "; my notes\r\n[Setting]\r\nWaitTime=15\r\nExtra=keep\r\n[Other]\r\nA=1\r\n");
    LoadSettings(**m_platform, *m_window);
    m_window->setIntervalText(QStringLiteral("abc"));
    m_window->setRetrievalMethodSelected(RetrievalMethod::Browser, true);
    m_window->checks[SettingsCheckBox::Alarm] = 1;
    SaveSettings(**m_platform, *m_window);
    QCOMPARE(readBytes(m_ini),
             QByteArray("; my notes\r\n[Setting]\r\nWaitTime=abc\r\nExtra=keep\r\nIE=0\r\n"
                        "GetOpt=0\r\nAlarm=1\r\nBatsu=0\r\nBootGet=0\r\n[Other]\r\nA=1\r\n"));

    // The next start reads the letters as 0: a run at every minute.
    Window next(**m_platform);
    LoadSettings(**m_platform, next);
    QCOMPARE(next.intervalText(), QStringLiteral("0"));
    QCOMPARE(next.schedule.waitTime(), 0);
    QVERIFY(!next.getOpt[0] && next.getOpt[1]);
    QCOMPARE(next.checks[SettingsCheckBox::Alarm], 1);
}

void ScheduleSettingsTest::keyThatCannotBeWrittenIsSkipped() {
    int commits = 0;
    m_platform->files->failCommit = [&](const QString&) { return commits++ == 1; };  // "IE"
    m_window->checks[SettingsCheckBox::OpenInIe] = 1;
    SaveSettings(**m_platform, *m_window);
    QCOMPARE(readBytes(m_ini),
             QByteArray("[Setting]\r\nWaitTime=30\r\nGetOpt=-1\r\nAlarm=0\r\nBatsu=0\r\n"
                        "BootGet=0\r\n"));
}

void ScheduleSettingsTest::serviceUrlIsReadButNeverWritten() {
    QCOMPARE(ReadServiceUrl(**m_platform), QString());
    writeBytes(m_ini, "[Setting]\r\nServiceUrl=http://127.0.0.1:8080\r\n");
    QCOMPARE(ReadServiceUrl(**m_platform), QStringLiteral("http://127.0.0.1:8080"));
    SaveSettings(**m_platform, *m_window);
    QVERIFY(readBytes(m_ini).startsWith("[Setting]\r\nServiceUrl=http://127.0.0.1:8080\r\n"));
}

void ScheduleSettingsTest::noticeTickIsKeptOnceUsed_data() {
    QTest::addColumn<QByteArray>("notifyLine");  // in the file before the start
    QTest::addColumn<bool>("ticked");            // as read
    QTest::addColumn<bool>("tickTo");            // as the user leaves it
    QTest::addColumn<QByteArray>("written");     // the line after the exit
    QTest::newRow("never used") << QByteArray() << false << false << QByteArray();
    QTest::newRow("ticked now") << QByteArray() << false << true << QByteArray("Notify=1\r\n");
    QTest::newRow("on") << QByteArray("Notify=1\r\n") << true << true << QByteArray("Notify=1\r\n");
    QTest::newRow("turned off") << QByteArray("Notify=1\r\n") << true << false
                                << QByteArray("Notify=0\r\n");
    QTest::newRow("only 1 is on") << QByteArray("Notify=2\r\n") << false << false
                                  << QByteArray("Notify=0\r\n");
}

void ScheduleSettingsTest::noticeTickIsKeptOnceUsed() {
    QFETCH(QByteArray, notifyLine);
    QFETCH(bool, ticked);
    QFETCH(bool, tickTo);
    QFETCH(QByteArray, written);
    const QByteArray others =
        "WaitTime=30\r\nIE=0\r\nGetOpt=-1\r\nAlarm=0\r\nBatsu=0\r\nBootGet=0\r\n";
    writeBytes(m_ini, "[Setting]\r\n" + notifyLine);
    LoadSettings(**m_platform, *m_window);
    QCOMPARE(m_window->notify, ticked);
    m_window->notify = tickTo;
    SaveSettings(**m_platform, *m_window);
    QCOMPARE(readBytes(m_ini),
             "[Setting]\r\n" + (notifyLine.isEmpty() ? others + written : written + others));
}

QTEST_GUILESS_MAIN(ScheduleSettingsTest)
#include "schedule_settings_test.moc"
