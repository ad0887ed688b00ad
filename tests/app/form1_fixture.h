// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QPalette>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/form1.h"
#include "tests/support/test_files.h"
#include "tests/support/test_platform.h"

// A main window living in a temporary folder that stands in for the executable's folder, with a
// movable clock, scripted dialogs and a recording tray.
struct Form1Fixture {
    Form1Fixture() : platform(dir.path()), form(std::make_unique<Form1>(*platform)) {}

    QString path(const QString& name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    TestPlatform platform;
    std::unique_ptr<Form1> form;
};

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
