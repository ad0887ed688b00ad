// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QEvent>
#include <QIcon>
#include <QObject>
#include <QString>
#include <QtGlobal>
#include <memory>

// The notification-area icon. The icon record and the add/delete call keep the form the tray
// code has always used; on Linux the icon is a QSystemTrayIcon.

constexpr quint32 NIM_ADD = 0;
constexpr quint32 NIM_MODIFY = 1;
constexpr quint32 NIM_DELETE = 2;

constexpr quint32 NIF_MESSAGE = 1;
constexpr quint32 NIF_ICON = 2;
constexpr quint32 NIF_TIP = 4;

// Mouse messages carried by a tray notification.
constexpr quint32 WM_MOUSEMOVE = 0x200;
constexpr quint32 WM_LBUTTONDOWN = 0x201;
constexpr quint32 WM_LBUTTONUP = 0x202;
constexpr quint32 WM_LBUTTONDBLCLK = 0x203;
constexpr quint32 WM_RBUTTONDOWN = 0x204;
constexpr quint32 WM_RBUTTONUP = 0x205;
constexpr quint32 WM_RBUTTONDBLCLK = 0x206;
constexpr quint32 WM_MBUTTONDOWN = 0x207;

struct NOTIFYICONDATA {
    quint32 cbSize = 0;
    QObject* hWnd = nullptr;  // the window that receives the icon's notifications
    quint32 uID = 0;
    quint32 uFlags = 0;
    quint32 uCallbackMessage = 0;
    QIcon hIcon;
    char szTip[64] = {};  // CP932, NUL-terminated
};

// Sent to the icon's window (NOTIFYICONDATA::hWnd) for every mouse action over the icon.
class TrayNotifyEvent : public QEvent {
  public:
    static QEvent::Type eventType();
    TrayNotifyEvent(quint32 callbackMessage, quint32 iconId, quint32 mouseMessage)
        : QEvent(eventType()),
          m_callbackMessage(callbackMessage),
          m_iconId(iconId),
          m_mouseMessage(mouseMessage) {}
    quint32 callbackMessage() const { return m_callbackMessage; }
    quint32 iconId() const { return m_iconId; }
    quint32 mouseMessage() const { return m_mouseMessage; }

  private:
    quint32 m_callbackMessage;
    quint32 m_iconId;
    quint32 m_mouseMessage;
};

class NotifyIconService {
  public:
    virtual ~NotifyIconService() = default;
    // NIM_ADD or NIM_DELETE with the record; true on success.
    virtual bool Shell_NotifyIcon(quint32 message, const NOTIFYICONDATA& data) = 0;
    // Whether the desktop has a notification area to put an icon in.
    virtual bool available() const = 0;
};

std::unique_ptr<NotifyIconService> createQtNotifyIconService();
