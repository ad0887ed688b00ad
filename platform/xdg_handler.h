#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// The desktop's default application for a MIME type (x-scheme-handler/https above all), found
// through the freedesktop association files, and its command as a Windows-style template.

// The folders and names the lookup reads, taken from the environment with the freedesktop
// defaults for unset, empty or relative values.
struct XdgEnvironment {
    QString configHome;      // $XDG_CONFIG_HOME, ~/.config
    QStringList configDirs;  // $XDG_CONFIG_DIRS, /etc/xdg
    QString dataHome;        // $XDG_DATA_HOME, ~/.local/share
    QStringList dataDirs;    // $XDG_DATA_DIRS, /usr/local/share and /usr/share
    QStringList desktops;    // the lower-cased names of $XDG_CURRENT_DESKTOP
    QString searchPath;      // $PATH, where programs named without a folder are looked up

    static XdgEnvironment fromEnvironment(const QProcessEnvironment& environment);
    static XdgEnvironment current();

    // Where the association files may be: the config folders, then the applications folders.
    QStringList associationFolders() const;
    // Where desktop entries live.
    QStringList applicationFolders() const;
};

// The desktop entry file of a desktop file id in the applications folders; the id
// "vendor-app.desktop" may also live at "vendor/app.desktop". Empty when there is none.
QString FindDesktopFile(const XdgEnvironment& environment, const QString& desktopId);

struct DefaultHandler {
    enum class Outcome {
        None,      // no installed application is named for the type
        Unusable,  // the chosen application's command cannot be read or written as a template
        Found,
    };
    Outcome outcome = Outcome::None;
    QString desktopFile;
    QString commandTemplate;  // with %1 where the address goes; set when Found
};

// The first application named for `mimeType` whose desktop entry exists (not hidden, its TryExec
// found) and whose program exists: first the [Default Applications] of
// "<desktop>-mimeapps.list" for each current desktop and then "mimeapps.list", in each folder
// in turn; then the same in every "defaults.list"; then the [MIME Cache] of every
// "mimeinfo.cache". An entry whose Exec cannot be split into words also ends the search, as
// Unusable, since its program cannot be told.
DefaultHandler FindDefaultHandler(const XdgEnvironment& environment, const QString& mimeType);
