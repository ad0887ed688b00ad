// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "web/visitor_pages.h"

#include <QUrl>

#include "platform/command_line.h"
#include "platform/conversions.h"
#include "platform/platform.h"
#include "web/browser_launcher.h"
#include "web/web_host.h"

QString ServiceBaseAddress(const QString& serviceUrl) {
    const QUrl url(serviceUrl.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme();
    if (!url.isValid() || url.isRelative() || url.host().isEmpty() ||
        (scheme != u"http" && scheme != u"https")) {
        return QString::fromUtf16(kDefaultServiceBase);
    }
    return url.toString(QUrl::RemoveUserInfo | QUrl::RemovePath | QUrl::RemoveQuery |
                        QUrl::RemoveFragment | QUrl::FullyEncoded);
}

QString PopupMenuCaption() {
    return QStringLiteral("ポップアップメニュー");
}

const QList<PopupMenuEntry>& PopupMenuEntries() {
    static const QList<PopupMenuEntry> entries = {
        {QStringLiteral("MNU_VIEW"), QStringLiteral("ページ表示(&V)"),
         QStringLiteral("/show_friend.pl?id=")},
        {QStringLiteral("separator1"), QStringLiteral("-"), {}},
        {QStringLiteral("MNU_MEMO"), QStringLiteral("メモを編集"), {}},
        {QStringLiteral("separator5"), QStringLiteral("-"), {}},
        {QStringLiteral("MNU_MYMIXI"), QStringLiteral("マイミクシィ一覧(&M)"),
         QStringLiteral("/list_friend.pl?id=")},
        {QStringLiteral("MNU_COMMUNITY"), QStringLiteral("コミュニティ一覧(&C)"),
         QStringLiteral("/list_community.pl?id=")},
        {QStringLiteral("separator2"), QStringLiteral("-"), {}},
        {QStringLiteral("MNU_DIARY"), QStringLiteral("日記一覧(&D)"),
         QStringLiteral("/list_diary.pl?id=")},
        {QStringLiteral("MNU_INTRODUCE"), QStringLiteral("紹介文一覧(&I)"),
         QStringLiteral("/show_intro.pl?id=")},
        {QStringLiteral("MNU_REVIEW"), QStringLiteral("レビュー一覧(&R)"),
         QStringLiteral("/list_review.pl?id=")},
        {QStringLiteral("MNU_PICTURE"), QStringLiteral("写真一覧(&P)"),
         QStringLiteral("/show_photo.pl?id=")},
        {QStringLiteral("separator3"), QStringLiteral("-"), {}},
        {QStringLiteral("MNU_MESSAGE"), QStringLiteral("メッセージを送る(&S)"),
         QStringLiteral("/send_message.pl?id=")},
        {QStringLiteral("MNU_FAVORITE"), QStringLiteral("お気に入りに追加(&F)"),
         QStringLiteral("/add_bookmark.pl?id=")},
        {QStringLiteral("MNU_MYMIXIADD"), QStringLiteral("マイミクシィに追加(&A)"),
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

QString Command2CommandLine() {
    return QStringLiteral("explorer \"") + QString::fromUtf16(kLatestVersionPage);
}

QString Command3CommandLine() {
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

void VisitorPageActions::ListView1_DblClick() {
    if (m_host.rankingRowCount() == 0) {
        return;
    }
    OpenUrl(m_platform, m_host,
            VisitorPageAddress(m_baseAddress, QStringLiteral("/show_friend.pl?id="),
                               SelectedVisitorId()));
}

void VisitorPageActions::MenuEntry_Click(const QString& entryName) {
    for (const PopupMenuEntry& entry : PopupMenuEntries()) {
        if (entry.name == entryName && !entry.path.isEmpty()) {
            OpenUrl(m_platform, m_host,
                    VisitorPageAddress(m_baseAddress, entry.path, SelectedVisitorId()));
            return;
        }
    }
}

void VisitorPageActions::Command2_Click() {
    if (m_platform.commandLine) {
        m_platform.commandLine->Shell(Command2CommandLine(), SW_SHOWNORMAL);
    }
}

void VisitorPageActions::Command3_Click() {
    if (m_platform.commandLine) {
        m_platform.commandLine->Shell(Command3CommandLine(), SW_SHOWNORMAL);
    }
}
