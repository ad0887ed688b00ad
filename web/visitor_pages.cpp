// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "web/visitor_pages.h"

#include "platform/command_line.h"
#include "platform/http_origin.h"
#include "platform/platform.h"
#include "visitors/ranking_model.h"
#include "web/browser_launcher.h"
#include "web/web_host.h"

QString ServiceBaseAddress(const QString& serviceUrl) {
    return HttpOrigin(serviceUrl).value_or(QString::fromUtf16(kDefaultServiceBase));
}

QString PopupMenuCaption() {
    return QStringLiteral("ポップアップメニュー");
}

const QList<PopupMenuEntry>& PopupMenuEntries() {
    static const QList<PopupMenuEntry> entries = {
        {QStringLiteral("view"), QStringLiteral("ページ表示(&V)"),
         QStringLiteral("/show_friend.pl?id=")},
        {{}, QStringLiteral("-"), {}},
        {QStringLiteral("memo"), QStringLiteral("メモを編集"), {}},
        {{}, QStringLiteral("-"), {}},
        {QStringLiteral("friends"), QStringLiteral("マイミクシィ一覧(&M)"),
         QStringLiteral("/list_friend.pl?id=")},
        {QStringLiteral("communities"), QStringLiteral("コミュニティ一覧(&C)"),
         QStringLiteral("/list_community.pl?id=")},
        {{}, QStringLiteral("-"), {}},
        {QStringLiteral("diary"), QStringLiteral("日記一覧(&D)"),
         QStringLiteral("/list_diary.pl?id=")},
        {QStringLiteral("introductions"), QStringLiteral("紹介文一覧(&I)"),
         QStringLiteral("/show_intro.pl?id=")},
        {QStringLiteral("reviews"), QStringLiteral("レビュー一覧(&R)"),
         QStringLiteral("/list_review.pl?id=")},
        {QStringLiteral("photos"), QStringLiteral("写真一覧(&P)"),
         QStringLiteral("/show_photo.pl?id=")},
        {{}, QStringLiteral("-"), {}},
        {QStringLiteral("message"), QStringLiteral("メッセージを送る(&S)"),
         QStringLiteral("/send_message.pl?id=")},
        {QStringLiteral("bookmark"), QStringLiteral("お気に入りに追加(&F)"),
         QStringLiteral("/add_bookmark.pl?id=")},
        {QStringLiteral("friendRequest"), QStringLiteral("マイミクシィに追加(&A)"),
         QStringLiteral("/add_friend.pl?id=")},
    };
    return entries;
}

qint32 VisitorIdFromColumn(const QString& idColumnText) {
    return IdFromColumnText(idColumnText).value_or(0);
}

QString VisitorPageAddress(const QString& baseAddress, const QString& path, qint32 id) {
    return baseAddress + path + QString::number(id);
}

QString LatestVersionCommandLine() {
    return QStringLiteral("explorer \"") + QString::fromUtf16(kLatestVersionPage);
}

QString ReportCommandLine() {
    return QStringLiteral("explorer \"") + QString::fromUtf16(kReportPage);
}

bool ShowsPopupMenu(int button, int rowCount) {
    return button == 2 && rowCount > 0;
}

VisitorPageActions::VisitorPageActions(Platform& platform, WebHost& host)
    : m_platform(platform), m_host(host), m_baseAddress(QString::fromUtf16(kDefaultServiceBase)) {}

qint32 VisitorPageActions::SelectedVisitorId() const {
    if (!m_host.hasSelectedRow()) {
        return 0;
    }
    return VisitorIdFromColumn(m_host.selectedIdText());
}

void VisitorPageActions::openVisitorPage() {
    if (m_host.rankingRowCount() == 0) {
        return;
    }
    OpenUrl(m_platform, m_host,
            VisitorPageAddress(m_baseAddress, QStringLiteral("/show_friend.pl?id="),
                               SelectedVisitorId()));
}

void VisitorPageActions::openMenuEntry(const QString& entryKey) {
    for (const PopupMenuEntry& entry : PopupMenuEntries()) {
        if (entry.key == entryKey && !entry.path.isEmpty()) {
            OpenUrl(m_platform, m_host,
                    VisitorPageAddress(m_baseAddress, entry.path, SelectedVisitorId()));
            return;
        }
    }
}

void VisitorPageActions::openLatestVersionPage() {
    if (m_platform.commandLine) {
        m_platform.commandLine->start(LatestVersionCommandLine());
    }
}

void VisitorPageActions::openReportPage() {
    if (m_platform.commandLine) {
        m_platform.commandLine->start(ReportCommandLine());
    }
}
