// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <QtGlobal>

struct Platform;
class WebHost;

// The maker's own pages. They are reserved addresses until the project has a site of its own.
inline constexpr char16_t kLatestVersionPage[] = u"https://www.example.com/kestrelview/";
inline constexpr char16_t kReportPage[] = u"https://www.example.com/kestrelview/report";

// The service's address when no other is set.
inline constexpr char16_t kDefaultServiceBase[] = u"https://mixi.jp";

// The base address of the visitor pages: the scheme, host and port of `serviceUrl` when it is an
// absolute http or https address with a host, without any path, query or user name; otherwise
// "https://mixi.jp".
QString ServiceBaseAddress(const QString& serviceUrl);

// A visitor's profile page, which a double click on the visitor's row opens: the path and query
// up to the id.
inline constexpr char16_t kProfilePath[] = u"/show_friend.pl?id=";

// The page address for a visitor: base, path with query, id in decimal.
QString VisitorPageAddress(const QString& baseAddress, const QString& path, qint32 id);

// The command lines of the two buttons that open the maker's pages: "explorer ", a double quote
// and the address, with no closing quote.
QString LatestVersionCommandLine();
QString ReportCommandLine();

// Whether a button press over the ranking list shows the pop-up menu: the right button (2) over a
// list that has rows.
bool ShowsPopupMenu(int button, int rowCount);

// The ranking list's page actions: the row double-click, the pop-up menu's page entries and the
// two buttons of the maker's pages.
class VisitorPageActions {
  public:
    VisitorPageActions(Platform& platform, WebHost& host);

    // Set from the "ServiceUrl" setting through ServiceBaseAddress; "https://mixi.jp" until then.
    void setBaseAddress(const QString& baseAddress) { m_baseAddress = baseAddress; }
    const QString& baseAddress() const { return m_baseAddress; }

    // The member id in the selected row's ID column (every blank removed, the rest read as a
    // 32-bit decimal number); 0 without a selected row or a number there.
    qint32 SelectedVisitorId() const;

    // The selected visitor's profile page, when the list has rows.
    void openVisitorPage();
    // The selected visitor's page at `path` (its path and query up to the id).
    void openPage(const QString& path);
    void openLatestVersionPage();
    void openReportPage();

  private:
    Platform& m_platform;
    WebHost& m_host;
    QString m_baseAddress;
};
