// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// The program idle in the tray: the CPU time its process uses over a stretch of wall time while the
// main window is hidden, its minute timer counting down as it does between runs. The program starts
// as main() starts it, in a folder of its own whose settings point at 127.0.0.1, and is hidden
// through the tray menu's entry. Runs on $DISPLAY when it is set, else offscreen.
//   app_idle_bench [seconds]      default 60, at most 600
#include <sys/resource.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/appearance.h"
#include "app/main_window.h"
#include "app/tray_host.h"
#include "platform/platform.h"

namespace {

constexpr int kDefaultSeconds = 60;
constexpr int kMaxSeconds = 600;
constexpr int kSettleMs = 2000;
constexpr double kTargetPercent = 0.1;

// User and system time of the whole process, every thread included, in microseconds.
qint64 processCpuMicroseconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000 +
           usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
}

void waitMs(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents,
                                    int(std::max<qint64>(1, milliseconds - timer.elapsed())));
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = std::clamp(argc > 1 ? std::atoi(argv[1]) : kDefaultSeconds, 1, kMaxSeconds);
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setFont(ProgramFont());

    QTemporaryDir folder;
    QFile settings(folder.filePath(QStringLiteral("setting.ini")));
    if (!folder.isValid() || !settings.open(QIODevice::WriteOnly)) {
        std::printf("cannot prepare a folder for the program\n");
        return 1;
    }
    // Should a run start after all, it could only reach the discard port of this machine.
    settings.write("[Setting]\r\nServiceUrl=http://127.0.0.1:9\r\n");
    settings.close();

    auto platform = Platform::createLinux(folder.path());
    MainWindow window(*platform);
    window.start();
    waitMs(kSettleMs);
    window.trayHost()->toggleWindow();
    waitMs(kSettleMs);
    if (window.isVisible()) {
        std::printf("the main window did not hide\n");
        return 1;
    }

    const QByteArray where = qgetenv("QT_QPA_PLATFORM") == "offscreen"
                                 ? QByteArray("the offscreen platform")
                                 : "display " + qgetenv("DISPLAY");
    std::printf("Idle with the main window hidden for %d s, on %s\n", seconds, where.constData());
    std::fflush(stdout);
    const qint64 cpuBefore = processCpuMicroseconds();
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(seconds * 1000, Qt::PreciseTimer, &application,
                       [] { QApplication::exit(0); });
    QApplication::exec();
    const qint64 wallMicroseconds = wall.nsecsElapsed() / 1000;
    const qint64 cpuMicroseconds = processCpuMicroseconds() - cpuBefore;

    const double percent = 100.0 * double(cpuMicroseconds) / double(wallMicroseconds);
    std::printf("CPU time: %.1f ms in %.1f s = %.4f %% of one core; target < %.1f %%%s\n",
                double(cpuMicroseconds) / 1000.0, double(wallMicroseconds) / 1e6, percent,
                kTargetPercent, percent < kTargetPercent ? "" : "  ** OVER TARGET **");
    std::printf("status panel 1 at the end: %s\n", qPrintable(window.panelText(1)));
    return 0;
}
