// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QHash>
#include <cstring>

#include "platform/registry.h"
#include "platform/xdg_handler.h"

namespace {

const QString kShellKey = QStringLiteral("https\\shell");
const QString kCommandKey = QStringLiteral("https\\shell\\open\\command");

class LinuxRegistry final : public Registry {
  public:
    LONG RegOpenKeyEx(HKEY root, const QString& subKey, DWORD /*options*/, DWORD /*samDesired*/,
                      HKEY* result) override {
        if (result == nullptr) {
            return ERROR_INVALID_PARAMETER;
        }
        const bool shellKey = subKey.compare(kShellKey, Qt::CaseInsensitive) == 0;
        const bool commandKey = subKey.compare(kCommandKey, Qt::CaseInsensitive) == 0;
        if (root != HKEY_CLASSES_ROOT || (!shellKey && !commandKey)) {
            return ERROR_FILE_NOT_FOUND;
        }
        const DefaultHandler handler = FindDefaultHandler(QStringLiteral("https"));
        if (handler.outcome == DefaultHandler::Outcome::None) {
            return ERROR_FILE_NOT_FOUND;
        }
        if (commandKey && handler.outcome != DefaultHandler::Outcome::Found) {
            return ERROR_FILE_NOT_FOUND;
        }
        const HKEY handle = m_nextHandle++;
        m_open.insert(handle, shellKey ? QStringLiteral("open") : handler.commandTemplate);
        *result = handle;
        return ERROR_SUCCESS;
    }

    LONG RegQueryValueEx(HKEY key, const QString& valueName, DWORD* type, char* data,
                         DWORD* size) override {
        const auto open = m_open.constFind(key);
        if (open == m_open.constEnd()) {
            return ERROR_INVALID_HANDLE;
        }
        if (!valueName.isEmpty()) {
            return ERROR_FILE_NOT_FOUND;
        }
        QByteArray bytes = open->toUtf8();
        bytes.append('\0');
        const DWORD needed = DWORD(bytes.size());
        if (type != nullptr) {
            *type = REG_SZ;
        }
        if (data == nullptr) {
            if (size != nullptr) {
                *size = needed;
            }
            return ERROR_SUCCESS;
        }
        if (size == nullptr) {
            return ERROR_INVALID_PARAMETER;
        }
        if (*size < needed) {
            *size = needed;
            return ERROR_MORE_DATA;
        }
        std::memcpy(data, bytes.constData(), needed);
        *size = needed;
        return ERROR_SUCCESS;
    }

    LONG RegCloseKey(HKEY key) override {
        return m_open.remove(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
    }

  private:
    // Each open key keeps the value it was opened with.
    QHash<HKEY, QString> m_open;
    HKEY m_nextHandle = 0x100;
};

}  // namespace

std::unique_ptr<Registry> createLinuxRegistry() {
    return std::make_unique<LinuxRegistry>();
}
