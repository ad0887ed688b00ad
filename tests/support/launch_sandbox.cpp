// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "tests/support/launch_sandbox.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <optional>

// GLib's hook for tests (exported since GLib 2.60, declared in a header it does not install):
// GLib reads the XDG folders once per process, and GIO looks for the default browser there.
extern "C" void g_set_user_dirs(const char* firstDirType, ...);

// GLib keeps the folder names it replaced, for callers that may still hold them, and GIO keeps
// what it read of the folders it dropped: neither is a leak of the program's.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libglib-2.0.so\nleak:libgio-2.0.so\n";
}

namespace {

const char* const kVariables[] = {
    "PATH",          "HOME",          "XDG_CONFIG_HOME",    "XDG_CONFIG_DIRS",
    "XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CURRENT_DESKTOP"};

QString shellQuoted(const QString& text) {
    QString quoted = text;
    quoted.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + quoted + u'\'';
}

}  // namespace

LaunchSandbox::LaunchSandbox() {
    for (const char* name : kVariables) {
        m_savedEnvironment.insert(name, qEnvironmentVariableIsSet(name)
                                            ? std::optional<QByteArray>(qgetenv(name))
                                            : std::nullopt);
    }
    QDir(root()).mkpath(QStringLiteral("bin"));
    QDir(root()).mkpath(QStringLiteral("records"));
    QDir(root()).mkpath(QStringLiteral("home"));
    qputenv("PATH", binFolder().toLocal8Bit());
    qputenv("HOME", (root() + QStringLiteral("/home")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", configHome().toLocal8Bit());
    qputenv("XDG_CONFIG_DIRS", (root() + QStringLiteral("/etc-xdg")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", dataHome().toLocal8Bit());
    qputenv("XDG_DATA_DIRS", dataDir().toLocal8Bit());
    qunsetenv("XDG_CURRENT_DESKTOP");
    const QByteArray home = qgetenv("HOME");
    const QByteArray configHomeBytes = qgetenv("XDG_CONFIG_HOME");
    const QByteArray dataHomeBytes = qgetenv("XDG_DATA_HOME");
    const QByteArray configDirs = qgetenv("XDG_CONFIG_DIRS");
    const QByteArray dataDirs = qgetenv("XDG_DATA_DIRS");
    const char* const configDirList[] = {configDirs.constData(), nullptr};
    const char* const dataDirList[] = {dataDirs.constData(), nullptr};
    g_set_user_dirs("HOME", home.constData(), "XDG_CONFIG_HOME", configHomeBytes.constData(),
                    "XDG_DATA_HOME", dataHomeBytes.constData(), "XDG_CONFIG_DIRS", configDirList,
                    "XDG_DATA_DIRS", dataDirList, nullptr);
}

LaunchSandbox::~LaunchSandbox() {
    for (auto it = m_savedEnvironment.cbegin(); it != m_savedEnvironment.cend(); ++it) {
        if (it.value()) {
            qputenv(it.key().constData(), *it.value());
        } else {
            qunsetenv(it.key().constData());
        }
    }
}

QString LaunchSandbox::addStandIn(const QString& name) {
    return writeStandIn(binFolder() + u'/' + name, name);
}

QString LaunchSandbox::writeStandIn(const QString& path, const QString& recordName) {
    const QString record = root() + QStringLiteral("/records/") + recordName;
    const QString script = QStringLiteral("#!/bin/sh\nr=") + shellQuoted(record) +
                           QStringLiteral(
                               ".$$\nprintf '%s\\0' \"$0\" \"$@\" > \"$r.part\" && "
                               "/bin/mv \"$r.part\" \"$r\"\n");
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return {};
    }
    file.write(script.toUtf8());
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                        QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    return path;
}

QString LaunchSandbox::writeFile(const QString& relativePath, const QByteArray& bytes) {
    const QString path = root() + u'/' + relativePath;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(bytes);
    }
    return path;
}

void LaunchSandbox::setHttpsHandler(const QString& desktopId, const QString& execLine) {
    writeFile(QStringLiteral("data/applications/") + desktopId,
              (QStringLiteral("[Desktop Entry]\nType=Application\nName=Browser\nExec=") + execLine +
               u'\n')
                  .toUtf8());
    writeFile(QStringLiteral("config/mimeapps.list"),
              (QStringLiteral("[Default Applications]\nx-scheme-handler/https=") + desktopId +
               QStringLiteral(";\n"))
                  .toUtf8());
}

QList<QStringList> LaunchSandbox::launches(const QString& recordName) const {
    QList<QStringList> result;
    const QDir records(root() + QStringLiteral("/records"));
    const QStringList names =
        records.entryList({recordName + QStringLiteral(".*")}, QDir::Files, QDir::Name);
    for (const QString& name : names) {
        if (name.endsWith(QStringLiteral(".part"))) {
            continue;
        }
        QFile file(records.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        QByteArray bytes = file.readAll();
        if (bytes.endsWith('\0')) {
            bytes.chop(1);
        }
        QStringList argv;
        for (const QByteArray& arg : bytes.split('\0')) {
            argv.append(QString::fromUtf8(arg));
        }
        result.append(argv);
    }
    std::sort(result.begin(), result.end());
    return result;
}

bool LaunchSandbox::waitForLaunches(const QString& recordName, int count, int timeoutMs) const {
    QDeadlineTimer deadline(timeoutMs);
    while (launches(recordName).size() < count) {
        if (deadline.hasExpired()) {
            return false;
        }
        QThread::msleep(10);
    }
    return true;
}

void LaunchSandbox::settle() const {
    QThread::msleep(300);
}

void LaunchSandbox::clearLaunches() const {
    QDir records(root() + QStringLiteral("/records"));
    for (const QString& name : records.entryList(QDir::Files)) {
        records.remove(name);
    }
}

RecordingStarter::RecordingStarter() : m_real(createLinuxCommandLineStarter()) {}

StartResult RecordingStarter::start(const QString& commandLine) {
    const StartResult result = m_real->start(commandLine);
    calls.push_back({commandLine, result});
    return result;
}

ProgramCopy::ProgramCopy(const QString& program, const QString& folder)
    : m_folder(folder), m_executable(folder + QStringLiteral("/Kestrelview")) {
    QFile::copy(program, m_executable);
}

ProgramCopy::~ProgramCopy() {
    for (const auto& process : m_processes) {
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(5000);
        }
    }
}

QProcess& ProgramCopy::start(const QStringList& arguments) {
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process->setProcessEnvironment(environment);
    process->setWorkingDirectory(m_folder);
    process->start(m_executable, arguments);
    process->waitForStarted(10000);
    m_processes.push_back(std::move(process));
    return *m_processes.back();
}

QString ProgramCopy::log() const {
    QFile file(m_folder + QStringLiteral("/kestrelview.log"));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll());
}

bool ProgramCopy::waitForLog(const QString& text, int count, int timeoutMs) const {
    QDeadlineTimer deadline(timeoutMs);
    while (log().count(text) < count) {
        if (deadline.hasExpired()) {
            return false;
        }
        QThread::msleep(20);
    }
    return true;
}
