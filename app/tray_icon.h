// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QIcon>
#include <QObject>
#include <QString>

#include "platform/notify_icon.h"

// The tray icon: filling the icon record and adding or removing the icon. The window named in
// the record receives the icon's mouse notifications as TrayNotifyEvent.

// The record in its first, 88-byte form: message, icon and tip valid; the tip is `tip` cut to
// the 63 bytes of CP932 that fit before the closing NUL, never inside a double-byte character.
void SetTrayIconData(NOTIFYICONDATA& data, QObject* hWnd, quint32 uID, quint32 uCallbackMessage,
                     const QIcon& hIcon, const QString& tip);

// Non-zero on success. Nobody acts on the result: a desktop without a notification area simply
// shows no icon.
int AddTrayIcon(NotifyIconService& shell, QObject* hWnd, quint32 uID, quint32 uCallbackMessage,
                const QIcon& hIcon, const QString& tip);
int DeleteTrayIcon(NotifyIconService& shell, QObject* hWnd, quint32 uID);
