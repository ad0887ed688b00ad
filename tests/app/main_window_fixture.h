// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QPalette>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/collection_controller.h"
#include "app/list_commands.h"
#include "app/main_window.h"
#include "app/tray_host.h"
#include "app/visitor_book.h"
#include "tests/support/test_files.h"
#include "tests/support/test_platform.h"

// A main window living in a temporary folder that stands in for the executable's folder, with a
// movable clock, scripted dialogs and a recording tray.
struct MainWindowFixture {
    MainWindowFixture() : platform(dir.path()), window(std::make_unique<MainWindow>(*platform)) {}

    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    TestPlatform platform;
    std::unique_ptr<MainWindow> window;
};

// The control, menu, action or timer under `root` whose objectName is `name`; a test
// that names one the window lacks stops at once.
template <typename T, typename Root>
T* control(const Root& root, const char* name) {
    T* found = root->template findChild<T*>(QLatin1String(name));
    if (!found) {
        qFatal("no %s named %s", T::staticMetaObject.className(), name);
    }
    return found;
}

// A dark desktop theme: light text on dark ground wherever a widget does not set its own colours.
inline QPalette DarkThemePalette() {
    QPalette dark;
    for (auto [role, colour] : {std::pair{QPalette::Window, QColor(53, 53, 53)},
                                {QPalette::WindowText, Qt::white},
                                {QPalette::Base, QColor(35, 35, 35)},
                                {QPalette::AlternateBase, QColor(53, 53, 53)},
                                {QPalette::Text, Qt::white},
                                {QPalette::Button, QColor(53, 53, 53)},
                                {QPalette::ButtonText, Qt::white},
                                {QPalette::Highlight, QColor(200, 120, 0)},
                                {QPalette::HighlightedText, Qt::black}}) {
        dark.setColor(role, colour);
    }
    return dark;
}
