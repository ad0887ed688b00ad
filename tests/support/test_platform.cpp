// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "tests/support/test_platform.h"

#include "platform/paths.h"

TestPlatform::TestPlatform(const QString& dataFolder) : platform(std::make_unique<Platform>()) {
    platform->dataFolder = dataFolder;
    // A portable copy: the program lies in the folder that holds its files.
    platform->programFolder = dataFolder;
    auto fakeClock = std::make_unique<FakeClock>();
    clock = fakeClock.get();
    platform->clock = std::move(fakeClock);
    auto scripted = std::make_unique<ScriptedDialogs>();
    dialogs = scripted.get();
    platform->dialogs = std::move(scripted);
    auto faulty = std::make_unique<FaultyFileStore>();
    files = faulty.get();
    platform->files = std::move(faulty);
    auto icon = std::make_unique<FakeTrayIcon>();
    trayIcon = icon.get();
    platform->trayIcon = std::move(icon);
    platform->log.setClock(clock);
    platform->log.setFile(AppFilePath(dataFolder, QStringLiteral("\\kestrelview.log")));
}
