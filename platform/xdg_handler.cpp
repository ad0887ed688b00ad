// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "platform/xdg_handler.h"

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <QSet>
#include <QStringList>
#include <memory>

#include "platform/command_line.h"
#include "platform/desktop_entry.h"

namespace {

template <typename T>
struct GObjectDeleter {
    void operator()(T* object) const { g_object_unref(object); }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectDeleter<T>>;

struct GKeyFileDeleter {
    void operator()(GKeyFile* file) const { g_key_file_free(file); }
};

// The folders GIO reads association lists from, in its order: the user's config folder, the
// system's, then the applications folders of the user's and the system's data folders.
QStringList associationFolders() {
    QStringList folders{QString::fromLocal8Bit(g_get_user_config_dir())};
    for (const gchar* const* dir = g_get_system_config_dirs(); *dir != nullptr; ++dir) {
        folders.append(QString::fromLocal8Bit(*dir));
    }
    folders.append(QString::fromLocal8Bit(g_get_user_data_dir()) + QStringLiteral("/applications"));
    for (const gchar* const* dir = g_get_system_data_dirs(); *dir != nullptr; ++dir) {
        folders.append(QString::fromLocal8Bit(*dir) + QStringLiteral("/applications"));
    }
    return folders;
}

// Every desktop file id the association lists name as a default for `mimeType`: only to tell a
// default GIO chose from an application it fell back on.
QSet<QString> namedDefaults(const QByteArray& mimeType) {
    QStringList listNames;
    for (const QString& desktop :
         qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':', Qt::SkipEmptyParts)) {
        listNames.append(desktop.toLower() + QStringLiteral("-mimeapps.list"));
    }
    listNames.append(QStringLiteral("mimeapps.list"));
    QSet<QString> ids;
    for (const QString& folder : associationFolders()) {
        for (const QString& name : listNames) {
            const std::unique_ptr<GKeyFile, GKeyFileDeleter> file(g_key_file_new());
            const QByteArray path = (folder + u'/' + name).toLocal8Bit();
            if (!g_key_file_load_from_file(file.get(), path.constData(), G_KEY_FILE_NONE,
                                           nullptr)) {
                continue;
            }
            gchar** list = g_key_file_get_string_list(file.get(), "Default Applications",
                                                      mimeType.constData(), nullptr, nullptr);
            for (gchar** id = list; id != nullptr && *id != nullptr; ++id) {
                ids.insert(QString::fromUtf8(*id));
            }
            g_strfreev(list);
        }
    }
    return ids;
}

}  // namespace

DefaultHandler FindDefaultHandler(const QString& scheme) {
    DefaultHandler handler;
    const QByteArray schemeBytes = scheme.toLower().toUtf8();
    const GObjectPtr<GAppInfo> app(g_app_info_get_default_for_uri_scheme(schemeBytes.constData()));
    if (!app) {
        return handler;
    }
    const QString id = QString::fromUtf8(g_app_info_get_id(app.get()));
    const QSet<QString> defaults = namedDefaults("x-scheme-handler/" + schemeBytes);
    if (!defaults.isEmpty() && !defaults.contains(id)) {
        return handler;
    }
    if (G_IS_DESKTOP_APP_INFO(app.get())) {
        handler.desktopFile =
            QString::fromLocal8Bit(g_desktop_app_info_get_filename(G_DESKTOP_APP_INFO(app.get())));
    }
    const char* exec = g_app_info_get_commandline(app.get());
    const auto words = SplitDesktopExec(QString::fromUtf8(exec != nullptr ? exec : ""));
    if (!words) {
        handler.outcome = DefaultHandler::Outcome::Unusable;
        return handler;
    }
    // GIO checked the program when it read the entry; it may have gone since.
    if (FindProgramFile(ExecProgram(words->first()), qEnvironmentVariable("PATH")).isEmpty()) {
        return handler;
    }
    const auto commandTemplate = ExecToWindowsTemplate(*words);
    if (!commandTemplate) {
        handler.outcome = DefaultHandler::Outcome::Unusable;
        return handler;
    }
    handler.outcome = DefaultHandler::Outcome::Found;
    handler.commandTemplate = *commandTemplate;
    return handler;
}
