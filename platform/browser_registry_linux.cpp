// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "platform/browser_registry.h"
#include "platform/xdg_handler.h"

namespace {

class LinuxBrowserRegistry final : public BrowserRegistry {
  public:
    std::optional<QString> httpsOpenCommand() override {
        const DefaultHandler handler = FindDefaultHandler(QStringLiteral("https"));
        if (handler.outcome != DefaultHandler::Outcome::Found) {
            return std::nullopt;
        }
        return handler.commandTemplate;
    }
};

}  // namespace

std::unique_ptr<BrowserRegistry> createLinuxBrowserRegistry() {
    return std::make_unique<LinuxBrowserRegistry>();
}
