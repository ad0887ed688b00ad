// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "web/browser_launcher.h"

#include "platform/command_line.h"
#include "platform/platform.h"
#include "platform/registry.h"
#include "web/registry_value.h"
#include "web/web_host.h"

QString ExplorerCommandLine(const QString& address) {
    return QStringLiteral("explorer.exe \"") + address + u'"';
}

QString BrowserCommandLine(const QString& commandTemplate, const QString& address) {
    const QString placeholder = QStringLiteral("%1");
    if (!commandTemplate.contains(placeholder)) {
        return commandTemplate + u' ' + address;
    }
    QString line = commandTemplate;
    line.replace(QStringLiteral("\"\""), QStringLiteral("\""));
    line.replace(placeholder, address);
    return line;
}

void OpenUrl(Platform& platform, WebHost& host, const QString& address) {
    try {
        CommandLineStarter* starter = platform.commandLine.get();
        if (starter == nullptr || !host.hasSelectedRow()) {
            return;
        }
        if (host.IEOpenChkValue() != 0) {
            starter->Shell(ExplorerCommandLine(address), SW_SHOWNORMAL);
            return;
        }
        const QString shellKey = QStringLiteral("https\\shell");
        const QString verb = RegistryValueText(
            RegistryGetKeyValue(platform, host.dialogParent(), HKEY_CLASSES_ROOT, shellKey, {}));
        const QString commandTemplate = RegistryValueText(
            RegistryGetKeyValue(platform, host.dialogParent(), HKEY_CLASSES_ROOT,
                                shellKey + u'\\' + verb + QStringLiteral("\\command"), {}));
        const StartResult started =
            starter->Shell(BrowserCommandLine(commandTemplate, address), SW_SHOWNORMAL);
        if (started == StartResult::FileNotFound) {
            starter->Shell(ExplorerCommandLine(address), SW_SHOWNORMAL);
        }
    } catch (...) {
        // Opening a page never disturbs the window; a failure simply opens nothing.
    }
}
