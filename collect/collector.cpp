// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "collect/collector.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <new>

#include "collect/collection_host.h"
#include "collect/footprint_parser.h"
#include "collect/new_visit.h"
#include "collect/page_retrieval.h"
#include "platform/charset_convert.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/runtime_error.h"
#include "platform/web_browser.h"
#include "visitors/visitor_data.h"
#include "visitors/visitor_table.h"

namespace {

constexpr int kBrowserWaits = 10;

const QString kTitle = QStringLiteral("Kestrelview");
const QString kFirewallHint = QStringLiteral("ファイアーウォール等は通すように設定してください。");
const QString kLoginNeeded = QStringLiteral("ログインが必要です");
const QString kLoginMessage = QStringLiteral(
    "ログインしていないため足あとを取得できませんでした。Firefox、Chromium、Google Chrome、Brave、"
    "Microsoft Edge または Vivaldi でログインし直してください（cookies.txt "
    "を使っている場合は書き出し"
    "直してください）。");

QString failureText(const QString& headline, int number, const QString& description) {
    return headline + kMessageLineBreak + kMessageLineBreak + QStringLiteral("エラー番号:") +
           QString::number(number) + kMessageLineBreak + QStringLiteral("説明：") + description;
}

// The page file is gone once it has been read: 53 when it was not there, 75 when it stays.
void deletePageFile(const QString& path) {
    if (!QFileInfo::exists(path)) {
        throw RuntimeError::fileNotFound();
    }
    if (!QFile::remove(path)) {
        throw RuntimeError::badFileName();
    }
}

// The path and query of a page address, as the log names pages.
QString pageName(const QString& url) {
    return QUrl(url).toString(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment);
}

// A sum that grows by one for every visit counted.
qint64 visitsCounted(const VisitorTable& table) {
    qint64 sum = 0;
    for (qsizetype i = 0; i < table.slotCount(); ++i) {
        sum += table[i].AccessCount;
    }
    return sum;
}

}  // namespace

Collector::Collector(Platform& platform, CollectionHost& host, VisitorData& data,
                     FootprintPages pages)
    : m_platform(platform),
      m_host(host),
      m_data(data),
      m_pages(std::move(pages)),
      m_history(HistoryFilePath(platform.dataFolder)) {
    WebBrowser& browser = m_host.browser();
    m_documentComplete = QObject::connect(&browser, &WebBrowser::documentComplete, &browser,
                                          [this] { pageDocumentComplete(); });
}

Collector::~Collector() {
    QObject::disconnect(m_documentComplete);
}

void Collector::collectFootprints() {
    m_history.beginRun();
    collectPage(m_pages.page1);
    // A close that waited for the first page has been carried out at its end.
    if (m_host.programEnding()) {
        return;
    }
    collectPage(m_pages.page2);
}

void Collector::collectPage(const QString& url) {
    m_host.setCollectAvailable(false);
    m_host.setBusy(true);
    m_httpStatus = 0;
    m_login = BrowserLogin();
    int entries = 0;
    try {
        const QString bufPath = AppFilePath(m_platform.dataFolder, QStringLiteral("\\buf.tmp"));
        m_data.showStatus(1, QStringLiteral("取得中です..."));
        // A login the service refuses gives way to the next browser's before the user is told.
        const QList<BrowserLogin> logins = FindBrowserLogins(
            m_platform.dataFolder, m_platform.browserHome, QUrl(url), &m_platform.log);
        Retrieved page;
        for (qsizetype i = 0; i == 0 || i < logins.size(); ++i) {
            m_login = i < logins.size() ? logins[i] : BrowserLogin();
            page = retrieve(url, bufPath);
            if (page.kind != Retrieved::Kind::NotLoggedIn || i + 1 >= logins.size()) {
                break;
            }
            logPage(url, QStringLiteral("refused"));
        }
        if (page.kind == Retrieved::Kind::NotLoggedIn) {
            logPage(url, QStringLiteral("failed: ") + kLoginNeeded);
            m_data.showStatus(1, kLoginNeeded);
            // Once until a page comes in again: a run every few minutes must not pile them up.
            if (!m_loginReported) {
                m_loginReported = true;
                m_host.message(kLoginMessage, MessageIcon::Exclamation, kTitle);
            }
            endPage();
            return;
        }
        if (page.kind == Retrieved::Kind::Failed) {
            logPage(url, QStringLiteral("failed: ") +
                             (page.detail.isEmpty()
                                  ? page.failure
                                  : page.failure + QStringLiteral(": ") + page.detail));
            m_data.showStatus(1, page.failure);
            if (!page.notice.isEmpty()) {
                m_host.showNotice(page.noticeTitle, page.notice);
            }
            if (!page.message.isEmpty()) {
                m_host.message(page.message, MessageIcon::Critical, kTitle);
            }
            endPage();
            return;
        }
        m_data.showStatus(1, QStringLiteral("取得に成功"));
        VisitorTable& table = m_data.visitorTable();
        const qint64 before = visitsCounted(table);
        ParseFootprintPage(
            page.text, [this] { return m_host.retrievalMethod(); }, *m_platform.clock,
            [this, &table, &entries, &url](const FootprintEntry& entry) {
                ++entries;
                switch (NewVisitStep(table, entry.Name, entry.Id, entry.LastAccess)) {
                    case VisitStep::Counted:
                        m_history.add(entry.Id, entry.Name, entry.LastAccess);
                        break;
                    case VisitStep::NotAVisitor:
                        logPage(url, QStringLiteral("entry without a member id passed over: ") +
                                         entry.LastAccess + u' ' + entry.Name);
                        break;
                    case VisitStep::AlreadyCounted:
                        break;
                }
            });
        const qint64 counted = visitsCounted(table) - before;
        m_loginReported = false;
        // Logged before the page ends: the end may carry out a close that waited for it.
        logPage(url, QStringLiteral("entries ") + QString::number(entries) +
                         QStringLiteral(" counted ") + QString::number(counted) +
                         QStringLiteral(" collected"));
        finishPage();
    } catch (const FormatChanged&) {
        // No failure is pending when the format check fails: number 0, no description.
        showErrorTrap(url, 0, QString(),
                      QStringLiteral("足跡ページに仕様の変更があった可能性があります。"));
    } catch (const RuntimeError& error) {
        showErrorTrap(url, error.number(), error.description());
    } catch (const std::bad_alloc&) {
        showErrorTrap(url, 7, QStringLiteral("メモリが不足しています。"));
    } catch (const std::exception&) {
        showErrorTrap(url, 51, QStringLiteral("内部エラーです。"));
    }
}

Collector::Retrieved Collector::retrieve(const QString& url, const QString& bufPath) {
    FetchResult fetched;
    if (m_host.retrievalMethod() == RetrievalMethod::Download) {
        fetched = DownloadToFile(m_platform, url, bufPath, m_login);
        m_httpStatus = fetched.httpStatus;
        if (!fetched.complete()) {
            return failed(fetched, url, bufPath);
        }
        // A page the disk could not take whole is a failed page, not an empty one.
        if (!ConvertCharset(*m_platform.files, bufPath, bufPath)) {
            fetched.outcome = FetchResult::Outcome::WriteFailed;
            return failed(fetched, url, bufPath);
        }
    } else {
        WebBrowser& browser = m_host.browser();
        PageLoaded = false;
        browser.navigate(url, m_login);
        for (int waits = 0; !PageLoaded; ++waits) {
            if (waits == kBrowserWaits) {
                // A load still under way would complete during a later page's wait and pass for it.
                browser.stop();
                FetchResult timedOut;
                timedOut.outcome = FetchResult::Outcome::TimedOut;
                return failed(timedOut, url, bufPath);
            }
            WaitMilliseconds(*m_platform.clock, 1000);
        }
        fetched = browser.lastResult();
        m_httpStatus = fetched.httpStatus;
        if (!fetched.complete()) {
            return failed(fetched, url, bufPath);
        }
        if (!ReadBrowserPage(*m_platform.files, browser.bodyMarkup(), bufPath)) {
            fetched.outcome = FetchResult::Outcome::WriteFailed;
            return failed(fetched, url, bufPath);
        }
    }
    m_platform.clock->processEvents();
    Retrieved page;
    page.text = ReadWholeFile(*m_platform.clock, bufPath, &page.asSent);
    m_platform.clock->processEvents();
    deletePageFile(bufPath);
    // The service sends a visitor without a valid login to its login page, or shows it in place.
    // Entries make a footprint page whatever else it holds; the login check reads the page as it
    // was sent, line by line, since the joined text runs tags and attributes together.
    const bool redirectedAway =
        !fetched.finalUrl.isEmpty() && fetched.finalUrl.path() != QUrl(url).path();
    if (redirectedAway || (!HoldsEntryMarker(page.text, m_host.retrievalMethod()) &&
                           AsksForLogin(page.asSent, QUrl(url), m_host.retrievalMethod()))) {
        page.kind = Retrieved::Kind::NotLoggedIn;
        return page;
    }
    if (page.text.contains(kDnsErrorPattern)) {
        FetchResult dnsPage;
        dnsPage.outcome = FetchResult::Outcome::HostNotFound;
        return failed(dnsPage, url, bufPath);
    }
    return page;
}

Collector::Retrieved Collector::failed(const FetchResult& result, const QString& url,
                                       const QString& bufPath) {
    Retrieved page;
    page.kind = Retrieved::Kind::Failed;
    if (result.outcome == FetchResult::Outcome::RedirectRefused &&
        result.refusedRedirect.path() != QUrl(url).path()) {
        page.kind = Retrieved::Kind::NotLoggedIn;
        return page;
    }
    page.failure = FetchFailureText(result);
    page.noticeTitle = page.failure;
    switch (result.outcome) {
        case FetchResult::Outcome::HostNotFound:
            page.notice = QStringLiteral("サーバーが見つからないか、DNS エラーです。") +
                          kMessageLineBreak + kFirewallHint;
            break;
        case FetchResult::Outcome::TimedOut:
            page.noticeTitle = QStringLiteral("タイムアウト");
            page.notice =
                QStringLiteral("タイムアウトしました") + kMessageLineBreak + kFirewallHint;
            break;
        case FetchResult::Outcome::ConnectionFailed:
        case FetchResult::Outcome::TlsFailed:
            page.notice = page.failure + kMessageLineBreak + kFirewallHint;
            page.detail = result.detail;
            break;
        case FetchResult::Outcome::WriteFailed: {
            const QString reason = PageFileProblem(bufPath);
            page.message = QStringLiteral(
                               "一時ファイル buf.tmp を作成できないため、足あとを取得できません"
                               "でした。") +
                           kMessageLineBreak + kMessageLineBreak + QStringLiteral("フォルダ: ") +
                           DisplayPath(m_platform.dataFolder) + kMessageLineBreak +
                           QStringLiteral("理由: ") + reason;
            page.detail = reason;
            break;
        }
        default:
            page.notice = page.failure;
            break;
    }
    return page;
}

void Collector::endPage() {
    m_host.setCollectAvailable(true);
    m_host.setBusy(false);
}

void Collector::logPage(const QString& url, const QString& rest) {
    m_platform.log.write(
        QStringLiteral("page ") + pageName(url) + QStringLiteral(" method ") +
        (m_host.retrievalMethod() == RetrievalMethod::Download ? QStringLiteral("1")
                                                               : QStringLiteral("2")) +
        QStringLiteral(" HTTP ") +
        (m_httpStatus > 0 ? QString::number(m_httpStatus) : QStringLiteral("-")) +
        (m_login.browser.isEmpty() ? QString() : QStringLiteral(" login ") + m_login.browser) +
        u' ' + rest);
}

void Collector::finishPage() {
    VisitorTable& table = m_data.visitorTable();
    sortVisitorSlots(table, 0, table.upperBound());
    m_data.RefreshRanking();
    // The history holds a page's visits before the data file that counts them is saved; a history
    // that cannot be written is told once and the tally goes on.
    const QString historyProblem = m_history.appendPage();
    if (!historyProblem.isEmpty()) {
        m_host.message(historyProblem, MessageIcon::Exclamation, kTitle);
    }
    m_data.SaveDataFile(m_data.dataPath(), false);
    endPage();
    m_host.resetElapsedMinutes();
    if (m_host.alarmOption() == Tick::Ticked && m_platform.sound) {
        m_platform.sound->play(ResourceFilePath(m_platform.dataFolder, m_platform.resourceFolder,
                                                QStringLiteral("\\alarm.wav")));
    }
}

void Collector::showErrorTrap(const QString& url, int number, const QString& description,
                              const QString& formatHeadline) {
    logPage(url, QStringLiteral("failed: ") +
                     (formatHeadline.isEmpty() ? QStringLiteral("エラー番号:") +
                                                     QString::number(number) + u' ' + description
                                               : formatHeadline));
    if (!formatHeadline.isEmpty()) {
        m_host.message(failureText(formatHeadline, 0, QString()), MessageIcon::Critical, kTitle);
    }
    m_host.message(failureText(QStringLiteral("取得中にエラーが発生しました"), number, description),
                   MessageIcon::Critical, kTitle);
    endPage();
}
