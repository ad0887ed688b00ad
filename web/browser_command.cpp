// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "web/browser_command.h"

#include <new>

#include "platform/browser_registry.h"
#include "platform/dialogs.h"
#include "platform/platform.h"
#include "platform/runtime_error.h"

QString BrowserCommandTemplate(Platform& platform, QWidget* dialogParent) {
    BrowserRegistry* registry = platform.browserRegistry.get();
    if (registry == nullptr) {
        return {};
    }
    auto report = [&](const RuntimeError& error) {
        platform.dialogs->message(dialogParent,
                                  QStringLiteral("Error: ") + QString::number(error.number()) +
                                      QStringLiteral(". ") + error.description(),
                                  MessageIcon::None, QStringLiteral("RegistryGetKeyValue"));
    };
    try {
        return registry->httpsOpenCommand().value_or(QString());
    } catch (const RuntimeError& error) {
        report(error);
    } catch (const std::bad_alloc&) {
        report({7, QStringLiteral("メモリが不足しています。")});
    } catch (...) {
        report(RuntimeError::invalidCall());
    }
    return {};
}
