// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QMetaObject>
#include <QString>

#include "collect/footprint_pages.h"
#include "platform/browser_logins.h"
#include "platform/http_fetch.h"
#include "visitors/visit_history.h"

class CollectionHost;
struct Platform;

// The collection run: both footprint pages, each fetched, walked and finished on its own, so a
// failure on the first page does not stop the second.
class Collector {
  public:
    // `platform` and `host` must outlive the collector.
    Collector(Platform& platform, CollectionHost& host, FootprintPages pages);
    ~Collector();
    Collector(const Collector&) = delete;
    Collector& operator=(const Collector&) = delete;

    // The run, as the "足跡取得" button, the schedule and the start-up run start it: the first
    // page, then the second.
    void collectFootprints();

    // Collects one page: retrieval by the selected method, the entries, then sort, ranking, save,
    // countdown and alarm. Every outcome is shown to the user; nothing is thrown.
    void collectPage(const QString& url);

    // The browser's document-complete event, from any frame or navigation.
    void pageDocumentComplete() { PageLoaded = true; }
    bool PageLoaded = false;

    const FootprintPages& pages() const { return m_pages; }

    // The desktop notice of the last run: who it counted; empty when it counted nobody.
    QString runNotice() const { return m_history.runNotice(); }

  private:
    // How a page's retrieval ended.
    struct Retrieved {
        enum class Kind { Text, Failed, NotLoggedIn } kind = Kind::Text;
        QString text;
        // What failed, as status panel 1 shows it.
        QString failure;
        // The notice shown for the failure; empty when a message box says it instead.
        QString notice;
        // The network layer's own words, for the log.
        QString detail;
    };
    Retrieved retrieve(const QString& url, const QString& bufPath);
    Retrieved failed(const FetchResult& result, const QString& url, const QString& bufPath);
    void pageNotCollected(const QString& url, const QString& outcome);
    void finishPage();
    // `logText`, when given, is what the log says instead of the number and description.
    void showErrorTrap(const QString& url, int number, const QString& description,
                       const QString& logText = {});
    void logPage(const QString& url, const QString& rest);

    Platform& m_platform;
    CollectionHost& m_host;
    FootprintPages m_pages;
    QMetaObject::Connection m_documentComplete;
    // The HTTP status of the page in progress; 0 before any answer.
    int m_httpStatus = 0;
    // The login the page in progress is sent with; no browser: none.
    BrowserLogin m_login;
    // The expired-login message has been shown and no page has been collected since.
    bool m_loginReported = false;
    // Every visit counted, kept in the history file beside the data file.
    HistoryWriter m_history;
};

// The line break of the run's messages.
inline const QString kMessageLineBreak = QStringLiteral("\r\n");
