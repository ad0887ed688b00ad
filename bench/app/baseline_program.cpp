// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// The baseline of the start-up and idle benchmarks: the least a Qt program of Kestrelview's kind
// needs, a main window with a tree view and a status bar and an icon in the tray, with the
// program's font and Qt's Japanese texts, linking Qt Widgets and nothing else.
//   kestrelview-baseline --startup <start>   prints the ms from <start> to the first paint, then
//                                            the resident KiB and the libraries mapped
//   kestrelview-baseline --idle              shown, then hidden in the tray: prints the resident
//                                            KiB and the libraries mapped
#include <QApplication>
#include <QMainWindow>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTreeView>
#include <cstdio>

#include "bench/app/app_bench_support.h"

namespace {

constexpr int kSettleMs = 2000;

struct BaselineWindow {
    BaselineWindow() {
        window.setWindowTitle(QStringLiteral("Kestrelview"));
        model.setHorizontalHeaderLabels({QStringLiteral("順位"), QStringLiteral("名前")});
        tree.setModel(&model);
        window.setCentralWidget(&tree);
        window.statusBar()->showMessage(QStringLiteral("準備完了"));
        window.resize(640, 480);
        QPixmap icon(16, 16);
        icon.fill(Qt::darkYellow);
        tray.setIcon(QIcon(icon));
        tray.show();
    }
    QStandardItemModel model;
    QMainWindow window;
    QTreeView tree;
    QSystemTrayIcon tray;
};

}  // namespace

int main(int argc, char** argv) {
    const QByteArray mode = argc > 1 ? QByteArray(argv[1]) : QByteArray();
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QCoreApplication::setApplicationName(QStringLiteral("Kestrelview"));
    QApplication application(argc, argv);
    PrepareLikeTheProgram(application);
    BaselineWindow baseline;
    if (mode == "--startup" && argc == 3) {
        FirstPaint firstPaint(QByteArray(argv[2]).toLongLong());
        baseline.window.installEventFilter(&firstPaint);
        baseline.window.show();
        return ReportFirstPaint(firstPaint);
    }
    if (mode == "--idle") {
        baseline.window.show();
        WaitMs(kSettleMs);
        baseline.window.hide();
        WaitMs(kSettleMs);
        std::printf("%ld %d\n", residentKilobytes(), MappedLibraries());
        return 0;
    }
    std::fprintf(stderr, "usage: kestrelview-baseline --startup <start> | --idle\n");
    return 2;
}
