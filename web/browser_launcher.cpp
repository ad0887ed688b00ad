// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "web/browser_launcher.h"

#include "platform/command_line.h"
#include "platform/platform.h"
#include "web/browser_command.h"
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
        if (host.openerOptionState() != Tick::Unticked) {
            starter->start(ExplorerCommandLine(address));
            return;
        }
        const QString commandTemplate = BrowserCommandTemplate(platform, host.dialogParent());
        const StartResult started = starter->start(BrowserCommandLine(commandTemplate, address));
        if (started == StartResult::FileNotFound) {
            starter->start(ExplorerCommandLine(address));
        }
    } catch (...) {
        // Opening a page never disturbs the window; a failure simply opens nothing.
    }
}
