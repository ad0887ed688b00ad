// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QtTest>
#include <map>

#include "collect/collector.h"
#include "platform/paths.h"
#include "platform/text_codec.h"
#include "tests/collect/collection_host_fake.h"
#include "tests/support/network_test_platform.h"
#include "tests/support/test_files.h"
#include "tools/demo_service.h"

namespace {

const QDateTime kNow(QDate(2026, 12, 7), QTime(12, 0, 30));
const QString kTrapHeadline = QStringLiteral("取得中にエラーが発生しました");
const QString kFirewall = QStringLiteral("ファイアーウォール等は通すように設定してください。");

// The visit-time text the program stores for a demo visit seen at kNow.
QString storedTime(const QDateTime& visit) {
    return QString::number(visit.date().year()) +
           visit.toString(QStringLiteral("年MM月dd日 hh:mm"));
}

// One collection setting: a folder for the executable, the platform, the demo service, the host
// and the run.
struct Rig {
    // The service's address names `host` and the port of the rig's demo service.
    explicit Rig(int method, const QString& host = QStringLiteral("127.0.0.1")) {
        QVERIFY(dir.isValid());
        sound = installNetworkServices(platform);
        platform.clock->wall = kNow;
        QVERIFY(demo.start());
        demo.service().setNow(kNow);
        this->host = std::make_unique<TestCollectionHost>(*platform);
        this->host->getOpt = method;
        collector = std::make_unique<Collector>(
            *platform, *this->host, *this->host,
            FootprintPages::fromServiceUrl(QStringLiteral("http://") + host + u':' +
                                           QString::number(demo.port())));
        // The fake clock races through the browser's waits; while a page is really on its way
        // over the loopback, let real time pass too.
        platform.clock->onProcessEvents = [this] {
            if (realTimeWhileLoading && this->host->webBrowser.pendingNavigations() > 0) {
                QThread::msleep(1);
            }
        };
    }

    QString file(const char* name) const {
        return AppFilePath(dir.path(), QString::fromLatin1(name));
    }
    void writeCookies(const QString& domain, bool subdomains) {
        writeBytes(file("\\cookies.txt"),
                   QStringLiteral("# Netscape HTTP Cookie File\n%1\t%2\t/\tFALSE\t0\t%3\t%4\n")
                       .arg(domain, subdomains ? QStringLiteral("TRUE") : QStringLiteral("FALSE"),
                            QString::fromLatin1(DemoService::kCookieName),
                            QString::fromLatin1(DemoService::kCookieValue))
                       .toUtf8());
    }
    std::map<qint32, const VisitorRecord*> byId() const {
        std::map<qint32, const VisitorRecord*> rows;
        for (qsizetype i = 0; i < host->table.slotCount() && host->table[i].Id != 0; ++i) {
            rows[host->table[i].Id] = &host->table[i];
        }
        return rows;
    }
    // The events of the program's log, without their times.
    QStringList logEvents() const {
        QStringList events;
        const QString text = QString::fromUtf8(readBytes(file("\\kestrelview.log")));
        for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts)) {
            events << line.section(u'\t', 1);
        }
        return events;
    }
    // Rows of the data file, CP932 with CR LF.
    QStringList dataFileLines() const {
        QString text = DecodeCp932(readBytes(host->DataPath));
        if (text.endsWith(QStringLiteral("\r\n"))) {
            text.chop(2);
        }
        return text.isEmpty() ? QStringList() : text.split(QStringLiteral("\r\n"));
    }

    QTemporaryDir dir;
    TestPlatform platform{dir.path()};
    RecordingSound* sound = nullptr;
    DemoServiceThread demo;
    std::unique_ptr<TestCollectionHost> host;
    std::unique_ptr<Collector> collector;
    bool realTimeWhileLoading = true;
};

}  // namespace

class CollectionRunTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void bothPagesAreCollected_data();
    void bothPagesAreCollected();
    void laterRunsCountOnlyNewVisits();
    void historyThatCannotBeWrittenIsToldOnceAndTheTallyGoesOn();
    void loginCookieIsRequiredAndSent_data();
    void loginCookieIsRequiredAndSent();
    void expiredLoginCountsNothingAndSaysSoOncePerEpisode_data();
    void expiredLoginCountsNothingAndSaysSoOncePerEpisode();
    void failedPagesCountNothingAndSayWhatFailed_data();
    void failedPagesCountNothingAndSayWhatFailed();
    void pageFileThatCannotBeCreatedIsNamedWithItsFolder_data();
    void pageFileThatCannotBeCreatedIsNamedWithItsFolder();
    void windowKeepsHandlingEventsDuringADownload_data();
    void windowKeepsHandlingEventsDuringADownload();
    void errorTrapLeavesTheDataFileUntouched();
    void browserTimeOutShowsTheNoticeAndKeepsTheCountdown();
    void completionDuringTheTenthWaitIsStillAccepted_data();
    void completionDuringTheTenthWaitIsStillAccepted();
    void dnsPageShowsTheNotice_data();
    void dnsPageShowsTheNotice();
    void whichPagesAreNotLoggedIn_data();
    void whichPagesAreNotLoggedIn();
    void visitsSeenAgainAfterAnErrorTrapCountOnce_data();
    void visitsSeenAgainAfterAnErrorTrapCountOnce();
    void entryWithoutMemberIdIsPassedOver_data();
    void entryWithoutMemberIdIsPassedOver();
    void pageIsLoggedBeforeItsMessage_data();
    void pageIsLoggedBeforeItsMessage();
    void pagesWithoutEntriesStillCount_data();
    void pagesWithoutEntriesStillCount();
    void alarmSoundsOncePerCollectedPage_data();
    void alarmSoundsOncePerCollectedPage();
    void buttonAndBusyGuardTheWholePage();
};

void CollectionRunTest::bothPagesAreCollected_data() {
    QTest::addColumn<int>("method");
    QTest::addColumn<QString>("serviceUrl");  // %1: the demo service's port
    QTest::newRow("method 1, download") << 0 << QStringLiteral("http://127.0.0.1:%1");
    QTest::newRow("method 2, browser") << 1 << QStringLiteral("http://127.0.0.1:%1");
    QTest::newRow("ServiceUrl with a login, a path and a query")
        << 0 << QStringLiteral("HTTP://user:pw@Footprints.Mixi.Test:%1/x/y?z=1#f");
}

void CollectionRunTest::bothPagesAreCollected() {
    QFETCH(int, method);
    QFETCH(QString, serviceUrl);
    Rig rig(method);
    rig.platform->network.routeHost(QStringLiteral("footprints.mixi.test"),
                                    QStringLiteral("127.0.0.1"));
    rig.collector = std::make_unique<Collector>(
        *rig.platform, *rig.host, *rig.host,
        FootprintPages::fromServiceUrl(serviceUrl.arg(rig.demo.port())));
    rig.collector->collectFootprints();

    const auto visits = DemoService::latestVisits(kNow);
    const auto rows = rig.byId();
    QCOMPARE(rows.size(), size_t(100));
    for (size_t i = 0; i < 100; ++i) {
        const auto found = rows.find(visits[i].first->id);
        QVERIFY2(found != rows.end(), qPrintable(visits[i].first->name));
        QCOMPARE(found->second->Name, visits[i].first->name);
        QCOMPARE(found->second->AccessCount, 1);
        QCOMPARE(found->second->LastAccess, storedTime(visits[i].second));
    }
    QCOMPARE(rig.host->rankingModel.rowCount(), 100);
    QCOMPARE(rig.host->panel2, RankingCountText(100));
    QCOMPARE(rig.dataFileLines().size(), 100);
    // A name with a character reference is stored as the page writes it.
    const DemoVisitor& ampersand = DemoService::cast()[17];
    QVERIFY(rows.count(ampersand.id) == 1);
    QVERIFY(rig.dataFileLines().contains(QStringLiteral("ゆう&amp;まい\t") +
                                         QString::number(ampersand.id) + QStringLiteral("\t1\t") +
                                         rows.at(ampersand.id)->LastAccess + u'\t'));
    QCOMPARE(rig.host->saves, 2);
    QVERIFY(rig.host->command1Enabled);
    QVERIFY(!rig.host->Busy);
    QCOMPARE(rig.host->ElapsedMinutes, 0);
    QVERIFY(rig.platform.dialogs->messages.empty());
    QVERIFY(!QFileInfo::exists(rig.file("\\buf.tmp")));
    const QStringList page = {QStringLiteral("取得中です..."), QStringLiteral("取得に成功"),
                              QStringLiteral("保存中です..."), QStringLiteral("Ready")};
    QCOMPARE(QStringList(rig.host->panel1.begin(), rig.host->panel1.end()), page + page);
    const auto requests = rig.demo.service().requests();
    QCOMPARE(requests.size(), size_t(2));
    QCOMPARE(requests[0].target, QStringLiteral("/show_log.pl"));
    QCOMPARE(requests[1].target, QStringLiteral("/show_log.pl?page=2"));
    const QString m = QString::number(method + 1);
    QCOMPARE(
        rig.logEvents(),
        (QStringList{
            QStringLiteral("page /show_log.pl method %1 HTTP 200 entries 50 counted 50 collected")
                .arg(m),
            QStringLiteral(
                "page /show_log.pl?page=2 method %1 HTTP 200 entries 50 counted 50 collected")
                .arg(m)}));
}

void CollectionRunTest::laterRunsCountOnlyNewVisits() {
    Rig rig(0);
    rig.collector->collectFootprints();
    const QDateTime later = kNow.addSecs(90 * 60);
    rig.demo.service().setNow(later);
    rig.platform.clock->wall = later;
    rig.collector->collectFootprints();

    // A member counts once for every distinct latest visit the pages showed.
    std::map<qint32, int> expected;
    std::map<qint32, QDateTime> first;
    const auto before = DemoService::latestVisits(kNow);
    const auto after = DemoService::latestVisits(later);
    for (size_t i = 0; i < 100; ++i) {
        expected[before[i].first->id] += 1;
        first[before[i].first->id] = before[i].second;
    }
    int newVisits = 0;
    for (size_t i = 0; i < 100; ++i) {
        const auto seen = first.find(after[i].first->id);
        if (seen == first.end() || seen->second < after[i].second) {
            expected[after[i].first->id] += 1;
            ++newVisits;
        }
    }
    QVERIFY(newVisits > 0);
    const auto rows = rig.byId();
    QCOMPARE(rows.size(), expected.size());
    for (const auto& [id, count] : expected) {
        QCOMPARE(rows.at(id)->AccessCount, count);
    }
    // The table is sorted by descending count.
    for (qsizetype i = 1; i < qsizetype(rows.size()); ++i) {
        QVERIFY(rig.host->table[i - 1].AccessCount >= rig.host->table[i].AccessCount);
    }
    // The history holds exactly the visits counted, each with the time the table stored.
    const QStringList history = DecodeCp932(readBytes(rig.file("\\zodadud_history.dat")))
                                    .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    std::map<qint32, int> recorded;
    for (const QString& line : history) {
        const QStringList fields = line.split(u'\t');
        QCOMPARE(fields.size(), 3);
        const qint32 id = fields[0].toInt();
        recorded[id] += 1;
        QCOMPARE(fields[1], rows.at(id)->Name);
    }
    QCOMPARE(recorded, expected);
    QCOMPARE(history.last().section(u'\t', 2),
             rows.at(history.last().section(u'\t', 0, 0).toInt())->LastAccess);
}

void CollectionRunTest::historyThatCannotBeWrittenIsToldOnceAndTheTallyGoesOn() {
    Rig rig(0);
    QVERIFY(QDir().mkpath(rig.file("\\zodadud_history.dat")));
    rig.collector->collectFootprints();
    rig.demo.service().setNow(kNow.addSecs(90 * 60));
    rig.platform.clock->wall = kNow.addSecs(90 * 60);
    rig.collector->collectFootprints();

    const auto& messages = rig.platform.dialogs->messages;
    QCOMPARE(messages.size(), size_t(1));
    QCOMPARE(messages.front().title, QStringLiteral("Kestrelview"));
    QCOMPARE(messages.front().icon, MessageIcon::Exclamation);
    QCOMPARE(rig.host->saves, 4);
    QCOMPARE(rig.dataFileLines().size(), qsizetype(rig.byId().size()));
}

void CollectionRunTest::loginCookieIsRequiredAndSent_data() {
    QTest::addColumn<int>("method");
    QTest::newRow("method 1") << 0;
    QTest::newRow("method 2") << 1;
}

void CollectionRunTest::loginCookieIsRequiredAndSent() {
    QFETCH(int, method);
    // The pages are asked for by a name; the cookies belong to that name's domain.
    Rig rig(method, QStringLiteral("footprints.mixi.test"));
    rig.platform->network.routeHost(QStringLiteral("footprints.mixi.test"),
                                    QStringLiteral("127.0.0.1"));
    DemoService& service = rig.demo.service();
    DemoOptions options;
    options.requireCookie = true;
    service.setOptions(options);

    rig.collector->collectFootprints();
    QCOMPARE(rig.host->rankingModel.rowCount(), 0);
    QCOMPARE(rig.host->saves, 0);  // the login page is no footprint page

    rig.writeCookies(QStringLiteral(".mixi.test"), true);
    rig.collector->collectFootprints();
    QCOMPARE(rig.host->rankingModel.rowCount(), 100);
    const auto requests = service.requests();
    QCOMPARE(requests.size(), size_t(4));
    QCOMPARE(requests[0].cookie, QByteArray());
    const QByteArray login = QByteArray(DemoService::kCookieName) + '=' + DemoService::kCookieValue;
    QCOMPARE(requests[2].cookie, login);
    QCOMPARE(requests[3].cookie, login);
}

void CollectionRunTest::expiredLoginCountsNothingAndSaysSoOncePerEpisode_data() {
    QTest::addColumn<int>("method");
    QTest::addColumn<bool>("redirect");
    QTest::newRow("method 1, sent to the login page") << 0 << true;
    QTest::newRow("method 2, sent to the login page") << 1 << true;
    QTest::newRow("method 1, login form in place") << 0 << false;
    QTest::newRow("method 2, login form in place") << 1 << false;
}

void CollectionRunTest::expiredLoginCountsNothingAndSaysSoOncePerEpisode() {
    QFETCH(int, method);
    QFETCH(bool, redirect);
    Rig rig(method);
    rig.host->alarmChk = 1;
    DemoOptions options;
    options.requireCookie = true;
    options.loginRedirect = redirect;
    rig.demo.service().setOptions(options);
    const auto& messages = rig.platform.dialogs->messages;

    // Two runs without the login: one message for both.
    rig.collector->collectFootprints();
    rig.collector->collectFootprints();
    QCOMPARE(messages.size(), size_t(1));
    // It says where a login can come from: the browsers read, and cookies.txt.
    QVERIFY(messages[0].prompt.startsWith(
        QStringLiteral("ログインしていないため足あとを取得できませんでした。")));
    for (const char* source : {"Firefox", "Chromium", "Google Chrome", "cookies.txt"}) {
        QVERIFY2(messages[0].prompt.contains(QLatin1String(source)), source);
    }
    QCOMPARE(messages[0].title, QStringLiteral("Kestrelview"));
    QCOMPARE(rig.host->panel1.back(), QStringLiteral("ログインが必要です"));
    QCOMPARE(rig.host->saves, 0);
    QCOMPARE(rig.host->ElapsedMinutes, 7);
    QVERIFY(rig.sound->calls.empty());
    QVERIFY(rig.host->notices.empty());
    QVERIFY(rig.host->command1Enabled);
    QVERIFY(!rig.host->Busy);
    QVERIFY(!QFileInfo::exists(rig.file("\\buf.tmp")));
    QVERIFY(!QFileInfo::exists(rig.host->DataPath));
    QVERIFY(rig.logEvents().last().endsWith(QStringLiteral(" failed: ログインが必要です")));

    // A collected page ends the episode; the next expiry is told again.
    rig.writeCookies(QStringLiteral("127.0.0.1"), false);
    rig.collector->collectFootprints();
    QCOMPARE(rig.host->rankingModel.rowCount(), 100);
    QCOMPARE(messages.size(), size_t(1));
    QFile::remove(rig.file("\\cookies.txt"));
    rig.collector->collectFootprints();
    QCOMPARE(messages.size(), size_t(2));
    QCOMPARE(rig.host->rankingModel.rowCount(), 100);
}

void CollectionRunTest::failedPagesCountNothingAndSayWhatFailed_data() {
    QTest::addColumn<int>("method");
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("panel");
    QTest::addColumn<QString>("notice");
    const QString http = QStringLiteral("取得に失敗しました (HTTP 503)");
    const QString closed = QStringLiteral("取得に失敗しました (接続できません)");
    const QString late = QStringLiteral("取得に失敗しました (時間切れ)");
    const QString large = QStringLiteral("取得に失敗しました (ページが大きすぎます)");
    for (int method : {0, 1}) {
        const QByteArray m = method == 0 ? "method 1, " : "method 2, ";
        QTest::newRow((m + "HTTP 503").constData())
            << method << QStringLiteral("503") << http << http;
        QTest::newRow((m + "connection closed unanswered").constData())
            << method << QStringLiteral("dropped") << closed
            << closed + QStringLiteral("\r\n") + kFirewall;
        QTest::newRow((m + "answer past the time-out").constData())
            << method << QStringLiteral("slow") << late
            << QStringLiteral("タイムアウトしました\r\n") + kFirewall;
        QTest::newRow((m + "page over 4 MiB").constData())
            << method << QStringLiteral("huge") << large << large;
        QTest::newRow((m + "gzip bomb").constData())
            << method << QStringLiteral("bomb") << large << large;
    }
}

void CollectionRunTest::failedPagesCountNothingAndSayWhatFailed() {
    QFETCH(int, method);
    QFETCH(QString, failure);
    QFETCH(QString, panel);
    QFETCH(QString, notice);
    Rig rig(method);
    rig.host->alarmChk = 1;
    DemoOptions options;
    options.errorStatus = failure == u"503" ? 503 : 0;
    options.dropConnection = failure == u"dropped";
    if (failure == u"slow") {
        options.slowMs = 3000;
        rig.platform->network.totalTimeoutMs = 300;
    }
    options.padToBytes = failure == u"huge"   ? FetchResult::kMaxBodyBytes + 1
                         : failure == u"bomb" ? 16 * 1024 * 1024
                                              : 0;
    options.gzip = failure == u"bomb";
    rig.demo.service().setOptions(options);
    rig.collector->collectFootprints();

    QCOMPARE(rig.host->notices, (std::vector<QString>{notice, notice}));
    // The notice's band names what happened.
    const QString title = failure == u"slow" ? QStringLiteral("タイムアウト") : panel;
    QCOMPARE(rig.host->noticeTitles, (std::vector<QString>{title, title}));
    QCOMPARE(rig.host->panel1.back(), panel);
    QCOMPARE(
        std::count(rig.host->panel1.begin(), rig.host->panel1.end(), QStringLiteral("取得に成功")),
        0);
    QCOMPARE(rig.host->saves, 0);
    QCOMPARE(rig.host->refreshes, 0);
    QCOMPARE(rig.host->table.RowCount, 0);
    QCOMPARE(rig.host->ElapsedMinutes, 7);
    QCOMPARE(rig.host->getOpt, method);
    QVERIFY(rig.sound->calls.empty());
    QVERIFY(rig.platform.dialogs->messages.empty());
    QVERIFY(rig.host->command1Enabled);
    QVERIFY(!rig.host->Busy);
    QVERIFY(!QFileInfo::exists(rig.host->DataPath));
    QCOMPARE(QDir(rig.dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("kestrelview.log")});
    const QStringList events = rig.logEvents();
    QCOMPARE(events.size(), 2);
    QVERIFY2(events[1].startsWith(QStringLiteral("page /show_log.pl?page=2 method ") +
                                  QString::number(method + 1) + QStringLiteral(" HTTP ") +
                                  (failure == u"503" ? QStringLiteral("503") : QString())),
             qPrintable(events[1]));
    QVERIFY2(events[1].contains(QStringLiteral(" failed: ") + panel), qPrintable(events[1]));
}

void CollectionRunTest::pageFileThatCannotBeCreatedIsNamedWithItsFolder_data() {
    QTest::addColumn<int>("method");
    QTest::addColumn<bool>("directory");
    QTest::newRow("method 1, a folder named buf.tmp") << 0 << true;
    QTest::newRow("method 2, a folder named buf.tmp") << 1 << true;
    QTest::newRow("method 1, the file cannot be created") << 0 << false;
    QTest::newRow("method 2, the file cannot be created") << 1 << false;
}

void CollectionRunTest::pageFileThatCannotBeCreatedIsNamedWithItsFolder() {
    QFETCH(int, method);
    QFETCH(bool, directory);
    Rig rig(method);
    if (directory) {
        QVERIFY(QDir(rig.dir.path()).mkdir(QStringLiteral("buf.tmp")));
    } else {
        rig.platform.files->failCreate = [](const QString& path) {
            return path.endsWith(QStringLiteral("buf.tmp"));
        };
    }
    rig.collector->collectFootprints();

    const auto& messages = rig.platform.dialogs->messages;
    QCOMPARE(messages.size(), size_t(2));
    for (const auto& m : messages) {
        QVERIFY2(m.prompt.contains(QStringLiteral("フォルダ: ") + DisplayPath(rig.dir.path()) +
                                   QStringLiteral("\r\n理由: ")),
                 qPrintable(m.prompt));
        QVERIFY(!m.prompt.contains(QStringLiteral("エラー番号")));
        QCOMPARE(m.icon, MessageIcon::Critical);
        QCOMPARE(m.title, QStringLiteral("Kestrelview"));
    }
    if (directory) {
        QVERIFY(
            messages[0].prompt.endsWith(QStringLiteral("同じ名前のフォルダ buf.tmp があります。")));
    }
    QCOMPARE(rig.host->panel1.back(),
             QStringLiteral("取得に失敗しました (buf.tmp を書き込めません)"));
    QVERIFY(std::find(rig.host->panel1.begin(), rig.host->panel1.end(),
                      QStringLiteral("取得に成功")) == rig.host->panel1.end());
    QVERIFY(rig.host->notices.empty());
    QCOMPARE(rig.host->saves, 0);
    QCOMPARE(rig.host->getOpt, method);
    QVERIFY(rig.host->command1Enabled);
    QVERIFY(!rig.host->Busy);
}

void CollectionRunTest::windowKeepsHandlingEventsDuringADownload_data() {
    QTest::addColumn<int>("method");
    QTest::newRow("method 1") << 0;
    QTest::newRow("method 2") << 1;
}

void CollectionRunTest::windowKeepsHandlingEventsDuringADownload() {
    QFETCH(int, method);
    Rig rig(method);
    DemoOptions options;
    options.slowMs = 500;
    rig.demo.service().setOptions(options);
    // A timer of the window, ticking while the service takes its time over each page.
    int ticksWhileWaiting = 0;
    bool guarded = true;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (rig.demo.service().requests().size() > 0) {
            ++ticksWhileWaiting;
            guarded = guarded && !rig.host->command1Enabled && rig.host->Busy;
        }
    });
    timer.start();
    bool queuedHandled = false;
    QMetaObject::invokeMethod(
        &timer, [&] { queuedHandled = true; }, Qt::QueuedConnection);
    rig.collector->collectPage(rig.collector->pages().page1);
    timer.stop();

    QVERIFY(queuedHandled);
    QVERIFY2(ticksWhileWaiting >= 20, qPrintable(QString::number(ticksWhileWaiting)));
    QVERIFY(guarded);
    QCOMPARE(rig.host->saves, 1);
    QVERIFY(rig.host->command1Enabled);
    QVERIFY(!rig.host->Busy);
}

void CollectionRunTest::errorTrapLeavesTheDataFileUntouched() {
    Rig rig(0);
    rig.host->alarmChk = 1;
    const auto visits = DemoService::latestVisits(kNow);
    // Two members the pages list, one on each page, whose stored visit time cannot be read.
    const QByteArray data = EncodeCp932(
        visits[3].first->name + QStringLiteral("\t") + QString::number(visits[3].first->id) +
        QStringLiteral("\t5\tいつか\tメモ\r\n") + visits[70].first->name + QStringLiteral("\t") +
        QString::number(visits[70].first->id) + QStringLiteral("\t4\t昔\t\r\n"));
    writeBytes(rig.host->DataPath, data);
    rig.host->files.TAB_FileLoad(rig.host->DataPath);
    rig.host->RefreshRanking();
    rig.host->panel1.clear();

    rig.collector->collectFootprints();

    const QString message =
        kTrapHeadline + QStringLiteral("\r\n\r\nエラー番号:13\r\n説明：型が一致しません。");
    const auto& messages = rig.platform.dialogs->messages;
    QCOMPARE(messages.size(), size_t(2));
    for (const auto& m : messages) {
        QCOMPARE(m.prompt, message);
        QCOMPARE(m.icon, MessageIcon::Critical);
        QCOMPARE(m.title, QStringLiteral("Kestrelview"));
    }
    QCOMPARE(readBytes(rig.host->DataPath), data);
    QCOMPARE(rig.host->saves, 0);
    QCOMPARE(rig.host->ElapsedMinutes, 7);
    QVERIFY(rig.sound->calls.empty());
    QVERIFY(rig.host->command1Enabled);
    QVERIFY(!rig.host->Busy);
    QVERIFY(!QFileInfo::exists(rig.file("\\buf.tmp")));
    // Entries before the failing one were merged in memory; the file gets them at the next page.
    QVERIFY(rig.host->table.RowCount > 2);
}

void CollectionRunTest::browserTimeOutShowsTheNoticeAndKeepsTheCountdown() {
    Rig rig(1, QStringLiteral("silent.mixi.test"));
    rig.platform->network.timeOutHost(QStringLiteral("silent.mixi.test"));
    rig.realTimeWhileLoading = false;
    bool guarded = true;
    rig.host->whileNoticeShown = [&](const QString&) {
        guarded = guarded && !rig.host->command1Enabled && rig.host->Busy;
    };
    const quint32 start = rig.platform.clock->counter;
    rig.collector->collectFootprints();

    const QString notice = QStringLiteral("タイムアウトしました\r\n") + kFirewall;
    QCOMPARE(rig.host->notices, (std::vector<QString>{notice, notice}));
    QCOMPARE(rig.host->noticeTitles, std::vector<QString>(2, QStringLiteral("タイムアウト")));
    QVERIFY(guarded);
    // Ten waits of just over a second per page.
    QVERIFY(rig.platform.clock->counter - start >= 2 * 10 * 1001);
    QVERIFY(rig.platform.clock->counter - start < 2 * 10 * 1100);
    QCOMPARE(rig.host->ElapsedMinutes, 7);
    QCOMPARE(rig.host->saves, 0);
    QCOMPARE(rig.host->refreshes, 0);
    QVERIFY(!QFileInfo::exists(rig.host->DataPath));
    QCOMPARE(rig.host->panel1.back(), QStringLiteral("取得に失敗しました (時間切れ)"));
    QVERIFY(rig.host->command1Enabled);
    QVERIFY(!rig.host->Busy);
    QVERIFY(rig.sound->calls.empty());
}

void CollectionRunTest::completionDuringTheTenthWaitIsStillAccepted_data() {
    QTest::addColumn<quint32>("completesAfterMs");
    QTest::addColumn<bool>("collected");
    QTest::newRow("during the tenth wait") << quint32(9500) << true;
    QTest::newRow("after the tenth wait") << quint32(10500) << false;
}

void CollectionRunTest::completionDuringTheTenthWaitIsStillAccepted() {
    QFETCH(quint32, completesAfterMs);
    QFETCH(bool, collected);
    Rig rig(1, QStringLiteral("silent.mixi.test"));
    rig.platform->network.timeOutHost(QStringLiteral("silent.mixi.test"));
    const quint32 start = rig.platform.clock->counter;
    bool sent = false;
    // A document-complete from an earlier navigation or a frame ends the wait like any other.
    rig.platform.clock->onProcessEvents = [&] {
        if (!sent && rig.platform.clock->counter - start >= completesAfterMs) {
            sent = true;
            Q_EMIT rig.host->webBrowser.documentComplete(QStringLiteral("about:frame"));
        }
    };
    rig.collector->collectPage(rig.collector->pages().page1);
    QCOMPARE(rig.host->notices.size(), size_t(collected ? 0 : 1));
    QCOMPARE(rig.host->saves, collected ? 1 : 0);
}

void CollectionRunTest::dnsPageShowsTheNotice_data() {
    QTest::addColumn<int>("method");
    QTest::addColumn<bool>("unresolvable");
    QTest::addColumn<int>("notices");
    QTest::newRow("method 1, name not resolved") << 0 << true << 2;
    QTest::newRow("method 2, name not resolved") << 1 << true << 2;
    QTest::newRow("method 1, the text inside a normal page") << 0 << false << 2;
    QTest::newRow("method 2, the text inside a normal page") << 1 << false << 2;
}

void CollectionRunTest::dnsPageShowsTheNotice() {
    QFETCH(int, method);
    QFETCH(bool, unresolvable);
    QFETCH(int, notices);
    Rig rig(method,
            unresolvable ? QStringLiteral("nowhere.mixi.test") : QStringLiteral("127.0.0.1"));
    DemoOptions options;
    options.extraBodyHtml =
        QStringLiteral("<p>サーバーが見つからないか、DNS エラーです。<BR>Internet Explorer</p>");
    if (!unresolvable) {
        rig.demo.service().setOptions(options);
    }
    rig.collector->collectFootprints();

    const QString notice =
        QStringLiteral("サーバーが見つからないか、DNS エラーです。\r\n") + kFirewall;
    QCOMPARE(rig.host->notices, std::vector<QString>(size_t(notices), notice));
    QCOMPARE(rig.host->noticeTitles,
             std::vector<QString>(size_t(notices),
                                  QStringLiteral("取得に失敗しました (サーバーが見つかりません)")));
    QCOMPARE(rig.host->ElapsedMinutes, 7);
    QCOMPARE(rig.host->saves, 0);
    QCOMPARE(rig.host->table.RowCount, 0);
    QVERIFY(!QFileInfo::exists(rig.file("\\buf.tmp")));
    QVERIFY(rig.host->command1Enabled);
    QVERIFY(!rig.host->Busy);
}

void CollectionRunTest::whichPagesAreNotLoggedIn_data() {
    QTest::addColumn<int>("method");
    QTest::addColumn<bool>("entries");  // the page lists the visitors
    QTest::addColumn<QString>("extra");
    QTest::addColumn<bool>("loggedIn");
    const auto script = [](const char* code) {
        return QStringLiteral("<script type=\"text/javascript\">\n") + QString::fromUtf8(code) +
               QStringLiteral("\n</script>\n");
    };
    struct Page {
        const char* name;
        bool entries;
        QString extra;
        bool loggedIn;
    };
    const Page pages[] = {
        {"refresh to the login page", false,
         QStringLiteral("<meta http-equiv=\"refresh\" content=\"0;url=/login.pl\">"), false},
        {"refresh to the top page", false,
         QStringLiteral("<META HTTP-EQUIV=REFRESH CONTENT=\"0; URL=/\">"), false},
        {"script assigns location", false, script("location = \"/login.pl\";"), false},
        {"script assigns location.href", false, script("location.href='/login.pl'"), false},
        {"script assigns window.location", false, script("window.location = '/login.pl';"), false},
        {"script calls location.replace", false, script("location.replace(\"/login.pl\");"), false},
        {"script calls location.assign", false, script("location.assign('/login.pl');"), false},
        {"script computes the address", false, script("location.href = '/login' + '.pl';"), false},
        {"frame-buster", false, script("if (top != self) top.location = self.location;"), true},
        {"location set in a function", false,
         script("function login() {\n  location.href = '/login.pl';\n}"), true},
        {"location set by a click", false,
         QStringLiteral("<a href=\"#\" onclick=\"location.href='/login.pl'\">ログイン</a>"), true},
        {"password field in capitals", false,
         QStringLiteral("<FORM><INPUT TYPE=PASSWORD NAME=p></FORM>"), false},
        {"password field in single quotes", false,
         QStringLiteral("<form><input type='Password' name='p'></form>"), false},
        {"password field with its attributes on other lines", false,
         QStringLiteral("<form><input\ntype=\"password\"\nname=\"p\"></form>"), false},
        {"footprint page with scripts and a login form of its own", true,
         script("if (top != self) top.location = self.location;\n"
                "function next() { location.href = 'show_log.pl?page=2'; }") +
             QStringLiteral("<form action=\"login.pl\"><input\ntype=\"password\" name=\"p\">"
                            "</form><a onclick=\"location.href='/login.pl'\">ログイン</a>"),
         true},
    };
    for (int method : {0, 1}) {
        for (const Page& page : pages) {
            QTest::newRow(qPrintable(
                QStringLiteral("method %1, %2").arg(method + 1).arg(QString::fromUtf8(page.name))))
                << method << page.entries << page.extra << page.loggedIn;
        }
    }
}

void CollectionRunTest::whichPagesAreNotLoggedIn() {
    QFETCH(int, method);
    QFETCH(bool, entries);
    QFETCH(QString, extra);
    QFETCH(bool, loggedIn);
    Rig rig(method);
    rig.host->alarmChk = 1;
    DemoOptions options;
    options.empty = !entries;
    options.extraBodyHtml = extra;
    rig.demo.service().setOptions(options);
    rig.collector->collectFootprints();

    const auto& messages = rig.platform.dialogs->messages;
    if (loggedIn) {
        QVERIFY(messages.empty());
        QCOMPARE(rig.host->saves, 2);
        QCOMPARE(rig.host->table.RowCount, entries ? 100 : 0);
        QCOMPARE(rig.host->panel1.back(), QStringLiteral("Ready"));
        QCOMPARE(int(rig.sound->calls.size()), 2);
    } else {
        QCOMPARE(messages.size(), size_t(1));
        QVERIFY(messages[0].prompt.startsWith(QStringLiteral("ログインしていないため")));
        QCOMPARE(rig.host->panel1.back(), QStringLiteral("ログインが必要です"));
        QCOMPARE(rig.host->saves, 0);
        QCOMPARE(rig.host->table.RowCount, 0);
        QCOMPARE(rig.host->ElapsedMinutes, 7);
        QVERIFY(rig.sound->calls.empty());
        QVERIFY(!QFileInfo::exists(rig.host->DataPath));
    }
    QVERIFY(rig.host->notices.empty());
    QVERIFY(!QFileInfo::exists(rig.file("\\buf.tmp")));
    QVERIFY(rig.host->command1Enabled);
    QVERIFY(!rig.host->Busy);
}

void CollectionRunTest::visitsSeenAgainAfterAnErrorTrapCountOnce_data() {
    QTest::addColumn<int>("method");
    QTest::newRow("method 1") << 0;
    QTest::newRow("method 2") << 1;
}

void CollectionRunTest::visitsSeenAgainAfterAnErrorTrapCountOnce() {
    QFETCH(int, method);
    // A new user's first run: each page counts its visitors, then ends in the error trap on an
    // entry it cannot read, so the ranking list stays empty.
    Rig rig(method);
    DemoOptions broken;
    broken.extraBodyHtml = QStringLiteral(
        "<ul><li><span class=\"date\">12月07日 11:00</span><span class=\"name\"><a "
        "href=\"show_friend.pl?id=12a\">読めない</a></span></li></ul>");
    rig.demo.service().setOptions(broken);
    rig.collector->collectFootprints();
    QCOMPARE(rig.platform.dialogs->messages.size(), size_t(2));
    QCOMPARE(rig.host->rankingModel.rowCount(), 0);
    QCOMPARE(rig.host->table.RowCount, 100);

    // The pages list the same visits again.
    rig.demo.service().setOptions(DemoOptions());
    rig.collector->collectFootprints();
    const auto rows = rig.byId();
    QCOMPARE(rows.size(), size_t(100));
    for (const auto& [id, row] : rows) {
        QCOMPARE(row->AccessCount, 1);
    }
    QCOMPARE(rig.dataFileLines().size(), 100);
    for (const QString& line : rig.dataFileLines()) {
        QCOMPARE(line.section(u'\t', 2, 2), QStringLiteral("1"));
    }
    const QStringList history = DecodeCp932(readBytes(rig.file("\\zodadud_history.dat")))
                                    .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    QCOMPARE(history.size(), 100);
}

void CollectionRunTest::entryWithoutMemberIdIsPassedOver_data() {
    QTest::addColumn<int>("method");
    QTest::addColumn<QString>("id");
    for (int method : {0, 1}) {
        for (const char* id : {"0", "000"}) {
            QTest::newRow(qPrintable(QStringLiteral("method %1, id %2").arg(method + 1).arg(id)))
                << method << QString::fromLatin1(id);
        }
    }
}

void CollectionRunTest::entryWithoutMemberIdIsPassedOver() {
    QFETCH(int, method);
    QFETCH(QString, id);
    Rig rig(method);
    const auto entry = [](const QString& memberId, const QString& name) {
        return QStringLiteral(
                   "<li><span class=\"date\">12月07日 11:00</span><span class=\"name\">"
                   "<a href=\"show_friend.pl?id=") +
               memberId + QStringLiteral("\">") + name + QStringLiteral("</a></span></li>");
    };
    DemoOptions options;
    options.extraBodyHtml = QStringLiteral("<ul>") + entry(id, QStringLiteral("退会者")) +
                            entry(QStringLiteral("987654"), QStringLiteral("新顔")) +
                            QStringLiteral("</ul>");
    rig.demo.service().setOptions(options);
    rig.collector->collectFootprints();

    QVERIFY(rig.platform.dialogs->messages.empty());
    QCOMPARE(rig.host->saves, 2);
    // The entries after it count: the newcomer once, though both pages list the same visit.
    const auto rows = rig.byId();
    QCOMPARE(rows.size(), size_t(101));
    QCOMPARE(rows.count(0), size_t(0));
    QCOMPARE(rows.at(987654)->AccessCount, 1);
    QCOMPARE(rows.at(987654)->Name, QStringLiteral("新顔"));
    QCOMPARE(rig.dataFileLines().size(), 101);
    const QString m = QString::number(method + 1);
    const QStringList events = rig.logEvents();
    const QString passedOver = QStringLiteral(
        " HTTP 200 entry without a member id passed over: 2026年12月07日 11:00 退会者");
    QCOMPARE(events,
             (QStringList{
                 QStringLiteral("page /show_log.pl method ") + m + passedOver,
                 QStringLiteral("page /show_log.pl method %1 HTTP 200 entries 52 counted 51 "
                                "collected")
                     .arg(m),
                 QStringLiteral("page /show_log.pl?page=2 method ") + m + passedOver,
                 QStringLiteral("page /show_log.pl?page=2 method %1 HTTP 200 entries 52 counted 50 "
                                "collected")
                     .arg(m)}));
}

void CollectionRunTest::pageIsLoggedBeforeItsMessage_data() {
    QTest::addColumn<QString>("failure");
    QTest::addColumn<int>("shown");  // message boxes and notices about the page
    QTest::newRow("not logged in") << QStringLiteral("login") << 1;
    QTest::newRow("error trap") << QStringLiteral("trap") << 1;
    QTest::newRow("notice of a failed load") << QStringLiteral("503") << 1;
    QTest::newRow("page file that cannot be made") << QStringLiteral("page file") << 1;
}

void CollectionRunTest::pageIsLoggedBeforeItsMessage() {
    QFETCH(QString, failure);
    QFETCH(int, shown);
    Rig rig(0);
    DemoOptions options;
    options.requireCookie = failure == u"login";
    options.errorStatus = failure == u"503" ? 503 : 0;
    if (failure == u"trap") {
        options.extraBodyHtml = QStringLiteral(
            "<span class=\"date\">12月07日 11:00</span><span class=\"name\"><a "
            "href=\"show_friend.pl?id=x\">x</a></span>");
    }
    if (failure == u"page file") {
        QVERIFY(QDir(rig.dir.path()).mkdir(QStringLiteral("buf.tmp")));
    }
    rig.demo.service().setOptions(options);
    QStringList logWhileShown;
    const auto record = [&] {
        const QStringList events = rig.logEvents();
        logWhileShown << (events.isEmpty() ? QString() : events.last());
    };
    rig.platform.dialogs->whileMessageShown = [&](const auto&) { record(); };
    rig.host->whileNoticeShown = [&](const QString&) { record(); };
    rig.collector->collectPage(rig.collector->pages().page1);

    QCOMPARE(logWhileShown.size(), shown);
    for (const QString& event : logWhileShown) {
        QVERIFY2(event.startsWith(QStringLiteral("page /show_log.pl method 1 ")) &&
                     event.contains(QStringLiteral(" failed: ")),
                 qPrintable(event));
    }
    QCOMPARE(rig.logEvents().size(), 1);
}

void CollectionRunTest::pagesWithoutEntriesStillCount_data() {
    QTest::addColumn<int>("method");
    QTest::addColumn<QString>("option");
    QTest::newRow("method 1, empty") << 0 << QStringLiteral("empty");
    QTest::newRow("method 2, empty") << 1 << QStringLiteral("empty");
    QTest::newRow("method 1, changed format") << 0 << QStringLiteral("changed");
    QTest::newRow("method 2, changed format") << 1 << QStringLiteral("changed");
}

void CollectionRunTest::pagesWithoutEntriesStillCount() {
    QFETCH(int, method);
    QFETCH(QString, option);
    Rig rig(method);
    DemoOptions options;
    options.empty = option == u"empty";
    options.changedFormat = option == u"changed";
    rig.demo.service().setOptions(options);
    rig.collector->collectFootprints();
    QCOMPARE(rig.host->table.RowCount, 0);
    QCOMPARE(rig.host->saves, 2);
    QCOMPARE(rig.host->ElapsedMinutes, 0);
    QVERIFY(QFileInfo::exists(rig.host->DataPath));
    QVERIFY(rig.platform.dialogs->messages.empty());
}

void CollectionRunTest::alarmSoundsOncePerCollectedPage_data() {
    QTest::addColumn<int>("alarmChk");
    QTest::addColumn<int>("sounds");
    QTest::newRow("ticked") << 1 << 2;
    QTest::newRow("unticked") << 0 << 0;
    QTest::newRow("dimmed") << 2 << 0;
}

void CollectionRunTest::alarmSoundsOncePerCollectedPage() {
    QFETCH(int, alarmChk);
    QFETCH(int, sounds);
    Rig rig(0);
    rig.host->alarmChk = alarmChk;
    rig.collector->collectFootprints();
    // The second run brings nothing new and still sounds.
    rig.collector->collectFootprints();
    QCOMPARE(int(rig.sound->calls.size()), 2 * sounds);
    for (const auto& call : rig.sound->calls) {
        QCOMPARE(call.soundName, rig.file("\\alarm.wav"));
        QCOMPARE(call.ifUnplayable, IfUnplayable::Beep);
    }
}

void CollectionRunTest::buttonAndBusyGuardTheWholePage() {
    Rig rig(0);
    int pumped = 0;
    bool guarded = true;
    rig.platform.clock->onProcessEvents = [&] {
        ++pumped;
        guarded = guarded && !rig.host->command1Enabled && rig.host->Busy;
    };
    rig.collector->collectPage(rig.collector->pages().page1);
    QVERIFY(pumped > 50);  // after the download, around reading and during every paced line
    QVERIFY(guarded);
    QVERIFY(rig.host->command1Enabled);
    QVERIFY(!rig.host->Busy);
}

QTEST_GUILESS_MAIN(CollectionRunTest)
#include "collection_run_test.moc"
