// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "platform/text_codec.h"

#include <QHash>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <memory>

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

// A text that does not encode in one go is encoded a code point at a time, each on its own, so
// that one unmappable character spoils nothing around it. An encoder costs far more than the
// character, so what each code point gives is worked out once per text and remembered.
class UnitEncoder {
  public:
    QByteArray encode(const QString& text) {
        // CP932 gives at most two bytes for a UTF-16 unit; anything longer is made room for.
        QByteArray bytes(text.size() * 2, Qt::Uninitialized);
        char* out = bytes.data();
        qsizetype used = 0;
        const QChar* in = text.constData();
        const qsizetype size = text.size();
        for (qsizetype i = 0; i < size;) {
            const char16_t c = in[i].unicode();
            const bool pair =
                QChar::isHighSurrogate(c) && i + 1 < size && in[i + 1].isLowSurrogate();
            if (!pair) {
                Memo& memo = m_bmp[c];
                if (memo.size == 0) {
                    remember(memo, QStringView(in + i, 1));
                }
                if (memo.size != kElsewhere) {
                    out[used] = memo.bytes[0];
                    out[used + 1] = memo.bytes[1];
                    used += memo.size;
                    ++i;
                    continue;
                }
            }
            const qsizetype n = pair ? 2 : 1;
            const QByteArray& encoded = other(QStringView(in + i, n));
            if (used + encoded.size() > bytes.size()) {
                bytes.resize(used + encoded.size() + (size - i) * 2);
                out = bytes.data();
            }
            std::copy(encoded.begin(), encoded.end(), out + used);
            used += encoded.size();
            i += n;
        }
        bytes.truncate(used);
        return bytes;
    }

  private:
    static constexpr quint8 kElsewhere = 0xFF;
    struct Memo {
        quint8 size = 0;  // 0 while not yet known
        char bytes[2] = {};
    };

    void remember(Memo& memo, QStringView unit) {
        const QByteArray& encoded = other(unit);
        if (encoded.size() <= 2) {
            memo.size = quint8(encoded.size());
            std::copy(encoded.begin(), encoded.end(), memo.bytes);
        } else {
            memo.size = kElsewhere;
        }
    }

    const QByteArray& other(QStringView unit) {
        const char32_t key =
            unit.size() == 1 ? unit[0].unicode() : QChar::surrogateToUcs4(unit[0], unit[1]);
        auto it = m_other.constFind(key);
        if (it == m_other.constEnd()) {
            it = m_other.insert(key, encodeUnit(unit));
        }
        return *it;
    }

    std::unique_ptr<Memo[]> m_bmp = std::make_unique<Memo[]>(0x10000);
    QHash<char32_t, QByteArray> m_other;
};

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

// Decodes a text a character (a unit of one to three bytes) at a time, each on its own, as the
// encoding's rules say: its text, or U+FFFD. Like UnitEncoder, it asks a decoder once per
// distinct byte sequence.
class UnitDecoder {
  public:
    explicit UnitDecoder(const char* codec) : m_codec(codec) {}

    template <qsizetype (*unitLength)(const QByteArray&, qsizetype)>
    QString decode(const QByteArray& bytes) {
        // A unit gives at most one UTF-16 unit per byte; anything longer is made room for.
        QString text(bytes.size(), Qt::Uninitialized);
        char16_t* out = reinterpret_cast<char16_t*>(text.data());
        qsizetype used = 0;
        const char* in = bytes.constData();
        for (qsizetype i = 0; i < bytes.size();) {
            const qsizetype n = unitLength(bytes, i);
            Memo* memo = n == 1   ? &m_single[quint8(in[i])]
                         : n == 2 ? &m_pairs[quint8(in[i]) << 8 | quint8(in[i + 1])]
                                  : nullptr;
            if (memo != nullptr && memo->state == kUnknown) {
                remember(*memo, QByteArrayView(in + i, n));
            }
            if (memo != nullptr && memo->state == kOneCharacter) {
                out[used++] = memo->character;
            } else {
                const QString& decoded = other(QByteArrayView(in + i, n));
                if (used + decoded.size() > text.size()) {
                    text.resize(used + decoded.size() + bytes.size() - i);
                    out = reinterpret_cast<char16_t*>(text.data());
                }
                std::copy(decoded.utf16(), decoded.utf16() + decoded.size(), out + used);
                used += decoded.size();
            }
            i += n;
        }
        text.truncate(used);
        return text;
    }

  private:
    enum State : quint8 { kUnknown, kOneCharacter, kElsewhere };
    struct Memo {
        State state = kUnknown;
        char16_t character = 0;
    };

    void remember(Memo& memo, QByteArrayView unit) {
        const QString& decoded = other(unit);
        if (decoded.size() == 1) {
            memo.state = kOneCharacter;
            memo.character = decoded[0].unicode();
        } else {
            memo.state = kElsewhere;
        }
    }

    const QString& other(QByteArrayView unit) {
        const QByteArray key = unit.toByteArray();
        auto it = m_other.constFind(key);
        if (it == m_other.constEnd()) {
            QStringDecoder decoder(m_codec);
            QString decoded = decoder.decode(unit);
            if (decoder.hasError() || decoded.isEmpty()) {
                decoded = QString(QChar::ReplacementCharacter);
            }
            it = m_other.insert(key, decoded);
        }
        return *it;
    }

    const char* m_codec;
    Memo m_single[256];
    std::unique_ptr<Memo[]> m_pairs = std::make_unique<Memo[]>(0x10000);
    QHash<QByteArray, QString> m_other;
};

// Bytes are decoded in slices, so that a text holding a bad byte changes to the slower decoding
// character by character at the slice where the first one lies rather than after decoding it all.
constexpr qsizetype kSliceBytes = 64 * 1024;

// Where the slice that starts at `from` ends: right after a byte below 0x40, which is a character
// of its own in CP932 and in EUC-JP, so no character is cut in two; else the end of the bytes.
qsizetype sliceEnd(const QByteArray& bytes, qsizetype from) {
    if (bytes.size() - from <= kSliceBytes) {
        return bytes.size();
    }
    for (qsizetype i = from + kSliceBytes; i > from; --i) {
        if (quint8(bytes[i - 1]) < 0x40) {
            return i;
        }
    }
    return bytes.size();
}

template <qsizetype (*unitLength)(const QByteArray&, qsizetype)>
QString decode(const char* codec, const QByteArray& bytes, bool* exact) {
    QString text;
    qsizetype used = 0;
    qsizetype from = 0;
    do {
        const qsizetype end = sliceEnd(bytes, from);
        const bool last = end == bytes.size();
        QByteArrayView slice = QByteArrayView(bytes).sliced(from, end - from);
        // The decoder keeps an unfinished character at the end to itself without an error; a
        // final line feed makes it finish (and fail) like any other.
        QByteArray lastSlice;
        if (last) {
            lastSlice = slice.toByteArray() + '\n';
            slice = lastSlice;
        }
        QStringDecoder decoder(codec);
        const qsizetype room = decoder.requiredSpace(slice.size());
        if (text.size() < used + room) {
            text.resize(std::max(used + room, text.size() * 2));
        }
        QChar* const start = text.data() + used;
        const qsizetype written = decoder.appendToBuffer(start, slice) - start;
        if (decoder.hasError() || (last && (written == 0 || start[written - 1] != u'\n'))) {
            if (exact) {
                *exact = false;
            }
            // Decode the rest again character by character so that exactly the bad bytes become
            // U+FFFD and line ends and separators next to them survive.
            text.truncate(used);
            text += UnitDecoder(codec).decode<unitLength>(bytes.sliced(from));
            return text;
        }
        used += last ? written - 1 : written;
        from = end;
    } while (from < bytes.size());
    text.truncate(used);
    text.squeeze();
    if (exact) {
        *exact = true;
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
    return UnitEncoder().encode(mapped);
}

QString DecodeCp932(const QByteArray& bytes, bool* exact) {
    return decode<cp932UnitLength>(kCp932, bytes, exact);
}

QString DecodeEucJp(const QByteArray& bytes, bool* exact) {
    return decode<eucJpUnitLength>(kEucJp, bytes, exact);
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
