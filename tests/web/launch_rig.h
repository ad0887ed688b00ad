// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <memory>

#include "platform/browser_registry.h"
#include "tests/support/launch_sandbox.h"
#include "tests/support/test_platform.h"
#include "tests/web/fake_web_host.h"

// A platform that starts command lines for real but records them, reads the https handler from
// the sandbox's XDG tree, and finds recording stand-ins for the browser and xdg-open on its PATH.
struct LaunchRig {
    explicit LaunchRig(LaunchSandbox& sandbox) : platform(sandbox.root()) {
        auto recording = std::make_unique<RecordingStarter>();
        starter = recording.get();
        platform->commandLine = std::move(recording);
        platform->browserRegistry = createLinuxBrowserRegistry();
        browser = sandbox.addStandIn("browser");
        opener = sandbox.addStandIn("xdg-open");
    }

    TestPlatform platform;
    RecordingStarter* starter;
    FakeWebHost host;
    QString browser;
    QString opener;
};
