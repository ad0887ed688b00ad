#include "collect/page_retrieval.h"

#include <QFile>
#include <QFileInfo>

#include "platform/clock.h"
#include "platform/file_store.h"
#include "platform/platform.h"
#include "platform/text_codec.h"
#include "platform/url_download.h"
#include "visitors/status_panels.h"

void DownloadToFile(Platform& platform, StatusPanels& panels, const QString& url,
                    const QString& path) {
    const qint32 result = platform.download->URLDownloadToFile(url, path);
    platform.clock->DoEvents();
    panels.SetPanelText(
        1, result == 0 ? QStringLiteral("取得に成功") : QStringLiteral("取得に失敗(>_<)"));
}

void ReadBrowserPage(FileStore& files, const QString& bodyMarkup, const QString& path) {
    if (QFileInfo::exists(path) && !QFile::remove(path)) {
        return;
    }
    std::unique_ptr<OutputFile> file = files.create(path);
    if (!file) {
        return;
    }
    QByteArray record = EncodeCp932(u'"' + bodyMarkup + u'"');
    record += "\r\n";
    if (file->write(record)) {
        file->commit();
    }
}

QString ReadWholeFile(Clock& clock, const QString& path) {
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        return {};
    }
    // What could be read before a read error is used.
    const QByteArray bytes = file.readAll();
    file.close();
    const QString text = DecodeCp932(bytes);

    QString joined;
    joined.reserve(text.size());
    qsizetype start = 0;
    const qsizetype n = text.size();
    while (start < n) {
        qsizetype end = start;
        while (end < n && text[end] != u'\r' && text[end] != u'\n') {
            ++end;
        }
        joined += QStringView(text).sliced(start, end - start);
        if (end < n && text[end] == u'\r' && end + 1 < n && text[end + 1] == u'\n') {
            ++end;
        }
        start = end + 1;
        WaitMilliseconds(clock, 1);
    }
    return joined;
}
