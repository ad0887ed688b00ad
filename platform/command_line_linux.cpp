// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include "platform/command_line.h"
#include "platform/windows_command_line.h"

namespace {

bool isExecutableFile(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

class LinuxCommandLineStarter final : public CommandLineStarter {
  public:
    // The desktop gives a new window the focus by itself.
    StartResult start(const QString& commandLine) override {
        const CommandLineParts parts = SplitProgramPath(commandLine);
        const QString program = FindProgramFile(MapShellProgram(parts.program),
                                                QString::fromLocal8Bit(qgetenv("PATH")));
        if (program.isEmpty()) {
            return StartResult::FileNotFound;
        }
        const QStringList arguments = CommandLineToArgv(parts.arguments);
        return QProcess::startDetached(program, arguments) ? StartResult::Started
                                                           : StartResult::Failed;
    }
};

}  // namespace

QString FindProgramFile(const QString& program, const QString& searchPath) {
    if (program.isEmpty()) {
        return {};
    }
    if (program.contains(u'/')) {
        return isExecutableFile(program) ? QFileInfo(program).absoluteFilePath() : QString();
    }
    for (const QString& folder : searchPath.split(u':', Qt::SkipEmptyParts)) {
        if (!QDir::isAbsolutePath(folder)) {
            continue;
        }
        const QString candidate = QDir(folder).filePath(program);
        if (isExecutableFile(candidate)) {
            return candidate;
        }
    }
    return {};
}

QString MapShellProgram(const QString& program) {
    if (program.compare(u"explorer", Qt::CaseInsensitive) == 0 ||
        program.compare(u"explorer.exe", Qt::CaseInsensitive) == 0) {
        return QStringLiteral("xdg-open");
    }
    return program;
}

std::unique_ptr<CommandLineStarter> createLinuxCommandLineStarter() {
    return std::make_unique<LinuxCommandLineStarter>();
}
