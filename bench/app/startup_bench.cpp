// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// Start-up of the program with an empty visitor table: the time from starting the process to the
// main window's first paint, the resident memory and the shared libraries mapped once it is up,
// against the baseline (bench/app/baseline_program.cpp) doing the same. Each run is a fresh
// process, so loading the libraries and fonts counts; program and baseline take turns, and the
// figures are medians. Runs on $DISPLAY when it is set, else offscreen; the figures that count
// come from an X11 display with a tray and a session bus:
//   tests/support/with-display.sh dbus-run-session -- build/bench/app/app_startup_bench
//   app_startup_bench [runs]      default 5
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "app/appearance.h"
#include "app/main_window.h"
#include "bench/app/app_bench_support.h"
#include "bench/median.h"
#include "bench/resident_memory.h"
#include "platform/platform.h"

namespace {

constexpr double kTargetRatio = 1.3;

// One start-up, as main() does it, in a folder without visitor files.
int child(int argc, char** argv, qint64 start, const QString& folder) {
    QCoreApplication::setApplicationName(QStringLiteral("Kestrelview"));
    QApplication application(argc, argv);
    PrepareLikeTheProgram(application);
    auto platform = Platform::createLinux(folder);
    MainWindow window(*platform);
    FirstPaint firstPaint(start);
    window.installEventFilter(&firstPaint);
    window.start();
    return ReportFirstPaint(firstPaint);
}

struct Figures {
    std::vector<double> milliseconds;
    std::vector<double> kilobytes;
    std::vector<double> libraries;
};

// One start-up of `program` with `arguments` after the start time.
bool run(const QString& program, const QStringList& arguments, Figures* figures) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const qint64 start = MonotonicNanoseconds();
    process.start(program,
                  QStringList{arguments.value(0), QString::number(start)} + arguments.mid(1));
    if (!process.waitForFinished(30000) || process.exitCode() != 0) {
        return false;
    }
    const QList<QByteArray> values = process.readAllStandardOutput().trimmed().split(' ');
    figures->milliseconds.push_back(values.value(0).toDouble());
    figures->kilobytes.push_back(values.value(1).toDouble());
    figures->libraries.push_back(values.value(2).toDouble());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && QByteArray(argv[1]) == "--child") {
        return child(argc, argv, QByteArray(argv[2]).toLongLong(), QString::fromLocal8Bit(argv[3]));
    }
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    const QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    std::printf(
        "Start-up with an empty table, %d runs each, taking turns with the baseline, on %s\n", runs,
        display.isEmpty() ? "the offscreen platform" : ("display " + display).constData());

    // Without one, Qt D-Bus starts dbus-launch in every process that asks for the session bus,
    // as the program's desktop notices do, and the figures measure that.
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
        std::printf(
            "no session bus: the figures that count come from a desktop session, or "
            "tests/support/with-display.sh dbus-run-session -- <bench>\n");
    }
    const QString self = QString::fromLocal8Bit(argv[0]);
    Figures program;
    Figures baseline;
    for (int i = 0; i < runs; ++i) {
        QTemporaryDir folder;
        if (!run(self, {QStringLiteral("--child"), folder.path()}, &program) ||
            !run(QStringLiteral(KV_BASELINE), {QStringLiteral("--startup")}, &baseline)) {
            std::printf("run %d failed\n", i + 1);
            return 1;
        }
    }
    const double programTime = median(program.milliseconds);
    const double baselineTime = median(baseline.milliseconds);
    const double ratio = programTime / baselineTime;
    std::printf(
        "window shown after: program %.1f ms, baseline %.1f ms = %.2fx; target <= %.2fx%s\n",
        programTime, baselineTime, ratio, kTargetRatio,
        ratio <= kTargetRatio ? "" : "  ** OVER TARGET **");
    std::printf("resident memory:    program %.1f MB, baseline %.1f MB = %.2fx\n",
                median(program.kilobytes) / 1024.0, median(baseline.kilobytes) / 1024.0,
                median(program.kilobytes) / median(baseline.kilobytes));
    std::printf("libraries mapped:   program %.0f, baseline %.0f\n", median(program.libraries),
                median(baseline.libraries));
    return 0;
}
