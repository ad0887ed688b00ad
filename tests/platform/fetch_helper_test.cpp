// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// The fetch helper, kestrelview-fetch, as the download meets it: a helper that is missing, will
// not start, dies or talks nonsense fails the page and leaves no file; the login reaches it only
// over its pipe; and it does not outlive a program that is gone.
#include <signal.h>

#include <QtTest>

#include "platform/http_fetch.h"
#include "platform/paths.h"
#include "platform/url_download.h"
#include "tests/support/network_test_platform.h"
#include "tests/support/test_files.h"
#include "tools/demo_service.h"

namespace {

const QString kHelper = QString::fromLatin1(HttpFetch::kHelperName);

// The fetch helpers this process has started and not yet reaped.
QList<qint64> runningHelpers() {
    QList<qint64> helpers;
    const QString self = QString::number(QCoreApplication::applicationPid());
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric) {
            continue;
        }
        const QByteArray stat = readBytes(QStringLiteral("/proc/%1/stat").arg(pid));
        // pid (comm) state ppid ...
        const QList<QByteArray> rest = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
        if (rest.value(1) == self.toLatin1() &&
            QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget().endsWith(kHelper)) {
            helpers.append(pid);
        }
    }
    return helpers;
}

}  // namespace

class FetchHelperTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init();
    void cleanup();
    void helperFailureFailsThePage_data();
    void helperFailureFailsThePage();
    void loginReachesTheHelperOnlyThroughItsPipe();
    void helperEndsWhenTheProgramIsGone();

  private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QTemporaryDir> m_helpers;
    std::unique_ptr<TestPlatform> m_platform;
    std::unique_ptr<DemoServiceThread> m_demo;
    QByteArray m_modulePath;
    QString m_target;
};

void FetchHelperTest::init() {
    m_modulePath = qgetenv("KESTRELVIEW_MODULE_PATH");
    QVERIFY2(!m_modulePath.isEmpty(), "KESTRELVIEW_MODULE_PATH names the build's module folder");
    m_dir = std::make_unique<QTemporaryDir>();
    m_helpers = std::make_unique<QTemporaryDir>();
    m_platform = std::make_unique<TestPlatform>(m_dir->path());
    installNetworkServices(*m_platform);
    m_demo = std::make_unique<DemoServiceThread>();
    QVERIFY(m_demo->start());
    m_target = AppFilePath(m_dir->path(), QStringLiteral("\\buf.tmp"));
}

void FetchHelperTest::cleanup() {
    qputenv("KESTRELVIEW_MODULE_PATH", m_modulePath);
    m_demo.reset();
    m_platform.reset();
    m_helpers.reset();
    m_dir.reset();
    QTRY_VERIFY(runningHelpers().isEmpty());
}

void FetchHelperTest::helperFailureFailsThePage_data() {
    QTest::addColumn<QByteArray>("script");  // the helper in place of ours; empty: ours
    QTest::addColumn<bool>("executable");
    QTest::addColumn<QString>("detail");
    QTest::newRow("helper missing") << QByteArray() << false << QStringLiteral("is in none of");
    QTest::newRow("helper not executable")
        << QByteArray("#!/bin/sh\n") << false << QStringLiteral("would not start");
    QTest::newRow("helper ends without a word")
        << QByteArray("#!/bin/sh\nexit 0\n") << true << QStringLiteral("ended without a result");
    QTest::newRow("helper crashes")
        << QByteArray("#!/bin/sh\nkill -SEGV $$\n") << true << QStringLiteral("crashed");
    QTest::newRow("helper answers in another language")
        << QByteArray("#!/bin/sh\nprintf '<html><body>hello</body></html>'\nsleep 5\n") << true
        << QStringLiteral("garbled");
    // A body piece announced as 100 bytes, three of them sent.
    QTest::newRow("helper's body piece cut short")
        << QByteArray("#!/bin/sh\nprintf 'B\\000\\000\\000dabc'\n") << true
        << QStringLiteral("ended without a result");
    QTest::newRow("helper killed in the middle of the body")
        << QByteArray() << true << QStringLiteral("crashed");
}

void FetchHelperTest::helperFailureFailsThePage() {
    QFETCH(QByteArray, script);
    QFETCH(bool, executable);
    QFETCH(QString, detail);
    const bool ours = script.isEmpty() && executable;
    DemoOptions options;
    if (ours) {
        // Big enough that the helper is still sending when the first piece is written.
        options.padToBytes = 3 * 1024 * 1024;
        m_platform->files->failWrite = [](const QString&, int writeIndex) {
            if (writeIndex == 0) {
                for (const qint64 pid : runningHelpers()) {
                    ::kill(pid_t(pid), SIGKILL);
                }
            }
            return false;
        };
    } else {
        qputenv("KESTRELVIEW_MODULE_PATH", m_helpers->path().toLocal8Bit());
        if (!script.isEmpty()) {
            const QString file = m_helpers->filePath(kHelper);
            writeBytes(file, script);
            QVERIFY(QFile::setPermissions(
                file, QFile::ReadOwner | QFile::WriteOwner |
                          (executable ? QFile::ExeOwner : QFile::Permissions())));
        }
    }
    m_demo->service().setOptions(options);
    writeBytes(m_target, "earlier page");
    const FetchResult result =
        (*m_platform)
            ->download->downloadToFile(m_demo->baseUrl() + QStringLiteral("/show_log.pl"),
                                       m_target);
    QCOMPARE(result.outcome, FetchResult::Outcome::ConnectionFailed);
    QVERIFY2(result.detail.contains(detail), qPrintable(result.detail));
    if (script.isEmpty() && !executable) {
        QVERIFY2(result.detail.contains(m_helpers->path()), qPrintable(result.detail));
    }
    // Nothing of what arrived counts: the earlier file stays, nothing is left beside it.
    QCOMPARE(readBytes(m_target), QByteArray("earlier page"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{QStringLiteral("buf.tmp")});

    // The next page, with the helper back, arrives whole.
    qputenv("KESTRELVIEW_MODULE_PATH", m_modulePath);
    m_platform->files->failWrite = nullptr;
    m_demo->service().setOptions(DemoOptions());
    QVERIFY(
        (*m_platform)
            ->download->downloadToFile(m_demo->baseUrl() + QStringLiteral("/show_log.pl"), m_target)
            .complete());
    QCOMPARE(readBytes(m_target), m_demo->service().footprintPage(1, true));
}

void FetchHelperTest::loginReachesTheHelperOnlyThroughItsPipe() {
    const QByteArray value = DemoService::kCookieValue;
    (*m_platform)->network.routeHost(QStringLiteral("www.mixi.test"), QStringLiteral("127.0.0.1"));
    writeBytes(AppFilePath(m_dir->path(), QStringLiteral("\\cookies.txt")),
               ".mixi.test\tTRUE\t/\tFALSE\t0\t" + QByteArray(DemoService::kCookieName) + '\t' +
                   value + '\n');
    DemoOptions options;
    options.requireCookie = true;
    options.slowMs = 1500;
    m_demo->service().setOptions(options);
    QByteArray seen;
    int helpersSeen = 0;
    QTimer look;
    connect(&look, &QTimer::timeout, this, [&] {
        for (const qint64 pid : runningHelpers()) {
            ++helpersSeen;
            seen += readBytes(QStringLiteral("/proc/%1/cmdline").arg(pid)) + '\n' +
                    readBytes(QStringLiteral("/proc/%1/environ").arg(pid));
        }
    });
    look.start(100);
    const QString url = QStringLiteral("http://www.mixi.test:") + QString::number(m_demo->port()) +
                        QStringLiteral("/show_log.pl");
    QVERIFY((*m_platform)->download->downloadToFile(url, m_target).complete());
    look.stop();
    QCOMPARE(m_demo->service().requests().back().cookie,
             QByteArray(DemoService::kCookieName) + '=' + value);
    QVERIFY(helpersSeen > 0);
    QVERIFY(seen.contains(kHelper.toLatin1()));
    QVERIFY(!seen.contains(value));
}

void FetchHelperTest::helperEndsWhenTheProgramIsGone() {
    DemoOptions options;
    options.slowMs = 4000;
    m_demo->service().setOptions(options);
    FetchRequest request;
    request.url = QUrl(m_demo->baseUrl() + QStringLiteral("/show_log.pl"));
    request.network = (*m_platform)->network;
    QProcess helper;
    helper.start(QDir(QString::fromLocal8Bit(m_modulePath)).filePath(kHelper), {});
    QVERIFY(helper.waitForStarted());
    helper.write(EncodeFetchFrame(FetchFrame::Request, EncodeFetchRequest(request)));
    QTRY_COMPARE(m_demo->service().requests().size(), size_t(1));
    QElapsedTimer timer;
    timer.start();
    helper.closeWriteChannel();
    QVERIFY(helper.waitForFinished(3000));
    QVERIFY(timer.elapsed() < 3000);
    QCOMPARE(helper.readAllStandardOutput(), QByteArray());
}

QTEST_GUILESS_MAIN(FetchHelperTest)
#include "fetch_helper_test.moc"
