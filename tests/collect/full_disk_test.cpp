// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// A disk that fills up while the program writes: on a small filesystem of the test's own, in a
// mount namespace of its own, with just less room than a file needs, so that the file opens and
// its first writes succeed and only the end of the write fails.
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/statvfs.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>

#include "collect/collector.h"
#include "platform/charset_convert.h"
#include "platform/file_store.h"
#include "platform/paths.h"
#include "platform/profile_file.h"
#include "platform/text_codec.h"
#include "tests/collect/collection_host_fake.h"
#include "tests/support/launch_sandbox.h"
#include "tests/support/network_test_platform.h"
#include "tests/support/test_files.h"
#include "tools/demo_service.h"
#include "visitors/visit_history.h"

namespace {

// Why this process has no mount namespace of its own; empty when it has one.
QString g_noNamespace;

const QDateTime kNow(QDate(2026, 12, 7), QTime(12, 0, 30));

// A tmpfs of `kib` KiB mounted over a temporary folder, visible to this process and its children
// only.
class SmallDisk {
  public:
    explicit SmallDisk(int kib = 512) {
        const QByteArray options = "size=" + QByteArray::number(kib) + "k,mode=0700";
        if (::mount("kestrelview-test", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0,
                    options.constData()) != 0) {
            m_problem = QStringLiteral("mount tmpfs: ") + QString::fromLocal8Bit(strerror(errno));
            return;
        }
        m_mounted = true;
    }
    ~SmallDisk() {
        if (m_mounted) {
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
        }
    }

    QString problem() const { return m_problem; }
    QString path() const { return m_dir.path(); }
    QString file(const char* name) const { return AppFilePath(path(), QString::fromLatin1(name)); }

    // Fills the disk until `bytes` (whole pages) are left free.
    void leaveFree(qint64 bytes) {
        QFile filler(fillerPath());
        QVERIFY(filler.open(QIODevice::Append | QIODevice::Unbuffered));
        const QByteArray page(4096, 'x');
        while (freeBytes() > bytes) {
            QVERIFY(filler.write(page.constData(),
                                 std::min<qint64>(page.size(), freeBytes() - bytes)) > 0);
        }
        QCOMPARE(freeBytes(), bytes);
    }
    void makeRoom() { QFile::remove(fillerPath()); }

    qint64 freeBytes() const {
        struct statvfs disk {};
        ::statvfs(QFile::encodeName(path()).constData(), &disk);
        return qint64(disk.f_bavail) * qint64(disk.f_frsize);
    }

    // The folder's files other than the filler.
    QStringList files() const {
        QStringList names = QDir(path()).entryList(QDir::Files | QDir::Hidden);
        names.removeAll(QStringLiteral(".filler"));
        return names;
    }

  private:
    QString fillerPath() const { return path() + QStringLiteral("/.filler"); }

    QTemporaryDir m_dir;
    QString m_problem;
    bool m_mounted = false;
};

// `rows` visitor lines of about 40 bytes each.
QByteArray visitorLines(int rows) {
    QByteArray bytes;
    for (int i = 1; i <= rows; ++i) {
        bytes += EncodeCp932(QStringLiteral("訪問者%1\t%1\t1\t2026年12月06日 22:19\t\r\n").arg(i));
    }
    return bytes;
}

}  // namespace

#define REQUIRE_DISK(disk)                                                                   \
    do {                                                                                     \
        const QString problem = !g_noNamespace.isEmpty() ? g_noNamespace : (disk).problem(); \
        if (!problem.isEmpty()) {                                                            \
            const QByteArray why = ("no small filesystem of our own: " + problem).toUtf8();  \
            if (qEnvironmentVariable("CI") == QLatin1String("true")) {                       \
                QFAIL(why.constData());                                                      \
            }                                                                                \
            QSKIP(why.constData());                                                          \
        }                                                                                    \
    } while (false)

class FullDiskTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void savesThatDoNotFitKeepTheOldFile_data();
    void savesThatDoNotFitKeepTheOldFile();
    void appendsThatDoNotFitLeaveNoPartOfThemselves();
    void pageThatDoesNotFitIsAFailedPage_data();
    void pageThatDoesNotFitIsAFailedPage();
    void programEndsOnAFullDiskKeepingItsSettings();
};

// The visitor files and the settings: the old file stays byte for byte, the user is told, and
// nothing is reported as saved.
void FullDiskTest::savesThatDoNotFitKeepTheOldFile_data() {
    QTest::addColumn<QString>("what");
    QTest::newRow("data file, fallback full too") << QStringLiteral("data");
    QTest::newRow("settings") << QStringLiteral("settings");
}

void FullDiskTest::savesThatDoNotFitKeepTheOldFile() {
    QFETCH(QString, what);
    SmallDisk disk;
    REQUIRE_DISK(disk);
    TestPlatform platform(disk.path());
    platform->log.setFile({});
    if (what == QLatin1String("data")) {
        const QByteArray old = visitorLines(3);
        writeBytes(disk.file("\\zodadud_data.dat"), old);
        TestCollectionHost host(*platform);
        host.files.TAB_FileLoad(host.DataPath);
        // 300 rows: under the 16 KiB a write is buffered in, so only the last flush meets the
        // full disk.
        for (int i = 1; i <= 300; ++i) {
            host.table.SetVisitor(QStringLiteral("訪問者%1").arg(i), QString::number(1000 + i),
                                  QStringLiteral("2"), QStringLiteral("2026年12月06日 22:19"), {},
                                  host.table.RowCount);
        }
        host.RefreshRanking();
        disk.leaveFree(4096);
        QVERIFY(!host.files.SaveDataFile(host.DataPath, false));
        QCOMPARE(readBytes(disk.file("\\zodadud_data.dat")), old);
        QCOMPARE(disk.files(), QStringList{QStringLiteral("zodadud_data.dat")});
        // The write error, then that its rows are not in the fallback either.
        QCOMPARE(platform.dialogs->messages.size(), size_t(2));
        QVERIFY(platform.dialogs->messages[1].prompt.contains(QStringLiteral("setting.bak")));
    } else {
        // Two pages of settings, with the service address a user cannot do without.
        QByteArray old = "[Setting]\r\nServiceUrl=http://127.0.0.1:8080\r\nWaitTime=30\r\n";
        old += "[Notes]\r\n" + QByteArray(6000, 'n') + "\r\n";
        const QString ini = disk.file("\\setting.ini");
        writeBytes(ini, old);
        disk.leaveFree(4096);
        QVERIFY(!WriteProfileString(*platform->files, QStringLiteral("Setting"),
                                    QStringLiteral("WaitTime"), QStringLiteral("45"), ini));
        QCOMPARE(readBytes(ini), old);
        QCOMPARE(disk.files(), QStringList{QStringLiteral("setting.ini")});
    }
}

// The history and the log: a failed append is cut back to the file's length before it, and the
// visits wait whole for the next append.
void FullDiskTest::appendsThatDoNotFitLeaveNoPartOfThemselves() {
    SmallDisk disk;
    REQUIRE_DISK(disk);
    const QString historyPath = HistoryFilePath(disk.path());
    const QByteArray kept = FormatHistoryLine(
        {1, QStringLiteral("前からの人"), QStringLiteral("2026年12月01日 10:00")});
    writeBytes(historyPath, kept);
    const QString logPath = disk.file("\\kestrelview.log");
    EventLog log;
    log.setFile(logPath);
    log.write(QStringLiteral("起動"));
    const QByteArray logBefore = readBytes(logPath);

    HistoryWriter history(historyPath);
    history.beginRun();
    for (int i = 0; i < 400; ++i) {
        history.add(100 + i, QStringLiteral("訪問者%1").arg(i),
                    QStringLiteral("2026年12月07日 12:00"));
    }
    disk.leaveFree(4096);
    QVERIFY(!history.appendPage().isEmpty());
    QCOMPARE(readBytes(historyPath), kept);
    log.write(QString(9000, u'x'));
    QCOMPARE(readBytes(logPath), logBefore);

    disk.makeRoom();
    QVERIFY(history.appendPage().isEmpty());
    const QByteArray after = readBytes(historyPath);
    QVERIFY(after.startsWith(kept));
    QCOMPARE(after.count("\r\n"), 401);
    QVERIFY(after.endsWith(FormatHistoryLine(
        {499, QStringLiteral("訪問者399"), QStringLiteral("2026年12月07日 12:00")})));
}

// A page that the disk cannot take whole, as it arrives, as it is converted or as the browser
// writes it, is a failed page: nothing counted, nothing saved, the data file as it was.
void FullDiskTest::pageThatDoesNotFitIsAFailedPage_data() {
    QTest::addColumn<int>("method");
    QTest::addColumn<qint64>("freeBytes");
    // The page is padded to 6 KiB: two pages of the disk.
    QTest::newRow("download") << 0 << qint64(4096);
    QTest::newRow("conversion after the download") << 0 << qint64(3 * 4096);
    QTest::newRow("browser page") << 1 << qint64(4096);
}

void FullDiskTest::pageThatDoesNotFitIsAFailedPage() {
    QFETCH(int, method);
    QFETCH(qint64, freeBytes);
    SmallDisk disk;
    REQUIRE_DISK(disk);
    TestPlatform platform(disk.path());
    platform->log.setFile({});
    installNetworkServices(platform);
    platform.clock->wall = kNow;
    const QByteArray old = visitorLines(3);
    writeBytes(disk.file("\\zodadud_data.dat"), old);
    DemoOptions options;
    options.padToBytes = 6 * 1024;
    options.entriesPerPage = 5;
    DemoServiceThread demo;
    QVERIFY(demo.start());
    demo.service().setOptions(options);
    demo.service().setNow(kNow);
    TestCollectionHost host(*platform);
    host.getOpt = method;
    host.files.TAB_FileLoad(host.DataPath);
    host.RefreshRanking();
    Collector collector(*platform, host, host,
                        FootprintPages::fromServiceUrl(QStringLiteral("http://127.0.0.1:") +
                                                       QString::number(demo.port())));
    platform.clock->onProcessEvents = [&host] {
        if (host.webBrowser.pendingNavigations() > 0) {
            QThread::msleep(1);
        }
    };
    disk.leaveFree(freeBytes);
    collector.collectFootprints();

    QCOMPARE(host.saves, 0);
    QCOMPARE(readBytes(disk.file("\\zodadud_data.dat")), old);
    const QString failed = QStringLiteral("取得に失敗しました (buf.tmp を書き込めません)");
    QCOMPARE(std::count(host.panel1.begin(), host.panel1.end(), failed), 2);
    QVERIFY(host.command1Enabled);
    QVERIFY(!host.Busy);
}

// Logging out or a TERM with a full disk: the program ends at once without a message box, the
// settings file keeps every key, and the log, which cannot be written, goes to standard error.
void FullDiskTest::programEndsOnAFullDiskKeepingItsSettings() {
    SmallDisk disk;
    REQUIRE_DISK(disk);
    QTemporaryDir programFolder;
    ProgramCopy copy(QStringLiteral(KV_PROGRAM), programFolder.path());
    QByteArray settings = "[Setting]\r\nServiceUrl=http://127.0.0.1:9\r\nWaitTime=30\r\n";
    settings += "[Notes]\r\n" + QByteArray(6000, 'n') + "\r\n";
    writeBytes(disk.file("\\setting.ini"), settings);
    writeBytes(disk.file("\\zodadud_data.dat"), visitorLines(3));

    QProcess& program = copy.start({QStringLiteral("--data-dir"), disk.path()});
    QTRY_VERIFY_WITH_TIMEOUT(QString::fromUtf8(readBytes(disk.file("\\kestrelview.log")))
                                 .contains(QStringLiteral("起動 Kestrelview")),
                             20000);
    disk.leaveFree(4096);
    program.terminate();
    QVERIFY(program.waitForFinished(20000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QCOMPARE(readBytes(disk.file("\\setting.ini")), settings);
    // In the log where it still has room in its last block, on standard error otherwise.
    const QString said = QString::fromUtf8(readBytes(disk.file("\\kestrelview.log")) +
                                           program.readAllStandardError());
    QVERIFY2(said.contains(QStringLiteral("設定の保存失敗")), qPrintable(said));
}

int main(int argc, char** argv) {
    // Before any thread exists: a process that has threads cannot leave its mount namespace.
    if (::unshare(CLONE_NEWNS) != 0) {
        g_noNamespace =
            QStringLiteral("unshare(CLONE_NEWNS): ") + QString::fromLocal8Bit(strerror(errno));
    } else if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        g_noNamespace =
            QStringLiteral("private mounts: ") + QString::fromLocal8Bit(strerror(errno));
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication application(argc, argv);
    FullDiskTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "full_disk_test.moc"
