// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <memory>
#include <optional>

// The entry that has the desktop start the program when the user logs in.
class AutostartEntry {
  public:
    virtual ~AutostartEntry() = default;
    // Whether there is one, whatever it holds: the program counts as registered then.
    virtual bool exists() = 0;
    // The command it runs; nullopt when there is no entry, empty when it cannot be read.
    virtual std::optional<QString> command() = 0;
    // Makes the entry run `program`: a program path or a command name, optionally in one pair of
    // double quotes. An entry already there is replaced. False when refused: no program, or the
    // entry cannot be written.
    virtual bool write(const QString& program) = 0;
    // Removes the entry; false when there is none or it cannot be removed.
    virtual bool remove() = 0;
};

// The freedesktop autostart entry "kestrelview.desktop" in $XDG_CONFIG_HOME/autostart
// (~/.config/autostart when unset); its command is the entry's Exec line. Writing creates the
// folder when missing.
std::unique_ptr<AutostartEntry> createLinuxAutostartEntry();

// The autostart entry for a program, as the Linux autostart entry writes it: UTF-8 with LF line
// ends, with the program's name, comment and icon as its menu entry has them. A program path is
// written as one quoted word; a bare command name made only of letters, digits, ".", "_" and "-"
// (an installed command found on PATH) is written as it is.
QByteArray AutostartEntryBytes(const QString& programPath);

// The desktop file id of an installed copy's menu entry.
inline constexpr char16_t kDesktopFileId[] = u"io.github.kestrelview.Kestrelview.desktop";

// An installed copy runs from the "bin" folder of its prefix, with its menu entry in
// "../share/applications" beside it; any other folder holds a portable copy.
bool IsInstalledProgramFolder(const QString& programFolder);

// The autostart folder for the current environment.
QString AutostartFolder();
