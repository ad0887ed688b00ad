// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QtTest>

#include "collect/page_retrieval.h"
#include "platform/text_codec.h"
#include "tests/support/test_files.h"
#include "tests/support/test_platform.h"

class PageRetrievalTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void fileLinesAreJoinedWithNothingBetween_data();
    void fileLinesAreJoinedWithNothingBetween();
    void readingPausesAfterEveryLine();
    void unreadableFileGivesEmptyText();
    void browserPageIsOneQuotedRecord();
    void browserPageThatCannotBeWrittenLeavesNoFile();
    void dnsPatternStopsInsideTheBrowserName();
    void loginFormIsRecognisedInEitherMarkup_data();
    void loginFormIsRecognisedInEitherMarkup();
};

void PageRetrievalTest::fileLinesAreJoinedWithNothingBetween_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("CR LF") << QByteArray("ab\r\ncd\r\n") << QStringLiteral("abcd");
    QTest::newRow("LF only") << QByteArray("ab\ncd\n") << QStringLiteral("abcd");
    QTest::newRow("CR only") << QByteArray("ab\rcd") << QStringLiteral("abcd");
    QTest::newRow("word broken across lines")
        << QByteArray("show_fri\r\nend.pl?id=1") << QStringLiteral("show_friend.pl?id=1");
    QTest::newRow("empty lines") << QByteArray("\r\n\r\nx\r\n\r\n") << QStringLiteral("x");
    QTest::newRow("CP932 text") << EncodeCp932(QStringLiteral("足あと\r\n一覧"))
                                << QStringLiteral("足あと一覧");
    QTest::newRow("bytes that are not CP932 are kept as replacement characters")
        << QByteArray("a\x81\r\nb") << QStringLiteral("a\uFFFDb");
}

void PageRetrievalTest::fileLinesAreJoinedWithNothingBetween() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QTemporaryDir dir;
    TestPlatform platform(dir.path());
    const QString path = dir.filePath(QStringLiteral("buf.tmp"));
    writeBytes(path, bytes);
    QCOMPARE(ReadWholeFile(*platform.clock, path), text);
}

void PageRetrievalTest::readingPausesAfterEveryLine() {
    QTemporaryDir dir;
    TestPlatform platform(dir.path());
    const QString path = dir.filePath(QStringLiteral("buf.tmp"));
    writeBytes(path, QByteArray("1\r\n2\r\n3\r\n4\r\n5\r\n"));
    const quint32 before = platform.clock->counter;
    ReadWholeFile(*platform.clock, path);
    // Each pause lasts until more than one millisecond has passed.
    QCOMPARE(platform.clock->counter - before, 10u);
    QVERIFY(platform.clock->doEventsCalls >= 5);
}

void PageRetrievalTest::unreadableFileGivesEmptyText() {
    QTemporaryDir dir;
    TestPlatform platform(dir.path());
    QCOMPARE(ReadWholeFile(*platform.clock, dir.filePath(QStringLiteral("missing"))), QString());
    QCOMPARE(ReadWholeFile(*platform.clock, dir.path()), QString());
}

void PageRetrievalTest::browserPageIsOneQuotedRecord() {
    QTemporaryDir dir;
    TestPlatform platform(dir.path());
    const QString path = dir.filePath(QStringLiteral("buf.tmp"));
    writeBytes(path, QByteArray("an older page, longer than the new one\r\n"));
    const QString markup = QStringLiteral("<A href=\"\"x\"\">足あと</A>\n<P>二行目</P>");
    QVERIFY(ReadBrowserPage(*platform.files, markup, path));
    QCOMPARE(readBytes(path), EncodeCp932(u'"' + markup + u'"') + "\r\n");
    QCOMPARE(ReadWholeFile(*platform.clock, path),
             QStringLiteral("\"<A href=\"\"x\"\">足あと</A><P>二行目</P>\""));
}

void PageRetrievalTest::browserPageThatCannotBeWrittenLeavesNoFile() {
    QTemporaryDir dir;
    TestPlatform platform(dir.path());
    const QString path = dir.filePath(QStringLiteral("buf.tmp"));
    writeBytes(path, QByteArray("old"));
    platform.files->failWrite = [](const QString&, int) { return true; };
    QVERIFY(!ReadBrowserPage(*platform.files, QStringLiteral("page"), path));
    QVERIFY(!QFileInfo::exists(path));
}

void PageRetrievalTest::dnsPatternStopsInsideTheBrowserName() {
    QCOMPARE(kDnsErrorPattern.size(), 42);
    QVERIFY(kDnsErrorPattern.endsWith(QStringLiteral("<BR>Internet Explor")));
}

void PageRetrievalTest::loginFormIsRecognisedInEitherMarkup_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("method");
    QTest::addColumn<bool>("login");
    QTest::newRow("as the service sends it")
        << QStringLiteral("<p>パスワード <input type=\"password\" name=\"password\" /></p>") << 0
        << true;
    QTest::newRow("as the browser writes it")
        << QStringLiteral("\"<P>パスワード <INPUT type=password name=password></P>\"") << 1 << true;
    QTest::newRow("type after other attributes, quoted the browser's way")
        << QStringLiteral("\"<INPUT class=\"\"a b\"\" TYPE=\"\"PASSWORD\"\">\"") << 1 << true;
    QTest::newRow("a text field named password")
        << QStringLiteral("<input type=\"text\" name=\"password\">") << 0 << false;
    QTest::newRow("the word outside a field")
        << QStringLiteral("<p>type=password を忘れた方</p>") << 0 << false;
    QTest::newRow("sent on to the login page")
        << QStringLiteral("<meta http-equiv=refresh content=\"0;url=/login.pl\">") << 0 << true;
    QTest::newRow("sent back to the page itself")
        << QStringLiteral("<meta http-equiv=refresh content=\"0;url=/show_log.pl\">") << 0 << false;
}

void PageRetrievalTest::loginFormIsRecognisedInEitherMarkup() {
    QFETCH(QString, text);
    QFETCH(int, method);
    QFETCH(bool, login);
    QCOMPARE(AsksForLogin(text, QUrl(QStringLiteral("http://mixi.test/show_log.pl")),
                          method == 1 ? RetrievalMethod::Browser : RetrievalMethod::Download),
             login);
}

QTEST_GUILESS_MAIN(PageRetrievalTest)
#include "page_retrieval_test.moc"
