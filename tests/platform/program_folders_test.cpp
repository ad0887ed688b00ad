// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// Where a copy of the program keeps its files: beside itself when it already does, else where
// the user's files belong.
#include <QtTest>

#include "platform/paths.h"
#include "tests/support/test_files.h"

class ProgramFoldersTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void dataFolderFollowsTheCopy_data();
    void dataFolderFollowsTheCopy();
};

void ProgramFoldersTest::dataFolderFollowsTheCopy_data() {
    QTest::addColumn<QString>("fileBeside");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<QString>("dataDirOption");
    QTest::addColumn<QString>("xdgDataHome");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("portable");
    // Paths in the expected column are relative to the test's root folder.
    QTest::newRow("data file beside: portable") << "zodadud_data.dat" << false << ""
                                                << "/xdg"
                                                << "usr/bin" << true;
    QTest::newRow("export beside: portable") << "output.csv" << false << ""
                                             << "/xdg"
                                             << "usr/bin" << true;
    QTest::newRow("settings beside: portable") << "setting.ini" << false << ""
                                               << "/xdg"
                                               << "usr/bin" << true;
    QTest::newRow("login beside: portable") << "cookies.txt" << false << ""
                                            << "/xdg"
                                            << "usr/bin" << true;
    QTest::newRow("only the log beside: the user's folder") << "kestrelview.log" << false << ""
                                                            << "/xdg"
                                                            << "xdg/kestrelview" << false;
    QTest::newRow("installed: the user's folder") << "" << true << ""
                                                  << "/xdg"
                                                  << "xdg/kestrelview" << false;
    QTest::newRow("XDG_DATA_HOME unset") << "" << true << ""
                                         << ""
                                         << "home/.local/share/kestrelview" << false;
    QTest::newRow("XDG_DATA_HOME relative, so ignored") << "" << true << ""
                                                        << "xdg"
                                                        << "home/.local/share/kestrelview" << false;
    QTest::newRow("--data-dir wins over the user's folder") << "" << true << "/chosen/here"
                                                            << "/xdg"
                                                            << "chosen/here" << false;
    QTest::newRow("--data-dir wins over a portable copy") << "setting.ini" << false << "/chosen"
                                                          << "/xdg"
                                                          << "chosen" << false;
}

void ProgramFoldersTest::dataFolderFollowsTheCopy() {
    QFETCH(QString, fileBeside);
    QFETCH(bool, installed);
    QFETCH(QString, dataDirOption);
    QFETCH(QString, xdgDataHome);
    QFETCH(QString, expected);
    QFETCH(bool, portable);
    QTemporaryDir root;
    const QString bin = root.filePath(QStringLiteral("usr/bin"));
    QVERIFY(QDir().mkpath(bin));
    if (!fileBeside.isEmpty()) {
        writeBytes(bin + u'/' + fileBeside, "");
    }
    const QString share = root.filePath(QStringLiteral("usr/share/kestrelview"));
    if (installed) {
        QVERIFY(QDir().mkpath(share));
    }
    const auto rooted = [&root](const QString& path) {
        return path.startsWith(u'/') ? root.path() + path : path;
    };

    const ProgramFolders folders = ChooseProgramFolders(
        bin, rooted(dataDirOption), rooted(xdgDataHome), root.filePath(QStringLiteral("home")));
    QCOMPARE(folders.data, root.filePath(expected));
    QCOMPARE(folders.portable, portable);
    // The alarm the program ships with is read where it was installed, unless the user put one of
    // their own in the data folder.
    QCOMPARE(folders.resources, installed ? share : bin);
    const QString alarm = QStringLiteral("\\alarm.wav");
    QCOMPARE(ResourceFilePath(folders.data, folders.resources, alarm),
             AppFilePath(folders.resources, alarm));
    QVERIFY(QDir().mkpath(folders.data));
    writeBytes(AppFilePath(folders.data, alarm), "RIFF");
    QCOMPARE(ResourceFilePath(folders.data, folders.resources, alarm),
             AppFilePath(folders.data, alarm));
}

QTEST_MAIN(ProgramFoldersTest)
#include "program_folders_test.moc"
