// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <memory>

#include "platform/autostart_entry.h"
#include "platform/browser_logins.h"
#include "platform/browser_registry.h"
#include "platform/clock.h"
#include "platform/command_line.h"
#include "platform/desktop_notices.h"
#include "platform/dialogs.h"
#include "platform/event_log.h"
#include "platform/file_store.h"
#include "platform/network_access.h"
#include "platform/notify_icon.h"
#include "platform/sound.h"
#include "platform/url_download.h"
#include "platform/window_drag.h"

// Every platform service the program uses, handed to the windows at construction. The program
// runs on the Linux services; tests build one with their own clock, dialogs and faults.
struct Platform {
    Platform();
    ~Platform();
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;

    // The data folder, where every file the program writes lives.
    QString dataFolder;
    // The files installed with the program, read only (alarm.wav); empty: the data folder.
    QString resourceFolder;
    // The program folder, where the running executable lies: what the desktop starts at login.
    // Never the data folder, which an installed copy keeps elsewhere; empty: not known.
    QString programFolder;

    std::unique_ptr<Clock> clock;
    std::unique_ptr<FileStore> files;
    std::unique_ptr<Dialogs> dialogs;
    std::unique_ptr<TrayIcon> trayIcon;
    // The desktop's notification service; null: notices go to the tray icon's balloon.
    std::unique_ptr<DesktopNotices> notices;
    std::unique_ptr<BrowserRegistry> browserRegistry;
    std::unique_ptr<AutostartEntry> autostart;
    std::unique_ptr<CommandLineStarter> commandLine;

    // How hosts are reached (routes, time-outs), read by the download and the browser.
    NetworkAccess network;
    // Where the user's browsers keep the logins lent to the pages when the data folder has no
    // "cookies.txt"; an empty home: none. Only the program sets it, so no test ever reads a real
    // profile.
    BrowserHome browserHome;
    std::unique_ptr<UrlDownload> download;
    std::unique_ptr<Sound> sound;
    std::unique_ptr<WindowDrag> windowDrag;

    // "kestrelview.log" in the program's folder; a Platform starts with no file.
    EventLog log;

    // The services of a desktop session on Linux, for a program keeping its files in
    // `dataFolder`.
    static std::unique_ptr<Platform> createLinux(const QString& dataFolder,
                                                 const QString& resourceFolder = {});
};
