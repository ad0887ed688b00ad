// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QWidget>

#include "platform/notify_icon.h"

class MainWindow;
class QAction;
class QMenu;
struct Platform;

// The tray host: a window that stays hidden and owns the tray icon's menu. A left press on the
// icon shows or hides the main window, a right press opens the menu.
class TrayHost : public QWidget {
    Q_OBJECT
  public:
    TrayHost(Platform& platform, MainWindow& window);
    ~TrayHost() override;

    // The icon's tip: `caption` cut to the 63 bytes of CP932 the tip has always had room for,
    // never inside a double-byte character.
    static QString tipFor(const QString& caption);

    // Puts the icon into the tray with the main window's icon and caption.
    void showIcon();
    void removeIcon();

    // Shows the main window, restored, when it is hidden, and hides it otherwise.
    void toggleWindow();
    // A real exit, which ×で最小化 does not turn into a minimise.
    void exitProgram();
    // The main window came to the front by other means: the menu entry offers to hide it.
    void windowBroughtToFront();

  private:
    void onActivated(TrayIcon::Activation activation);

    Platform& m_platform;
    MainWindow& m_window;
    QMenu* m_menu = nullptr;
    QAction* m_visibilityAction = nullptr;
};
