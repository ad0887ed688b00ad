// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "collect/page_retrieval.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include "platform/clock.h"
#include "platform/file_store.h"
#include "platform/platform.h"
#include "platform/text_codec.h"
#include "platform/url_download.h"
#include "platform/web_browser.h"

FetchResult DownloadToFile(Platform& platform, const QString& url, const QString& path,
                           const BrowserLogin& login) {
    FetchResult result = platform.download->downloadToFile(url, path, login);
    platform.clock->processEvents();
    return result;
}

QString FetchFailureText(const FetchResult& result) {
    QString reason;
    switch (result.outcome) {
        case FetchResult::Outcome::Complete:
            return {};
        case FetchResult::Outcome::HttpError:
            reason = QStringLiteral("HTTP ") + QString::number(result.httpStatus);
            break;
        case FetchResult::Outcome::HostNotFound:
            reason = QStringLiteral("サーバーが見つかりません");
            break;
        case FetchResult::Outcome::ConnectionFailed:
            reason = QStringLiteral("接続できません");
            break;
        case FetchResult::Outcome::TimedOut:
            reason = QStringLiteral("時間切れ");
            break;
        case FetchResult::Outcome::TlsFailed:
            reason = QStringLiteral("暗号化通信に失敗しました");
            break;
        case FetchResult::Outcome::TooLarge:
            reason = QStringLiteral("ページが大きすぎます");
            break;
        case FetchResult::Outcome::RedirectRefused:
            reason = QStringLiteral("別のサーバーへ転送されました");
            break;
        case FetchResult::Outcome::BadAddress:
            reason = QStringLiteral("アドレスが正しくありません");
            break;
        case FetchResult::Outcome::WriteFailed:
            reason = QStringLiteral("buf.tmp を書き込めません");
            break;
        case FetchResult::Outcome::Aborted:
            reason = QStringLiteral("中断しました");
            break;
    }
    return QStringLiteral("取得に失敗しました (") + reason + u')';
}

QString PageFileProblem(const QString& path) {
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    if (!folder.isDir()) {
        return QStringLiteral("フォルダがありません。");
    }
    if (file.isDir()) {
        return QStringLiteral("同じ名前のフォルダ buf.tmp があります。");
    }
    if (!folder.isWritable()) {
        return QStringLiteral("フォルダに書き込む権限がありません。");
    }
    QTemporaryFile probe(file.absolutePath() + QStringLiteral("/buf.XXXXXX"));
    if (!probe.open()) {
        return probe.errorString();
    }
    return QStringLiteral(
        "ファイルを書き込めませんでした (ディスクがいっぱいか、書き込みが禁止されています)。");
}

bool AsksForLogin(const QString& pageAsSent, const QUrl& address, RetrievalMethod method) {
    QString page = pageAsSent;
    if (method == RetrievalMethod::Browser) {
        page.replace(QStringLiteral("\"\""), QStringLiteral("\""));
    }
    return HoldsPasswordField(page) || NavigationOnLoad(page, address).has_value();
}

bool ReadBrowserPage(FileStore& files, const QString& bodyMarkup, const QString& path) {
    if (QFileInfo::exists(path) && !QFileInfo(path).isDir() && !QFile::remove(path)) {
        return false;
    }
    std::unique_ptr<OutputFile> file = files.create(path);
    if (!file) {
        return false;
    }
    QByteArray record = EncodeCp932(u'"' + bodyMarkup + u'"');
    record += "\r\n";
    return file->write(record) && file->commit();
}

QString ReadWholeFile(Clock& clock, const QString& path, QString* asSent) {
    QFile file(path);
    if (asSent != nullptr) {
        asSent->clear();
    }
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        return {};
    }
    // What could be read before a read error is used.
    const QByteArray bytes = file.readAll();
    file.close();
    const QString text = DecodeCp932(bytes);
    if (asSent != nullptr) {
        *asSent = text;
    }

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
