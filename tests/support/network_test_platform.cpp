// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "tests/support/network_test_platform.h"

RecordingSound* installNetworkServices(TestPlatform& platform) {
    Platform& p = *platform.platform;
    p.network.systemLookup = false;
    p.network.environmentProxies = false;
    p.network.connectTimeoutMs = 2000;
    p.network.totalTimeoutMs = 5000;
    p.download = createQtDownload(p);
    auto sound = std::make_unique<RecordingSound>();
    RecordingSound* recording = sound.get();
    p.sound = std::move(sound);
    return recording;
}
