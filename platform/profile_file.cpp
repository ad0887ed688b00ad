#include "platform/profile_file.h"

#include <QFile>
#include <QFileInfo>
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

bool sameName(QStringView a, QStringView b) {
    return TrimBlanks(a).compare(TrimBlanks(b), Qt::CaseInsensitive) == 0;
}

// Lines of the file; CR LF, a lone LF and a lone CR each end one. nullopt when it cannot be read.
std::optional<std::vector<Line>> readLines(const QString& fileName) {
    QFile file(fileName);
    if (QFileInfo(fileName).isDir() || !file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return std::nullopt;
    }
    std::vector<Line> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\r' || c == '\n') {
            lines.push_back({bytes.sliced(start, i - start), {}});
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    if (start < bytes.size()) {
        lines.push_back({bytes.sliced(start), {}});
    }
    for (Line& line : lines) {
        line.text = DecodeCp932(line.bytes);
    }
    return lines;
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

std::optional<QString> readValue(const QString& section, const QString& key,
                                 const QString& fileName) {
    const auto lines = readLines(fileName);
    if (!lines) {
        return std::nullopt;
    }
    const Found found = find(*lines, section, key);
    if (found.keyLine < 0) {
        return std::nullopt;
    }
    const QString& text = (*lines)[size_t(found.keyLine)].text;
    return TrimBlanks(QStringView(text).sliced(text.indexOf(u'=') + 1)).toString();
}

}  // namespace

qint32 GetPrivateProfileInt(const QString& section, const QString& key, qint32 defaultValue,
                            const QString& fileName) {
    const std::optional<QString> value = readValue(section, key, fileName);
    if (!value || value->isEmpty()) {
        return defaultValue;
    }
    qsizetype i = 0;
    const bool negative = value->startsWith(u'-');
    if (negative) {
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

QString GetPrivateProfileString(const QString& section, const QString& key,
                                const QString& defaultValue, const QString& fileName) {
    return readValue(section, key, fileName).value_or(defaultValue);
}

bool WritePrivateProfileString(FileStore& files, const QString& section, const QString& key,
                               const QString& value, const QString& fileName) {
    std::vector<Line> lines;
    if (QFileInfo::exists(fileName)) {
        auto existing = readLines(fileName);
        if (!existing) {
            return false;  // rewriting a file we cannot read would lose it
        }
        lines = std::move(*existing);
    }
    const Found found = find(lines, section, key);
    // A line end inside the value would cut it and turn its tail into a line of its own.
    QString oneLine = value;
    oneLine.replace(u'\r', u' ').replace(u'\n', u' ');
    auto lineOf = [](const QString& text) { return Line{EncodeCp932(text), text}; };
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
    QByteArray bytes;
    for (const Line& line : lines) {
        bytes += line.bytes;
        bytes += "\r\n";
    }
    std::unique_ptr<OutputFile> out = files.create(fileName);
    return out && out->write(bytes) && out->commit();
}
