// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// The password of Chromium's cookies from the Secret Service, asked through libsecret, which with
// GLib's object system stays out of every run that reads no Chromium-family login.
#include <libsecret/secret.h>

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include "platform/chromium_cookies.h"

namespace {

// Chromium names its current items by an "application" attribute (schema
// chrome_libsecret_os_crypt_password_v2); its first versions stored one item under this schema,
// without attributes, known only by its label.
constexpr const char* kSchemaV1 = "chrome_libsecret_os_crypt_password";

// Without a session bus libsecret would try to start one; there is then no keyring to ask.
bool sessionBusReachable() {
    const QByteArray address = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    if (!address.isEmpty()) {
        return true;
    }
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(QDir(runtime).filePath(QStringLiteral("bus")));
}

struct ItemSearch {
    QByteArray password;
    bool lockedSeen = false;
};

// Searches without SECRET_SEARCH_UNLOCK: a locked item comes back without its secret, and nothing
// is ever shown to the user.
bool searchItems(SecretService* service, GHashTable* attributes, const QString& label,
                 ItemSearch* result, QString* problem) {
    GError* error = nullptr;
    GList* items = secret_service_search_sync(
        service, nullptr, attributes,
        static_cast<SecretSearchFlags>(SECRET_SEARCH_ALL | SECRET_SEARCH_LOAD_SECRETS), nullptr,
        &error);
    if (error) {
        *problem = QString::fromUtf8(error->message);
        g_error_free(error);
        return false;
    }
    for (GList* entry = items; entry && result->password.isEmpty(); entry = entry->next) {
        auto* item = static_cast<SecretItem*>(entry->data);
        if (!label.isEmpty()) {
            gchar* itemLabel = secret_item_get_label(item);
            const bool matches = itemLabel && label == QString::fromUtf8(itemLabel);
            g_free(itemLabel);
            if (!matches) {
                continue;
            }
        }
        if (secret_item_get_locked(item)) {
            result->lockedSeen = true;
            continue;
        }
        SecretValue* value = secret_item_get_secret(item);
        if (!value) {
            result->lockedSeen = true;
            continue;
        }
        gsize length = 0;
        const gchar* bytes = secret_value_get(value, &length);
        if (bytes && length > 0) {
            result->password = QByteArray(bytes, qsizetype(length));
        }
        secret_value_unref(value);
    }
    g_list_free_full(items, g_object_unref);
    return true;
}

GHashTable* attributeTable(std::initializer_list<std::pair<const char*, QByteArray>> pairs) {
    GHashTable* table = g_hash_table_new_full(g_str_hash, g_str_equal, g_free, g_free);
    for (const auto& [name, value] : pairs) {
        g_hash_table_insert(table, g_strdup(name), g_strdup(value.constData()));
    }
    return table;
}

}  // namespace

namespace {

QByteArray keyringPassword(const ChromiumBrowser& browser, QString* problem) {
    // Found once, kept for the run; a store that was locked is asked again next time.
    static QHash<QString, QByteArray> found;
    if (const auto known = found.constFind(browser.name); known != found.cend()) {
        return *known;
    }
    QString why;
    const auto fail = [problem](const QString& text) {
        if (problem) {
            *problem = text;
        }
        return QByteArray();
    };
    if (!sessionBusReachable()) {
        return fail(QStringLiteral("no session bus, so no Secret Service"));
    }
    GError* error = nullptr;
    SecretService* service = secret_service_get_sync(SECRET_SERVICE_NONE, nullptr, &error);
    if (!service) {
        const QString text = error ? QString::fromUtf8(error->message) : QString();
        if (error) {
            g_error_free(error);
        }
        return fail(QStringLiteral("no Secret Service: ") + text);
    }
    ItemSearch search;
    // The current schema is matched by its attribute alone, as Chromium itself searches.
    GHashTable* current = attributeTable({{"application", browser.keyringApplication.toUtf8()}});
    bool answered = searchItems(service, current, QString(), &search, &why);
    g_hash_table_unref(current);
    if (answered && search.password.isEmpty()) {
        GHashTable* first = attributeTable({{"xdg:schema", QByteArray(kSchemaV1)}});
        answered = searchItems(service, first, browser.keyringLabel, &search, &why);
        g_hash_table_unref(first);
    }
    g_object_unref(service);
    if (!search.password.isEmpty()) {
        found.insert(browser.name, search.password);
        return search.password;
    }
    if (!answered) {
        return fail(QStringLiteral("the Secret Service did not answer: ") + why);
    }
    return fail(search.lockedSeen
                    ? QStringLiteral("the keyring is locked")
                    : QStringLiteral("the keyring holds no password of ") + browser.name);
}

}  // namespace

// ChromiumKeyringPassword (platform/chromium_cookies.h).
extern "C" Q_DECL_EXPORT void kestrelview_chromium_keyring_password(const ChromiumBrowser& browser,
                                                                    QByteArray* password,
                                                                    QString* problem) {
    *password = keyringPassword(browser, problem);
}
