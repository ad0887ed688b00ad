// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// The charts, the alarm's sound and the browsers' cookie databases come in modules that the
// program opens when the feature is first used: a run that collects with its login in cookies.txt
// maps none of Qt Charts, Qt Multimedia, Qt Sql, libcrypto, libsecret or GIO, nor Qt Network, which
// only the fetch helper maps; each feature then opens its module and works, and a module that
// cannot be found gives that feature's own outcome and takes nothing else down.
// This executable links none of those libraries and runs the demo service as a process of its
// own, so /proc/self/maps shows what the program mapped.
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QTreeWidget>

#include "app/history_commands.h"
#include "platform/firefox_cookies.h"
#include "platform/program_modules.h"
#include "tests/app/main_window_fixture.h"
#include "tests/support/network_test_platform.h"
#include "tests/support/test_files.h"

namespace {

enum class Feature { Charts, Sound, Cookies };

bool mapped(const QString& library) {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) &&
           maps.readAll().contains(QByteArray("/") + library.toLatin1());
}

QWidget* topLevel(const QString& objectName) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == objectName && widget->isVisible()) {
            return widget;
        }
    }
    return nullptr;
}

void closeAll() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName().startsWith(QLatin1String("VisitorHistory")) ||
            widget->objectName().startsWith(QLatin1String("HistoryChart"))) {
            widget->close();
        }
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace

class OptionalModulesTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void eachFeatureOpensItsModuleAtItsFirstUse_data();
    void eachFeatureOpensItsModuleAtItsFirstUse();

  private:
    void use(Feature feature, bool moduleThere);

    std::unique_ptr<MainWindowFixture> m_rig;
    QProcess m_demo;
    QTemporaryDir m_home;
    QTemporaryDir m_noModules;
    QString m_profile;
    QByteArray m_modulePath;
};

void OptionalModulesTest::initTestCase() {
    m_modulePath = qgetenv("KESTRELVIEW_MODULE_PATH");
    QVERIFY2(!m_modulePath.isEmpty(), "KESTRELVIEW_MODULE_PATH names the build's modules");
    // A Firefox login, which the program must leave unread while cookies.txt serves.
    const QString sqlite = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (sqlite.isEmpty()) {
        if (qgetenv("CI") == "true") {
            QFAIL("sqlite3 is needed to make a browser's cookie store");
        }
        QSKIP("sqlite3 is needed to make a browser's cookie store (scripts/setup.sh installs it)");
    }
    const QString root = m_home.filePath(QStringLiteral(".mozilla/firefox"));
    m_profile = root + QStringLiteral("/kv.default-release");
    QVERIFY(QDir().mkpath(m_profile));
    writeBytes(root + QStringLiteral("/profiles.ini"),
               "[Profile0]\nName=default-release\nIsRelative=1\nPath=kv.default-release\n"
               "Default=1\n");
    QCOMPARE(QProcess::execute(
                 sqlite, {m_profile + QStringLiteral("/cookies.sqlite"),
                          QStringLiteral("CREATE TABLE moz_cookies (id INTEGER PRIMARY KEY, "
                                         "originAttributes TEXT NOT NULL DEFAULT '', name TEXT, "
                                         "value TEXT, host TEXT, path TEXT, expiry INTEGER, "
                                         "creationTime INTEGER, isSecure INTEGER, isHttpOnly "
                                         "INTEGER); INSERT INTO moz_cookies (name, value, host, "
                                         "path, expiry, creationTime, isSecure, isHttpOnly) VALUES "
                                         "('session', 'from-firefox', '127.0.0.1', '/', 0, 0, 0, "
                                         "1);")}),
             0);

    // The service, requiring its login: only the login of cookies.txt lists the visitors.
    m_demo.start(QStringLiteral(KV_DEMO_SERVICE), {QStringLiteral("--require-cookie")});
    QByteArray said;
    const QRegularExpression greeting(QStringLiteral(
        "listening on (http://127\\.0\\.0\\.1:\\d+)/?\\s+cookie: ([^=\\s]+)=(\\S+)"));
    QRegularExpressionMatch heard;
    QElapsedTimer waited;
    waited.start();
    while (!heard.hasMatch() && waited.elapsed() < 10000) {
        m_demo.waitForReadyRead(200);
        said += m_demo.readAllStandardOutput();
        heard = greeting.match(QString::fromLatin1(said));
    }
    QVERIFY2(heard.hasMatch(), said.constData());
    const QString serviceUrl = heard.captured(1);

    m_rig = std::make_unique<MainWindowFixture>();
    installNetworkServices(m_rig->platform);
    m_rig->platform->sound = createQtSound(&m_rig->platform->log);
    m_rig->platform->browserHome.home = m_home.path();
    // The program's clock and the service's agree, so the visits fall in the charts' days.
    m_rig->platform.clock->wall = QDateTime::currentDateTime();
    writeBytes(m_rig->path(QStringLiteral("setting.ini")),
               "[Setting]\r\nServiceUrl=" + serviceUrl.toLatin1() + "\r\nAlarm=0\r\n");
    writeBytes(m_rig->path(QStringLiteral("cookies.txt")), "127.0.0.1\tFALSE\t/\tFALSE\t0\t" +
                                                               heard.captured(2).toLatin1() + '\t' +
                                                               heard.captured(3).toLatin1() + '\n');
    m_rig->window->start();
    QAbstractButton* collect = control<QAbstractButton>(m_rig->window, "Command1");
    QTest::mouseClick(collect, Qt::LeftButton, {}, collect->rect().center());
    QTRY_VERIFY_WITH_TIMEOUT(
        QFileInfo(m_rig->path(QStringLiteral("zodadud_history.dat"))).size() > 0 &&
            collect->isEnabled(),
        15000);
    for (const char* library :
         {"libQt6Charts.so", "libQt6Multimedia.so", "libQt6Sql.so", "libcrypto.so",
          "libsecret-1.so", "libgio-2.0.so", "libQt6Network.so"}) {
        QVERIFY2(!mapped(QLatin1String(library)), library);
    }
}

void OptionalModulesTest::cleanupTestCase() {
    m_rig.reset();
    m_demo.kill();
    m_demo.waitForFinished();
}

void OptionalModulesTest::eachFeatureOpensItsModuleAtItsFirstUse_data() {
    QTest::addColumn<Feature>("feature");
    QTest::addColumn<QString>("module");
    QTest::addColumn<QString>("library");
    QTest::newRow("a history window draws its chart")
        << Feature::Charts << QStringLiteral("charts") << QStringLiteral("libQt6Charts.so");
    QTest::newRow("the alarm plays")
        << Feature::Sound << QStringLiteral("sound") << QStringLiteral("libQt6Multimedia.so");
    QTest::newRow("Firefox's cookie store is read")
        << Feature::Cookies << QStringLiteral("cookies") << QStringLiteral("libQt6Sql.so");
}

void OptionalModulesTest::eachFeatureOpensItsModuleAtItsFirstUse() {
    QFETCH(Feature, feature);
    QFETCH(QString, module);
    QFETCH(QString, library);
    QVERIFY(!mapped(library));

    qputenv("KESTRELVIEW_MODULE_PATH", m_noModules.path().toLocal8Bit());
    use(feature, false);
    if (QTest::currentTestFailed()) {
        return;
    }
    QVERIFY(!ProgramModuleLoaded(module));
    QVERIFY(!mapped(library));

    qputenv("KESTRELVIEW_MODULE_PATH", m_modulePath);
    use(feature, true);
    if (QTest::currentTestFailed()) {
        return;
    }
    QVERIFY(ProgramModuleLoaded(module));
    QVERIFY(mapped(library));
}

void OptionalModulesTest::use(Feature feature, bool moduleThere) {
    Platform& platform = *m_rig->platform;
    switch (feature) {
        case Feature::Charts: {
            // The first visitor of the data file: name, id, visits counted.
            const QList<QByteArray> first =
                readBytes(m_rig->window->book().dataPath()).split('\n').value(0).split('\t');
            m_rig->window->history().openVisitorHistory(first.value(1).toInt(), QStringLiteral("1"),
                                                        first.value(2).toInt());
            QWidget* visitor = topLevel(QStringLiteral("VisitorHistoryWindow"));
            QVERIFY(visitor);
            QTRY_VERIFY(!visitor->findChild<QLabel*>(QStringLiteral("status"))->isVisible());
            // The figures are there either way.
            const QString latest =
                visitor->findChild<QLabel*>(QStringLiteral("latestVisit"))->text();
            QVERIFY2(latest.contains(QStringLiteral("年")), qPrintable(latest));
            QWidget* weekly = visitor->findChild<QWidget*>(QStringLiteral("weeklyChart"));
            QVERIFY(weekly);
            m_rig->window->history().chartAction()->trigger();
            QWidget* everyone = topLevel(QStringLiteral("HistoryChartWindow"));
            QVERIFY(everyone);
            QTRY_VERIFY(!everyone->findChild<QLabel*>(QStringLiteral("status"))->isVisible());
            QVERIFY(everyone->findChild<QTreeWidget*>(QStringLiteral("frequentVisitors"))
                        ->topLevelItemCount() > 0);
            QWidget* daily = everyone->findChild<QWidget*>(QStringLiteral("dailyChart"));
            QVERIFY(daily);
            for (QWidget* chart : {weekly, daily}) {
                if (moduleThere) {
                    QCOMPARE(chart->metaObject()->className(), "QChartView");
                } else {
                    auto* line = qobject_cast<QLabel*>(chart);
                    QVERIFY(line);
                    QVERIFY2(line->text().contains(QLatin1String("charts.so")),
                             qPrintable(line->text()));
                }
            }
            closeAll();
            break;
        }
        case Feature::Sound: {
            const QString alarm = m_rig->path(QStringLiteral("alarm.wav"));
            QVERIFY(QFile::copy(QStringLiteral(KV_ALARM_WAV), alarm));
            const bool played = platform.sound->play(alarm, IfUnplayable::Silence);
            const QByteArray log = readBytes(platform.log.filePath());
            // Told once, when the module was missing; a machine without audio output may still
            // fail the sound itself later, quietly.
            QCOMPARE(log.count("sound: the alarm beeps instead"), 1);
            if (!moduleThere) {
                QVERIFY(!played);
            }
            QFile::remove(alarm);
            break;
        }
        case Feature::Cookies: {
            const FirefoxCookieRead read = ReadFirefoxCookies(m_profile);
            QCOMPARE(read.readable, moduleThere);
            if (moduleThere) {
                QCOMPARE(read.cookies.size(), 1);
                QCOMPARE(read.cookies.first().cookie.value(), QByteArray("from-firefox"));
            } else {
                QVERIFY2(read.problem.contains(QLatin1String("cookies.so")),
                         qPrintable(read.problem));
            }
            break;
        }
    }
}

QTEST_MAIN(OptionalModulesTest)
#include "optional_modules_test.moc"
