// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// The program's modules: shared libraries of its own ("charts.so", "sound.so", "cookies.so") that
// carry a feature most runs never use, opened by name the first time the feature is used, so a
// run that does without it never maps the libraries behind it.

// Where modules are looked for, the first folder holding the file wins: every folder of
// $KESTRELVIEW_MODULE_PATH (colon-separated) when it is set, and nothing else; otherwise the
// package's private folder beside the program's "bin" (../lib/<triplet>/kestrelview, as it was
// installed) and "modules" in the program folder, where the build tree and a portable copy keep
// them.
QStringList ProgramModuleFolders();

// The helper program `name` ("kestrelview-fetch"), looked for in the modules' folders, the first
// folder holding a file of that name winning; empty with `error` naming the folders looked in when
// none does.
QString ProgramHelperPath(const QString& name, QString* error);

// The function `symbol` of module `name`, or null with `error` telling why: no folder holds the
// module (the folders looked in are named), or it would not load or lacks the function (the
// loader's reason). A module that loaded stays loaded; one that did not is looked for again at
// the next call. Safe from any thread.
QFunctionPointer ProgramModuleFunction(const QString& name, const char* symbol, QString* error);

// Whether the process has module `name` open, for the log and the tests.
bool ProgramModuleLoaded(const QString& name);
