// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QtTest>

#include "platform/charset_convert.h"
#include "platform/http_origin.h"
#include "platform/runtime_error.h"
#include "platform/sound.h"
#include "platform/text_codec.h"
#include "tests/support/faulty_file_store.h"
#include "tests/support/test_files.h"

namespace {

quint32 le(const QByteArray& bytes, int at, int size) {
    quint32 value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = (value << 8) | quint8(bytes[at + i]);
    }
    return value;
}

}  // namespace

class CollectServicesTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void pageIsRewrittenFromEucJpToCp932InPlace_data();
    void pageIsRewrittenFromEucJpToCp932InPlace();
    void conversionFailuresAreReportedAndKeepTheFile();
    void originOfAnHttpAddress_data();
    void originOfAnHttpAddress();
    void alarmFileIsAShortPcmWave();
    void alarmPlaysWithoutWaitingEvenWithoutASoundDevice();
};

void CollectServicesTest::pageIsRewrittenFromEucJpToCp932InPlace_data() {
    QTest::addColumn<QByteArray>("euc");
    QTest::addColumn<QByteArray>("cp932");
    QStringEncoder euc("EUC-JP");
    const QString text = QStringLiteral("<a href=\"show_friend.pl?id=1\">山田ｶﾅ①</a>\r\n足あと\n");
    QTest::newRow("page") << QByteArray(euc.encode(text)) << EncodeCp932(text);
    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("bytes that are not EUC-JP become ?")
        << QByteArray("a\xA4 b\xFF") << QByteArray("a? b?");
}

void CollectServicesTest::pageIsRewrittenFromEucJpToCp932InPlace() {
    QFETCH(QByteArray, euc);
    QFETCH(QByteArray, cp932);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("buf.tmp"));
    writeBytes(path, euc);
    FaultyFileStore files;
    QVERIFY(ConvertCharset(files, path, path));
    QCOMPARE(readBytes(path), cp932);
}

void CollectServicesTest::conversionFailuresAreReportedAndKeepTheFile() {
    QTemporaryDir dir;
    FaultyFileStore files;
    const QString missing = dir.filePath(QStringLiteral("missing.tmp"));
    try {
        (void)ConvertCharset(files, missing, missing);
        QFAIL("no failure");
    } catch (const RuntimeError& error) {
        QCOMPARE(error.number(), 53);
    }
    try {
        (void)ConvertCharset(files, dir.path(), dir.filePath(QStringLiteral("x")));
        QFAIL("no failure");
    } catch (const RuntimeError& error) {
        QCOMPARE(error.number(), 75);
    }
    const QString path = dir.filePath(QStringLiteral("buf.tmp"));
    writeBytes(path, "\xC2\xAD");
    files.failCommit = [](const QString&) { return true; };
    QVERIFY(!ConvertCharset(files, path, path));
    QCOMPARE(readBytes(path), QByteArray("\xC2\xAD"));
}

void CollectServicesTest::originOfAnHttpAddress_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("origin");  // empty: none
    QTest::newRow("none") << QString() << QString();
    QTest::newRow("demo service") << QStringLiteral("http://127.0.0.1:8080")
                                  << QStringLiteral("http://127.0.0.1:8080");
    QTest::newRow("path, query and login ignored")
        << QStringLiteral("HTTPS://user:pw@Example.test/x/y?z=1#f")
        << QStringLiteral("https://example.test");
    QTest::newRow("blanks around")
        << QStringLiteral("  http://[::1]:9000/  ") << QStringLiteral("http://[::1]:9000");
    QTest::newRow("relative address") << QStringLiteral("127.0.0.1:8080") << QString();
    QTest::newRow("other scheme") << QStringLiteral("ftp://127.0.0.1") << QString();
    QTest::newRow("no host") << QStringLiteral("http://") << QString();
    QTest::newRow("garbage") << QStringLiteral("http://exa mple:port") << QString();
}

void CollectServicesTest::originOfAnHttpAddress() {
    QFETCH(QString, address);
    QFETCH(QString, origin);
    QCOMPARE(HttpOrigin(address).value_or(QString()), origin);
}

void CollectServicesTest::alarmFileIsAShortPcmWave() {
    const QByteArray wav = readBytes(QStringLiteral(KV_ALARM_WAV));
    QVERIFY(wav.size() > 44);
    QCOMPARE(wav.left(4), QByteArray("RIFF"));
    QCOMPARE(le(wav, 4, 4), quint32(wav.size() - 8));
    QCOMPARE(wav.mid(8, 8), QByteArray("WAVEfmt "));
    QCOMPARE(le(wav, 20, 2), 1u);  // PCM
    const quint32 rate = le(wav, 24, 4);
    const quint32 bytesPerSecond = le(wav, 28, 4);
    QCOMPARE(wav.mid(36, 4), QByteArray("data"));
    const quint32 data = le(wav, 40, 4);
    QCOMPARE(data, quint32(wav.size() - 44));
    QVERIFY(rate >= 8000);
    const double seconds = double(data) / bytesPerSecond;
    QVERIFY2(seconds > 0.2 && seconds < 2.0, qPrintable(QString::number(seconds)));
}

void CollectServicesTest::alarmPlaysWithoutWaitingEvenWithoutASoundDevice() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("alarm.wav"));
    QVERIFY(QFile::copy(QStringLiteral(KV_ALARM_WAV), path));
    auto sound = createQtSound();
    QElapsedTimer timer;
    timer.start();
    sound->play(path);
    sound->play(path);  // again at once, as the second page does
    QVERIFY(timer.elapsed() < 1000);
    QTest::qWait(300);  // the sound gets under way, or fails quietly, meanwhile
    QVERIFY(!sound->play(dir.filePath(QStringLiteral("missing.wav")), IfUnplayable::Silence));
}

QTEST_MAIN(CollectServicesTest)
#include "collect_services_test.moc"
