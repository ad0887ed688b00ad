// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// The desktop module: GIO's default application for a scheme. GIO, GLib's object system and the
// libraries under them stay out of every run that opens no visitor's page in the browser.
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <memory>

#include "platform/xdg_handler.h"

namespace {

struct GObjectDeleter {
    void operator()(GAppInfo* object) const { g_object_unref(object); }
};

}  // namespace

extern "C" Q_DECL_EXPORT bool kestrelview_default_app(const QByteArray& scheme, QString* id,
                                                      QString* desktopFile, QString* exec) {
    const std::unique_ptr<GAppInfo, GObjectDeleter> app(
        g_app_info_get_default_for_uri_scheme(scheme.constData()));
    if (!app) {
        return false;
    }
    *id = QString::fromUtf8(g_app_info_get_id(app.get()));
    desktopFile->clear();
    if (G_IS_DESKTOP_APP_INFO(app.get())) {
        *desktopFile =
            QString::fromLocal8Bit(g_desktop_app_info_get_filename(G_DESKTOP_APP_INFO(app.get())));
    }
    const char* commandLine = g_app_info_get_commandline(app.get());
    *exec = QString::fromUtf8(commandLine != nullptr ? commandLine : "");
    return true;
}
