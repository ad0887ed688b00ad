// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <QStringList>
#include <memory>

// Starting a program from a Windows-style command line without waiting for it.

enum class StartResult {
    Started,
    FileNotFound,  // the program file was not found; told apart before anything is started
    Failed,        // found, but it could not be started
};

class CommandLineStarter {
  public:
    virtual ~CommandLineStarter() = default;
    // The program path is quoted or runs up to the first blank; the rest is split into arguments
    // by the Windows rules. "explorer" and "explorer.exe" name the desktop's opener.
    virtual StartResult start(const QString& commandLine) = 0;
};

// The program file a command line names, as the starter finds it: a path holding "/" must be an
// executable file, a bare name is looked up in the absolute folders of `searchPath` (PATH
// syntax; empty and relative entries are skipped, so the current folder is never searched by
// accident). Empty when not found.
QString FindProgramFile(const QString& program, const QString& searchPath);

// On Linux "explorer" and "explorer.exe" (any case) become "xdg-open"; other names stay.
QString MapShellProgram(const QString& program);

// Starts detached processes with QProcess, searching the PATH of the program's own environment
// at every call.
std::unique_ptr<CommandLineStarter> createLinuxCommandLineStarter();
