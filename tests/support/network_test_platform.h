// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include "tests/support/recording_sound.h"
#include "tests/support/test_platform.h"

// Adds what fetching pages needs to a test platform: the real download through Qt Network, routed
// so that only 127.0.0.1 is ever reached (names resolve only where a test routes them), short
// time-outs, and a recording sound.
RecordingSound* installNetworkServices(TestPlatform& platform);
