#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>

struct Platform;

// Results of URLDownloadToFile besides 0 (success), as the Windows call reports them.
constexpr qint32 INET_E_CANNOT_CONNECT = qint32(0x800C0004);
constexpr qint32 INET_E_RESOURCE_NOT_FOUND = qint32(0x800C0005);
constexpr qint32 INET_E_DOWNLOAD_FAILURE = qint32(0x800C0008);
constexpr qint32 INET_E_CONNECTION_TIMEOUT = qint32(0x800C000B);

// The system's URL download service: fetches an address into a file, blocking until done, with
// the login the user's browser holds (the cookies of "cookies.txt" beside the executable).
class UrlDownload {
  public:
    virtual ~UrlDownload() = default;
    // 0 when the whole body arrived and now stands at `fileName`. Anything else leaves no new file
    // there: the body is written under a temporary name and renamed only on success, so a
    // time-out, a refused connection or an HTTP status of 400 or more never leaves half a page.
    virtual qint32 URLDownloadToFile(const QString& url, const QString& fileName) = 0;
};

// libcurl, routed and timed as `platform.network` says; `platform` must outlive it.
std::unique_ptr<UrlDownload> createCurlDownload(const Platform& platform);
