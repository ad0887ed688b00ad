#include "platform/text_codec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {

const char* const kCp932 = "windows-31j";
const char* const kEucJp = "EUC-JP";

char16_t cp932Form(char16_t c) {
    switch (c) {
        case 0x301C:
            return 0xFF5E;  // wave dash -> full-width tilde
        case 0x2212:
            return 0xFF0D;  // minus sign -> full-width hyphen-minus
        case 0x2016:
            return 0x2225;  // double vertical line -> parallel to
        case 0x2014:
            return 0x2015;  // em dash -> horizontal bar
        case 0x00A2:
            return 0xFFE0;  // cent
        case 0x00A3:
            return 0xFFE1;  // pound
        case 0x00AC:
            return 0xFFE2;  // not sign
        default:
            return c;
    }
}

QString toCp932Forms(const QString& text) {
    QString mapped = text;
    for (QChar& c : mapped) {
        c = QChar(cp932Form(c.unicode()));
    }
    return mapped;
}

// Encodes one code point (one or two UTF-16 units); "?" when CP932 has no form for it.
QByteArray encodeUnit(QStringView unit) {
    QStringEncoder encoder(kCp932);
    QByteArray bytes = encoder.encode(unit);
    if (encoder.hasError() || bytes.isEmpty()) {
        return QByteArrayLiteral("?");
    }
    return bytes;
}

// Length of the CP932 character that starts at bytes[i]: 2 for a lead byte followed by a valid
// trail byte, otherwise 1.
qsizetype cp932UnitLength(const QByteArray& bytes, qsizetype i) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    const bool isLead = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
    if (!isLead || i + 1 >= bytes.size()) {
        return 1;
    }
    const auto trail = static_cast<unsigned char>(bytes[i + 1]);
    const bool isTrail = (trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFC);
    return isTrail ? 2 : 1;
}

// EUC-JP: a byte from 0x8E (kana), 0x8F (three-byte JIS X 0212) or 0xA1..0xFE leads a
// multi-byte character whose other bytes lie in 0xA1..0xFE.
qsizetype eucJpUnitLength(const QByteArray& bytes, qsizetype i) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    qsizetype wanted = 1;
    if (lead == 0x8F) {
        wanted = 3;
    } else if (lead == 0x8E || (lead >= 0xA1 && lead <= 0xFE)) {
        wanted = 2;
    }
    qsizetype n = 1;
    while (n < wanted && i + n < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i + n]);
        if (b < 0xA1 || b > 0xFE) {
            break;
        }
        ++n;
    }
    return n;
}

QString decode(const char* codec, const QByteArray& bytes, bool* exact,
               qsizetype (*unitLength)(const QByteArray&, qsizetype)) {
    // The decoder keeps an unfinished character at the end to itself without an error; a final
    // line feed makes it finish (and fail) like any other.
    QStringDecoder decoder(codec);
    QString text = decoder.decode(bytes + '\n');
    if (!decoder.hasError() && text.endsWith(u'\n')) {
        text.chop(1);
        if (exact) {
            *exact = true;
        }
        return text;
    }
    // Decode again character by character so that exactly the bad bytes become U+FFFD and
    // line ends and separators next to them survive.
    text.clear();
    text.reserve(bytes.size());
    for (qsizetype i = 0; i < bytes.size();) {
        const qsizetype n = unitLength(bytes, i);
        QStringDecoder unitDecoder(codec);
        const QString unit = unitDecoder.decode(QByteArrayView(bytes).sliced(i, n));
        if (unitDecoder.hasError() || unit.isEmpty()) {
            text.append(QChar::ReplacementCharacter);
        } else {
            text.append(unit);
        }
        i += n;
    }
    if (exact) {
        *exact = false;
    }
    return text;
}

}  // namespace

QByteArray EncodeCp932(const QString& text) {
    const QString mapped = toCp932Forms(text);
    // As with decoding, a final line feed makes a dangling surrogate at the end fail visibly.
    QStringEncoder encoder(kCp932);
    QByteArray bytes = encoder.encode(mapped + u'\n');
    if (!encoder.hasError() && bytes.endsWith('\n')) {
        bytes.chop(1);
        return bytes;
    }
    bytes.clear();
    bytes.reserve(mapped.size() * 2);
    for (qsizetype i = 0; i < mapped.size();) {
        const qsizetype n =
            (mapped[i].isHighSurrogate() && i + 1 < mapped.size() && mapped[i + 1].isLowSurrogate())
                ? 2
                : 1;
        bytes.append(encodeUnit(QStringView(mapped).sliced(i, n)));
        i += n;
    }
    return bytes;
}

QString DecodeCp932(const QByteArray& bytes, bool* exact) {
    return decode(kCp932, bytes, exact, cp932UnitLength);
}

QString DecodeEucJp(const QByteArray& bytes, bool* exact) {
    return decode(kEucJp, bytes, exact, eucJpUnitLength);
}

QString TruncateToCp932Bytes(const QString& text, qsizetype maxBytes) {
    qsizetype used = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype n =
            (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ? 2
                                                                                               : 1;
        const qsizetype width = EncodeCp932(text.sliced(i, n)).size();
        if (used + width > maxBytes) {
            break;
        }
        used += width;
        i += n;
    }
    return text.left(i);
}
