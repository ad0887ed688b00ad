// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "web/registry_value.h"

#include <QtEndian>
#include <new>

#include "platform/dialogs.h"
#include "platform/platform.h"
#include "platform/runtime_error.h"

namespace {

// No value the program reads comes near this; a size beyond it is a fault of the registry, and
// reserving that much would only take the memory the program needs.
constexpr DWORD kMaxValueBytes = 64u * 1024u * 1024u;

RuntimeError outOfMemory() {
    return {7, QStringLiteral("メモリが不足しています。")};
}

QByteArray upToFirstNul(const QByteArray& bytes) {
    const qsizetype nul = bytes.indexOf('\0');
    return nul < 0 ? bytes : bytes.first(nul);
}

QByteArray readData(Registry& registry, HKEY key, const QString& valueName, DWORD size, bool* ok) {
    if (size > kMaxValueBytes) {
        throw outOfMemory();
    }
    QByteArray buffer(qsizetype(size), '\0');
    DWORD type = 0;
    DWORD read = size;
    *ok = registry.RegQueryValueEx(key, valueName, &type, buffer.data(), &read) == ERROR_SUCCESS;
    if (*ok && read < size) {
        buffer.truncate(read);
    }
    return buffer;
}

RegistryValue readTyped(Registry& registry, HKEY key, const QString& valueName, DWORD type,
                        DWORD size) {
    bool ok = false;
    switch (type) {
        case REG_SZ: {
            if (size == 0) {
                return QString();
            }
            const QByteArray data = readData(registry, key, valueName, size, &ok);
            if (!ok) {
                return {};
            }
            return QString::fromUtf8(upToFirstNul(data)).left(qsizetype(size));
        }
        case REG_BINARY: {
            if (size == 0) {
                return {};
            }
            const QByteArray data = readData(registry, key, valueName, size, &ok);
            if (!ok) {
                return {};
            }
            return data;
        }
        case REG_DWORD: {
            char data[4] = {};
            DWORD read = sizeof data;
            DWORD readType = 0;
            if (registry.RegQueryValueEx(key, valueName, &readType, data, &read) != ERROR_SUCCESS) {
                return {};
            }
            return qFromLittleEndian<qint32>(data);
        }
        default:
            return {};
    }
}

// Closes an opened key however the reading ends.
class KeyCloser {
  public:
    KeyCloser(Registry& registry, HKEY key) : m_registry(registry), m_key(key) {}
    ~KeyCloser() {
        try {
            m_registry.RegCloseKey(m_key);
        } catch (...) {
        }
    }
    KeyCloser(const KeyCloser&) = delete;
    KeyCloser& operator=(const KeyCloser&) = delete;

  private:
    Registry& m_registry;
    HKEY m_key;
};

}  // namespace

QString RegistryValueText(const RegistryValue& value) {
    if (const auto* text = std::get_if<QString>(&value)) {
        return *text;
    }
    if (const auto* number = std::get_if<qint32>(&value)) {
        return QString::number(*number);
    }
    if (const auto* bytes = std::get_if<QByteArray>(&value)) {
        return QString::fromUtf8(upToFirstNul(*bytes));
    }
    return {};
}

RegistryValue RegistryGetKeyValue(Platform& platform, QWidget* dialogParent, HKEY root,
                                  const QString& keyName, const QString& valueName) {
    Registry* registry = platform.registry.get();
    if (registry == nullptr) {
        return {};
    }
    auto report = [&](const RuntimeError& error) {
        platform.dialogs->MsgBox(dialogParent,
                                 QStringLiteral("Error: ") + QString::number(error.number()) +
                                     QStringLiteral(". ") + error.description(),
                                 MsgBoxIcon::None, QStringLiteral("RegistryGetKeyValue"));
    };
    try {
        HKEY key = 0;
        if (registry->RegOpenKeyEx(root, keyName, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
            return {};
        }
        const KeyCloser closer(*registry, key);
        DWORD type = REG_NONE;
        DWORD size = 0;
        if (registry->RegQueryValueEx(key, valueName, &type, nullptr, &size) != ERROR_SUCCESS) {
            return {};
        }
        return readTyped(*registry, key, valueName, type, size);
    } catch (const RuntimeError& error) {
        report(error);
    } catch (const std::bad_alloc&) {
        report(outOfMemory());
    } catch (...) {
        report(RuntimeError::invalidCall());
    }
    return {};
}
