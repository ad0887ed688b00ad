// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "app/tray_icon.h"

#include <cstring>

#include "platform/text_codec.h"

namespace {
constexpr quint32 kRecordSize = 88;
}  // namespace

void SetTrayIconData(NOTIFYICONDATA& data, QObject* hWnd, quint32 uID, quint32 uCallbackMessage,
                     const QIcon& hIcon, const QString& tip) {
    data.cbSize = kRecordSize;
    data.hWnd = hWnd;
    data.uID = uID;
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = uCallbackMessage;
    data.hIcon = hIcon;
    const qsizetype room = qsizetype(sizeof data.szTip) - 1;
    const QByteArray bytes = EncodeCp932(TruncateToCp932Bytes(tip, room));
    std::memset(data.szTip, 0, sizeof data.szTip);
    std::memcpy(data.szTip, bytes.constData(), size_t(std::min(bytes.size(), room)));
}

int AddTrayIcon(NotifyIconService& shell, QObject* hWnd, quint32 uID, quint32 uCallbackMessage,
                const QIcon& hIcon, const QString& tip) {
    NOTIFYICONDATA data;
    SetTrayIconData(data, hWnd, uID, uCallbackMessage, hIcon, tip);
    return shell.Shell_NotifyIcon(NIM_ADD, data) ? 1 : 0;
}

int DeleteTrayIcon(NotifyIconService& shell, QObject* hWnd, quint32 uID) {
    NOTIFYICONDATA data;
    SetTrayIconData(data, hWnd, uID, 0, QIcon(), QString());
    return shell.Shell_NotifyIcon(NIM_DELETE, data) ? 1 : 0;
}
