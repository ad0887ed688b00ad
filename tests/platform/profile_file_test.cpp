// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QStringEncoder>
#include <QtTest>

#include "platform/profile_file.h"
#include "platform/text_codec.h"
#include "tests/support/faulty_file_store.h"
#include "tests/support/test_files.h"

namespace {

const QString kSetting = QStringLiteral("Setting");

QByteArray utf8WithMark(const QString& text) {
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

QByteArray utf16LeWithMark(const QString& text) {
    return QByteArray("\xFF\xFE") + QStringEncoder(QStringEncoder::Utf16LE).encode(text);
}

}  // namespace

class ProfileFileTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void integerIsTheNumberTheValueBeginsWithOrTheDefault_data();
    void integerIsTheNumberTheValueBeginsWithOrTheDefault();
    void stringReadsTrimmedOrDefault();
    void writeKeepsEveryOtherLine_data();
    void writeKeepsEveryOtherLine();
    void writeThatFailsKeepsTheOldFile();
};

void ProfileFileTest::integerIsTheNumberTheValueBeginsWithOrTheDefault_data() {
    QTest::addColumn<QByteArray>("file");  // empty: no file at all
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("value");
    const int d = 30;  // the default asked for
    const QByteArray head = "[Setting]\r\n";
    QTest::newRow("missing file") << QByteArray() << QStringLiteral("WaitTime") << d;
    QTest::newRow("missing section")
        << QByteArray("[Other]\r\nWaitTime=5\r\n") << QStringLiteral("WaitTime") << d;
    QTest::newRow("missing key") << head + "IE=1\r\n" << QStringLiteral("WaitTime") << d;
    QTest::newRow("plain number") << head + "WaitTime=45\r\n" << QStringLiteral("WaitTime") << 45;
    QTest::newRow("empty value") << head + "WaitTime=\r\n" << QStringLiteral("WaitTime") << d;
    QTest::newRow("letters") << head + "WaitTime=abc\r\n" << QStringLiteral("WaitTime") << 0;
    QTest::newRow("minus one") << head + "GetOpt=-1\r\n" << QStringLiteral("GetOpt") << -1;
    QTest::newRow("beyond 16 bits") << head + "WaitTime=99999\r\n"
                                    << QStringLiteral("WaitTime") << 99999;
    QTest::newRow("beyond 32 bits stops at the edge") << head + "WaitTime=99999999999\r\n"
                                                      << QStringLiteral("WaitTime") << 2147483647;
    QTest::newRow("number then letters") << head + "WaitTime=12min\r\n"
                                         << QStringLiteral("WaitTime") << 12;
    QTest::newRow("plus sign") << head + "WaitTime=+5\r\n" << QStringLiteral("WaitTime") << 5;
    QTest::newRow("two signs are not a number") << head + "WaitTime=+-5\r\n"
                                                << QStringLiteral("WaitTime") << 0;
    QTest::newRow("fraction stops at the point") << head + "WaitTime=2.5\r\n"
                                                 << QStringLiteral("WaitTime") << 2;
    QTest::newRow("blanks around") << head + "  WaitTime  =  7  \r\n"
                                   << QStringLiteral("WaitTime") << 7;
    QTest::newRow("first of duplicate keys") << head + "WaitTime=5\r\nWaitTime=6\r\n"
                                             << QStringLiteral("WaitTime") << 5;
    QTest::newRow("names without regard to case")
        << QByteArray("[setting]\r\nwaittime=8\r\n") << QStringLiteral("WaitTime") << 8;
    QTest::newRow("comment line is no key") << head + ";WaitTime=1\r\nWaitTime=2\r\n"
                                            << QStringLiteral("WaitTime") << 2;
    QTest::newRow("LF line ends") << QByteArray("[Setting]\nIE=1\nWaitTime=9\n")
                                  << QStringLiteral("WaitTime") << 9;
    QTest::newRow("key of a later section does not count")
        << head + "IE=1\r\n[Other]\r\nWaitTime=3\r\n"
        << QStringLiteral("WaitTime") << d;
    QTest::newRow("first of duplicate sections")
        << head + "IE=1\r\n[Other]\r\n[Setting]\r\nWaitTime=3\r\n"
        << QStringLiteral("WaitTime") << d;
    QTest::newRow("bytes that are not CP932 elsewhere")
        << QByteArray("[Setting]\r\nMemo=\x81\r\nWaitTime=4\r\n") << QStringLiteral("WaitTime")
        << 4;
    QTest::newRow("UTF-8 file with its mark")
        << utf8WithMark(QStringLiteral("[Setting]\r\nMemo=三十\r\nWaitTime=6\r\n"))
        << QStringLiteral("WaitTime") << 6;
    QTest::newRow("UTF-16LE file with its mark")
        << utf16LeWithMark(QStringLiteral("[Setting]\r\nMemo=三十\r\nWaitTime=7\r\n"))
        << QStringLiteral("WaitTime") << 7;
}

void ProfileFileTest::integerIsTheNumberTheValueBeginsWithOrTheDefault() {
    QFETCH(QByteArray, file);
    QFETCH(QString, key);
    QFETCH(int, value);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("setting.ini"));
    if (!file.isEmpty()) {
        writeBytes(path, file);
    }
    QCOMPARE(ReadProfileInt(kSetting, key, 30, path), value);
}

void ProfileFileTest::stringReadsTrimmedOrDefault() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("setting.ini"));
    QCOMPARE(ReadProfileString(kSetting, QStringLiteral("ServiceUrl"), QStringLiteral("d"), path),
             QStringLiteral("d"));
    writeBytes(path, "[SETTING]\r\nserviceurl = http://127.0.0.1:8080 \r\nEmpty=\r\n");
    QCOMPARE(ReadProfileString(kSetting, QStringLiteral("ServiceUrl"), QString(), path),
             QStringLiteral("http://127.0.0.1:8080"));
    QCOMPARE(ReadProfileString(kSetting, QStringLiteral("Empty"), QStringLiteral("d"), path),
             QString());
}

void ProfileFileTest::writeKeepsEveryOtherLine_data() {
    QTest::addColumn<QByteArray>("before");  // empty: no file
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("new file") << QByteArray() << QStringLiteral("WaitTime") << QStringLiteral("30")
                              << QByteArray("[Setting]\r\nWaitTime=30\r\n");
    QTest::newRow("replace in place, other lines kept")
        << QByteArray("; kept\r\n[Setting]\r\nWaitTime=30\r\nIE=0\r\n")
        << QStringLiteral("WaitTime") << QStringLiteral("abc")
        << QByteArray("; kept\r\n[Setting]\r\nWaitTime=abc\r\nIE=0\r\n");
    QTest::newRow("new key after the last key of its section")
        << QByteArray("[Setting]\r\nWaitTime=30\r\n\r\n[Other]\r\nX=1\r\n") << QStringLiteral("IE")
        << QStringLiteral("1")
        << QByteArray("[Setting]\r\nWaitTime=30\r\nIE=1\r\n\r\n[Other]\r\nX=1\r\n");
    QTest::newRow("new key in a section without keys")
        << QByteArray("[Setting]\r\n; note\r\n[Other]\r\n") << QStringLiteral("IE")
        << QStringLiteral("0") << QByteArray("[Setting]\r\nIE=0\r\n; note\r\n[Other]\r\n");
    QTest::newRow("new section at the end")
        << QByteArray("[Other]\r\nX=1") << QStringLiteral("Alarm") << QStringLiteral("1")
        << QByteArray("[Other]\r\nX=1\r\n[Setting]\r\nAlarm=1\r\n");
    QTest::newRow("first of duplicate keys replaced")
        << QByteArray("[Setting]\r\nIE=1\r\nIE=2\r\n") << QStringLiteral("IE")
        << QStringLiteral("0") << QByteArray("[Setting]\r\nIE=0\r\nIE=2\r\n");
    QTest::newRow("mixed case keeps the file's spelling")
        << QByteArray("[SETTING]\r\n waittime = 5\r\n") << QStringLiteral("WaitTime")
        << QStringLiteral("6") << QByteArray("[SETTING]\r\nwaittime=6\r\n");
    QTest::newRow("comment that looks like the key")
        << QByteArray("[Setting]\r\n;IE=9\r\n") << QStringLiteral("IE") << QStringLiteral("1")
        << QByteArray("[Setting]\r\nIE=1\r\n;IE=9\r\n");
    QTest::newRow("LF line ends become CR LF")
        << QByteArray("[Setting]\nIE=1\nBatsu=0\n") << QStringLiteral("IE") << QStringLiteral("0")
        << QByteArray("[Setting]\r\nIE=0\r\nBatsu=0\r\n");
    QTest::newRow("undecodable bytes of other lines survive")
        << QByteArray("[Setting]\r\nMemo=\x81\xFF\r\n") << QStringLiteral("IE")
        << QStringLiteral("1") << QByteArray("[Setting]\r\nMemo=\x81\xFF\r\nIE=1\r\n");
    QTest::newRow("value in CP932")
        << QByteArray() << QStringLiteral("WaitTime") << QStringLiteral("三十")
        << QByteArray("[Setting]\r\nWaitTime=") + EncodeCp932(QStringLiteral("三十")) + "\r\n";
    QTest::newRow("line end inside a value cannot add a line")
        << QByteArray() << QStringLiteral("WaitTime") << QStringLiteral("1\r\n[X]")
        << QByteArray("[Setting]\r\nWaitTime=1  [X]\r\n");
    QTest::newRow("UTF-8 file keeps its mark and its form")
        << utf8WithMark(QStringLiteral("[Setting]\r\nMemo=三十\r\n")) << QStringLiteral("IE")
        << QStringLiteral("一")
        << utf8WithMark(QStringLiteral("[Setting]\r\nMemo=三十\r\nIE=一\r\n"));
    QTest::newRow("UTF-16LE file keeps its mark and its form")
        << utf16LeWithMark(QStringLiteral("[Other]\r\nX=三\r\n[Setting]\r\nIE=1\r\n"))
        << QStringLiteral("WaitTime") << QStringLiteral("三十")
        << utf16LeWithMark(
               QStringLiteral("[Other]\r\nX=三\r\n[Setting]\r\nIE=1\r\nWaitTime=三十\r\n"));
    // Half a character at the end is completed, so the new section after it reads back.
    const QByteArray oddHead = utf16LeWithMark(QStringLiteral("[Other]\r\nX=三")) + 'A';
    QTest::newRow("UTF-16LE file of odd length without the section")
        << oddHead << QStringLiteral("WaitTime") << QStringLiteral("30")
        << oddHead + '\0' +
               utf16LeWithMark(QStringLiteral("\r\n[Setting]\r\nWaitTime=30\r\n")).mid(2);
}

void ProfileFileTest::writeKeepsEveryOtherLine() {
    QFETCH(QByteArray, before);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("setting.ini"));
    if (!before.isEmpty()) {
        writeBytes(path, before);
    }
    FaultyFileStore files;
    QVERIFY(WriteProfileString(files, kSetting, key, value, path));
    QCOMPARE(readBytes(path), after);
}

void ProfileFileTest::writeThatFailsKeepsTheOldFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("setting.ini"));
    const QByteArray old("[Setting]\r\nIE=1\r\n");
    writeBytes(path, old);
    FaultyFileStore files;
    files.failCommit = [](const QString&) { return true; };
    QVERIFY(!WriteProfileString(files, kSetting, QStringLiteral("IE"), QStringLiteral("0"), path));
    QCOMPARE(readBytes(path), old);

    // A directory where the file should be cannot be read, so it is not replaced either.
    const QString folder = dir.filePath(QStringLiteral("folder.ini"));
    QVERIFY(QDir().mkdir(folder));
    FaultyFileStore plain;
    QVERIFY(
        !WriteProfileString(plain, kSetting, QStringLiteral("IE"), QStringLiteral("0"), folder));
    QVERIFY(QFileInfo(folder).isDir());
}

QTEST_GUILESS_MAIN(ProfileFileTest)
#include "profile_file_test.moc"
