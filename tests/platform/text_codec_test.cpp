// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QStringEncoder>
#include <QTest>

#include "platform/text_codec.h"

class TextCodecTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void writesWhatWindowsWrites_data();
    void writesWhatWindowsWrites();
    void unmappableCharactersBecomeQuestionMarks_data();
    void unmappableCharactersBecomeQuestionMarks();
    void textSurvivesTheRoundTrip();
    void badBytesBecomeReplacementCharacters_data();
    void badBytesBecomeReplacementCharacters();
    void eucJpPages();
    void fewBadCharactersSpoilNothingAroundThem_data();
    void fewBadCharactersSpoilNothingAroundThem();
    void tipIsCutWithoutSplittingACharacter_data();
    void tipIsCutWithoutSplittingACharacter();
};

void TextCodecTest::writesWhatWindowsWrites_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("circled one (NEC row 13)") << QStringLiteral("①") << QByteArray("\x87\x40");
    QTest::newRow("parenthesised kabushiki") << QStringLiteral("㈱") << QByteArray("\x87\x8A");
    QTest::newRow("ladder taka (IBM extension)") << QStringLiteral("髙") << QByteArray("\xFB\xFC");
    QTest::newRow("full-width tilde") << QStringLiteral("～") << QByteArray("\x81\x60");
    QTest::newRow("approximately equal") << QStringLiteral("≒") << QByteArray("\x81\xE0");
    QTest::newRow("roman numeral one") << QStringLiteral("Ⅰ") << QByteArray("\x87\x54");
    QTest::newRow("not sign") << QStringLiteral("¬") << QByteArray("\x81\xCA");
    QTest::newRow("wave dash from an input method")
        << QString(QChar(0x301C)) << QByteArray("\x81\x60");
    QTest::newRow("minus sign") << QString(QChar(0x2212)) << QByteArray("\x81\x7C");
    QTest::newRow("double vertical line") << QString(QChar(0x2016)) << QByteArray("\x81\x61");
    QTest::newRow("em dash") << QString(QChar(0x2014)) << QByteArray("\x81\x5C");
    QTest::newRow("cent and pound") << QStringLiteral("¢£") << QByteArray("\x81\x91\x81\x92");
    QTest::newRow("half-width kana") << QStringLiteral("ｶﾅ") << QByteArray("\xB6\xC5");
    QTest::newRow("ascii with tab and backslash")
        << QStringLiteral("a\tb\\c,~") << QByteArray("a\tb\\c,~");
    QTest::newRow("kanji name") << QStringLiteral("山田太郎")
                                << QByteArray("\x8E\x52\x93\x63\x91\xBE\x98\x59");
}

void TextCodecTest::writesWhatWindowsWrites() {
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(EncodeCp932(text), bytes);
}

void TextCodecTest::unmappableCharactersBecomeQuestionMarks_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("euro between letters") << QStringLiteral("a€b") << QByteArray("a?b");
    QTest::newRow("emoji is one character") << QStringLiteral("x😀y") << QByteArray("x?y");
    QTest::newRow("hangul") << QStringLiteral("한") << QByteArray("?");
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QByteArray("?");
    QTest::newRow("mixed with kanji") << QStringLiteral("髙€①") << QByteArray("\xFB\xFC?\x87\x40");
}

void TextCodecTest::unmappableCharactersBecomeQuestionMarks() {
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(EncodeCp932(text), bytes);
}

void TextCodecTest::textSurvivesTheRoundTrip() {
    const QString text =
        QStringLiteral("名前\t12345\t3\t2009年01月07日 22:19\tﾒﾓ ①㈱髙～≒Ⅰ¬ ⅰ№℡∵ 纊褜\r\n");
    bool exact = false;
    QCOMPARE(DecodeCp932(EncodeCp932(text), &exact), QString(text).replace(u'¬', QChar(0xFFE2)));
    QVERIFY(exact);
}

void TextCodecTest::badBytesBecomeReplacementCharacters_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    const QString bad(QChar::ReplacementCharacter);
    QTest::newRow("byte that is never CP932") << QByteArray(
                                                     "a\xFF"
                                                     "b")
                                              << QStringLiteral("a") + bad + "b";
    QTest::newRow("lead byte before a line feed keeps the line end")
        << QByteArray("a\x81\nb") << QStringLiteral("a") + bad + "\nb";
    QTest::newRow("lead byte at the very end")
        << QByteArray("ab\x81") << QStringLiteral("ab") + bad;
    QTest::newRow("lead byte before a tab keeps the separator")
        << QByteArray("\x88\tx") << bad + "\tx";
}

void TextCodecTest::badBytesBecomeReplacementCharacters() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    bool exact = true;
    QCOMPARE(DecodeCp932(bytes, &exact), text);
    QVERIFY(!exact);
}

void TextCodecTest::eucJpPages() {
    bool exact = false;
    // "足跡" in EUC-JP, then half-width kana (SS2).
    QCOMPARE(DecodeEucJp(QByteArray("\xC2\xAD\xC0\xD7 \x8E\xB1"), &exact),
             QStringLiteral("足跡 ｱ"));
    QVERIFY(exact);
    QCOMPARE(DecodeEucJp(QByteArray("a\xC2"), &exact), QStringLiteral("a") + QChar(0xFFFD));
    QVERIFY(!exact);
}

void TextCodecTest::fewBadCharactersSpoilNothingAroundThem_data() {
    QTest::addColumn<QString>("conversion");
    QTest::newRow("reading CP932") << QStringLiteral("CP932");
    QTest::newRow("reading EUC-JP") << QStringLiteral("EUC-JP");
    QTest::newRow("writing CP932") << QStringLiteral("write");
}

// A long text (over 64 KiB, clean in its first part) whose characters recur on both sides of the
// bad ones converts, piece by piece, exactly as each clean piece does on its own.
void TextCodecTest::fewBadCharactersSpoilNothingAroundThem() {
    QFETCH(QString, conversion);
    const bool eucJp = conversion == QStringLiteral("EUC-JP");
    const QString kanji = QStringLiteral("山川田中森林木本村上下足跡鈴花子");
    const int pieces = 6000;
    const int firstBad = 4000;
    QString text;
    QByteArray bytes;
    QByteArray expectedBytes;
    QString expectedText;
    for (int i = 0; i < pieces; ++i) {
        const QString piece =
            QString::number(i) +
            (eucJp ? QStringLiteral("足跡 ｱ\t\r\n") : QStringLiteral("山田①髙ｶﾅ～¬\t\r\n")) +
            kanji[i % kanji.size()];
        const bool bad = i >= firstBad;
        const QByteArray clean =
            eucJp ? QStringEncoder("EUC-JP").encode(piece) : EncodeCp932(piece);
        bool exact = false;
        expectedText += eucJp ? DecodeEucJp(clean, &exact) : DecodeCp932(clean, &exact);
        QVERIFY(exact);
        bytes += clean;
        text += piece;
        expectedBytes += clean;
        if (bad) {
            bytes += '\xFF';
            expectedText += QChar::ReplacementCharacter;
            text += QStringLiteral("😀");
            expectedBytes += '?';
        }
    }
    QVERIFY(bytes.size() > 64 * 1024);
    if (conversion == QStringLiteral("write")) {
        QCOMPARE(EncodeCp932(text), expectedBytes);
        return;
    }
    bool exact = true;
    QCOMPARE(eucJp ? DecodeEucJp(bytes, &exact) : DecodeCp932(bytes, &exact), expectedText);
    QVERIFY(!exact);
}

void TextCodecTest::tipIsCutWithoutSplittingACharacter_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("cut");
    QTest::newRow("caption fits") << QStringLiteral("Kestrelviewβ(0.3.3)")
                                  << QStringLiteral("Kestrelviewβ(0.3.3)");
    QTest::newRow("64 ascii letters lose one") << QString(64, u'a') << QString(63, u'a');
    QTest::newRow("32 kanji keep 31") << QString(32, QChar(0x5C71)) << QString(31, QChar(0x5C71));
    QTest::newRow("a kanji that would straddle the end goes")
        << QString(62, u'a') + QChar(0x5C71) << QString(62, u'a');
}

void TextCodecTest::tipIsCutWithoutSplittingACharacter() {
    QFETCH(QString, text);
    QFETCH(QString, cut);
    QCOMPARE(TruncateToCp932Bytes(text, 63), cut);
    QVERIFY(EncodeCp932(TruncateToCp932Bytes(text, 63)).size() <= 63);
}

QTEST_GUILESS_MAIN(TextCodecTest)
#include "text_codec_test.moc"
