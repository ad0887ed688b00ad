// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <vector>

#include "platform/sound.h"

// Records every sound the program asks for, and plays nothing.
class RecordingSound final : public Sound {
  public:
    struct Call {
        QString soundName;
        IfUnplayable ifUnplayable;
    };
    bool play(const QString& soundName, IfUnplayable ifUnplayable) override {
        calls.push_back({soundName, ifUnplayable});
        return true;
    }
    std::vector<Call> calls;
};
