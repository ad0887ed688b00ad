// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "app/startup_registration.h"

#include <QFileInfo>

#include "platform/autostart_entry.h"
#include "platform/command_line.h"
#include "platform/dialogs.h"
#include "platform/platform.h"

QString StartupValueData(const QString& programFolder) {
    if (programFolder.isEmpty()) {
        return {};
    }
    QString folder = programFolder;
    while (folder.size() > 1 && folder.endsWith(u'/')) {
        folder.chop(1);
    }
    if (folder == u"/") {
        folder.clear();
    }
    if (!IsInstalledProgramFolder(programFolder)) {
        return u'"' + folder + QStringLiteral("/Kestrelview") + u'"';
    }
    const QString command = QStringLiteral("kestrelview");
    const QString installed = folder + u'/' + command;
    const QString found = FindProgramFile(command, QString::fromLocal8Bit(qgetenv("PATH")));
    if (!found.isEmpty() &&
        QFileInfo(found).canonicalFilePath() == QFileInfo(installed).canonicalFilePath()) {
        return command;
    }
    return u'"' + installed + u'"';
}

StartupRegistration::StartupRegistration(Platform& platform, StartupButton& button)
    : m_platform(platform), m_button(button) {}

void StartupRegistration::refreshButton() {
    AutostartEntry* autostart = m_platform.autostart.get();
    const bool exists = autostart != nullptr && autostart->exists();
    m_button.setCaption(QString::fromUtf16(exists ? kUnregisterCaption : kRegisterCaption));
}

void StartupRegistration::toggle() {
    AutostartEntry* autostart = m_platform.autostart.get();
    bool changed = false;
    if (autostart != nullptr) {
        if (m_button.caption() == QString::fromUtf16(kRegisterCaption)) {
            changed = autostart->write(StartupValueData(m_platform.programFolder));
        } else {
            changed = autostart->remove();
        }
    }
    refreshButton();
    if (!changed) {
        m_platform.dialogs->message(m_button.dialogParent(),
                                    QStringLiteral("スタートアップの設定を変更できませんでした。"),
                                    MessageIcon::None, QStringLiteral("Kestrelview"));
    }
}
