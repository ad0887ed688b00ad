// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// Start-up of the program with an empty visitor table: the time from starting the process to the
// main window's first paint, and the resident memory once it is up. Each run is a fresh process,
// so loading the libraries and fonts counts. Runs on $DISPLAY when it is set, else offscreen.
//   app_startup_bench [runs]
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
#include "bench/resident_memory.h"
#include "platform/platform.h"

namespace {

qint64 monotonicNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

class FirstPaint : public QObject {
  public:
    explicit FirstPaint(qint64 start) : m_start(start) {}
    double milliseconds = -1;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && milliseconds < 0) {
            milliseconds = double(monotonicNanoseconds() - m_start) / 1e6;
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    qint64 m_start;
};

// One start-up, as main() does it, in a folder without visitor files.
int child(int argc, char** argv, qint64 start, const QString& folder) {
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setFont(ProgramFont());
    auto platform = Platform::createLinux(folder);
    MainWindow window(*platform);
    FirstPaint firstPaint(start);
    window.installEventFilter(&firstPaint);
    window.start();

    QElapsedTimer waited;
    waited.start();
    while (firstPaint.milliseconds < 0 && waited.elapsed() < 10000) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    // Let the window and the tray settle before reading the memory.
    QTimer::singleShot(500, &application, [] { QApplication::exit(0); });
    QApplication::exec();
    std::printf("%.1f %ld\n", firstPaint.milliseconds, residentKilobytes());
    return firstPaint.milliseconds < 0 ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && QByteArray(argv[1]) == "--child") {
        return child(argc, argv, QByteArray(argv[2]).toLongLong(), QString::fromLocal8Bit(argv[3]));
    }
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 7;
    const QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    std::printf("Start-up with an empty table, %d runs, on %s\n", runs,
                display.isEmpty() ? "the offscreen platform" : ("display " + display).constData());

    std::vector<double> times;
    std::vector<long> memory;
    for (int i = 0; i < runs; ++i) {
        QTemporaryDir folder;
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        const qint64 start = monotonicNanoseconds();
        process.start(QString::fromLocal8Bit(argv[0]),
                      {QStringLiteral("--child"), QString::number(start), folder.path()});
        if (!process.waitForFinished(30000) || process.exitCode() != 0) {
            std::printf("run %d failed\n", i + 1);
            return 1;
        }
        const QList<QByteArray> figures = process.readAllStandardOutput().trimmed().split(' ');
        times.push_back(figures.value(0).toDouble());
        memory.push_back(figures.value(1).toLong());
    }
    std::sort(times.begin(), times.end());
    std::sort(memory.begin(), memory.end());
    const double medianTime = times[times.size() / 2];
    const double medianMemory = double(memory[memory.size() / 2]) / 1024.0;
    std::printf("window shown after: median %.1f ms (min %.1f, max %.1f); target < 300 ms\n",
                medianTime, times.front(), times.back());
    std::printf("resident memory:    median %.1f MB (min %.1f, max %.1f); target < 40 MB\n",
                medianMemory, double(memory.front()) / 1024.0, double(memory.back()) / 1024.0);
    return 0;
}
