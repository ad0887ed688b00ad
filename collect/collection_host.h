// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>

#include "platform/dialogs.h"
#include "visitors/status_panels.h"

class VisitorTable;
class WebBrowser;

// What a collection run needs of the main window. The main window implements it; tests implement
// it over the real table, ranking and data files.
class CollectionHost : public StatusPanels {
  public:
    // Whether the "足跡取得" button can start a run: not while a page is collected.
    virtual void setCollectAvailable(bool enabled) = 0;
    // Busy: a page is being collected; the window refuses to close meanwhile.
    virtual void setBusy(bool busy) = 0;
    // ElapsedMinutes = 0: the schedule's countdown starts again.
    virtual void resetElapsedMinutes() = 0;

    // The retrieval method: 0 downloads the page ("方法1"), 1 loads it in the browser ("方法2").
    virtual int retrievalMethod() const = 0;
    virtual void setRetrievalMethod(int index) = 0;
    // The alarm option "アラーム機能": 0 unticked, 1 ticked, 2 dimmed.
    virtual int alarmOption() const = 0;

    virtual VisitorTable& visitorTable() = 0;
    // Refills the ranking list from the table, with its row count in status panel 2.
    virtual void RefreshRanking() = 0;
    // DataPath, the visitor data file.
    virtual QString dataPath() const = 0;
    virtual void SaveDataFile(const QString& path, bool IsFallback) = 0;

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
