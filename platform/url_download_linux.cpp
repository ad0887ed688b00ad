#include <curl/curl.h>

#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include "platform/file_store.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/url_download.h"

namespace {

constexpr int kMaxRedirects = 10;

struct CurlGlobal {
    CurlGlobal() { curl_global_init(CURL_GLOBAL_DEFAULT); }
    ~CurlGlobal() { curl_global_cleanup(); }
};

struct EasyHandle {
    EasyHandle() : handle(curl_easy_init()) {}
    ~EasyHandle() {
        if (resolve) {
            curl_slist_free_all(resolve);
        }
        if (handle) {
            curl_easy_cleanup(handle);
        }
    }
    EasyHandle(const EasyHandle&) = delete;
    EasyHandle& operator=(const EasyHandle&) = delete;
    CURL* handle;
    curl_slist* resolve = nullptr;
};

struct Sink {
    OutputFile* file = nullptr;
    bool failed = false;
};

size_t writeBody(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const size_t bytes = size * count;
    if (!sink->file->write(QByteArray(data, qsizetype(bytes)))) {
        sink->failed = true;
        return 0;  // makes curl stop with a write error
    }
    return bytes;
}

int defaultPort(const QUrl& url) {
    return url.scheme() == u"https" ? 443 : 80;
}

qint32 resultFor(CURLcode code) {
    switch (code) {
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
            return INET_E_RESOURCE_NOT_FOUND;
        case CURLE_OPERATION_TIMEDOUT:
            return INET_E_CONNECTION_TIMEOUT;
        case CURLE_COULDNT_CONNECT:
            return INET_E_CANNOT_CONNECT;
        default:
            return INET_E_DOWNLOAD_FAILURE;
    }
}

class CurlDownload final : public UrlDownload {
  public:
    explicit CurlDownload(const Platform& platform) : m_platform(platform) {}

    qint32 URLDownloadToFile(const QString& url, const QString& fileName) override {
        static CurlGlobal global;
        const NetworkAccess& network = m_platform.network;
        EasyHandle easy;
        if (!easy.handle) {
            return INET_E_DOWNLOAD_FAILURE;
        }
        CURL* h = easy.handle;
        curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
        // Redirects are followed here, one hop at a time, so every host goes through the routes.
        curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
        curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, long(network.connectTimeoutMs));
        curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, long(network.totalTimeoutMs));
        curl_easy_setopt(h, CURLOPT_USERAGENT, "Kestrelview");
        curl_easy_setopt(h, CURLOPT_ACCEPT_ENCODING, "");
        if (!network.environmentProxies) {
            curl_easy_setopt(h, CURLOPT_NOPROXY, "*");
        }
        const QString cookies =
            AppFilePath(m_platform.applicationDirectory, QStringLiteral("\\cookies.txt"));
        // An empty name switches the cookie engine on without a file, so cookies set on the way
        // through a redirect still come along.
        const QByteArray cookieFile =
            QFileInfo(cookies).isFile() ? QFile::encodeName(cookies) : QByteArray("");
        curl_easy_setopt(h, CURLOPT_COOKIEFILE, cookieFile.constData());

        QUrl current(url);
        for (int hop = 0; hop <= kMaxRedirects; ++hop) {
            if (!current.isValid() ||
                (current.scheme() != u"http" && current.scheme() != u"https")) {
                return INET_E_DOWNLOAD_FAILURE;
            }
            const NetworkAccess::HostRoute route = network.routeFor(current.host());
            if (route.route == NetworkAccess::Route::Unresolvable) {
                return INET_E_RESOURCE_NOT_FOUND;
            }
            if (route.route == NetworkAccess::Route::TimeOut) {
                return INET_E_CONNECTION_TIMEOUT;
            }
            if (easy.resolve) {
                curl_slist_free_all(easy.resolve);
                easy.resolve = nullptr;
            }
            if (route.route == NetworkAccess::Route::Address && route.address != current.host()) {
                // The name, as curl caches it, maps to the routed address: no lookup happens.
                const QByteArray entry =
                    (current.host(QUrl::FullyEncoded) + u':' +
                     QString::number(current.port(defaultPort(current))) + u':' + route.address)
                        .toUtf8();
                easy.resolve = curl_slist_append(nullptr, entry.constData());
            }
            curl_easy_setopt(h, CURLOPT_RESOLVE, easy.resolve);
            const QByteArray address = current.toEncoded();
            curl_easy_setopt(h, CURLOPT_URL, address.constData());

            std::unique_ptr<OutputFile> file = m_platform.files->create(fileName);
            if (!file) {
                return INET_E_DOWNLOAD_FAILURE;
            }
            Sink sink{file.get()};
            curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, writeBody);
            curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);
            const CURLcode code = curl_easy_perform(h);
            if (code != CURLE_OK || sink.failed) {
                return resultFor(code);
            }
            long status = 0;
            curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
            if (status >= 300 && status < 400) {
                char* location = nullptr;
                curl_easy_getinfo(h, CURLINFO_REDIRECT_URL, &location);
                if (location == nullptr) {
                    return INET_E_DOWNLOAD_FAILURE;
                }
                current = QUrl::fromEncoded(QByteArray(location));
                continue;  // the redirect's own body is dropped with `file`
            }
            if (status >= 400) {
                return INET_E_RESOURCE_NOT_FOUND;
            }
            return file->commit() ? 0 : INET_E_DOWNLOAD_FAILURE;
        }
        return INET_E_DOWNLOAD_FAILURE;
    }

  private:
    const Platform& m_platform;
};

}  // namespace

std::unique_ptr<UrlDownload> createCurlDownload(const Platform& platform) {
    return std::make_unique<CurlDownload>(platform);
}
