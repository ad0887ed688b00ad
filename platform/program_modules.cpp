// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "platform/program_modules.h"

#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QMutex>
#include <QMutexLocker>
#include <map>
#include <memory>

#include "platform/paths.h"

// Set by the build from the install layout: the modules' folder relative to the program's.
#ifndef KV_MODULE_FOLDER_FROM_PROGRAM
#error "KV_MODULE_FOLDER_FROM_PROGRAM is set by platform/CMakeLists.txt"
#endif

namespace {

QMutex& modulesMutex() {
    static QMutex mutex;
    return mutex;
}

// Never unloaded: the objects a module made may outlive whoever asked for them.
std::map<QString, std::unique_ptr<QLibrary>>& loadedModules() {
    static std::map<QString, std::unique_ptr<QLibrary>> modules;
    return modules;
}

QString noneHolds(const QString& fileName, const QStringList& folders) {
    return QStringLiteral("%1 is in none of %2")
        .arg(fileName, folders.isEmpty() ? QStringLiteral("(no folder)")
                                         : folders.join(QStringLiteral(", ")));
}

}  // namespace

QStringList ProgramModuleFolders() {
    const QString fromEnvironment = qEnvironmentVariable("KESTRELVIEW_MODULE_PATH");
    if (qEnvironmentVariableIsSet("KESTRELVIEW_MODULE_PATH")) {
        return fromEnvironment.split(QLatin1Char(':'), Qt::SkipEmptyParts);
    }
    const QDir program(RunningProgramFolder());
    return {
        QDir::cleanPath(program.absoluteFilePath(QStringLiteral(KV_MODULE_FOLDER_FROM_PROGRAM))),
        QDir::cleanPath(program.absoluteFilePath(QStringLiteral("modules")))};
}

QString ProgramHelperPath(const QString& name, QString* error) {
    const QStringList folders = ProgramModuleFolders();
    for (const QString& folder : folders) {
        const QString candidate = QDir(folder).filePath(name);
        if (QFileInfo(candidate).isFile()) {
            return candidate;
        }
    }
    if (error) {
        *error = noneHolds(name, folders);
    }
    return {};
}

QFunctionPointer ProgramModuleFunction(const QString& name, const char* symbol, QString* error) {
    const QMutexLocker lock(&modulesMutex());
    auto& modules = loadedModules();
    auto found = modules.find(name);
    if (found == modules.end()) {
        const QString fileName = name + QStringLiteral(".so");
        const QStringList folders = ProgramModuleFolders();
        QString path;
        for (const QString& folder : folders) {
            const QString candidate = QDir(folder).filePath(fileName);
            if (QFileInfo(candidate).isFile()) {
                path = candidate;
                break;
            }
        }
        if (path.isEmpty()) {
            if (error) {
                *error = noneHolds(fileName, folders);
            }
            return nullptr;
        }
        auto library = std::make_unique<QLibrary>(path);
        // Every symbol resolved now: a module built against other libraries fails here, not in
        // the middle of drawing a chart.
        library->setLoadHints(QLibrary::ResolveAllSymbolsHint);
        if (!library->load()) {
            if (error) {
                *error = library->errorString();
            }
            return nullptr;
        }
        found = modules.emplace(name, std::move(library)).first;
    }
    const QFunctionPointer function = found->second->resolve(symbol);
    if (!function && error) {
        *error = found->second->errorString();
    }
    return function;
}

bool ProgramModuleLoaded(const QString& name) {
    const QMutexLocker lock(&modulesMutex());
    return loadedModules().count(name) != 0;
}
