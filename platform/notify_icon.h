// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QIcon>
#include <QObject>
#include <QString>
#include <memory>

// The program's one icon in the desktop's notification area. On Linux it is a QSystemTrayIcon.
class TrayIcon : public QObject {
    Q_OBJECT
  public:
    // What the user did over the icon. A double click arrives after the press that began it.
    enum class Activation { LeftPress, RightPress, DoubleClick, MiddlePress };
    Q_ENUM(Activation)

    // Puts the icon into the notification area with `tip`, or replaces icon and tip when it is
    // there already. False when the desktop has no notification area; Qt still shows the icon
    // if one appears later.
    virtual bool show(const QIcon& icon, const QString& tip) = 0;
    virtual void setTip(const QString& tip) = 0;
    // Takes the icon out of the notification area; nothing happens when it is not there.
    virtual void hide() = 0;
    // Whether the desktop has a notification area to put an icon in.
    virtual bool available() const = 0;
    // A passing message in the icon's own balloon, for a desktop whose notification service
    // does not answer (DesktopNotices comes first); nothing happens while the icon is not shown.
    virtual void showMessage(const QString& title, const QString& text) = 0;

  Q_SIGNALS:
    void activated(TrayIcon::Activation activation);
};

std::unique_ptr<TrayIcon> createQtTrayIcon();
