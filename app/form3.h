// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QWidget>

#include "platform/notify_icon.h"

class Form1;
class QAction;
class QMenu;

// The tray host: a window that stays hidden and owns the tray icon and its menu. A left press on
// the icon shows or hides the main window, a right press opens the menu.
class Form3 : public QWidget {
    Q_OBJECT
  public:
    // The icon's notifications arrive with this message number.
    static constexpr quint32 kCallbackMessage = WM_MOUSEMOVE;

    explicit Form3(Form1& form1);
    ~Form3() override;

    // Adds the tray icon with the main window's icon and caption.
    void Form_Load();
    // One mouse action over the icon (WM_LBUTTONDOWN, WM_RBUTTONDOWN, ...).
    void Form_MouseMove(quint32 mouseMessage);
    void MNU_VISIBLE_Click();
    void MNU_END_Click();

    QMenu* MNU_POPUP = nullptr;
    QAction* MNU_VISIBLE = nullptr;
    QAction* MNU_END = nullptr;

  protected:
    bool event(QEvent* event) override;

  private:
    Form1& m_form1;
};
