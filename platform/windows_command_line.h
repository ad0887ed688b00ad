// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// The Windows command-line rules, which the command lines the program builds and starts (browser
// templates, "explorer" lines) follow.

// A command line split into the program path and the text after it.
struct CommandLineParts {
    QString program;
    QString arguments;  // the rest of the line, still to be split by CommandLineToArgv
};

// The program path is either quoted, running to the next double quote (or the end of the line),
// or runs up to the first blank (space or tab). Leading blanks are not skipped, so a line that
// starts with a blank names an empty program.
CommandLineParts SplitProgramPath(QStringView line);

// Splits arguments as CommandLineToArgvW does: blanks separate arguments outside double quotes;
// 2n backslashes before a double quote give n backslashes and the quote opens or closes a quoted
// part; 2n+1 backslashes before it give n backslashes and a literal quote; backslashes elsewhere
// are literal; a double quote right after the closing quote of a quoted part gives a literal
// quote.
QStringList CommandLineToArgv(QStringView arguments);

// One argument written so that CommandLineToArgv reads it back unchanged: as it is when it holds
// no blank, tab or double quote and is not empty (and `always` is false), otherwise in double
// quotes with the backslashes before a quote (and before the closing quote) doubled and each
// quote escaped.
QString QuoteWindowsArgument(const QString& argument, bool always = false);
