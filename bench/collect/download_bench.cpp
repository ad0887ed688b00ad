// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// Benchmarks of the download of method 1: how long the window's event loop stalls while a 2 MiB
// page arrives from 127.0.0.1 (target: no gap over 50 ms between 10 ms timer ticks), and the
// resident memory a whole collection by method 1 adds (target: at most 2 MiB).
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "bench/collect/bench_host.h"
#include "bench/resident_memory.h"
#include "collect/collector.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/web_browser.h"
#include "tools/demo_service.h"
#include "visitors/data_files.h"
#include "visitors/ranking_model.h"
#include "visitors/visitor_table.h"

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    BenchCollection run;
    if (!run.start()) {
        return 1;
    }
    DemoServiceThread& service = run.service;
    Platform& platform = *run.platform;
    BenchHost& host = *run.host;
    Collector& collector = *run.collector;

    // Resident memory: a whole run over both pages, against the figure before it. The service
    // lives in this process; it answers once first, so that its own memory is not counted.
    {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, service.port());
        socket.waitForConnected(5000);
        socket.write("GET /show_log.pl HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        while (socket.waitForReadyRead(2000)) {
            socket.readAll();
        }
    }
    const long before = residentKilobytes();
    collector.collectFootprints();
    const long after = residentKilobytes();
    if (host.failed || host.table.RowCount != 100) {
        std::fprintf(stderr, "the run did not collect both pages\n");
        return 1;
    }
    collector.collectFootprints();
    const long second = residentKilobytes();
    std::printf(
        "resident memory after a run by method 1: +%.2f MiB (%ld -> %ld kB; target <= 2); "
        "after a second run +%.2f MiB\n",
        double(after - before) / 1024, before, after, double(second - before) / 1024);

    // Event loop stalls while 2 MiB pages arrive.
    DemoOptions options;
    options.padToBytes = 2 * 1024 * 1024;
    service.service().setOptions(options);
    const QString target = AppFilePath(run.dir.path(), QStringLiteral("\\page.tmp"));
    const QString url = service.baseUrl() + QStringLiteral("/show_log.pl");
    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 largestGap = 0;
    QTimer ticker;
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        largestGap = std::max(largestGap, now - lastTick);
        lastTick = now;
    });
    const int runs = 10;
    qint64 totalMs = 0;
    for (int i = 0; i < runs; ++i) {
        clock.start();
        lastTick = 0;
        ticker.start();
        const FetchResult result = platform.download->downloadToFile(url, target);
        ticker.stop();
        totalMs += clock.elapsed();
        if (!result.complete()) {
            std::fprintf(stderr, "the 2 MiB page did not arrive\n");
            return 1;
        }
    }
    std::printf(
        "2 MiB download on 127.0.0.1: %.0f ms each; largest gap between 10 ms ticks %lld ms "
        "(target <= 50)\n",
        double(totalMs) / runs, static_cast<long long>(largestGap));
    return 0;
}
