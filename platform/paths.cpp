// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "platform/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString RunningProgramFolder() {
    return QCoreApplication::applicationDirPath();
}

ProgramFolders ChooseProgramFolders(const QString& programFolder, const QString& dataDirOption,
                                    const QString& xdgDataHome, const QString& home) {
    ProgramFolders folders;
    const QDir program(programFolder);
    const QString installedResources =
        QDir::cleanPath(program.absoluteFilePath(QStringLiteral("../share/kestrelview")));
    folders.resources =
        QFileInfo(installedResources).isDir() ? installedResources : QDir::cleanPath(programFolder);

    if (!dataDirOption.isEmpty()) {
        folders.data = QDir::cleanPath(QDir::current().absoluteFilePath(dataDirOption));
        return folders;
    }
    for (const char* name : {"zodadud_data.dat", "output.csv", "setting.ini", "cookies.txt"}) {
        if (QFileInfo::exists(program.filePath(QString::fromLatin1(name)))) {
            folders.data = QDir::cleanPath(programFolder);
            folders.portable = true;
            return folders;
        }
    }
    // A relative XDG_DATA_HOME is invalid and to be ignored, as the base directory rules say.
    const QString base = QDir::isAbsolutePath(xdgDataHome)
                             ? xdgDataHome
                             : QDir(home).filePath(QStringLiteral(".local/share"));
    folders.data = QDir::cleanPath(base + QStringLiteral("/kestrelview"));
    return folders;
}

bool MakePrivateFolder(const QString& folder) {
    if (QFileInfo(folder).isDir()) {
        return true;
    }
    if (!QDir().mkpath(folder)) {
        return false;
    }
    return QFile::setPermissions(
        folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

QString ResourceFilePath(const QString& dataFolder, const QString& resourceFolder,
                         const QString& backslashName) {
    const QString own = AppFilePath(dataFolder, backslashName);
    if (resourceFolder.isEmpty() || QFileInfo::exists(own)) {
        return own;
    }
    return AppFilePath(resourceFolder, backslashName);
}

QString AppFilePath(const QString& folder, const QString& backslashName) {
    QString name = backslashName;
    while (name.startsWith(u'\\') || name.startsWith(u'/')) {
        name.remove(0, 1);
    }
    QString base = folder;
    if (!base.endsWith(u'/')) {
        base.append(u'/');
    }
    return base + name;
}

QString DisplayPath(const QString& path) {
    return QDir::toNativeSeparators(path);
}
