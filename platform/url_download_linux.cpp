// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QEventLoop>

#include "platform/file_store.h"
#include "platform/platform.h"
#include "platform/url_download.h"

namespace {

class QtDownload final : public UrlDownload {
  public:
    explicit QtDownload(const Platform& platform) : m_platform(platform) {}

    FetchResult downloadToFile(const QString& url, const QString& fileName) override {
        const QList<BrowserLogin> logins =
            FindBrowserLogins(m_platform.dataFolder, m_platform.browserHome, QUrl(url), nullptr);
        return downloadToFile(url, fileName, logins.isEmpty() ? BrowserLogin() : logins.first());
    }

    FetchResult downloadToFile(const QString& url, const QString& fileName,
                               const BrowserLogin& login) override {
        std::unique_ptr<OutputFile> file = m_platform.files->create(fileName);
        if (!file) {
            FetchResult refused;
            refused.outcome = FetchResult::Outcome::WriteFailed;
            refused.finalUrl = QUrl(url);
            return refused;
        }
        // One client for every download; each load runs in a fetch helper of its own.
        if (!m_fetch) {
            m_fetch = std::make_unique<HttpFetch>(m_platform);
        }
        HttpFetch& fetch = *m_fetch;
        FetchResult result;
        QEventLoop loop;
        QObject::connect(&fetch, &HttpFetch::finished, &loop, [&](const FetchResult& ended) {
            result = ended;
            loop.quit();
        });
        fetch.start(QUrl(url), login.cookies,
                    [&file](const QByteArray& chunk) { return file->write(chunk); });
        // The window's own events run here; a loop told to end by the application's quit ends
        // the download too rather than spinning on.
        loop.exec();
        if (fetch.running()) {
            fetch.abort();
            result.outcome = FetchResult::Outcome::Aborted;
        }
        if (result.complete() && !file->commit()) {
            result.outcome = FetchResult::Outcome::WriteFailed;
        }
        return result;
    }

  private:
    const Platform& m_platform;
    std::unique_ptr<HttpFetch> m_fetch;
};

}  // namespace

std::unique_ptr<UrlDownload> createQtDownload(const Platform& platform) {
    return std::make_unique<QtDownload>(platform);
}
