// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "platform/profile_file.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>
#include <limits>
#include <optional>
#include <vector>

#include "platform/conversions.h"
#include "platform/file_store.h"
#include "platform/text_codec.h"

namespace {

struct Line {
    QByteArray bytes;  // as in the file, without its line end
    QString text;
};

// A file that starts with a byte-order mark is read in that form and written back in it, mark
// and all; any other file is CP932.
enum class Encoding { Cp932, Utf8, Utf16Le };

struct Profile {
    Encoding encoding = Encoding::Cp932;
    std::vector<Line> lines;
};

const QByteArray kUtf8Mark("\xEF\xBB\xBF");
const QByteArray kUtf16LeMark("\xFF\xFE");

QByteArray markOf(Encoding encoding) {
    switch (encoding) {
        case Encoding::Utf8:
            return kUtf8Mark;
        case Encoding::Utf16Le:
            return kUtf16LeMark;
        case Encoding::Cp932:
            break;
    }
    return {};
}

QString decodeLine(Encoding encoding, const QByteArray& bytes) {
    switch (encoding) {
        case Encoding::Utf8:
            return QString::fromUtf8(bytes);
        case Encoding::Utf16Le:
            return QStringDecoder(QStringDecoder::Utf16LE).decode(bytes);
        case Encoding::Cp932:
            break;
    }
    return DecodeCp932(bytes);
}

QByteArray encodeLine(Encoding encoding, const QString& text) {
    switch (encoding) {
        case Encoding::Utf8:
            return text.toUtf8();
        case Encoding::Utf16Le:
            return QStringEncoder(QStringEncoder::Utf16LE).encode(text);
        case Encoding::Cp932:
            break;
    }
    return EncodeCp932(text);
}

bool sameName(QStringView a, QStringView b) {
    return TrimBlanks(a).compare(TrimBlanks(b), Qt::CaseInsensitive) == 0;
}

// Lines of a file's bytes; CR LF, a lone LF and a lone CR each end one.
Profile parseProfile(QByteArray bytes) {
    Profile profile;
    if (bytes.startsWith(kUtf8Mark)) {
        profile.encoding = Encoding::Utf8;
    } else if (bytes.startsWith(kUtf16LeMark)) {
        profile.encoding = Encoding::Utf16Le;
    }
    bytes.remove(0, markOf(profile.encoding).size());
    // Line ends are found in code units: one byte, or two for UTF-16.
    const qsizetype unit = profile.encoding == Encoding::Utf16Le ? 2 : 1;
    auto lineEndAt = [&](qsizetype i) -> char {
        if (i + unit > bytes.size() || (unit == 2 && bytes[i + 1] != '\0')) {
            return '\0';
        }
        return bytes[i] == '\r' || bytes[i] == '\n' ? bytes[i] : '\0';
    };
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); i += unit) {
        const char c = lineEndAt(i);
        if (c != '\0') {
            profile.lines.push_back({bytes.sliced(start, i - start), {}});
            if (c == '\r' && lineEndAt(i + unit) == '\n') {
                i += unit;
            }
            start = i + unit;
        }
    }
    if (start < bytes.size()) {
        profile.lines.push_back({bytes.sliced(start), {}});
    }
    for (Line& line : profile.lines) {
        line.text = decodeLine(profile.encoding, line.bytes);
    }
    return profile;
}

// The file's lines; nullopt when it cannot be read.
std::optional<Profile> readProfile(const QString& fileName) {
    QFile file(fileName);
    if (QFileInfo(fileName).isDir() || !file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return std::nullopt;
    }
    return parseProfile(std::move(bytes));
}

// The section's name when `text` is a section line.
std::optional<QStringView> sectionName(QStringView text) {
    const QStringView t = TrimBlanks(text);
    if (!t.startsWith(u'[')) {
        return std::nullopt;
    }
    const qsizetype close = t.indexOf(u']');
    if (close < 0) {
        return t.sliced(1);
    }
    return t.sliced(1, close - 1);
}

bool isComment(QStringView text) {
    return TrimBlanks(text).startsWith(u';');
}

// The key's name when `text` is a key line.
std::optional<QStringView> keyName(QStringView text) {
    if (isComment(text)) {
        return std::nullopt;
    }
    const qsizetype equals = text.indexOf(u'=');
    if (equals < 0) {
        return std::nullopt;
    }
    return TrimBlanks(text.first(equals));
}

struct Found {
    qsizetype sectionLine = -1;  // the first section of that name
    qsizetype keyLine = -1;      // its first key of that name
    qsizetype lastKeyLine = -1;  // its last key line of any name
};

Found find(const std::vector<Line>& lines, const QString& section, const QString& key) {
    Found found;
    bool inSection = false;
    for (qsizetype i = 0; i < qsizetype(lines.size()); ++i) {
        const QString& text = lines[size_t(i)].text;
        if (const auto name = sectionName(text)) {
            if (inSection) {
                break;
            }
            inSection = sameName(*name, section);
            if (inSection) {
                found.sectionLine = i;
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        if (const auto name = keyName(text)) {
            found.lastKeyLine = i;
            if (found.keyLine < 0 && sameName(*name, key)) {
                found.keyLine = i;
            }
        }
    }
    return found;
}

std::optional<QString> valueIn(const Profile& profile, const QString& section, const QString& key) {
    const Found found = find(profile.lines, section, key);
    if (found.keyLine < 0) {
        return std::nullopt;
    }
    const QString& text = profile.lines[size_t(found.keyLine)].text;
    return TrimBlanks(QStringView(text).sliced(text.indexOf(u'=') + 1)).toString();
}

std::optional<QString> readValue(const QString& section, const QString& key,
                                 const QString& fileName) {
    const auto profile = readProfile(fileName);
    if (!profile) {
        return std::nullopt;
    }
    return valueIn(*profile, section, key);
}

}  // namespace

qint32 ReadProfileInt(const QString& section, const QString& key, qint32 defaultValue,
                      const QString& fileName) {
    const std::optional<QString> value = readValue(section, key, fileName);
    if (!value || value->isEmpty()) {
        return defaultValue;
    }
    qsizetype i = 0;
    // A sign counts either way: "+5" reads 5.
    const bool negative = value->startsWith(u'-');
    if (negative || value->startsWith(u'+')) {
        ++i;
    }
    qint64 number = 0;
    for (; i < value->size() && (*value)[i] >= u'0' && (*value)[i] <= u'9'; ++i) {
        number = std::min<qint64>(number * 10 + ((*value)[i].unicode() - u'0'),
                                  qint64(std::numeric_limits<qint32>::max()) + 1);
    }
    if (negative) {
        number = -number;
    }
    return qint32(std::clamp<qint64>(number, std::numeric_limits<qint32>::min(),
                                     std::numeric_limits<qint32>::max()));
}

QString ReadProfileString(const QString& section, const QString& key, const QString& defaultValue,
                          const QString& fileName) {
    return readValue(section, key, fileName).value_or(defaultValue);
}

bool WriteProfileString(FileStore& files, const QString& section, const QString& key,
                        const QString& value, const QString& fileName) {
    Profile profile;
    if (QFileInfo::exists(fileName)) {
        auto existing = readProfile(fileName);
        if (!existing) {
            return false;  // rewriting a file we cannot read would lose it
        }
        profile = std::move(*existing);
    }
    std::vector<Line>& lines = profile.lines;
    const Encoding encoding = profile.encoding;
    const Found found = find(lines, section, key);
    // A line end inside the value would cut it and turn its tail into a line of its own.
    QString oneLine = value;
    oneLine.replace(u'\r', u' ').replace(u'\n', u' ');
    auto lineOf = [encoding](const QString& text) {
        return Line{encodeLine(encoding, text), text};
    };
    if (found.keyLine >= 0) {
        const QString& old = lines[size_t(found.keyLine)].text;
        const QString name = TrimBlanks(QStringView(old).first(old.indexOf(u'='))).toString();
        lines[size_t(found.keyLine)] = lineOf(name + u'=' + oneLine);
    } else if (found.sectionLine >= 0) {
        const qsizetype after = found.lastKeyLine >= 0 ? found.lastKeyLine : found.sectionLine;
        lines.insert(lines.begin() + after + 1, lineOf(key + u'=' + oneLine));
    } else {
        lines.push_back(lineOf(u'[' + section + u']'));
        lines.push_back(lineOf(key + u'=' + oneLine));
    }
    const QByteArray lineEnd = encodeLine(encoding, QStringLiteral("\r\n"));
    QByteArray bytes = markOf(encoding);
    for (const Line& line : lines) {
        bytes += line.bytes;
        // A UTF-16 file of odd length ends in half a character: completed, it keeps its byte and
        // the lines after it stay whole characters.
        if (encoding == Encoding::Utf16Le && line.bytes.size() % 2 != 0) {
            bytes += '\0';
        }
        bytes += lineEnd;
    }
    // What is written must read back as written, or the write has failed.
    if (valueIn(parseProfile(bytes), section, key) != TrimBlanks(oneLine).toString()) {
        return false;
    }
    std::unique_ptr<OutputFile> out = files.create(fileName);
    return out && out->write(bytes) && out->commit();
}
