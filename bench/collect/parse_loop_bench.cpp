// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// The parse loop on a 10 MB footprint page against a plain scan of the same text for the same
// markers, the least any reading of the page must do. The loop may take at most three times the
// scan.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QStringMatcher>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "bench/collect/footprint_entry.h"
#include "bench/median.h"
#include "collect/footprint_parser.h"
#include "platform/clock.h"

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    std::unique_ptr<Clock> clock = createSystemClock();

    QString page;
    for (int i = 0; page.size() < 10 * 1024 * 1024 / 2; ++i) {
        page += FootprintEntryMarkup(i);  // two bytes per UTF-16 unit: 10 MB of text
    }
    const QString& marker = EntryMarker(RetrievalMethod::Download);
    const double megabytes = double(page.size()) * 2 / (1024 * 1024);

    const QStringView text(page);
    const QByteArrayView bytes(reinterpret_cast<const char*>(page.utf16()), page.size() * 2);
    const QByteArrayView markerBytes(reinterpret_cast<const char*>(marker.utf16()),
                                     marker.size() * 2);
    // The marker's search prepared once, as the loop prepares it: reported beside the others.
    const QStringMatcher matcher(marker);
    int scanned = 0;
    int scannedBytes = 0;
    int matched = 0;
    int parsed = 0;
    qsizetype names = 0;
    const std::vector<std::function<void()>> runs = {
        [&] {
            scanned = 0;
            for (qsizetype at = text.indexOf(marker); at >= 0;
                 at = text.indexOf(marker, at + marker.size())) {
                ++scanned;
            }
        },
        // The same bytes searched as bytes, for whichever plain scan is the quicker.
        [&] {
            scannedBytes = 0;
            for (qsizetype at = bytes.indexOf(markerBytes); at >= 0;
                 at = bytes.indexOf(markerBytes, at + markerBytes.size())) {
                ++scannedBytes;
            }
        },
        [&] {
            matched = 0;
            for (qsizetype at = matcher.indexIn(page); at >= 0;
                 at = matcher.indexIn(page, at + marker.size())) {
                ++matched;
            }
        },
        [&] {
            parsed = 0;
            ParseFootprintPage(
                page, [] { return RetrievalMethod::Download; }, *clock,
                [&](const FootprintEntry& e) {
                    ++parsed;
                    names += e.Name.size();
                });
        },
    };
    // Taken in turns, so that a busy moment of a shared machine weighs on each alike.
    std::vector<std::vector<double>> ms(runs.size());
    for (int round = 0; round < 15; ++round) {
        for (size_t i = 0; i < runs.size(); ++i) {
            QElapsedTimer timer;
            timer.start();
            runs[i]();
            ms[i].push_back(double(timer.nsecsElapsed()) / 1e6);
        }
    }
    const double scanMs = median(ms[0]);
    const double byteScanMs = median(ms[1]);
    const double matcherMs = median(ms[2]);
    const double parseMs = median(ms[3]);
    if (parsed != scanned || scannedBytes != scanned || matched != scanned || names == 0) {
        std::fprintf(stderr, "the loop read %d entries, the scans found %d and %d markers\n",
                     parsed, scanned, scannedBytes);
        return 1;
    }

    const double plainMs = std::min(scanMs, byteScanMs);
    const double ratio = parseMs / plainMs;
    std::printf("%.1f MB page, %d entries\n", megabytes, parsed);
    std::printf("plain scan as text %.1f ms (%.0f MB/s), as bytes %.1f ms (%.0f MB/s)\n", scanMs,
                megabytes / scanMs * 1000, byteScanMs, megabytes / byteScanMs * 1000);
    std::printf("prepared search (QStringMatcher) %.1f ms: the loop takes %.2fx that\n", matcherMs,
                parseMs / matcherMs);
    std::printf("parse loop %.1f ms (%.0f MB/s): ratio %.2fx the quicker scan (target <= 3)\n",
                parseMs, megabytes / parseMs * 1000, ratio);
    const bool pass = ratio <= 3.0;
    std::printf("%s: the parse loop costs at most three times a plain scan for its markers\n",
                pass ? "PASS" : "FAIL");
    return pass ? 0 : 1;
}
