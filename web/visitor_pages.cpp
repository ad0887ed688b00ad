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
    return IdFromColumnText(m_host.selectedIdText()).value_or(0);
}

void VisitorPageActions::openVisitorPage() {
    if (m_host.rankingRowCount() == 0) {
        return;
    }
    openPage(QString::fromUtf16(kProfilePath));
}

void VisitorPageActions::openPage(const QString& path) {
    OpenUrl(m_platform, m_host, VisitorPageAddress(m_baseAddress, path, SelectedVisitorId()));
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
