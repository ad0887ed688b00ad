// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <memory>

// Passing notices on the desktop, shown by its notification service whether or not there is a
// tray. The program names itself "Kestrelview", with its icon and its desktop entry.
class DesktopNotices : public QObject {
    Q_OBJECT
  public:
    // Hands the notice to the service and returns at once; `body` is plain text. A notice no
    // service takes comes back through `undelivered`, later, never from within this call.
    virtual void show(const QString& summary, const QString& body) = 0;

  Q_SIGNALS:
    // No service answered or it refused the notice: the caller shows it another way.
    void undelivered(const QString& summary, const QString& body);
};

// The application id, which the menu entry, the icon and the window's identity share.
inline constexpr char16_t kApplicationId[] = u"io.github.kestrelview.Kestrelview";

// org.freedesktop.Notifications on `bus`, the session bus unless a test gives its own.
std::unique_ptr<DesktopNotices> createDBusDesktopNotices(
    const QDBusConnection& bus = QDBusConnection::sessionBus());

// `text` as a notice body a service reads as markup: "&", "<" and ">" as entities, so a name
// such as "<b>Tom & Jerry" is shown as it is written.
QString NoticeBodyMarkup(const QString& text);
