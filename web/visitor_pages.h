// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QList>
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

// One entry of the ranking list's pop-up menu "ポップアップメニュー".
struct PopupMenuEntry {
    QString key;      // what the entry is for, "view" or "memo"; empty for a separator
    QString caption;  // "-" for a separator; the letter after "&" is the access key
    QString path;     // the page's path and query up to the id; empty for separators and memo

    bool isSeparator() const { return caption == u"-"; }
};

QString PopupMenuCaption();
// Every entry of the pop-up menu in display order, separators included.
const QList<PopupMenuEntry>& PopupMenuEntries();

// The member id in a ranking row's ID column: every blank removed, the rest read as a 32-bit
// decimal number; 0 when that fails.
qint32 VisitorIdFromColumn(const QString& idColumnText);

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

    qint32 SelectedVisitorId() const;

    void openVisitorPage();
    // The menu entry `entryKey` was chosen; entries without a page (the memo, the separators,
    // unknown keys) do nothing here.
    void openMenuEntry(const QString& entryKey);
    void openLatestVersionPage();
    void openReportPage();

  private:
    Platform& m_platform;
    WebHost& m_host;
    QString m_baseAddress;
};
