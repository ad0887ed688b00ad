// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "platform/text_codec.h"

// The tables, made at build time by tools/codec_tables.cpp from Qt's own converters (ICU), give
// for every character of CP932 and EUC-JP, cut as below, its text or that it does not decode, and
// for every code point its CP932 bytes or that it has none. Converting through them gives the
// same as those converters, without loading them and their data at run time.
#include <utility>

#include "text_codec_tables.h"

namespace {

using codec_tables::kError;
using codec_tables::kExtra;
using codec_tables::kUnmappable;

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

// A code point's CP932 bytes (one byte, or lead << 8 | trail), or kUnmappable.
unsigned short cp932Bytes(char32_t c) {
    using namespace codec_tables;
    if (c >= kCp932EncodeLimit) {
        return kUnmappable;
    }
    constexpr char32_t mask = (char32_t(1) << kCp932BlockBits) - 1;
    return kCp932Blocks[char32_t(kCp932BlockOf[c >> kCp932BlockBits]) << kCp932BlockBits |
                        (c & mask)];
}

// The code point at text[i] after mapping to the forms CP932 has; `n` is set to its UTF-16 units.
// A surrogate without its other half stands for itself, and has no CP932 form.
char32_t codePointAt(const QChar* text, qsizetype size, qsizetype i, qsizetype& n) {
    const char16_t c = text[i].unicode();
    if (QChar::isHighSurrogate(c) && i + 1 < size && text[i + 1].isLowSurrogate()) {
        n = 2;
        return QChar::surrogateToUcs4(c, text[i + 1].unicode());
    }
    n = 1;
    return cp932Form(c);
}

// The text of decoded characters, each given by its table entry.
class DecodedText {
  public:
    // Every character has at least one byte, and all but a few (the extra texts) give one unit.
    explicit DecodedText(qsizetype bytes) : m_text(bytes, Qt::Uninitialized) {}

    // Appends the character of `entry`; false when it is one that does not decode (U+FFFD).
    bool put(char16_t entry) {
        if (char16_t(entry - kExtra) < 0x800) {
            putExtra(entry - kExtra);
            return true;
        }
        m_text.data()[m_used++] = QChar(entry);
        return entry != kError;
    }

    QString take() {
        m_text.truncate(m_used);
        return std::move(m_text);
    }

  private:
    void putExtra(unsigned index) {
        const unsigned start = codec_tables::kExtraStart[index];
        const unsigned end = codec_tables::kExtraStart[index + 1];
        if (m_used + qsizetype(end - start) > m_text.size()) {
            m_text.resize(m_text.size() * 2 + (end - start));
        }
        QChar* out = m_text.data() + m_used;
        for (unsigned k = start; k < end; ++k) {
            *out++ = QChar(codec_tables::kExtraText[k]);
        }
        m_used += end - start;
    }

    QString m_text;
    qsizetype m_used = 0;
};

const unsigned char* bytesOf(const QByteArray& bytes) {
    return reinterpret_cast<const unsigned char*>(bytes.constData());
}

bool isCp932Lead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool isCp932Trail(unsigned char b) {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// In EUC-JP the bytes after the first of a character lie in 0xA1..0xFE.
bool isEucJpTrail(unsigned char b) {
    return b >= 0xA1 && b <= 0xFE;
}

}  // namespace

// Each character is its table entry; a text with a character that does not decode is not exact.
// A CP932 character is a lead byte (0x81..0x9F, 0xE0..0xFC) followed by a trail byte (0x40..0x7E,
// 0x80..0xFC), else one byte.
QString DecodeCp932(const QByteArray& bytes, bool* exact) {
    using namespace codec_tables;
    constexpr int kTrails = 0xFC - 0x40 + 1;
    DecodedText text(bytes.size());
    bool clean = true;
    const unsigned char* in = bytesOf(bytes);
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size;) {
        const unsigned char lead = in[i];
        if (isCp932Lead(lead) && i + 1 < size && isCp932Trail(in[i + 1])) {
            clean &= text.put(kCp932Rows[kCp932RowOf[lead] * kTrails + in[i + 1] - 0x40]);
            i += 2;
        } else {
            clean &= text.put(kCp932Single[lead]);
            ++i;
        }
    }
    if (exact) {
        *exact = clean;
    }
    return text.take();
}

// An EUC-JP character: 0x8E (kana) or 0xA1..0xFE and a second byte, 0x8F (JIS X 0212) and two
// more, each in 0xA1..0xFE, or as many of them as there are; else one byte.
QString DecodeEucJp(const QByteArray& bytes, bool* exact) {
    using namespace codec_tables;
    constexpr int kTrails = 0xFE - 0xA1 + 1;
    DecodedText text(bytes.size());
    bool clean = true;
    const unsigned char* in = bytesOf(bytes);
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size;) {
        const unsigned char lead = in[i];
        const bool second = (lead == 0x8E || lead == 0x8F || isEucJpTrail(lead)) && i + 1 < size &&
                            isEucJpTrail(in[i + 1]);
        if (!second) {
            clean &= text.put(kEucJpSingle[lead]);
            ++i;
        } else if (lead == 0x8F && i + 2 < size && isEucJpTrail(in[i + 2])) {
            clean &= text.put(
                kEucJpTripleRows[kEucJpTripleRowOf[in[i + 1]] * kTrails + in[i + 2] - 0xA1]);
            i += 3;
        } else {
            clean &= text.put(kEucJpPairRows[kEucJpPairRowOf[lead] * kTrails + in[i + 1] - 0xA1]);
            i += 2;
        }
    }
    if (exact) {
        *exact = clean;
    }
    return text.take();
}

// Each code point is its table entry, one unmappable "?", so that one unmappable character spoils
// nothing around it.
QByteArray EncodeCp932(const QString& text) {
    // CP932 gives at most two bytes for a code point, which has at least one UTF-16 unit.
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    char* out = bytes.data();
    const QChar* in = text.constData();
    const qsizetype size = text.size();
    for (qsizetype i = 0, n = 0; i < size; i += n) {
        const unsigned short encoded = cp932Bytes(codePointAt(in, size, i, n));
        if (encoded == kUnmappable) {
            *out++ = '?';
        } else if (encoded > 0xFF) {
            *out++ = char(encoded >> 8);
            *out++ = char(encoded & 0xFF);
        } else {
            *out++ = char(encoded);
        }
    }
    bytes.truncate(out - bytes.constData());
    return bytes;
}

QString TruncateToCp932Bytes(const QString& text, qsizetype maxBytes) {
    qsizetype used = 0;
    qsizetype i = 0;
    const QChar* in = text.constData();
    while (i < text.size()) {
        qsizetype n = 0;
        const unsigned short encoded = cp932Bytes(codePointAt(in, text.size(), i, n));
        const qsizetype width = encoded != kUnmappable && encoded > 0xFF ? 2 : 1;
        if (used + width > maxBytes) {
            break;
        }
        used += width;
        i += n;
    }
    return text.left(i);
}
