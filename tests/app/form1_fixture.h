#pragma once

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
