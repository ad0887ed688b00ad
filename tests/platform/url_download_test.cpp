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
    void redirectIsFollowedThroughTheRoutes();
    void failuresLeaveNoFile_data();
    void failuresLeaveNoFile();
    void failedWriteLeavesNoFile();

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
    const qint32 result =
        (*m_platform)
            ->download->URLDownloadToFile(m_demo->baseUrl() + QStringLiteral("/show_log.pl?page=2"),
                                          m_target);
    QCOMPARE(result, 0);
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
    QCOMPARE((*m_platform)->download->URLDownloadToFile(url, m_target), 0);
    QCOMPARE(m_demo->service().requests().back().cookie, kLogin);
    QCOMPARE(readBytes(m_target), m_demo->service().footprintPage(1, true));
}

void UrlDownloadTest::redirectIsFollowedThroughTheRoutes() {
    (*m_platform)->network.routeHost(QStringLiteral("a.mixi.test"), QStringLiteral("127.0.0.1"));
    const QString base = QStringLiteral("http://a.mixi.test:") + QString::number(m_demo->port());
    QCOMPARE(
        (*m_platform)
            ->download->URLDownloadToFile(base + QStringLiteral("/go?to=/show_log.pl"), m_target),
        0);
    QCOMPARE(readBytes(m_target), m_demo->service().footprintPage(1, true));

    // A redirect to a name nobody routed does not resolve: no file.
    QFile::remove(m_target);
    const qint32 result =
        (*m_platform)
            ->download->URLDownloadToFile(
                base + QStringLiteral("/go?to=http://elsewhere.test/show_log.pl"), m_target);
    QCOMPARE(result, INET_E_RESOURCE_NOT_FOUND);
    QVERIFY(!QFileInfo::exists(m_target));
}

void UrlDownloadTest::failuresLeaveNoFile_data() {
    QTest::addColumn<QString>("what");
    QTest::addColumn<qint32>("result");
    QTest::newRow("server error") << QStringLiteral("500") << INET_E_RESOURCE_NOT_FOUND;
    QTest::newRow("not found") << QStringLiteral("404") << INET_E_RESOURCE_NOT_FOUND;
    QTest::newRow("connection refused") << QStringLiteral("refused") << INET_E_CANNOT_CONNECT;
    QTest::newRow("slow page past the total time-out")
        << QStringLiteral("slow") << INET_E_CONNECTION_TIMEOUT;
    QTest::newRow("name not resolved") << QStringLiteral("unresolved") << INET_E_RESOURCE_NOT_FOUND;
    QTest::newRow("name routed to a failure")
        << QStringLiteral("failed") << INET_E_RESOURCE_NOT_FOUND;
    QTest::newRow("host that never answers")
        << QStringLiteral("silent") << INET_E_CONNECTION_TIMEOUT;
    QTest::newRow("not a web address") << QStringLiteral("ftp") << INET_E_DOWNLOAD_FAILURE;
}

void UrlDownloadTest::failuresLeaveNoFile() {
    QFETCH(QString, what);
    QFETCH(qint32, result);
    NetworkAccess& network = (*m_platform)->network;
    QString url = m_demo->baseUrl() + QStringLiteral("/show_log.pl");
    DemoOptions options;
    if (what == u"500") {
        options.errorStatus = 500;
    } else if (what == u"404") {
        url = m_demo->baseUrl() + QStringLiteral("/no_such_page.pl");
    } else if (what == u"refused") {
        url = QStringLiteral("http://127.0.0.1:") + QString::number(closedPort()) +
              QStringLiteral("/show_log.pl");
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
        url = QStringLiteral("http://silent.mixi.test/show_log.pl");
    } else if (what == u"ftp") {
        url = QStringLiteral("ftp://127.0.0.1/show_log.pl");
    }
    m_demo->service().setOptions(options);

    QElapsedTimer timer;
    timer.start();
    QCOMPARE((*m_platform)->download->URLDownloadToFile(url, m_target), result);
    QVERIFY(!QFileInfo::exists(m_target));
    QVERIFY(timer.elapsed() < 2500);

    // A file left at the path from before stays as it was.
    writeBytes(m_target, "earlier page");
    QCOMPARE((*m_platform)->download->URLDownloadToFile(url, m_target), result);
    QCOMPARE(readBytes(m_target), QByteArray("earlier page"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{QStringLiteral("buf.tmp")});
}

void UrlDownloadTest::failedWriteLeavesNoFile() {
    m_platform->files->failWrite = [](const QString&, int) { return true; };
    QCOMPARE((*m_platform)
                 ->download->URLDownloadToFile(m_demo->baseUrl() + QStringLiteral("/show_log.pl"),
                                               m_target),
             INET_E_DOWNLOAD_FAILURE);
    QVERIFY(!QFileInfo::exists(m_target));
}

QTEST_GUILESS_MAIN(UrlDownloadTest)
#include "url_download_test.moc"
