// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QTimer>
#include <QWidget>

// An up-down control: two arrows that step a number within [Min, Max] and write it into their
// buddy text box. The box stays a plain text box that keeps whatever is typed into it; stepping
// starts from the number the box holds when it reads as one within the range, else from the
// control's own value.
class UpDown : public QWidget {
    Q_OBJECT
  public:
    explicit UpDown(QWidget* parent = nullptr);

    int Value() const { return m_value; }
    // Clamped to [Min, Max]; does not touch the buddy.
    void setValue(int value);
    int Min() const { return m_min; }
    int Max() const { return m_max; }
    void setRange(int min, int max);
    void setBuddy(QLineEdit* buddy) { m_buddy = buddy; }
    QLineEdit* buddy() const { return m_buddy; }

    // One step up or down, as a click on an arrow does.
    void stepUp() { step(+1); }
    void stepDown() { step(-1); }

    QSize sizeHint() const override { return {17, 17}; }

  Q_SIGNALS:
    // The value changed by a step (after the buddy was rewritten).
    void Change();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // Up and Down step as the arrows do.
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    enum class Arrow { None, Up, Down };
    void step(int delta);
    void repeat();
    Arrow arrowAt(const QPoint& pos) const;
    QRect arrowRect(Arrow arrow) const;

    int m_value = 0;
    int m_min = 0;
    int m_max = 100;
    QPointer<QLineEdit> m_buddy;
    Arrow m_pressed = Arrow::None;
    QTimer m_repeat;
};
