#include "collect/collector.h"

#include <QFile>
#include <QFileInfo>
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
#include "visitors/visitor_table.h"

namespace {

constexpr int kBrowserWaits = 10;

const QString kTitle = QStringLiteral("Kestrelview");
const QString kFetchFailed = QStringLiteral("取得に失敗(>_<)");
const QString kFirewallHint = QStringLiteral("ファイアーウォール等は通すように設定してください。");

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

}  // namespace

Collector::Collector(Platform& platform, CollectionHost& host, ServiceAddress address)
    : m_platform(platform), m_host(host), m_address(std::move(address)) {
    WebBrowser& browser = m_host.WebBrowser1();
    m_documentComplete = QObject::connect(&browser, &WebBrowser::DocumentComplete, &browser,
                                          [this] { WebBrowser1_DocumentComplete(); });
}

Collector::~Collector() {
    QObject::disconnect(m_documentComplete);
}

void Collector::Command1_Click() {
    Zodadud_Get(m_address.footprintPage1);
    Zodadud_Get(m_address.footprintPage2);
}

void Collector::Zodadud_Get(const QString& url) {
    m_host.setCommand1Enabled(false);
    m_host.setBusy(true);
    try {
        const QString bufPath =
            AppFilePath(m_platform.applicationDirectory, QStringLiteral("\\buf.tmp"));
        m_host.SetPanelText(1, QStringLiteral("取得中です..."));
        QString text;
        switch (retrieve(url, bufPath, &text)) {
            case Retrieval::Fallback:
                return;  // the nested run has re-armed everything
            case Retrieval::NotCollected:
                m_host.setCommand1Enabled(true);
                m_host.setBusy(false);
                return;
            case Retrieval::Text:
                break;
        }
        VisitorTable& table = m_host.visitorTable();
        ParseFootprintPage(
            text, [this] { return m_host.selectedGetOpt(); }, *m_platform.clock,
            [this, &table](const FootprintEntry& entry) {
                NewVisitStep(table, m_host.rankingRowCount(), entry.Name, entry.Id,
                             entry.LastAccess);
            });
        finishPage();
    } catch (const FormatChanged&) {
        // No failure is pending when the format check fails: number 0, no description.
        m_host.MsgBox(
            failureText(QStringLiteral("足跡ページに仕様の変更があった可能性があります。"), 0,
                        QString()),
            MsgBoxIcon::Critical, kTitle);
        showErrorTrap(0, QString());
    } catch (const RuntimeError& error) {
        showErrorTrap(error.number(), error.description());
    } catch (const std::bad_alloc&) {
        showErrorTrap(7, QStringLiteral("メモリが不足しています。"));
    } catch (const std::exception&) {
        showErrorTrap(51, QStringLiteral("内部エラーです。"));
    }
}

Collector::Retrieval Collector::retrieve(const QString& url, const QString& bufPath,
                                         QString* text) {
    if (m_host.selectedGetOpt() == 0) {
        DownloadToFile(m_platform, m_host, url, bufPath);
        if (!QFileInfo::exists(bufPath)) {
            m_host.SetPanelText(1, QStringLiteral("失敗！方法2に変更。"));
            m_host.selectGetOpt(1);
            m_platform.clock->DoEvents();
            Command1_Click();
            return Retrieval::Fallback;
        }
        ConvertCharset(*m_platform.files, bufPath, bufPath);
    } else {
        PageLoaded = false;
        m_host.WebBrowser1().Navigate(url);
        for (int waits = 0; !PageLoaded; ++waits) {
            if (waits == kBrowserWaits) {
                m_host.SetPanelText(1, kFetchFailed);
                m_host.showNotice(QStringLiteral("タイムアウトしました") + kMessageLineBreak +
                                  kFirewallHint);
                return Retrieval::NotCollected;
            }
            WaitMilliseconds(*m_platform.clock, 1000);
        }
        ReadBrowserPage(*m_platform.files, m_host.WebBrowser1().bodyInnerHTML(), bufPath);
        m_host.SetPanelText(1, QStringLiteral("取得に成功"));
    }
    m_platform.clock->DoEvents();
    *text = ReadWholeFile(*m_platform.clock, bufPath);
    m_platform.clock->DoEvents();
    deletePageFile(bufPath);
    if (text->contains(kDnsErrorPattern)) {
        m_host.SetPanelText(1, kFetchFailed);
        m_host.showNotice(QStringLiteral("サーバーが見つからないか、DNS エラーです。") +
                          kMessageLineBreak + kFirewallHint);
        return Retrieval::NotCollected;
    }
    return Retrieval::Text;
}

void Collector::finishPage() {
    VisitorTable& table = m_host.visitorTable();
    QuickSortVariantArray(table, 0, table.upperBound());
    m_host.RefreshRanking();
    m_host.SaveDataFile(m_host.dataPath(), false);
    m_host.setCommand1Enabled(true);
    m_host.setBusy(false);
    m_host.resetElapsedMinutes();
    if (m_host.alarmChkValue() == 1 && m_platform.sound) {
        m_platform.sound->PlaySound(
            AppFilePath(m_platform.applicationDirectory, QStringLiteral("\\alarm.wav")), SND_ASYNC);
    }
}

void Collector::showErrorTrap(int number, const QString& description) {
    m_host.MsgBox(failureText(QStringLiteral("取得中にエラーが発生しました"), number, description),
                  MsgBoxIcon::Critical, kTitle);
    m_host.setCommand1Enabled(true);
    m_host.setBusy(false);
}
