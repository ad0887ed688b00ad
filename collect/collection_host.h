// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>

#include "platform/dialogs.h"
#include "visitors/options.h"

class WebBrowser;

// What a collection run needs besides the visitor data: the run's controls and options, its
// boxes and the built-in browser. The collection controller implements it; tests implement it
// over real widgets and the real browser.
class CollectionHost {
  public:
    virtual ~CollectionHost() = default;
    // Whether the "足跡取得" button can start a run: not while a page is collected.
    virtual void setCollectAvailable(bool enabled) = 0;
    // Busy: a page is being collected; the window refuses to close meanwhile.
    virtual void setBusy(bool busy) = 0;
    // ElapsedMinutes = 0: the schedule's countdown starts again.
    virtual void resetElapsedMinutes() = 0;

    virtual RetrievalMethod retrievalMethod() const = 0;
    // "アラーム機能": the alarm plays after a collected page only when ticked.
    virtual Tick alarmOption() const = 0;

    // Shows the notice window modally, `title` on its band (what happened: "タイムアウト" or the
    // failure as status panel 1 shows it) and `message` as its text; returns when it has closed.
    virtual void showNotice(const QString& title, const QString& message) = 0;
    // A modal message box with an OK button.
    virtual void message(const QString& prompt, MessageIcon icon, const QString& title) = 0;

    // The program is ending: a run stops after the page in progress instead of fetching the next.
    virtual bool programEnding() const = 0;

    // browser, the embedded browser of the window.
    virtual WebBrowser& browser() = 0;
};
