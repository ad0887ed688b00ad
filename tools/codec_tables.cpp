// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// Writes the CP932 and EUC-JP tables of platform/text_codec.cpp: asks Qt's converters (ICU) what
// every character the program cuts gives, so that the tables convert exactly as they do.
//   codec-tables <header to write>
//
// A character of the bytes (one to three bytes, cut as platform/text_codec.cpp cuts them) is
// looked up twice: followed by a line feed, which tells whether it decodes within a text, and on
// its own, which gives what it becomes when it is decoded by itself. The program relies on the two
// agreeing (a character that decodes gives the same text both ways, one that does not decodes to
// U+FFFD on its own); where they do not, this tool fails rather than write a table that differs.
// Likewise for every code point written as CP932.
#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

namespace {

[[noreturn]] void fail(const std::string& message) {
    std::fprintf(stderr, "codec-tables: %s\n", message.c_str());
    std::exit(1);
}

std::string hex(QByteArrayView bytes) {
    std::string out;
    for (char c : bytes) {
        char buffer[4];
        std::snprintf(buffer, sizeof buffer, "%02X", unsigned(quint8(c)));
        out += buffer;
    }
    return out;
}

constexpr char16_t kError = 0xFFFD;
constexpr char16_t kExtra = 0xD800;  // kExtra + i: the i-th of the texts longer than one unit

// The texts that are not one plain UTF-16 unit, shared by both decoders.
std::vector<QString> extras;

char16_t entryFor(const QString& text) {
    if (text.size() == 1 && text[0].unicode() != kError && !text[0].isSurrogate()) {
        return text[0].unicode();
    }
    for (size_t i = 0; i < extras.size(); ++i) {
        if (extras[i] == text) {
            return char16_t(kExtra + i);
        }
    }
    if (extras.size() >= 0x800) {
        fail("too many texts longer than one unit");
    }
    extras.push_back(text);
    return char16_t(kExtra + extras.size() - 1);
}

QByteArray bytesOf(std::initializer_list<int> values) {
    QByteArray bytes;
    for (int b : values) {
        bytes += char(b);
    }
    return bytes;
}

// The table entry of one character: its text, or kError when it does not decode.
char16_t decodeEntry(const char* codec, const QByteArray& unit) {
    QStringDecoder inText(codec);
    QString text = inText.decode(unit + '\n');
    const bool decodes = !inText.hasError() && text.endsWith(u'\n');
    text.chop(1);
    QStringDecoder alone(codec);
    QString own = alone.decode(unit);
    if (alone.hasError() || own.isEmpty()) {
        own = QString(QChar(kError));
    }
    if (!decodes) {
        if (own != QString(QChar(kError))) {
            fail(std::string(codec) + " " + hex(unit) + " fails in a text but decodes alone");
        }
        return kError;
    }
    if (own != text) {
        fail(std::string(codec) + " " + hex(unit) + " decodes differently alone");
    }
    return entryFor(text);
}

// Rows of `width` entries, identical rows stored once; row 0 holds only kError.
struct Rows {
    explicit Rows(int width) : width(width) { add(std::vector<char16_t>(width, kError)); }
    int add(const std::vector<char16_t>& row) {
        for (size_t i = 0; i < rows.size(); ++i) {
            if (rows[i] == row) {
                return int(i);
            }
        }
        if (rows.size() >= 256) {
            fail("more than 256 distinct rows");
        }
        rows.push_back(row);
        return int(rows.size() - 1);
    }
    int width;
    std::vector<std::vector<char16_t>> rows;
};

std::string array(const char* type, const char* name, const std::vector<unsigned>& values,
                  int perLine, const char* format) {
    std::string out = std::string("inline constexpr ") + type + " " + name + "[" +
                      std::to_string(values.size()) + "] = {";
    for (size_t i = 0; i < values.size(); ++i) {
        out += i % perLine == 0 ? "\n    " : " ";
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, format, values[i]);
        out += buffer;
        out += ',';
    }
    return out + "\n};\n";
}

std::string rowsArray(const char* name, const Rows& rows) {
    std::vector<unsigned> flat;
    for (const auto& row : rows.rows) {
        flat.insert(flat.end(), row.begin(), row.end());
    }
    return "// " + std::to_string(rows.rows.size()) + " rows of " + std::to_string(rows.width) +
           "\n" + array("char16_t", name, flat, 12, "0x%04X");
}

std::vector<unsigned> widen(const std::vector<int>& values) {
    return {values.begin(), values.end()};
}

// CP932: a byte from 0x81..0x9F or 0xE0..0xFC leads a character whose second byte lies in
// 0x40..0x7E or 0x80..0xFC.
bool cp932Lead(int b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
bool cp932Trail(int b) {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// EUC-JP: 0x8E and 0xA1..0xFE lead two bytes, 0x8F three; the others lie in 0xA1..0xFE.
bool eucJpLead(int b) {
    return b == 0x8E || (b >= 0xA1 && b <= 0xFE);
}

std::string cp932Decoding() {
    const char* codec = "windows-31j";
    std::vector<unsigned> single(256);
    for (int b = 0; b < 256; ++b) {
        single[b] = decodeEntry(codec, QByteArray(1, char(b)));
    }
    Rows rows(0xFC - 0x40 + 1);
    std::vector<int> rowOf(256, 0);
    for (int lead = 0; lead < 256; ++lead) {
        if (!cp932Lead(lead)) {
            continue;
        }
        std::vector<char16_t> row(rows.width, kError);
        for (int trail = 0x40; trail <= 0xFC; ++trail) {
            if (cp932Trail(trail)) {
                row[trail - 0x40] = decodeEntry(codec, bytesOf({lead, trail}));
            }
        }
        rowOf[lead] = rows.add(row);
    }
    return array("char16_t", "kCp932Single", single, 12, "0x%04X") +
           "// The row of each lead byte, trail bytes 0x40..0xFC.\n" +
           array("unsigned char", "kCp932RowOf", widen(rowOf), 16, "%3u") +
           rowsArray("kCp932Rows", rows);
}

std::string eucJpDecoding() {
    const char* codec = "EUC-JP";
    std::vector<unsigned> single(256);
    for (int b = 0; b < 256; ++b) {
        single[b] = decodeEntry(codec, QByteArray(1, char(b)));
    }
    // Two bytes: 0x8E or 0xA1..0xFE and a second byte; 0x8F and a second byte without a third is
    // a character cut short.
    Rows pairs(94);
    std::vector<int> pairRowOf(256, 0);
    for (int lead = 0; lead < 256; ++lead) {
        if (!eucJpLead(lead) && lead != 0x8F) {
            continue;
        }
        std::vector<char16_t> row(94);
        for (int second = 0xA1; second <= 0xFE; ++second) {
            row[second - 0xA1] = decodeEntry(codec, bytesOf({lead, second}));
        }
        pairRowOf[lead] = pairs.add(row);
    }
    // Three bytes, 0x8F first: a row per second byte.
    Rows triples(94);
    std::vector<int> tripleRowOf(256, 0);
    for (int second = 0xA1; second <= 0xFE; ++second) {
        std::vector<char16_t> row(94);
        for (int third = 0xA1; third <= 0xFE; ++third) {
            row[third - 0xA1] = decodeEntry(codec, bytesOf({0x8F, second, third}));
        }
        tripleRowOf[second] = triples.add(row);
    }
    return array("char16_t", "kEucJpSingle", single, 12, "0x%04X") +
           "// The row of each lead byte (0x8F: cut short after two bytes), second bytes "
           "0xA1..0xFE.\n" +
           array("unsigned char", "kEucJpPairRowOf", widen(pairRowOf), 16, "%3u") +
           rowsArray("kEucJpPairRows", pairs) +
           "// After 0x8F, the row of each second byte, third bytes 0xA1..0xFE.\n" +
           array("unsigned char", "kEucJpTripleRowOf", widen(tripleRowOf), 16, "%3u") +
           rowsArray("kEucJpTripleRows", triples);
}

constexpr unsigned kUnmappable = 0xFFFF;
constexpr int kBlockBits = 6;
constexpr int kBlock = 1 << kBlockBits;

// The CP932 bytes of one code point (one or two UTF-16 units) as one value: a byte, lead << 8 |
// trail, or kUnmappable.
unsigned encodeEntry(QStringView unit, char32_t codePoint) {
    const char* codec = "windows-31j";
    QStringEncoder inText(codec);
    QByteArray bytes = inText.encode(unit.toString() + u'\n');
    const bool encodes = !inText.hasError() && bytes.endsWith('\n');
    bytes.chop(1);
    QStringEncoder alone(codec);
    QByteArray own = alone.encode(unit);
    if (alone.hasError() || own.isEmpty()) {
        own = QByteArrayLiteral("?");
    }
    const std::string name = "U+" + std::to_string(unsigned(codePoint));
    if (!encodes) {
        if (own != "?") {
            fail(name + " fails in a text but encodes alone");
        }
        return kUnmappable;
    }
    if (own != bytes) {
        fail(name + " encodes differently alone");
    }
    if (bytes.size() == 1) {
        return quint8(bytes[0]);
    }
    if (bytes.size() == 2 && quint8(bytes[0]) != 0 &&
        (quint8(bytes[0]) << 8 | quint8(bytes[1])) != kUnmappable) {
        return quint8(bytes[0]) << 8 | quint8(bytes[1]);
    }
    fail(name + " encodes as " + hex(bytes));
}

std::string cp932Encoding() {
    std::vector<unsigned> all(0x110000, kUnmappable);
    char32_t limit = 0;
    for (char32_t c = 0; c < 0x110000; ++c) {
        // Built by hand: QString::fromUcs4() drops a leading U+FEFF.
        QString unit;
        if (QChar::requiresSurrogates(c)) {
            unit += QChar(QChar::highSurrogate(c));
            unit += QChar(QChar::lowSurrogate(c));
        } else {
            unit += QChar(char16_t(c));
        }
        all[c] = encodeEntry(unit, c);
        if (all[c] != kUnmappable) {
            limit = c + 1;
        }
    }
    limit = (limit + kBlock - 1) / kBlock * kBlock;
    std::map<std::vector<unsigned>, int> known;
    std::vector<unsigned> blocks;
    std::vector<unsigned> blockOf;
    const std::vector<unsigned> empty(kBlock, kUnmappable);
    known[empty] = 0;
    blocks.insert(blocks.end(), empty.begin(), empty.end());
    for (char32_t start = 0; start < limit; start += kBlock) {
        const std::vector<unsigned> block(all.begin() + start, all.begin() + start + kBlock);
        auto it = known.find(block);
        if (it == known.end()) {
            it = known.emplace(block, int(known.size())).first;
            blocks.insert(blocks.end(), block.begin(), block.end());
        }
        blockOf.push_back(unsigned(it->second));
    }
    if (known.size() > 0x10000) {
        fail("too many blocks");
    }
    return "// Code points from " + std::to_string(unsigned(limit)) +
           " on have no CP932 form.\ninline constexpr char32_t kCp932EncodeLimit = " +
           std::to_string(unsigned(limit)) +
           ";\ninline constexpr int kCp932BlockBits = " + std::to_string(kBlockBits) + ";\n" +
           array("unsigned short", "kCp932BlockOf", blockOf, 16, "%u") + "// " +
           std::to_string(known.size()) + " blocks of " + std::to_string(kBlock) + "\n" +
           array("unsigned short", "kCp932Blocks", blocks, 12, "0x%04X");
}

std::string extraTexts() {
    std::vector<unsigned> start;
    std::vector<unsigned> text;
    for (const QString& extra : extras) {
        start.push_back(unsigned(text.size()));
        for (QChar c : extra) {
            text.push_back(c.unicode());
        }
    }
    start.push_back(unsigned(text.size()));
    text.push_back(0);  // never empty
    return "// Texts of characters that decode to other than one plain UTF-16 unit: the i-th runs "
           "from\n// kExtraStart[i] to kExtraStart[i + 1].\n" +
           array("unsigned short", "kExtraStart", start, 16, "%u") +
           array("char16_t", "kExtraText", text, 12, "0x%04X");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fail("usage: codec-tables <header to write>");
    }
    const std::string body = cp932Decoding() + eucJpDecoding() + cp932Encoding() + extraTexts();
    const std::string header =
        "// Generated by tools/codec_tables.cpp from Qt's converters; do not edit.\n"
        "#pragma once\n\nnamespace codec_tables {\n\n"
        "// A decoding entry: the character's text, 0xFFFD where it does not decode, or 0xD800 + i "
        "for\n// the i-th extra text. An encoding entry: one byte, lead << 8 | trail, or 0xFFFF.\n"
        "inline constexpr char16_t kError = 0xFFFD;\n"
        "inline constexpr char16_t kExtra = 0xD800;\n"
        "inline constexpr unsigned short kUnmappable = 0xFFFF;\n\n" +
        body + "\n}  // namespace codec_tables\n";
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(header.data(), qint64(header.size())) != qint64(header.size())) {
        fail(std::string("cannot write ") + argv[1]);
    }
    return 0;
}
