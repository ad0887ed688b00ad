// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QPushButton>

// A push button whose caption wraps onto further lines where the button is tall enough. Where
// only one line fits, a caption a little too wide is set closer together rather than cut at both
// ends.
class CaptionButton : public QPushButton {
    Q_OBJECT
  public:
    explicit CaptionButton(const QString& caption, QWidget* parent = nullptr);

    // The lines the caption is drawn in at the button's present size.
    QStringList captionLines() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    struct Layout {
        QFont font;
        QStringList lines;
    };
    Layout layOut() const;
    QRect captionArea() const;
};
