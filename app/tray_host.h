// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QWidget>

#include "platform/notify_icon.h"

class HistoryCommands;
class QAction;
class QIcon;
class QMenu;
struct Platform;

// The tray host: a window that stays hidden and owns the tray icon's menu. A left press on the
// icon or the menu's 表示/非表示 asks for the main window to be shown or hidden, the menu's 終了
// asks for the program's end; a right press opens the menu. The main window acts on what it
// asks and tells it whether it is shown.
class TrayHost : public QWidget {
    Q_OBJECT
  public:
    TrayHost(Platform& platform, HistoryCommands& history);
    ~TrayHost() override;

    // The icon's tip: `caption` cut to the 63 bytes of CP932 the tip has always had room for,
    // never inside a double-byte character.
    static QString tipFor(const QString& caption);

    // Puts the icon into the tray with the main window's icon and caption.
    void showIcon(const QIcon& icon, const QString& caption);
    void removeIcon();

    // Asks for the main window to be shown when it is hidden and hidden otherwise.
    void toggleWindow();
    // Asks for a real exit, which ×で最小化 does not turn into a minimise.
    void exitProgram();
    // The main window has been shown or hidden, by any means; the menu entry stays as it was.
    void setWindowVisible(bool visible) { m_windowVisible = visible; }
    // The main window has been shown or hidden for the tray, or brought to the front: the menu
    // entry offers the other.
    void setWindowShown(bool shown);

  Q_SIGNALS:
    void showRequested();
    void hideRequested();
    // Connected directly: the program lifecycle decides at once, while a page may be waiting in
    // a nested event loop.
    void exitRequested();

  private:
    void onActivated(TrayIcon::Activation activation);

    Platform& m_platform;
    bool m_windowVisible = false;
    QMenu* m_menu = nullptr;
    QAction* m_visibilityAction = nullptr;
};
