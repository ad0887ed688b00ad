// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "platform/paths.h"
#include "platform/platform.h"

std::unique_ptr<Platform> Platform::createLinux(const QString& dataFolder,
                                                const QString& resourceFolder) {
    auto platform = std::make_unique<Platform>();
    platform->dataFolder = dataFolder;
    platform->resourceFolder = resourceFolder;
    platform->programFolder = RunningProgramFolder();
    platform->clock = createSystemClock();
    platform->files = createLinuxFileStore();
    platform->dialogs = createQtDialogs();
    platform->trayIcon = createQtTrayIcon();
    platform->notices = createDBusDesktopNotices();
    platform->browserRegistry = createLinuxBrowserRegistry();
    platform->autostart = createLinuxAutostartEntry();
    platform->commandLine = createLinuxCommandLineStarter();
    platform->network.systemLookup = true;
    platform->browserHome.home = qEnvironmentVariable("HOME");
    platform->browserHome.configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    platform->network.environmentProxies = true;
    platform->download = createQtDownload(*platform);
    platform->sound = createQtSound(&platform->log);
    platform->windowDrag = createQtWindowDrag();
    platform->log.setClock(platform->clock.get());
    platform->log.setFile(AppFilePath(dataFolder, QStringLiteral("\\kestrelview.log")));
    return platform;
}
