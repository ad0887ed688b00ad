// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "app/up_down.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStyleOption>
#include <QStylePainter>

#include "platform/conversions.h"
#include "platform/runtime_error.h"

namespace {
constexpr int kFirstRepeatMs = 400;
constexpr int kRepeatMs = 60;
}  // namespace

UpDown::UpDown(QWidget* parent) : QWidget(parent) {
    // Reached with Tab and stepped with the arrow keys; a click leaves the focus in the box.
    setFocusPolicy(Qt::TabFocus);
    connect(&m_repeat, &QTimer::timeout, this, &UpDown::repeat);
}

void UpDown::setValue(int value) {
    m_value = std::clamp(value, m_min, m_max);
}

void UpDown::setRange(int min, int max) {
    m_min = std::min(min, max);
    m_max = std::max(min, max);
    setValue(m_value);
}

void UpDown::step(int delta) {
    if (m_buddy) {
        try {
            const qint32 typed = ToInt32(m_buddy->text());
            if (typed >= m_min && typed <= m_max) {
                m_value = typed;
            }
        } catch (const RuntimeError&) {
            // A box that does not hold a number steps from the control's own value.
        }
    }
    const int next = std::clamp(m_value + delta, m_min, m_max);
    if (next == m_value) {
        return;
    }
    m_value = next;
    if (m_buddy) {
        m_buddy->setText(QString::number(m_value));
    }
    Q_EMIT Change();
}

void UpDown::repeat() {
    // A message box that opened in between took the button's release.
    if (m_pressed == Arrow::None || !(QApplication::mouseButtons() & Qt::LeftButton)) {
        m_pressed = Arrow::None;
        m_repeat.stop();
        update();
        return;
    }
    m_repeat.setInterval(kRepeatMs);
    step(m_pressed == Arrow::Up ? +1 : -1);
}

UpDown::Arrow UpDown::arrowAt(const QPoint& pos) const {
    if (!rect().contains(pos)) {
        return Arrow::None;
    }
    return pos.y() < height() / 2 ? Arrow::Up : Arrow::Down;
}

QRect UpDown::arrowRect(Arrow arrow) const {
    const int half = height() / 2;
    return arrow == Arrow::Up ? QRect(0, 0, width(), half)
                              : QRect(0, half, width(), height() - half);
}

void UpDown::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressed = arrowAt(event->position().toPoint());
    if (m_pressed == Arrow::None) {
        return;
    }
    update();
    step(m_pressed == Arrow::Up ? +1 : -1);
    m_repeat.start(kFirstRepeatMs);
}

void UpDown::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_pressed = Arrow::None;
        m_repeat.stop();
        update();
    }
    QWidget::mouseReleaseEvent(event);
}

void UpDown::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Up) {
        stepUp();
    } else if (event->key() == Qt::Key_Down) {
        stepDown();
    } else {
        QWidget::keyPressEvent(event);
    }
}

void UpDown::hideEvent(QHideEvent* event) {
    m_pressed = Arrow::None;
    m_repeat.stop();
    QWidget::hideEvent(event);
}

void UpDown::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    for (Arrow arrow : {Arrow::Up, Arrow::Down}) {
        QStyleOptionButton panel;
        panel.initFrom(this);
        panel.rect = arrowRect(arrow);
        panel.state |= m_pressed == arrow ? QStyle::State_Sunken : QStyle::State_Raised;
        painter.drawPrimitive(QStyle::PE_PanelButtonBevel, panel);

        QStyleOption indicator;
        indicator.initFrom(this);
        indicator.rect = panel.rect.adjusted(3, 2, -3, -2);
        if (!isEnabled()) {
            indicator.state &= ~QStyle::State_Enabled;
        }
        painter.drawPrimitive(
            arrow == Arrow::Up ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown,
            indicator);
    }
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}
