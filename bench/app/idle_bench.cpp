// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// The program idle in the tray, two figures:
// - Memory: the resident memory and the shared libraries mapped once the program has collected
//   once (by download, from the demo service, its login in cookies.txt) and been hidden in the
//   tray, against the baseline (bench/app/baseline_program.cpp) in the same state; each a fresh
//   process, program and baseline taking turns, medians of the runs.
// - CPU: the CPU time the process uses over a stretch of wall time while the main window is
//   hidden, its minute timer counting down as it does between runs.
// The program starts as main() starts it, in a folder of its own, and is hidden through the tray
// menu's entry. Runs on $DISPLAY when it is set, else offscreen; the figures that count come from
// an X11 display with a tray and a session bus:
//   tests/support/with-display.sh dbus-run-session -- build/bench/app/app_idle_bench
//   app_idle_bench [seconds] [runs]      CPU stretch, default 60, at most 600; runs, default 5
#include <sys/resource.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/appearance.h"
#include "app/caption_button.h"
#include "app/main_window.h"
#include "app/tray_host.h"
#include "bench/app/app_bench_support.h"
#include "bench/median.h"
#include "bench/resident_memory.h"
#include "platform/platform.h"

namespace {

constexpr int kDefaultSeconds = 60;
constexpr int kMaxSeconds = 600;
constexpr int kSettleMs = 2000;
constexpr double kTargetPercent = 0.1;
constexpr int kDefaultRuns = 5;
constexpr double kTargetMemoryRatio = 1.15;

// User and system time of the whole process, every thread included, in microseconds.
qint64 processCpuMicroseconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000 +
           usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
}

void waitMs(int milliseconds) {
    WaitMs(milliseconds);
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// One program in the tray after a collection from `serviceUrl`, in `folder`: prints its resident
// KiB and its mapped libraries.
int programChild(int argc, char** argv, const QString& folder, const QString& serviceUrl) {
    QCoreApplication::setApplicationName(QStringLiteral("Kestrelview"));
    QApplication application(argc, argv);
    PrepareLikeTheProgram(application);
    if (!writeFile(
            folder + QStringLiteral("/setting.ini"),
            "[Setting]\r\nGetOpt=-1\r\nAlarm=0\r\nServiceUrl=" + serviceUrl.toLatin1() + "\r\n") ||
        !writeFile(folder + QStringLiteral("/cookies.txt"),
                   "127.0.0.1\tFALSE\t/\tFALSE\t0\tsession\tbench\n")) {
        return 1;
    }
    auto platform = Platform::createLinux(folder);
    MainWindow window(*platform);
    window.start();
    waitMs(kSettleMs);
    // The run waits while the window keeps processing events, and has ended when click() returns.
    window.findChild<CaptionButton*>(QStringLiteral("Command1"))->click();
    if (!QFile::exists(folder + QStringLiteral("/zodadud_history.dat"))) {
        std::fprintf(stderr, "the collection counted nothing: %s\n",
                     qPrintable(window.panelText(1)));
        return 1;
    }
    window.trayHost()->toggleWindow();
    waitMs(kSettleMs);
    if (window.isVisible()) {
        return 1;
    }
    std::printf("%ld %d\n", residentKilobytes(), MappedLibraries());
    return 0;
}

struct Figures {
    std::vector<double> kilobytes;
    std::vector<double> libraries;
};

bool runChild(const QString& program, const QStringList& arguments, Figures* figures) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        return false;
    }
    const QList<QByteArray> values = process.readAllStandardOutput().trimmed().split(' ');
    figures->kilobytes.push_back(values.value(0).toDouble());
    figures->libraries.push_back(values.value(1).toDouble());
    return true;
}

// The demo service of the build tree on a free port of 127.0.0.1; its address, or empty.
QString startDemoService(QProcess& demo) {
    demo.start(QStringLiteral(KV_DEMO_SERVICE), {});
    QByteArray said;
    QElapsedTimer waited;
    waited.start();
    const QRegularExpression listening(
        QStringLiteral("listening on (http://127\\.0\\.0\\.1:\\d+)"));
    while (waited.elapsed() < 10000 && demo.waitForReadyRead(200)) {
        said += demo.readAllStandardOutput();
        const QRegularExpressionMatch match = listening.match(QString::fromLatin1(said));
        if (match.hasMatch()) {
            return match.captured(1);
        }
    }
    return {};
}

int memoryFigures(const QString& self, int runs) {
    // Without one, Qt D-Bus starts dbus-launch in every process that asks for the session bus,
    // as the program's desktop notices do, and the figures measure that.
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
        std::printf(
            "no session bus: the figures that count come from a desktop session, or "
            "tests/support/with-display.sh dbus-run-session -- <bench>\n");
    }
    QProcess demo;
    const QString serviceUrl = startDemoService(demo);
    if (serviceUrl.isEmpty()) {
        std::printf("the demo service did not start\n");
        return 1;
    }
    Figures program;
    Figures baseline;
    for (int i = 0; i < runs; ++i) {
        QTemporaryDir folder;
        if (!runChild(self, {QStringLiteral("--program-child"), folder.path(), serviceUrl},
                      &program) ||
            !runChild(QStringLiteral(KV_BASELINE), {QStringLiteral("--idle")}, &baseline)) {
            std::printf("run %d failed\n", i + 1);
            return 1;
        }
    }
    demo.kill();
    demo.waitForFinished();
    const double programKilobytes = median(program.kilobytes);
    const double baselineKilobytes = median(baseline.kilobytes);
    const double ratio = programKilobytes / baselineKilobytes;
    std::printf("In the tray after one collection, medians of %d runs each, taking turns:\n", runs);
    std::printf("resident memory: program %.1f MB, baseline %.1f MB = %.2fx; target <= %.2fx%s\n",
                programKilobytes / 1024.0, baselineKilobytes / 1024.0, ratio, kTargetMemoryRatio,
                ratio <= kTargetMemoryRatio ? "" : "  ** OVER TARGET **");
    std::printf("shared libraries mapped: program %.0f, baseline %.0f\n", median(program.libraries),
                median(baseline.libraries));
    std::fflush(stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (argc == 4 && QByteArray(argv[1]) == "--program-child") {
        return programChild(argc, argv, QString::fromLocal8Bit(argv[2]),
                            QString::fromLocal8Bit(argv[3]));
    }
    const int seconds = std::clamp(argc > 1 ? std::atoi(argv[1]) : kDefaultSeconds, 1, kMaxSeconds);
    const int runs = std::max(1, argc > 2 ? std::atoi(argv[2]) : kDefaultRuns);
    if (memoryFigures(QString::fromLocal8Bit(argv[0]), runs) != 0) {
        return 1;
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
