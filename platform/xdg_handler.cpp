// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "platform/xdg_handler.h"

#include <glib.h>

#include <QSet>
#include <QStringList>
#include <memory>

#include "platform/command_line.h"
#include "platform/desktop_entry.h"
#include "platform/program_modules.h"

namespace {

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
    // GIO's choice, asked in the desktop module; without it there is none, and the address goes
    // to the desktop's opener.
    const auto defaultApp = reinterpret_cast<DefaultAppFinder>(
        ProgramModuleFunction(QStringLiteral("desktop"), "kestrelview_default_app", nullptr));
    QString id;
    QString exec;
    if (!defaultApp || !defaultApp(schemeBytes, &id, &handler.desktopFile, &exec)) {
        return handler;
    }
    const QSet<QString> defaults = namedDefaults("x-scheme-handler/" + schemeBytes);
    if (!defaults.isEmpty() && !defaults.contains(id)) {
        handler.desktopFile.clear();
        return handler;
    }
    const auto words = SplitDesktopExec(exec);
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
