// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// The browser's body markup writer on a page nested 60,000 levels deep and on a flat page of the
// same size and the same tags. Nesting is bounded as the browsers bound it, so the deep page may
// cost at most ten times the flat one.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <functional>
#include <vector>

#include "bench/median.h"
#include "platform/web_browser.h"

namespace {

constexpr int kElements = 60000;

double medianMs(const std::function<void()>& run, int rounds) {
    std::vector<double> ms;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return median(ms);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QString top = QStringLiteral("<html><body>");
    const QString deep = top + QStringLiteral("<div>").repeated(kElements) + u'x' +
                         QStringLiteral("</div>").repeated(kElements);
    const QString flat = top + QStringLiteral("<div></div>").repeated(kElements) + u'x';

    qsizetype written = 0;
    const double flatMs = medianMs([&] { written += BrowserBodyMarkup(flat).size(); }, 5);
    const double deepMs = medianMs([&] { written += BrowserBodyMarkup(deep).size(); }, 3);
    const double ratio = deepMs / flatMs;
    std::printf("%d elements, %lld characters each page\n", kElements,
                static_cast<long long>(deep.size()));
    std::printf("flat %.1f ms, nested %.1f ms: ratio %.2fx (target <= 10)\n", flatMs, deepMs,
                ratio);
    const bool pass = ratio <= 10.0 && written > 0;
    std::printf("%s: a deeply nested page costs at most ten times a flat one\n",
                pass ? "PASS" : "FAIL");
    return pass ? 0 : 1;
}
