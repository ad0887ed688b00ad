// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <vector>

#include "platform/notify_icon.h"

// A tray icon that only remembers what it shows; the notification area exists unless the test
// says otherwise. Tests press on it with `activated`.
class FakeTrayIcon final : public TrayIcon {
  public:
    bool show(const QIcon& icon, const QString& tip) override {
        shown = true;
        this->icon = icon;
        this->tip = tip;
        ++showCount;
        return isAvailable;
    }
    void setTip(const QString& tip) override { this->tip = tip; }
    void hide() override {
        if (shown) {
            ++hideCount;
        }
        shown = false;
    }
    bool available() const override { return isAvailable; }
    void showMessage(const QString& title, const QString& text) override {
        if (shown) {
            messages.push_back(title + u':' + text);
        }
    }

    bool isAvailable = true;
    bool shown = false;
    QIcon icon;
    QString tip;
    int showCount = 0;
    int hideCount = 0;
    std::vector<QString> messages;
};
