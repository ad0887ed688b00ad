#pragma once

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "app/form1.h"
#include "tests/support/test_platform.h"

// A main window living in a temporary folder that stands in for the executable's folder, with a
// movable clock, scripted dialogs and a recording tray.
struct Form1Fixture {
    Form1Fixture() : platform(dir.path()), form(std::make_unique<Form1>(*platform)) {}

    QString path(const QString& name) const { return dir.filePath(name); }

    static void writeFile(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    QTemporaryDir dir;
    TestPlatform platform;
    std::unique_ptr<Form1> form;
};
