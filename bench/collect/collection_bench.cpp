// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// Benchmarks of the collection run: the parse loop on a 50-entry page and on a 10 MB page, and a
// whole run over both pages from the demo service by method 1 against the time its pacing takes.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

#include "bench/collect/bench_host.h"
#include "bench/collect/footprint_entry.h"
#include "collect/collector.h"
#include "collect/footprint_parser.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/text_codec.h"
#include "platform/web_browser.h"
#include "tools/demo_service.h"
#include "visitors/data_files.h"
#include "visitors/ranking_model.h"
#include "visitors/visitor_table.h"

namespace {

// The wall clock read at no cost, to tell the loop's own time from the system clock's.
class FixedClock final : public Clock {
  public:
    quint32 milliseconds() override { return 0; }
    void sleep(quint32) override {}
    void processEvents() override {}
    QDateTime now() override { return m_now; }

  private:
    QDateTime m_now{QDate(2026, 12, 7), QTime(12, 0)};
};

int parseOnce(const QString& text, Clock& clock) {
    int entries = 0;
    ParseFootprintPage(
        text, [] { return RetrievalMethod::Download; }, clock,
        [&](const FootprintEntry&) { ++entries; });
    return entries;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    auto clock = createSystemClock();

    // The parse loop on the demo service's first page.
    DemoService demo;
    demo.setNow(QDateTime(QDate(2026, 12, 7), QTime(12, 0)));
    const QString page = DecodeEucJp(demo.footprintPage(1, true));
    int entries = parseOnce(page, *clock);
    const int rounds = 2000;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < rounds; ++i) {
        parseOnce(page, *clock);
    }
    const double perEntryUs = double(timer.nsecsElapsed()) / 1000.0 / (double(rounds) * entries);
    std::printf("parse loop, %d-entry page: %.2f us per entry (target < 5)\n", entries, perEntryUs);
    FixedClock fixed;
    timer.restart();
    for (int i = 0; i < rounds; ++i) {
        parseOnce(page, fixed);
    }
    const double fixedUs = double(timer.nsecsElapsed()) / 1000.0 / (double(rounds) * entries);
    timer.restart();
    for (int i = 0; i < rounds * entries; ++i) {
        clock->now();
    }
    const double nowUs = double(timer.nsecsElapsed()) / 1000.0 / (double(rounds) * entries);
    std::printf(
        "  of which the system clock's now(): %.2f us; the loop with a free clock: %.2f us\n",
        nowUs, fixedUs);

    // A 10 MB page of entries.
    QString big;
    for (int i = 0; big.size() < 10 * 1024 * 1024 / 2; ++i) {
        big += FootprintEntryMarkup(i);  // two bytes per UTF-16 unit: 10 MB of text
    }
    timer.restart();
    const int bigEntries = parseOnce(big, *clock);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    const double megabytes = double(big.size()) * 2 / (1024 * 1024);
    std::printf("parse loop, %.1f MB page (%d entries): %.0f MB/s (target >= 20)\n", megabytes,
                bigEntries, megabytes / seconds);

    // A whole run by method 1 over two 50-entry pages.
    BenchCollection run;
    if (!run.start()) {
        return 1;
    }
    DemoServiceThread& service = run.service;
    Platform& platform = *run.platform;
    BenchHost& host = *run.host;
    Collector& collector = *run.collector;

    // The pacing alone: one 1 ms pause per line read and per row saved.
    const int samples = 300;
    timer.restart();
    for (int i = 0; i < samples; ++i) {
        WaitMilliseconds(*platform.clock, 1);
    }
    const double pauseMs = double(timer.nsecsElapsed()) / 1e6 / samples;

    const auto lines = [&](int pageNumber) {
        return int(service.service().footprintPage(pageNumber, true).count('\n'));
    };
    timer.restart();
    collector.collectFootprints();
    const double runMs = double(timer.nsecsElapsed()) / 1e6;
    if (host.failed || host.table.RowCount != 100) {
        std::fprintf(stderr, "the run did not collect both pages\n");
        return 1;
    }
    const int pauses = lines(1) + lines(2) + host.savedRows;
    const double pacingMs = pauses * pauseMs;
    std::printf(
        "whole run, method 1: %.0f ms; pacing alone %d pauses x %.2f ms = %.0f ms; "
        "ratio %.3f (target <= 1.10)\n",
        runMs, pauses, pauseMs, pacingMs, runMs / pacingMs);
    return 0;
}
