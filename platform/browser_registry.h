// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <memory>
#include <optional>

// The browser the desktop has registered for https addresses.
class BrowserRegistry {
  public:
    virtual ~BrowserRegistry() = default;

    // The command that opens an https address in that browser, as a template in which "%1"
    // stands for the address; absent when no browser is registered or its command cannot be
    // written as a template. Looked up afresh at every call, so a change of the desktop's
    // default counts at the next open. A fault of the lookup itself is thrown (RuntimeError or
    // std::bad_alloc).
    virtual std::optional<QString> httpsOpenCommand() = 0;
};

// The desktop's default https application as GIO finds it, its desktop entry's Exec line
// written as a Windows-style command template.
std::unique_ptr<BrowserRegistry> createLinuxBrowserRegistry();
