// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QByteArray>
#include <QMap>
#include <QSet>
#include <QString>
#include <cstring>
#include <memory>
#include <optional>

#include "platform/platform.h"
#include "platform/registry.h"
#include "platform/runtime_error.h"

// A registry of typed values under HKEY_CLASSES_ROOT, with faults on demand. Key names are
// matched exactly, so a key name with two backslashes in a row names no key, as on Windows.
class FakeRegistry final : public Registry {
  public:
    struct Value {
        DWORD type = REG_SZ;
        QByteArray data;
        std::optional<DWORD> claimedSize;  // the size the first query reports instead
        bool failDataRead = false;         // the second query, with a buffer, fails
        bool throwOnQuery = false;         // the registry itself breaks down
    };

    void setText(const QString& key, const QString& text, DWORD type = REG_SZ) {
        Value value;
        value.type = type;
        value.data = text.toUtf8() + '\0';
        keys[key][QString()] = value;
    }

    LONG RegOpenKeyEx(HKEY root, const QString& subKey, DWORD, DWORD, HKEY* result) override {
        openedKeys.append(subKey);
        if (root != HKEY_CLASSES_ROOT || !keys.contains(subKey)) {
            return ERROR_FILE_NOT_FOUND;
        }
        const HKEY handle = m_next++;
        m_open.insert(handle, subKey);
        *result = handle;
        return ERROR_SUCCESS;
    }

    LONG RegQueryValueEx(HKEY key, const QString& valueName, DWORD* type, char* data,
                         DWORD* size) override {
        if (!m_open.contains(key)) {
            return ERROR_INVALID_HANDLE;
        }
        const auto& values = keys[m_open[key]];
        if (!values.contains(valueName)) {
            return ERROR_FILE_NOT_FOUND;
        }
        const Value& value = values[valueName];
        if (value.throwOnQuery) {
            throw RuntimeError::typeMismatch();
        }
        *type = value.type;
        const DWORD needed = DWORD(value.data.size());
        if (data == nullptr) {
            *size = value.claimedSize.value_or(needed);
            return ERROR_SUCCESS;
        }
        if (value.failDataRead) {
            return ERROR_INVALID_HANDLE;
        }
        if (*size < needed) {
            *size = needed;
            return ERROR_MORE_DATA;
        }
        std::memcpy(data, value.data.constData(), needed);
        *size = needed;
        return ERROR_SUCCESS;
    }

    LONG RegCloseKey(HKEY key) override {
        ++closes;
        return m_open.remove(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
    }

    int openKeyCount() const { return int(m_open.size()); }

    QMap<QString, QMap<QString, Value>> keys;
    QStringList openedKeys;
    int closes = 0;

  private:
    QMap<HKEY, QString> m_open;
    HKEY m_next = 0x10;
};

// Puts a fresh fake registry into `platform` in place of whatever it had; the platform owns it.
inline FakeRegistry* installFakeRegistry(Platform& platform) {
    auto fake = std::make_unique<FakeRegistry>();
    FakeRegistry* raw = fake.get();
    platform.registry = std::move(fake);
    return raw;
}
