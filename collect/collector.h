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
class VisitorData;
struct Platform;

// The collection run: both footprint pages, each fetched, walked and finished on its own, so a
// failure on the first page does not stop the second.
class Collector {
  public:
    // `platform`, `host` and `data` must outlive the collector.
    Collector(Platform& platform, CollectionHost& host, VisitorData& data, FootprintPages pages);
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
        // The notice shown for the failure and its title; empty when a message box says it instead.
        QString notice;
        QString noticeTitle;
        // The message box shown for the failure instead of a notice.
        QString message;
        // The page file's text as it was written, its lines apart.
        QString asSent;
        // The network layer's own words, for the log.
        QString detail;
    };
    Retrieved retrieve(const QString& url, const QString& bufPath);
    Retrieved failed(const FetchResult& result, const QString& url, const QString& bufPath);
    // Every page ends here, collected or not, after its messages: the button and Busy.
    void endPage();
    // A collected page: sort, ranking, history, save, then endPage, countdown and alarm.
    void finishPage();
    // The page's log line, then the trap's message; `formatHeadline`, when given, is a message
    // of its own before the trap's and what the log says instead of the number and description.
    void showErrorTrap(const QString& url, int number, const QString& description,
                       const QString& formatHeadline = {});
    void logPage(const QString& url, const QString& rest);

    Platform& m_platform;
    CollectionHost& m_host;
    VisitorData& m_data;
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
