// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "app/startup_registration.h"

#include <QFileInfo>

#include "platform/command_line.h"
#include "platform/dialogs.h"
#include "platform/platform.h"
#include "platform/shell_registry.h"

QString StartupValueData(const QString& applicationDirectory) {
    QString folder = applicationDirectory;
    while (folder.size() > 1 && folder.endsWith(u'/')) {
        folder.chop(1);
    }
    if (folder == u"/") {
        folder.clear();
    }
    if (!IsInstalledProgramFolder(applicationDirectory)) {
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
    ShellRegistry* shell = m_platform.shellRegistry.get();
    const QString path = QString::fromUtf16(kStartupValuePath);
    const bool exists = shell != nullptr && shell->RegRead(path).has_value();
    m_button.setCaption(QString::fromUtf16(exists ? kUnregisterCaption : kRegisterCaption));
}

void StartupRegistration::toggle() {
    ShellRegistry* shell = m_platform.shellRegistry.get();
    const QString path = QString::fromUtf16(kStartupValuePath);
    bool changed = false;
    if (shell != nullptr) {
        if (m_button.caption() == QString::fromUtf16(kRegisterCaption)) {
            changed = shell->RegWrite(path, StartupValueData(m_platform.applicationDirectory),
                                      QStringLiteral("REG_SZ"));
        } else {
            changed = shell->RegDelete(path);
        }
    }
    refreshButton();
    if (!changed) {
        m_platform.dialogs->MsgBox(m_button.dialogParent(),
                                   QStringLiteral("スタートアップの設定を変更できませんでした。"),
                                   MsgBoxIcon::None, QStringLiteral("Kestrelview"));
    }
}
