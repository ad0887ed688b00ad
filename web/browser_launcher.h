// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>

struct Platform;
class WebHost;

// The command line that hands `address` to the shell program: "explorer.exe " and the address in
// double quotes.
QString ExplorerCommandLine(const QString& address);

// The browser's command line from its registered command template: when the template holds
// "%1", every two double quotes in a row become one and then every "%1" becomes the address;
// otherwise one blank and the address are appended.
QString BrowserCommandLine(const QString& commandTemplate, const QString& address);

// Opens `address` in the user's browser, provided a ranking row is selected: through the shell
// program when "IEで開く" is ticked, otherwise through the command registered for the https
// protocol, read afresh each time. When that program file is not found the shell program opens
// the address after all; every other failure ends the call silently.
void OpenUrl(Platform& platform, WebHost& host, const QString& address);
