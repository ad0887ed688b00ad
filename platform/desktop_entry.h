// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

// Freedesktop desktop entries, and a browser's Exec line made into the launcher's template.

// A key file as groups of key=value lines. Comments, blank lines and lines that are neither a
// group header nor a key=value line are passed over; keys before the first group are ignored;
// when a key comes twice in a group the later one counts, as GLib reads it.
class KeyFile {
  public:
    // nullopt when the file cannot be read or is larger than any such file has reason to be.
    static std::optional<KeyFile> read(const QString& path);
    static KeyFile parse(const QByteArray& bytes);

    bool hasGroup(const QString& group) const { return m_groups.contains(group); }
    // The raw value, without the blanks around the "=".
    std::optional<QString> rawValue(const QString& group, const QString& key) const;
    // The value with the string escapes undone.
    std::optional<QString> stringValue(const QString& group, const QString& key) const;
    // A boolean is true only when it reads "true".
    bool boolValue(const QString& group, const QString& key) const;

  private:
    QHash<QString, QHash<QString, QString>> m_groups;
};

// Undoes the escapes of a desktop-entry string: \s \n \t \r and \\. A backslash before any other
// character, or at the end, stays as it is, so that older files writing \" or \$ keep their
// meaning for the Exec quoting rules.
QString UnescapeDesktopString(QStringView raw);

// Splits an (unescaped) Exec value into its words: blanks separate words; inside double quotes
// a backslash escapes ", `, $ and \ (before any other character it is literal); inside single
// quotes everything is literal; outside quotes a backslash escapes the next character. nullopt
// when a quote is left open, a backslash ends the line, or there is no word at all.
std::optional<QStringList> SplitDesktopExec(QStringView exec);

// The words of an Exec value made into a Windows-style command template for opening one address:
// %u and %U become the place holder %1, %% becomes %, every other field code is dropped (a word
// made only of such codes goes with it); then the program, %1 and every word holding a blank,
// a tab or a double quote are quoted by the Windows rules. nullopt when the result cannot stand
// for the command: a program path holding a double quote or a field code, a literal "%1"
// that would be taken for the place holder, or two double quotes in a row (which the browser
// launcher collapses into one).
std::optional<QString> ExecToWindowsTemplate(const QStringList& words);

// The program of an Exec value's first word, with %% read as %; empty when it holds another
// field code.
QString ExecProgram(const QString& firstWord);

// `path` as one double-quoted word of an Exec value, written into the file: ", `, $ and \ each
// get a backslash and % is doubled (the Exec quoting), then every backslash is doubled (the
// string escapes), and line breaks and tabs become \n, \r and \t so the entry stays one line.
QString QuoteExecPathForFile(const QString& path);
