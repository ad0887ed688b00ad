// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QCoreApplication>
#include <QPointer>
#include <QSystemTrayIcon>
#include <map>

#include "platform/notify_icon.h"
#include "platform/text_codec.h"

namespace {

quint32 mouseMessageFor(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::Trigger:
            return WM_LBUTTONDOWN;
        case QSystemTrayIcon::Context:
            return WM_RBUTTONDOWN;
        case QSystemTrayIcon::DoubleClick:
            return WM_LBUTTONDBLCLK;
        case QSystemTrayIcon::MiddleClick:
            return WM_MBUTTONDOWN;
        case QSystemTrayIcon::Unknown:
            break;
    }
    return WM_MOUSEMOVE;
}

QString tipText(const NOTIFYICONDATA& data) {
    const QByteArray bytes(data.szTip, qstrnlen(data.szTip, sizeof data.szTip));
    return DecodeCp932(bytes);
}

class QtNotifyIconService final : public NotifyIconService {
  public:
    bool Shell_NotifyIcon(quint32 message, const NOTIFYICONDATA& data) override {
        const Key key{data.hWnd, data.uID};
        if (message == NIM_ADD) {
            if (data.hWnd == nullptr || (m_icons.count(key) != 0 && m_icons[key])) {
                return false;
            }
            // The icon is a child of its window, which is where tests and tools find it.
            auto* icon = new QSystemTrayIcon(data.hWnd);
            icon->setObjectName(QStringLiteral("NotifyIcon%1").arg(data.uID));
            if (data.uFlags & NIF_ICON) {
                icon->setIcon(data.hIcon);
            }
            if (data.uFlags & NIF_TIP) {
                icon->setToolTip(tipText(data));
            }
            if (data.uFlags & NIF_MESSAGE) {
                QPointer<QObject> host = data.hWnd;
                const quint32 callback = data.uCallbackMessage;
                const quint32 id = data.uID;
                QObject::connect(icon, &QSystemTrayIcon::activated,
                                 [host, callback, id](QSystemTrayIcon::ActivationReason reason) {
                                     if (host) {
                                         TrayNotifyEvent event(callback, id,
                                                               mouseMessageFor(reason));
                                         QCoreApplication::sendEvent(host, &event);
                                     }
                                 });
            }
            // Qt puts the icon into a notification area that appears later on its own.
            icon->show();
            m_icons[key] = icon;
            return QSystemTrayIcon::isSystemTrayAvailable();
        }
        if (message == NIM_DELETE) {
            const auto found = m_icons.find(key);
            if (found == m_icons.end()) {
                return false;
            }
            const bool existed = !found->second.isNull();
            delete found->second.data();
            m_icons.erase(found);
            return existed;
        }
        return false;
    }

    bool available() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }

  private:
    using Key = std::pair<QObject*, quint32>;
    std::map<Key, QPointer<QSystemTrayIcon>> m_icons;
};

}  // namespace

std::unique_ptr<NotifyIconService> createQtNotifyIconService() {
    return std::make_unique<QtNotifyIconService>();
}
