// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <memory>

#include "platform/platform.h"
#include "tests/support/fake_clock.h"
#include "tests/support/fake_notify_icon.h"
#include "tests/support/faulty_file_store.h"
#include "tests/support/scripted_dialogs.h"

// A Platform for tests: the given folder as the executable's folder, a movable clock, scripted
// dialogs, the real file store with injectable faults and a recording tray icon.
struct TestPlatform {
    explicit TestPlatform(const QString& dataFolder);

    Platform& operator*() { return *platform; }
    Platform* operator->() { return platform.get(); }

    std::unique_ptr<Platform> platform;
    FakeClock* clock;
    ScriptedDialogs* dialogs;
    FaultyFileStore* files;
    FakeTrayIcon* trayIcon;
};
