// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "platform/windows_command_line.h"

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

}  // namespace

CommandLineParts SplitProgramPath(QStringView line) {
    CommandLineParts parts;
    qsizetype i = 0;
    if (!line.isEmpty() && line[0] == u'"') {
        const qsizetype close = line.indexOf(u'"', 1);
        if (close < 0) {
            parts.program = line.sliced(1).toString();
            return parts;
        }
        parts.program = line.sliced(1, close - 1).toString();
        i = close + 1;
    } else {
        while (i < line.size() && !isBlank(line[i])) {
            ++i;
        }
        parts.program = line.first(i).toString();
    }
    while (i < line.size() && isBlank(line[i])) {
        ++i;
    }
    parts.arguments = line.sliced(i).toString();
    return parts;
}

QStringList CommandLineToArgv(QStringView arguments) {
    QStringList argv;
    QString current;
    bool inArgument = false;
    int quotes = 0;  // 1 inside a quoted part
    int backslashes = 0;
    qsizetype i = 0;
    const qsizetype n = arguments.size();
    while (i < n) {
        const QChar c = arguments[i];
        if (isBlank(c) && quotes == 0) {
            if (inArgument) {
                argv.append(current);
                current.clear();
                inArgument = false;
            }
            backslashes = 0;
            ++i;
            continue;
        }
        inArgument = true;
        if (c == u'\\') {
            current.append(c);
            ++backslashes;
            ++i;
        } else if (c == u'"') {
            current.chop(backslashes / 2);
            if (backslashes % 2 == 0) {
                ++quotes;
            } else {
                current.chop(1);
                current.append(u'"');
            }
            backslashes = 0;
            ++i;
            // Quotes that follow at once: every third one counts as a literal quote.
            while (i < n && arguments[i] == u'"') {
                if (++quotes == 3) {
                    current.append(u'"');
                    quotes = 0;
                }
                ++i;
            }
            if (quotes == 2) {
                quotes = 0;
            }
        } else {
            current.append(c);
            backslashes = 0;
            ++i;
        }
    }
    if (inArgument) {
        argv.append(current);
    }
    return argv;
}

QString QuoteWindowsArgument(const QString& argument, bool always) {
    const bool plain = !always && !argument.isEmpty() && !argument.contains(u' ') &&
                       !argument.contains(u'\t') && !argument.contains(u'"');
    if (plain) {
        return argument;
    }
    QString quoted(u'"');
    int backslashes = 0;
    for (const QChar c : argument) {
        if (c == u'\\') {
            ++backslashes;
            continue;
        }
        if (c == u'"') {
            quoted.append(QString(backslashes * 2 + 1, u'\\'));
            quoted.append(u'"');
        } else {
            quoted.append(QString(backslashes, u'\\'));
            quoted.append(c);
        }
        backslashes = 0;
    }
    quoted.append(QString(backslashes * 2, u'\\'));
    quoted.append(u'"');
    return quoted;
}
