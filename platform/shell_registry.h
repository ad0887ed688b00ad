// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <memory>
#include <optional>

// The registry calls of the scripting shell object: read, write and delete one value named by its
// path ("HKLM\Software\...\name").
class ShellRegistry {
  public:
    virtual ~ShellRegistry() = default;
    // The value's data; nullopt when it does not exist or cannot be read.
    virtual std::optional<QString> RegRead(const QString& path) = 0;
    // Writes the value with a type name such as "REG_SZ"; false when refused.
    virtual bool RegWrite(const QString& path, const QString& data, const QString& type) = 0;
    // Deletes the value; false when refused or when it does not exist.
    virtual bool RegDelete(const QString& path) = 0;
};

// The run-at-start value "HKLM\Software\Microsoft\Windows\CurrentVersion\run\kestrelview" (any
// case) as the Linux desktop keeps it: the autostart entry "kestrelview.desktop" in
// $XDG_CONFIG_HOME/autostart (~/.config/autostart when unset). The value exists when the entry
// does, whatever it holds; reading gives the entry's Exec line. Writing a REG_SZ command (a
// program path or a command name, optionally in one pair of double quotes) replaces the entry
// with one that runs that program, creating the folder when missing; deleting removes the entry.
// Every other path or type is refused.
std::unique_ptr<ShellRegistry> createLinuxShellRegistry();

// The autostart entry for a program, as the Linux shell registry writes it: UTF-8 with LF line
// ends. A program path is written as one quoted word; a bare command name made only of letters,
// digits, ".", "_" and "-" (an installed command found on PATH) is written as it is.
QByteArray AutostartEntryBytes(const QString& programPath);

// The desktop file id of an installed copy's menu entry.
inline constexpr char16_t kDesktopFileId[] = u"io.github.kestrelview.Kestrelview.desktop";

// An installed copy runs from the "bin" folder of its prefix, with its menu entry in
// "../share/applications" beside it; any other folder holds a portable copy.
bool IsInstalledProgramFolder(const QString& applicationDirectory);

// The autostart folder for the current environment.
QString AutostartFolder();
