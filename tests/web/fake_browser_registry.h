// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <memory>
#include <new>
#include <optional>

#include "platform/browser_registry.h"
#include "platform/platform.h"
#include "platform/runtime_error.h"

// A browser registry that answers with whatever command a test sets, with faults on demand, and
// counts its lookups.
class FakeBrowserRegistry final : public BrowserRegistry {
  public:
    enum class Fault { None, RegistryFault, OutOfMemory };

    std::optional<QString> httpsOpenCommand() override {
        ++lookups;
        switch (fault) {
            case Fault::RegistryFault:
                throw RuntimeError::typeMismatch();
            case Fault::OutOfMemory:
                throw std::bad_alloc();
            case Fault::None:
                break;
        }
        return command;
    }

    std::optional<QString> command;
    Fault fault = Fault::None;
    int lookups = 0;
};

// Puts a fresh fake browser registry into `platform` in place of whatever it had; the platform
// owns it.
inline FakeBrowserRegistry* installFakeBrowserRegistry(Platform& platform) {
    auto fake = std::make_unique<FakeBrowserRegistry>();
    FakeBrowserRegistry* raw = fake.get();
    platform.browserRegistry = std::move(fake);
    return raw;
}
