// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include "platform/event_log.h"
#include "platform/file_store.h"
#include "platform/paths.h"
#include "tests/support/fake_clock.h"
#include "tests/support/test_files.h"

class FileStoreTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init();
    void replacesTheFileOnlyWhenComplete();
    void anAbandonedWriteLeavesTheOldFile();
    void aDirectoryAtThePathCannotBeCreated();
    void appFileNamesLieInTheFolder();
    void theLogKeepsOneLineAnEventAndOnePreviousFile();

  private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FileStore> m_store;
};

void FileStoreTest::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    m_store = createLinuxFileStore();
}

void FileStoreTest::replacesTheFileOnlyWhenComplete() {
    const QString path = m_dir->filePath("data.dat");
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old\r\n");
    old.close();

    auto file = m_store->create(path);
    QVERIFY(file);
    QVERIFY(file->write("new 1\r\n"));
    QCOMPARE(readBytes(path), QByteArray("old\r\n"));
    QVERIFY(file->write("new 2\r\n"));
    QVERIFY(file->commit());
    QCOMPARE(readBytes(path), QByteArray("new 1\r\nnew 2\r\n"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"data.dat"});
}

void FileStoreTest::anAbandonedWriteLeavesTheOldFile() {
    const QString path = m_dir->filePath("data.dat");
    {
        auto first = m_store->create(path);
        QVERIFY(first->write("kept"));
        QVERIFY(first->commit());
    }
    {
        auto second = m_store->create(path);
        QVERIFY(second->write("half a fi"));
    }
    QCOMPARE(readBytes(path), QByteArray("kept"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"data.dat"});
}

void FileStoreTest::aDirectoryAtThePathCannotBeCreated() {
    const QString path = m_dir->filePath("data.dat");
    QVERIFY(QDir(m_dir->path()).mkdir("data.dat"));
    QVERIFY(!m_store->create(path));
    QVERIFY(!m_store->create(m_dir->filePath("missing-folder/data.dat")));
}

void FileStoreTest::appFileNamesLieInTheFolder() {
    QCOMPARE(AppFilePath("/opt/kv", "\\zodadud_data.dat"), QString("/opt/kv/zodadud_data.dat"));
    QCOMPARE(AppFilePath("/opt/kv/", "\\setting.ini"), QString("/opt/kv/setting.ini"));
    QCOMPARE(AppFilePath("/a b/c", "\\buf.tmp"), QString("/a b/c/buf.tmp"));
}

void FileStoreTest::theLogKeepsOneLineAnEventAndOnePreviousFile() {
    FakeClock clock;
    clock.wall = QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5));
    EventLog log;
    log.setClock(&clock);
    const QString path = m_dir->filePath("kestrelview.log");
    log.setFile(path);
    // A log of another encoding is kept whole as the previous file; the new one is UTF-8.
    const QByteArray cp932Log("2025/12/31 23:59:59\t\x8b\x4e\x93\xae\r\n");
    writeBytes(path, cp932Log);
    log.write(QString::fromUtf8("起動\tline\r\nbreak"));
    QCOMPARE(readBytes(path), QString("2026/01/02 03:04:05\t起動 line  break\n").toUtf8());
    QCOMPARE(readBytes(path + ".1"), cp932Log);
    QFile::remove(path + ".1");

    // Past the limit the file starts afresh; only the one before it is kept.
    const QString filler(1000, u'x');
    for (int i = 0; i < 2 * int(EventLog::kLimitBytes / 1000) + 5; ++i) {
        log.write(filler);
        QVERIFY(QFileInfo(path).size() <= EventLog::kLimitBytes);
    }
    QVERIFY(QFileInfo(path + ".1").size() > EventLog::kLimitBytes - 1100);
    QVERIFY(!QFileInfo::exists(path + ".2"));
    QVERIFY(readBytes(path).startsWith("2026/01/02 03:04:05\txxx"));

    // A log that cannot be written costs the caller nothing.
    log.setFile(m_dir->filePath("no-folder/kestrelview.log"));
    log.write("lost");
}

QTEST_GUILESS_MAIN(FileStoreTest)
#include "file_store_test.moc"
