// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <optional>
#include <vector>

#include "platform/command_line.h"

// A desktop of our own for launching tests: a temporary PATH holding only recording stand-ins,
// and a temporary XDG tree (config, data, home) that the process's environment points at while
// the sandbox lives. A stand-in writes the argument vector it was started with (its own path
// first) into the sandbox's record folder and opens nothing, so no real browser or opener ever
// runs.
class LaunchSandbox {
  public:
    LaunchSandbox();
    ~LaunchSandbox();
    LaunchSandbox(const LaunchSandbox&) = delete;
    LaunchSandbox& operator=(const LaunchSandbox&) = delete;

    bool isValid() const { return m_dir.isValid(); }
    QString root() const { return m_dir.path(); }
    QString binFolder() const { return root() + QStringLiteral("/bin"); }
    QString configHome() const { return root() + QStringLiteral("/config"); }
    QString dataHome() const { return root() + QStringLiteral("/data"); }
    QString dataDir() const { return root() + QStringLiteral("/share"); }

    // A recording stand-in named `name` in the PATH folder; returns its path.
    QString addStandIn(const QString& name);
    // A recording stand-in at any path (folders are created); it records under `recordName`.
    QString writeStandIn(const QString& path, const QString& recordName);

    // Writes a file below the sandbox root, creating its folders; returns its path.
    QString writeFile(const QString& relativePath, const QByteArray& bytes);

    // A desktop entry in the user's applications folder with this Exec line, named as the https
    // handler in the user's mimeapps.list.
    void setHttpsHandler(const QString& desktopId, const QString& execLine);

    // The argument vectors recorded so far under `recordName`, sorted.
    QList<QStringList> launches(const QString& recordName) const;
    // Waits until `count` launches are recorded under `recordName`; false on time-out.
    bool waitForLaunches(const QString& recordName, int count, int timeoutMs = 10000) const;
    // Gives any launch that was started a moment to record itself, for tests that expect none.
    void settle() const;
    void clearLaunches() const;

  private:
    QTemporaryDir m_dir;
    QMap<QByteArray, std::optional<QByteArray>> m_savedEnvironment;
};

// The real starter, recording every command line it was given and what it answered.
class RecordingStarter final : public CommandLineStarter {
  public:
    struct Call {
        QString commandLine;
        StartResult result;
    };
    RecordingStarter();
    StartResult start(const QString& commandLine) override;

    std::vector<Call> calls;

  private:
    std::unique_ptr<CommandLineStarter> m_real;
};

// The real program, copied into a folder of its own (it keeps its files beside its executable)
// and started there, as often as a test likes; offscreen, as the tests run.
class ProgramCopy {
  public:
    // Copies the executable at `program` into `folder`.
    ProgramCopy(const QString& program, const QString& folder);
    ~ProgramCopy();
    ProgramCopy(const ProgramCopy&) = delete;
    ProgramCopy& operator=(const ProgramCopy&) = delete;

    QString folder() const { return m_folder; }
    // A new process of the copy; it lives as long as this object.
    QProcess& start(const QStringList& arguments = {});
    // The program's log, as text.
    QString log() const;
    // Waits until the log holds `text` `count` times; false on time-out.
    bool waitForLog(const QString& text, int count = 1, int timeoutMs = 20000) const;

  private:
    QString m_folder;
    QString m_executable;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};
