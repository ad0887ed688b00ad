// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QRandomGenerator>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTest>
#include <initializer_list>

#include "platform/text_codec.h"

namespace {

// Characters that Linux input methods produce and CP932 lacks, and the bytes of the CP932 form
// they are written as.
struct InputMethodForm {
    const char* name;
    char16_t character;
    const char* bytes;
};
const InputMethodForm kInputMethodForms[] = {
    {"wave dash from an input method", 0x301C, "\x81\x60"},
    {"minus sign", 0x2212, "\x81\x7C"},
    {"double vertical line", 0x2016, "\x81\x61"},
    {"em dash", 0x2014, "\x81\x5C"},
    {"cent", 0x00A2, "\x81\x91"},
    {"pound", 0x00A3, "\x81\x92"},
    {"not sign", 0x00AC, "\x81\xCA"},
};

const char* const kCp932 = "windows-31j";
const char* const kEucJp = "EUC-JP";

// The reference: Qt's converters (ICU), as the program converts with them. The whole text goes
// in one go; where that fails, a character at a time, each its converter's text or U+FFFD (for
// encoding, "?"). The reference cuts characters as the program does, so that a bad byte costs
// only its own character.
using UnitLength = qsizetype (*)(const QByteArray&, qsizetype);

qsizetype cp932Length(const QByteArray& bytes, qsizetype i) {
    const auto in = [&](qsizetype k, int from, int to) {
        return quint8(bytes[k]) >= from && quint8(bytes[k]) <= to;
    };
    const bool lead = in(i, 0x81, 0x9F) || in(i, 0xE0, 0xFC);
    return lead && i + 1 < bytes.size() && (in(i + 1, 0x40, 0x7E) || in(i + 1, 0x80, 0xFC)) ? 2 : 1;
}

qsizetype eucJpLength(const QByteArray& bytes, qsizetype i) {
    const quint8 lead = quint8(bytes[i]);
    const qsizetype wanted = lead == 0x8F                                     ? 3
                             : (lead == 0x8E || lead >= 0xA1) && lead <= 0xFE ? 2
                                                                              : 1;
    qsizetype n = 1;
    while (n < wanted && i + n < bytes.size() && quint8(bytes[i + n]) >= 0xA1 &&
           quint8(bytes[i + n]) <= 0xFE) {
        ++n;
    }
    return n;
}

QString referenceDecode(const char* codec, UnitLength unitLength, const QByteArray& bytes,
                        bool* exact) {
    QStringDecoder whole(codec);
    // A final line feed makes a character cut short at the end fail like any other.
    QString text = whole.decode(bytes + '\n');
    *exact = !whole.hasError() && text.endsWith(u'\n');
    if (*exact) {
        text.chop(1);
        return text;
    }
    text.clear();
    for (qsizetype i = 0; i < bytes.size();) {
        const qsizetype n = unitLength(bytes, i);
        QStringDecoder unit(codec);
        const QString decoded = unit.decode(QByteArrayView(bytes).sliced(i, n));
        text +=
            unit.hasError() || decoded.isEmpty() ? QString(QChar::ReplacementCharacter) : decoded;
        i += n;
    }
    return text;
}

// The UTF-16 units of the code point at text[i]: two for a surrogate pair, else one.
qsizetype codePointUnits(QStringView text, qsizetype i) {
    return text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
}

QString codePoint(char32_t c) {
    const char32_t ucs4[] = {c};
    // By hand for a lone surrogate, and as QString::fromUcs4() drops a leading U+FEFF.
    return QChar::requiresSurrogates(c) ? QString::fromUcs4(ucs4, 1) : QString(QChar(char16_t(c)));
}

QByteArray referenceEncode(const QString& text) {
    QString mapped = text;
    for (QChar& c : mapped) {
        for (const InputMethodForm& form : kInputMethodForms) {
            if (c == QChar(form.character)) {
                c = QString(QStringDecoder(kCp932).decode(QByteArray(form.bytes))).at(0);
            }
        }
    }
    QStringEncoder whole(kCp932);
    QByteArray bytes = whole.encode(mapped + u'\n');
    if (!whole.hasError() && bytes.endsWith('\n')) {
        bytes.chop(1);
        return bytes;
    }
    bytes.clear();
    for (qsizetype i = 0, n = 0; i < mapped.size(); i += n) {
        n = codePointUnits(mapped, i);
        QStringEncoder unit(kCp932);
        const QByteArray encoded = unit.encode(QStringView(mapped).sliced(i, n));
        bytes += unit.hasError() || encoded.isEmpty() ? QByteArrayLiteral("?") : encoded;
    }
    return bytes;
}

QString referenceTruncate(const QString& text, qsizetype maxBytes) {
    qsizetype i = 0;
    for (qsizetype used = 0, n = 0; i < text.size(); i += n) {
        n = codePointUnits(text, i);
        used += referenceEncode(text.sliced(i, n)).size();
        if (used > maxBytes) {
            break;
        }
    }
    return text.left(i);
}

QString hex(const QString& text) {
    QStringList units;
    for (QChar c : text) {
        units << QString::number(c.unicode(), 16).toUpper().rightJustified(4, u'0');
    }
    return units.join(u' ');
}

// Compares decoding `bytes` with the reference; a description of the difference, or nothing.
QString decodingDifference(const QString& codec, const QByteArray& bytes) {
    const bool eucJp = codec == QLatin1String(kEucJp);
    bool exact = false;
    const QString text = eucJp ? DecodeEucJp(bytes, &exact) : DecodeCp932(bytes, &exact);
    bool expectedExact = false;
    const QString expected = referenceDecode(
        eucJp ? kEucJp : kCp932, eucJp ? eucJpLength : cp932Length, bytes, &expectedExact);
    if (text == expected && exact == expectedExact) {
        return {};
    }
    return QStringLiteral("%1 %2: gives %3 (exact %4), the converter %5 (exact %6)")
        .arg(codec, QString::fromLatin1(bytes.toHex(' ')), hex(text))
        .arg(exact)
        .arg(hex(expected))
        .arg(expectedExact);
}

QString encodingDifference(const QString& text) {
    const QByteArray bytes = EncodeCp932(text);
    const QByteArray expected = referenceEncode(text);
    if (bytes == expected) {
        return {};
    }
    return QStringLiteral("%1: gives %2, the converter %3")
        .arg(hex(text), QString::fromLatin1(bytes.toHex(' ')),
             QString::fromLatin1(expected.toHex(' ')));
}

QByteArray bytesOf(std::initializer_list<char> list) {
    return QByteArray(list.begin(), qsizetype(list.size()));
}

// Where a character or code point stands in the text around it.
struct Context {
    const char* name;
    const char* before;
    const char* after;
};
const Context kContexts[] = {
    {"alone", "", ""},
    {"between ASCII", "a", "b"},
    {"at the end", "ab", ""},
};

}  // namespace

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
    void decodesEveryCharacterAsTheConverterDoes_data();
    void decodesEveryCharacterAsTheConverterDoes();
    void encodesEveryCodePointAsTheConverterDoes_data();
    void encodesEveryCodePointAsTheConverterDoes();
    void randomInputConvertsAsTheConverterDoes_data();
    void randomInputConvertsAsTheConverterDoes();
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
    for (const InputMethodForm& form : kInputMethodForms) {
        QTest::newRow(form.name) << QString(QChar(form.character)) << QByteArray(form.bytes);
    }
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

void TextCodecTest::decodesEveryCharacterAsTheConverterDoes_data() {
    QTest::addColumn<QString>("codec");
    QTest::addColumn<int>("length");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    // Every byte (at the very end, a lead byte cut short), every two bytes (lead and trail bytes,
    // a lead byte followed by one that is no trail byte, kana, a JIS X 0212 character cut short),
    // and every 0x8F with two bytes after it.
    for (const char* codec : {kCp932, kEucJp}) {
        for (int length : {1, 2, 3}) {
            if (length == 3 && codec == kCp932) {
                continue;
            }
            for (const Context& context : kContexts) {
                QTest::addRow("%s, %d bytes, %s", codec, length, context.name)
                    << QString::fromLatin1(codec) << length << QByteArray(context.before)
                    << QByteArray(context.after);
            }
        }
    }
}

void TextCodecTest::decodesEveryCharacterAsTheConverterDoes() {
    QFETCH(QString, codec);
    QFETCH(int, length);
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    const int count = length == 1 ? 0x100 : 0x10000;
    for (int value = 0; value < count; ++value) {
        const QByteArray unit = bytesOf({'\x8F', char(value >> 8), char(value)}).right(length);
        const QString difference = decodingDifference(codec, before + unit + after);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }
}

void TextCodecTest::encodesEveryCodePointAsTheConverterDoes_data() {
    QTest::addColumn<char32_t>("first");
    QTest::addColumn<char32_t>("last");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    // The basic plane takes in the lone surrogates and the forms of input-method characters;
    // beyond it each code point is a surrogate pair.
    for (const Context& context : kContexts) {
        QTest::addRow("basic plane, %s", context.name)
            << char32_t(0) << char32_t(0xFFFF) << QString::fromLatin1(context.before)
            << QString::fromLatin1(context.after);
        QTest::addRow("beyond it, %s", context.name)
            << char32_t(0x10000) << char32_t(0x10FFFF) << QString::fromLatin1(context.before)
            << QString::fromLatin1(context.after);
    }
}

void TextCodecTest::encodesEveryCodePointAsTheConverterDoes() {
    QFETCH(char32_t, first);
    QFETCH(char32_t, last);
    QFETCH(QString, before);
    QFETCH(QString, after);
    for (char32_t c = first; c <= last; ++c) {
        const QString difference = encodingDifference(before + codePoint(c) + after);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }
}

void TextCodecTest::randomInputConvertsAsTheConverterDoes_data() {
    QTest::addColumn<QString>("conversion");
    QTest::newRow("reading CP932") << QString::fromLatin1(kCp932);
    QTest::newRow("reading EUC-JP") << QString::fromLatin1(kEucJp);
    QTest::newRow("writing CP932 and cutting it short") << QStringLiteral("write");
}

// Random bytes made mostly of characters, and random texts of characters that CP932 has, lacks,
// or that input methods produce, lone surrogates among them; a fixed seed makes a failure recur.
void TextCodecTest::randomInputConvertsAsTheConverterDoes() {
    QFETCH(QString, conversion);
    QRandomGenerator random(20261208);
    const auto pick = [&](int from, int to) { return int(random.bounded(from, to + 1)); };
    const auto byte = [&](int from, int to) { return char(pick(from, to)); };
    for (int round = 0; round < 20000; ++round) {
        const int length = pick(0, round % 100 == 0 ? 2000 : 40);
        if (conversion == QStringLiteral("write")) {
            QString text;
            while (text.size() < length) {
                const int kind = pick(0, 9);
                if (kind <= 2) {
                    text += QChar(char16_t(pick(0, 0x7F)));
                } else if (kind <= 5) {
                    // A character CP932 has, most of the time.
                    text += DecodeCp932(bytesOf({byte(0x81, 0x9F), byte(0x40, 0xFC)}));
                } else if (kind == 6) {
                    text += QChar(
                        kInputMethodForms[pick(0, std::size(kInputMethodForms) - 1)].character);
                } else if (kind == 7) {
                    text += QChar(char16_t(pick(0, 0xFFFF)));
                } else {
                    text += codePoint(char32_t(pick(0x10000, 0x10FFFF)));
                }
            }
            const QString difference = encodingDifference(text);
            QVERIFY2(difference.isEmpty(), qPrintable(difference));
            const qsizetype maxBytes = pick(0, 2 * length + 2);
            QCOMPARE(TruncateToCp932Bytes(text, maxBytes), referenceTruncate(text, maxBytes));
            continue;
        }
        const bool eucJp = conversion == QLatin1String(kEucJp);
        QByteArray bytes;
        while (bytes.size() < length) {
            const int kind = pick(0, 9);
            if (kind <= 2) {
                bytes += byte(0, 0x7F);
            } else if (kind <= 6 && eucJp) {
                bytes += bytesOf({byte(0xA1, 0xFE), byte(0xA1, 0xFE)});
            } else if (kind <= 6) {
                bytes += bytesOf({byte(0x81, 0x9F), byte(0x40, 0xFC)});
            } else if (kind == 7 && eucJp) {
                bytes += bytesOf({'\x8F', byte(0xA1, 0xFE), byte(0xA1, 0xFE)});
            } else if (kind == 7) {
                bytes += bytesOf({byte(0xE0, 0xFC), byte(0x40, 0xFC)});
            } else {
                bytes += byte(0, 0xFF);
            }
        }
        const QString difference = decodingDifference(conversion, bytes);
        QVERIFY2(difference.isEmpty(), qPrintable(difference));
    }
}

QTEST_GUILESS_MAIN(TextCodecTest)
#include "text_codec_test.moc"
