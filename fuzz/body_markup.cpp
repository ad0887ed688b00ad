// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

// A page through the browser's decoding and body markup writer. The input's last byte chooses a
// Content-Type (none, EUC-JP, Shift_JIS, UTF-8 or one cut from the input); the rest is the page.

#include "fuzz/fuzz_support.h"
#include "platform/web_browser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    fuzz::init();
    FuzzedDataProvider data(bytes, size);
    QByteArray contentType;
    switch (data.ConsumeIntegralInRange(0, 4)) {
        case 1:
            contentType = "text/html; charset=EUC-JP";
            break;
        case 2:
            contentType = "text/html; charset=Shift_JIS";
            break;
        case 3:
            contentType = "text/html; charset=utf-8";
            break;
        case 4:
            contentType = QByteArray::fromStdString(data.ConsumeRandomLengthString(40));
            break;
        default:
            break;
    }
    const std::string page = data.ConsumeRemainingBytesAsString();
    const QString text = DecodePage(QByteArray(page.data(), qsizetype(page.size())), contentType);
    const QString markup = BrowserBodyMarkup(text);
    // The writer's own output is a page too: the browser may be handed its markup again.
    BrowserBodyMarkup(markup);
    return 0;
}
