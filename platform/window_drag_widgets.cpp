// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include "platform/window_drag.h"

namespace {

// Follows the mouse with the window from the first move on, until the left button comes up.
class ManualMove final : public QObject {
  public:
    ManualMove(QWidget* window, QPointF globalPosition)
        : QObject(window), m_window(window), m_last(globalPosition), m_target(window->pos()) {
        m_window->installEventFilter(this);
        m_window->grabMouse();
    }
    ~ManualMove() override {
        if (m_window) {
            m_window->releaseMouse();
        }
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != m_window) {
            return false;
        }
        if (event->type() == QEvent::MouseMove) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (!(mouse->buttons() & Qt::LeftButton)) {
                deleteLater();
                return false;
            }
            const QPointF now = mouse->globalPosition();
            // The window's own position may lag behind its moves; keep count here.
            m_target += (now - m_last).toPoint();
            m_window->move(m_target);
            m_last = now;
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            deleteLater();
        }
        return false;
    }

  private:
    QPointer<QWidget> m_window;
    QPointF m_last;
    QPoint m_target;
};

class QtWindowDrag final : public WindowDrag {
  public:
    void DragWindow(QWidget* window, QPointF globalPosition) override {
        if (window == nullptr) {
            return;
        }
        window = window->window();
        if (m_following && m_following->parent() == window) {
            return;  // already following the mouse
        }
        QWindow* handle = window->windowHandle();
        if (handle != nullptr && handle->startSystemMove()) {
            return;
        }
        m_following = new ManualMove(window, globalPosition);
    }

  private:
    QPointer<ManualMove> m_following;
};

}  // namespace

std::unique_ptr<WindowDrag> createQtWindowDrag() {
    return std::make_unique<QtWindowDrag>();
}
