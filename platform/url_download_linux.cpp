// The call sites go through function pointers, not curl's type-checking macros.
#define CURL_DISABLE_TYPECHECK
#include <curl/curl.h>
#include <dlfcn.h>

#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <type_traits>

#include "platform/file_store.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "platform/url_download.h"

namespace {

constexpr int kMaxRedirects = 10;

// libcurl with its TLS, LDAP, SSH and Kerberos libraries is about 6 MB of resident memory. A
// program that waits in the tray loads it with its first download rather than at start-up; once
// loaded it stays.
struct Curl {
    decltype(&curl_global_init) global_init = nullptr;
    decltype(&curl_easy_init) easy_init = nullptr;
    decltype(&curl_easy_setopt) easy_setopt = nullptr;
    decltype(&curl_easy_perform) easy_perform = nullptr;
    decltype(&curl_easy_getinfo) easy_getinfo = nullptr;
    decltype(&curl_easy_cleanup) easy_cleanup = nullptr;
    decltype(&curl_slist_append) slist_append = nullptr;
    decltype(&curl_slist_free_all) slist_free_all = nullptr;

    // nullptr when the library cannot be loaded; the download then fails like any other.
    static const Curl* load() {
        static const Curl* const loaded = []() -> const Curl* {
            void* library = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
            if (library == nullptr) {
                return nullptr;
            }
            static Curl curl;
            const auto resolve = [library](auto& function, const char* name) {
                function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(
                    dlsym(library, name));
                return function != nullptr;
            };
            const bool complete = resolve(curl.global_init, "curl_global_init") &&
                                  resolve(curl.easy_init, "curl_easy_init") &&
                                  resolve(curl.easy_setopt, "curl_easy_setopt") &&
                                  resolve(curl.easy_perform, "curl_easy_perform") &&
                                  resolve(curl.easy_getinfo, "curl_easy_getinfo") &&
                                  resolve(curl.easy_cleanup, "curl_easy_cleanup") &&
                                  resolve(curl.slist_append, "curl_slist_append") &&
                                  resolve(curl.slist_free_all, "curl_slist_free_all");
            if (!complete || curl.global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
                return nullptr;
            }
            return &curl;
        }();
        return loaded;
    }
};

struct EasyHandle {
    explicit EasyHandle(const Curl& curl) : curl(curl), handle(curl.easy_init()) {}
    ~EasyHandle() {
        if (resolve) {
            curl.slist_free_all(resolve);
        }
        if (handle) {
            curl.easy_cleanup(handle);
        }
    }
    EasyHandle(const EasyHandle&) = delete;
    EasyHandle& operator=(const EasyHandle&) = delete;
    const Curl& curl;
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
        const Curl* curl = Curl::load();
        if (curl == nullptr) {
            return INET_E_DOWNLOAD_FAILURE;
        }
        const NetworkAccess& network = m_platform.network;
        EasyHandle easy(*curl);
        if (!easy.handle) {
            return INET_E_DOWNLOAD_FAILURE;
        }
        CURL* h = easy.handle;
        curl->easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
        curl->easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
        // Redirects are followed here, one hop at a time, so every host goes through the routes.
        curl->easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
        curl->easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, long(network.connectTimeoutMs));
        curl->easy_setopt(h, CURLOPT_TIMEOUT_MS, long(network.totalTimeoutMs));
        curl->easy_setopt(h, CURLOPT_USERAGENT, "Kestrelview");
        curl->easy_setopt(h, CURLOPT_ACCEPT_ENCODING, "");
        if (!network.environmentProxies) {
            curl->easy_setopt(h, CURLOPT_NOPROXY, "*");
        }
        const QString cookies =
            AppFilePath(m_platform.applicationDirectory, QStringLiteral("\\cookies.txt"));
        // An empty name switches the cookie engine on without a file, so cookies set on the way
        // through a redirect still come along.
        const QByteArray cookieFile =
            QFileInfo(cookies).isFile() ? QFile::encodeName(cookies) : QByteArray("");
        curl->easy_setopt(h, CURLOPT_COOKIEFILE, cookieFile.constData());

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
                curl->slist_free_all(easy.resolve);
                easy.resolve = nullptr;
            }
            if (route.route == NetworkAccess::Route::Address && route.address != current.host()) {
                // The name, as curl caches it, maps to the routed address: no lookup happens.
                const QByteArray entry =
                    (current.host(QUrl::FullyEncoded) + u':' +
                     QString::number(current.port(defaultPort(current))) + u':' + route.address)
                        .toUtf8();
                easy.resolve = curl->slist_append(nullptr, entry.constData());
            }
            curl->easy_setopt(h, CURLOPT_RESOLVE, easy.resolve);
            const QByteArray address = current.toEncoded();
            curl->easy_setopt(h, CURLOPT_URL, address.constData());

            std::unique_ptr<OutputFile> file = m_platform.files->create(fileName);
            if (!file) {
                return INET_E_DOWNLOAD_FAILURE;
            }
            Sink sink{file.get()};
            curl->easy_setopt(h, CURLOPT_WRITEFUNCTION, writeBody);
            curl->easy_setopt(h, CURLOPT_WRITEDATA, &sink);
            const CURLcode code = curl->easy_perform(h);
            if (code != CURLE_OK || sink.failed) {
                return resultFor(code);
            }
            long status = 0;
            curl->easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
            if (status >= 300 && status < 400) {
                char* location = nullptr;
                curl->easy_getinfo(h, CURLINFO_REDIRECT_URL, &location);
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
