// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>

// The program folder: where the running executable lies, found from its own resolved path. It is
// the data folder only for a portable copy; an installed copy's is the "bin" of its prefix.
QString RunningProgramFolder();

// Where a copy of the program keeps its files, and where it reads what it ships with.
struct ProgramFolders {
    // Every file the program writes: data, settings, cookies, log.
    QString data;
    // The files installed with the program that it only reads (alarm.wav).
    QString resources;
    // The data folder beside the executable, as a copy carried on a stick uses.
    bool portable = false;
};

// The folders of a copy whose executable lies in `programFolder`. A copy that already keeps one of
// its files there stays portable; `dataDirOption` (--data-dir), when given, wins; otherwise the
// user's own folder: `xdgDataHome`/kestrelview, or `home`/.local/share/kestrelview when the
// variable is unset or not absolute. The resources are in ../share/kestrelview of an installed
// copy, else beside the executable.
ProgramFolders ChooseProgramFolders(const QString& programFolder, const QString& dataDirOption,
                                    const QString& xdgDataHome, const QString& home);

// Creates `folder` if missing; a folder the program made for the user alone is readable by the
// user alone, since it holds a login. False when it cannot be made.
bool MakePrivateFolder(const QString& folder);

// A file the program reads but the user need not write, "\alarm.wav": the one in `dataFolder` when
// the user put one there, else the one installed in `resourceFolder`.
QString ResourceFilePath(const QString& dataFolder, const QString& resourceFolder,
                         const QString& backslashName);

// A file the program keeps, written the way the program names them, "\zodadud_data.dat": that
// name in `folder`.
QString AppFilePath(const QString& folder, const QString& backslashName);

// A path as the user should read it, with the platform's separators.
QString DisplayPath(const QString& path);
