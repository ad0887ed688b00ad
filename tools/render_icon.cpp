// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// Writes the program's icon as PNG files for the hicolor theme:
//   render-icon <output-folder> <name> <side>...
// gives <output-folder>/<side>x<side>/apps/<name>.png for each side, drawn by the same code as
// the window's and the tray's icon.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>

#include "app/appearance.h"

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() < 4) {
        std::fprintf(stderr, "usage: render-icon <output-folder> <name> <side>...\n");
        return 2;
    }
    for (const QString& text : arguments.mid(3)) {
        bool ok = false;
        const int side = text.toInt(&ok);
        if (!ok || side < 1 || side > 1024) {
            std::fprintf(stderr, "render-icon: not a size: %s\n", qPrintable(text));
            return 2;
        }
        const QString folder = arguments[1] + QStringLiteral("/%1x%1/apps").arg(side);
        const QString path = folder + u'/' + arguments[2] + QStringLiteral(".png");
        if (!QDir().mkpath(folder) || !ProgramIconImage(side).save(path, "PNG")) {
            std::fprintf(stderr, "render-icon: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
