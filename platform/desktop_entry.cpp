// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "platform/desktop_entry.h"

#include <QFile>
#include <QFileInfo>

#include "platform/windows_command_line.h"

namespace {

// A desktop entry is a few kilobytes; anything far beyond that is not one the program should read.
constexpr qint64 kMaxKeyFileBytes = 16 * 1024 * 1024;

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

QStringView trimLeadingBlanks(QStringView text) {
    qsizetype i = 0;
    while (i < text.size() && isBlank(text[i])) {
        ++i;
    }
    return text.sliced(i);
}

QStringView trimBlanks(QStringView text) {
    text = trimLeadingBlanks(text);
    qsizetype end = text.size();
    while (end > 0 && isBlank(text[end - 1])) {
        --end;
    }
    return text.first(end);
}

}  // namespace

std::optional<KeyFile> KeyFile::read(const QString& path) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly) ||
        file.size() > kMaxKeyFileBytes) {
        return std::nullopt;
    }
    const QByteArray bytes = file.read(kMaxKeyFileBytes + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > kMaxKeyFileBytes) {
        return std::nullopt;
    }
    return parse(bytes);
}

KeyFile KeyFile::parse(const QByteArray& bytes) {
    KeyFile keyFile;
    const QString text = QString::fromUtf8(bytes);
    QHash<QString, QString>* group = nullptr;
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.endsWith(u'\r')) {
            line.chop(1);
        }
        line = trimLeadingBlanks(line);
        if (line.isEmpty() || line.startsWith(u'#')) {
            continue;
        }
        if (line.startsWith(u'[')) {
            const QStringView header = trimBlanks(line);
            if (header.endsWith(u']') && header.size() >= 2) {
                group = &keyFile.m_groups[header.sliced(1, header.size() - 2).toString()];
            }
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (group == nullptr || equals <= 0) {
            continue;
        }
        const QStringView key = trimBlanks(line.first(equals));
        if (key.isEmpty()) {
            continue;
        }
        group->insert(key.toString(), trimLeadingBlanks(line.sliced(equals + 1)).toString());
    }
    return keyFile;
}

std::optional<QString> KeyFile::rawValue(const QString& group, const QString& key) const {
    const auto g = m_groups.constFind(group);
    if (g == m_groups.constEnd()) {
        return std::nullopt;
    }
    const auto v = g->constFind(key);
    if (v == g->constEnd()) {
        return std::nullopt;
    }
    return *v;
}

std::optional<QString> KeyFile::stringValue(const QString& group, const QString& key) const {
    const auto raw = rawValue(group, key);
    if (!raw) {
        return std::nullopt;
    }
    return UnescapeDesktopString(*raw);
}

bool KeyFile::boolValue(const QString& group, const QString& key) const {
    const auto raw = rawValue(group, key);
    return raw && trimBlanks(*raw) == u"true";
}

QString UnescapeDesktopString(QStringView raw) {
    QString text;
    text.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw[i];
        if (c != u'\\' || i + 1 == raw.size()) {
            text.append(c);
            continue;
        }
        const QChar next = raw[i + 1];
        switch (next.unicode()) {
            case u's':
                text.append(u' ');
                break;
            case u'n':
                text.append(u'\n');
                break;
            case u't':
                text.append(u'\t');
                break;
            case u'r':
                text.append(u'\r');
                break;
            case u'\\':
                text.append(u'\\');
                break;
            default:
                text.append(c);
                text.append(next);
                break;
        }
        ++i;
    }
    return text;
}

std::optional<QStringList> SplitDesktopExec(QStringView exec) {
    QStringList words;
    QString word;
    bool inWord = false;
    const qsizetype n = exec.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = exec[i];
        if (isBlank(c) || c == u'\n' || c == u'\r') {
            if (inWord) {
                words.append(word);
                word.clear();
                inWord = false;
            }
            ++i;
            continue;
        }
        inWord = true;
        if (c == u'"') {
            ++i;
            for (;;) {
                if (i >= n) {
                    return std::nullopt;
                }
                const QChar q = exec[i];
                if (q == u'"') {
                    ++i;
                    break;
                }
                if (q == u'\\' && i + 1 < n &&
                    (exec[i + 1] == u'"' || exec[i + 1] == u'`' || exec[i + 1] == u'$' ||
                     exec[i + 1] == u'\\')) {
                    word.append(exec[i + 1]);
                    i += 2;
                    continue;
                }
                word.append(q);
                ++i;
            }
        } else if (c == u'\'') {
            const qsizetype close = exec.indexOf(u'\'', i + 1);
            if (close < 0) {
                return std::nullopt;
            }
            word.append(exec.sliced(i + 1, close - i - 1));
            i = close + 1;
        } else if (c == u'\\') {
            if (i + 1 >= n) {
                return std::nullopt;
            }
            word.append(exec[i + 1]);
            i += 2;
        } else {
            word.append(c);
            ++i;
        }
    }
    if (inWord) {
        words.append(word);
    }
    if (words.isEmpty()) {
        return std::nullopt;
    }
    return words;
}

QString ExecProgram(const QString& firstWord) {
    QString program;
    for (qsizetype i = 0; i < firstWord.size(); ++i) {
        if (firstWord[i] != u'%') {
            program.append(firstWord[i]);
        } else if (i + 1 < firstWord.size() && firstWord[i + 1] == u'%') {
            program.append(u'%');
            ++i;
        } else {
            return {};
        }
    }
    return program;
}

namespace {

const QString kPlaceholder = QStringLiteral("%1");

// One argument word with its field codes expanded; nullopt when the word goes away.
struct ExpandedWord {
    QString text;
    bool hasPlaceholder = false;
    bool literalPlaceholder = false;  // a "%1" that came from the word's own text
};

std::optional<ExpandedWord> expandFieldCodes(const QString& word) {
    ExpandedWord expanded;
    QString literal;  // the text since the last place holder
    bool droppedCode = false;
    bool keptSomething = word.isEmpty();  // an empty word is a word of its own
    auto flushLiteral = [&] {
        if (literal.contains(kPlaceholder)) {
            expanded.literalPlaceholder = true;
        }
        expanded.text += literal;
        literal.clear();
    };
    for (qsizetype i = 0; i < word.size(); ++i) {
        if (word[i] != u'%') {
            literal.append(word[i]);
            keptSomething = true;
            continue;
        }
        const QChar code = i + 1 < word.size() ? word[i + 1] : QChar();
        ++i;
        if (code == u'u' || code == u'U') {
            flushLiteral();
            expanded.text += kPlaceholder;
            expanded.hasPlaceholder = true;
            keptSomething = true;
        } else if (code == u'%') {
            literal.append(u'%');
            keptSomething = true;
        } else {
            droppedCode = true;
        }
    }
    flushLiteral();
    if (droppedCode && !keptSomething) {
        return std::nullopt;
    }
    return expanded;
}

}  // namespace

std::optional<QString> ExecToWindowsTemplate(const QStringList& words) {
    if (words.isEmpty()) {
        return std::nullopt;
    }
    const QString program = ExecProgram(words.first());
    if (program.isEmpty() || program.contains(u'"') || program.contains(kPlaceholder)) {
        return std::nullopt;
    }
    QStringList parts;
    const bool quoteProgram = program.contains(u' ') || program.contains(u'\t');
    parts.append(quoteProgram ? u'"' + program + u'"' : program);
    for (qsizetype w = 1; w < words.size(); ++w) {
        const auto expanded = expandFieldCodes(words[w]);
        if (!expanded) {
            continue;
        }
        if (expanded->literalPlaceholder) {
            return std::nullopt;
        }
        parts.append(QuoteWindowsArgument(expanded->text, expanded->hasPlaceholder));
    }
    const QString result = parts.join(u' ');
    if (result.contains(QStringLiteral("\"\""))) {
        return std::nullopt;
    }
    return result;
}

QString QuoteExecPathForFile(const QString& path) {
    QString quoted;
    quoted.reserve(path.size() * 2 + 2);
    for (const QChar c : path) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') {
            quoted.append(u'\\');
            quoted.append(c);
        } else if (c == u'%') {
            quoted.append(QStringLiteral("%%"));
        } else {
            quoted.append(c);
        }
    }
    quoted.replace(u'\\', QStringLiteral("\\\\"));
    quoted.replace(u'\n', QStringLiteral("\\n"));
    quoted.replace(u'\r', QStringLiteral("\\r"));
    quoted.replace(u'\t', QStringLiteral("\\t"));
    return u'"' + quoted + u'"';
}
