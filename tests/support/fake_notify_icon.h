// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <vector>

#include "platform/notify_icon.h"

// Records every add and delete of the tray icon; the notification area exists unless the test
// says otherwise.
class FakeNotifyIcon final : public NotifyIconService {
  public:
    struct Call {
        quint32 message;
        NOTIFYICONDATA data;
    };

    bool Shell_NotifyIcon(quint32 message, const NOTIFYICONDATA& data) override {
        calls.push_back({message, data});
        return isAvailable;
    }
    bool available() const override { return isAvailable; }

    bool isAvailable = true;
    std::vector<Call> calls;
};
