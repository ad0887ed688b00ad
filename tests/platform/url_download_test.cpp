// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QTcpServer>
#include <QtTest>

#include "platform/paths.h"
#include "platform/url_download.h"
#include "tests/support/network_test_platform.h"
#include "tests/support/test_files.h"
#include "tools/demo_service.h"

namespace {

const QByteArray kLogin = QByteArray(DemoService::kCookieName) + '=' + DemoService::kCookieValue;

quint16 closedPort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    const quint16 port = server.serverPort();
    server.close();
    return port;
}

}  // namespace

class UrlDownloadTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init();
    void cleanup();
    void wholePageArrivesAsSent();
    void loginCookieOfTheNameIsSent();
    void redirectsStayOnTheSameSchemeAndHost();
    void failuresLeaveNoFile_data();
    void failuresLeaveNoFile();
    void fileThatCannotBeWrittenFails_data();
    void fileThatCannotBeWrittenFails();

  private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TestPlatform> m_platform;
    std::unique_ptr<DemoServiceThread> m_demo;
    QString m_target;
};

void UrlDownloadTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_platform = std::make_unique<TestPlatform>(m_dir->path());
    installNetworkServices(*m_platform);
    m_demo = std::make_unique<DemoServiceThread>();
    QVERIFY(m_demo->start());
    m_demo->service().setNow(QDateTime(QDate(2026, 12, 7), QTime(12, 0)));
    m_target = AppFilePath(m_dir->path(), QStringLiteral("\\buf.tmp"));
}

void UrlDownloadTest::cleanup() {
    m_demo.reset();
    m_platform.reset();
    m_dir.reset();
}

void UrlDownloadTest::wholePageArrivesAsSent() {
    // An answer slower than the connect time-out still arrives within the total one.
    (*m_platform)->network.connectTimeoutMs = 300;
    DemoOptions slow;
    slow.slowMs = 600;
    m_demo->service().setOptions(slow);
    const FetchResult result =
        (*m_platform)
            ->download->downloadToFile(m_demo->baseUrl() + QStringLiteral("/show_log.pl?page=2"),
                                       m_target);
    QVERIFY(result.complete());
    QCOMPARE(result.httpStatus, 200);
    QCOMPARE(readBytes(m_target), m_demo->service().footprintPage(2, true));
    // Nothing is left under a temporary name.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{QStringLiteral("buf.tmp")});
}

void UrlDownloadTest::loginCookieOfTheNameIsSent() {
    (*m_platform)->network.routeHost(QStringLiteral("www.mixi.test"), QStringLiteral("127.0.0.1"));
    writeBytes(AppFilePath(m_dir->path(), QStringLiteral("\\cookies.txt")),
               "# Netscape HTTP Cookie File\n"
               ".mixi.test\tTRUE\t/\tFALSE\t0\t" +
                   kLogin.split('=')[0] + '\t' + kLogin.split('=')[1] +
                   "\n"
                   "other.test\tFALSE\t/\tFALSE\t0\tforeign\tno\n");
    DemoOptions options;
    options.requireCookie = true;
    m_demo->service().setOptions(options);
    const QString url = QStringLiteral("http://www.mixi.test:") + QString::number(m_demo->port()) +
                        QStringLiteral("/show_log.pl");
    QVERIFY((*m_platform)->download->downloadToFile(url, m_target).complete());
    QCOMPARE(m_demo->service().requests().back().cookie, kLogin);
    QCOMPARE(readBytes(m_target), m_demo->service().footprintPage(1, true));
}

void UrlDownloadTest::redirectsStayOnTheSameSchemeAndHost() {
    (*m_platform)->network.routeHost(QStringLiteral("a.mixi.test"), QStringLiteral("127.0.0.1"));
    const QString base = QStringLiteral("http://a.mixi.test:") + QString::number(m_demo->port());
    const FetchResult followed =
        (*m_platform)
            ->download->downloadToFile(base + QStringLiteral("/go?to=/show_log.pl"), m_target);
    QVERIFY(followed.complete());
    QCOMPARE(followed.finalUrl, QUrl(base + QStringLiteral("/show_log.pl")));
    QCOMPARE(readBytes(m_target), m_demo->service().footprintPage(1, true));

    // Another host, even one that is routed here, is not followed: no request, no file.
    QFile::remove(m_target);
    (*m_platform)->network.routeHost(QStringLiteral("b.mixi.test"), QStringLiteral("127.0.0.1"));
    const QString elsewhere =
        QStringLiteral("http://b.mixi.test:") + QString::number(m_demo->port()) + u'/';
    const size_t requests = m_demo->service().requests().size();
    const FetchResult refused =
        (*m_platform)
            ->download->downloadToFile(base + QStringLiteral("/go?to=") + elsewhere, m_target);
    QCOMPARE(refused.outcome, FetchResult::Outcome::RedirectRefused);
    QCOMPARE(refused.refusedRedirect, QUrl(elsewhere));
    QCOMPARE(m_demo->service().requests().size(), requests + 1);
    QVERIFY(!QFileInfo::exists(m_target));
}

void UrlDownloadTest::failuresLeaveNoFile_data() {
    QTest::addColumn<QString>("what");
    QTest::addColumn<FetchResult::Outcome>("outcome");
    QTest::addColumn<int>("status");
    using O = FetchResult::Outcome;
    QTest::newRow("server error") << QStringLiteral("503") << O::HttpError << 503;
    QTest::newRow("not found") << QStringLiteral("404") << O::HttpError << 404;
    QTest::newRow("connection refused") << QStringLiteral("refused") << O::ConnectionFailed << 0;
    QTest::newRow("connection closed unanswered")
        << QStringLiteral("dropped") << O::ConnectionFailed << 0;
    QTest::newRow("slow page past the total time-out")
        << QStringLiteral("slow") << O::TimedOut << 0;
    QTest::newRow("name not resolved") << QStringLiteral("unresolved") << O::HostNotFound << 0;
    QTest::newRow("name routed to a failure") << QStringLiteral("failed") << O::HostNotFound << 0;
    QTest::newRow("host that never answers") << QStringLiteral("silent") << O::TimedOut << 0;
    QTest::newRow("not a web address") << QStringLiteral("ftp") << O::BadAddress << 0;
    QTest::newRow("page over 4 MiB") << QStringLiteral("huge") << O::TooLarge << 200;
    QTest::newRow("small gzip body unpacking past 4 MiB")
        << QStringLiteral("bomb") << O::TooLarge << 200;
}

void UrlDownloadTest::failuresLeaveNoFile() {
    QFETCH(QString, what);
    QFETCH(FetchResult::Outcome, outcome);
    QFETCH(int, status);
    NetworkAccess& network = (*m_platform)->network;
    QString url = m_demo->baseUrl() + QStringLiteral("/show_log.pl");
    DemoOptions options;
    if (what == u"503") {
        options.errorStatus = 503;
    } else if (what == u"404") {
        url = m_demo->baseUrl() + QStringLiteral("/no_such_page.pl");
    } else if (what == u"refused") {
        url = QStringLiteral("http://127.0.0.1:") + QString::number(closedPort()) +
              QStringLiteral("/show_log.pl");
    } else if (what == u"dropped") {
        options.dropConnection = true;
    } else if (what == u"slow") {
        options.slowMs = 3000;
        network.totalTimeoutMs = 300;
    } else if (what == u"unresolved") {
        url = QStringLiteral("http://mixi.jp/show_log.pl");
    } else if (what == u"failed") {
        network.failHost(QStringLiteral("down.mixi.test"));
        url = QStringLiteral("http://down.mixi.test/show_log.pl");
    } else if (what == u"silent") {
        network.timeOutHost(QStringLiteral("silent.mixi.test"));
        network.connectTimeoutMs = 300;
        url = QStringLiteral("http://silent.mixi.test/show_log.pl");
    } else if (what == u"ftp") {
        url = QStringLiteral("ftp://127.0.0.1/show_log.pl");
    } else if (what == u"huge") {
        options.padToBytes = FetchResult::kMaxBodyBytes + 1;
    } else if (what == u"bomb") {
        options.padToBytes = 16 * 1024 * 1024;
        options.gzip = true;
    }
    m_demo->service().setOptions(options);

    QElapsedTimer timer;
    timer.start();
    const FetchResult result = (*m_platform)->download->downloadToFile(url, m_target);
    QCOMPARE(result.outcome, outcome);
    QCOMPARE(result.httpStatus, status);
    QVERIFY(!QFileInfo::exists(m_target));
    QVERIFY(timer.elapsed() < 2500);

    // A file left at the path from before stays as it was.
    writeBytes(m_target, "earlier page");
    QCOMPARE((*m_platform)->download->downloadToFile(url, m_target).outcome, outcome);
    QCOMPARE(readBytes(m_target), QByteArray("earlier page"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{QStringLiteral("buf.tmp")});
}

void UrlDownloadTest::fileThatCannotBeWrittenFails_data() {
    QTest::addColumn<QString>("fault");
    QTest::newRow("cannot be created") << QStringLiteral("create");
    QTest::newRow("write fails") << QStringLiteral("write");
    QTest::newRow("directory at the path") << QStringLiteral("directory");
}

void UrlDownloadTest::fileThatCannotBeWrittenFails() {
    QFETCH(QString, fault);
    if (fault == u"create") {
        m_platform->files->failCreate = [](const QString&) { return true; };
    } else if (fault == u"write") {
        m_platform->files->failWrite = [](const QString&, int) { return true; };
    } else {
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("buf.tmp")));
    }
    QCOMPARE(
        (*m_platform)
            ->download->downloadToFile(m_demo->baseUrl() + QStringLiteral("/show_log.pl"), m_target)
            .outcome,
        FetchResult::Outcome::WriteFailed);
    QCOMPARE(QFileInfo(m_target).isDir(), fault == u"directory");
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList());
}

QTEST_GUILESS_MAIN(UrlDownloadTest)
#include "url_download_test.moc"
