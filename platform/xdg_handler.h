// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QByteArray>
#include <QString>

// The desktop's default application for a URI scheme (https above all), as GIO finds it through
// the freedesktop association files, and its command as a Windows-style template.

struct DefaultHandler {
    enum class Outcome {
        None,      // no application to run: none is associated, or the one chosen cannot be run
        Unusable,  // the chosen application's command cannot be read or written as a template
        Found,
    };
    Outcome outcome = Outcome::None;
    QString desktopFile;
    QString commandTemplate;  // with %1 where the address goes; set when Found
};

// GIO's default application for `scheme`, which follows the association rules: the lists of the
// current desktops before the general ones, [Removed Associations], escaped ";" in lists. When
// the lists name defaults for the scheme and none of them can run (its program is missing, say),
// the answer is None rather than some other application that merely declares the scheme, so the
// address goes to the desktop's opener. A chosen application whose Exec line cannot be split
// into words or written as a template is Unusable.
// GIO, with the libraries it brings, is asked in the desktop module ("desktop.so"), which the first
// lookup opens; without the module there is no default application (None).
DefaultHandler FindDefaultHandler(const QString& scheme);

// The desktop module's one function, kestrelview_default_app: GIO's default application for
// `scheme` (lower case), its id, desktop file (empty when it has none) and Exec line; false when
// GIO has none.
using DefaultAppFinder = bool (*)(const QByteArray& scheme, QString* id, QString* desktopFile,
                                  QString* exec);
