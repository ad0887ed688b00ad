// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include "platform/autostart_entry.h"
#include "platform/desktop_entry.h"
#include "platform/file_store.h"

namespace {

const QString kEntryName = QStringLiteral("kestrelview.desktop");

QString entryPath() {
    return AutostartFolder() + u'/' + kEntryName;
}

QString programOf(const QString& data) {
    if (data.size() >= 2 && data.startsWith(u'"') && data.endsWith(u'"')) {
        return data.sliced(1, data.size() - 2);
    }
    return data;
}

class LinuxAutostartEntry final : public AutostartEntry {
  public:
    bool exists() override { return QFileInfo::exists(entryPath()); }

    std::optional<QString> command() override {
        const QString entry = entryPath();
        if (!QFileInfo::exists(entry)) {
            return std::nullopt;
        }
        const auto keyFile = KeyFile::read(entry);
        if (!keyFile) {
            return QString();
        }
        return keyFile->rawValue(QStringLiteral("Desktop Entry"), QStringLiteral("Exec"))
            .value_or(QString());
    }

    bool write(const QString& command) override {
        const QString program = programOf(command);
        if (program.isEmpty()) {
            return false;
        }
        if (!QDir().mkpath(AutostartFolder())) {
            return false;
        }
        // Through the file store, which takes a full disk for the failure it is.
        const std::unique_ptr<OutputFile> file = createLinuxFileStore()->create(entryPath());
        return file && file->write(AutostartEntryBytes(program)) && file->commit();
    }

    bool remove() override {
        const QString entry = entryPath();
        if (!QFileInfo::exists(entry)) {
            return false;
        }
        return QFile::remove(entry);
    }
};

}  // namespace

QString AutostartFolder() {
    const QString configHome = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"));
    if (QDir::isAbsolutePath(configHome)) {
        return configHome + QStringLiteral("/autostart");
    }
    QString home = QString::fromLocal8Bit(qgetenv("HOME"));
    if (!QDir::isAbsolutePath(home)) {
        home = QDir::homePath();
    }
    return home + QStringLiteral("/.config/autostart");
}

QByteArray AutostartEntryBytes(const QString& programPath) {
    static const QRegularExpression plainCommand(QStringLiteral("^[A-Za-z0-9._-]+$"));
    const QString exec = plainCommand.match(programPath).hasMatch()
                             ? programPath
                             : QuoteExecPathForFile(programPath);
    const QString text = QStringLiteral(
                             "[Desktop Entry]\nType=Application\nName=Kestrelview\n"
                             "Comment=Keep a permanent tally of who visits your mixi profile\n"
                             "Icon=io.github.kestrelview.Kestrelview\nExec=") +
                         exec + u'\n';
    return text.toUtf8();
}

bool IsInstalledProgramFolder(const QString& programFolder) {
    const QDir folder(programFolder);
    return folder.isAbsolute() && folder.dirName() == u"bin" &&
           QFileInfo(folder.filePath(QStringLiteral("../share/applications/") +
                                     QString::fromUtf16(kDesktopFileId)))
               .isFile();
}

std::unique_ptr<AutostartEntry> createLinuxAutostartEntry() {
    return std::make_unique<LinuxAutostartEntry>();
}
