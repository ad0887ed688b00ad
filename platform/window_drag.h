// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QPointF>
#include <memory>

class QWidget;

// Moving a window without a title bar by its face: called from a mouse move with the left button
// held, it hands the window to the window manager's move, as a press on a title bar would. Where
// the window manager refuses, the window follows the mouse itself until the button is released.
class WindowDrag {
  public:
    virtual ~WindowDrag() = default;
    virtual void DragWindow(QWidget* window, QPointF globalPosition) = 0;
};

std::unique_ptr<WindowDrag> createQtWindowDrag();
