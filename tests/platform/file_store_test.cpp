#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "platform/file_store.h"
#include "platform/paths.h"
#include "tests/support/test_files.h"

class FileStoreTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init();
    void replacesTheFileOnlyWhenComplete();
    void anAbandonedWriteLeavesTheOldFile();
    void aDirectoryAtThePathCannotBeCreated();
    void appFileNamesLieInTheFolder();

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

QTEST_GUILESS_MAIN(FileStoreTest)
#include "file_store_test.moc"
