// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "app/caption_button.h"

#include <QFontMetrics>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QTextLayout>

CaptionButton::CaptionButton(const QString& caption, QWidget* parent)
    : QPushButton(caption, parent) {}

QRect CaptionButton::captionArea() const {
    return rect().adjusted(2, 1, -2, -1);
}

CaptionButton::Layout CaptionButton::layOut() const {
    Layout result{font(), {}};
    const QString caption = text();
    const QRect area = captionArea();
    const QFontMetrics metrics(result.font);
    const int maxLines = std::max(1, area.height() / std::max(1, metrics.lineSpacing()));

    // Break where the text allows (between Japanese characters, at blanks), as many lines as fit.
    if (maxLines > 1 && metrics.horizontalAdvance(caption) > area.width()) {
        QTextLayout layout(caption, result.font);
        QTextOption option(Qt::AlignCenter);
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(area.width());
            if (result.lines.size() == maxLines - 1) {
                result.lines.append(caption.mid(line.textStart()));
                break;
            }
            result.lines.append(caption.mid(line.textStart(), line.textLength()));
        }
        layout.endLayout();
        return result;
    }

    // One line: close up the letters by up to one pixel each before giving up on the ends.
    const int excess = metrics.horizontalAdvance(caption) - area.width();
    if (excess > 0 && caption.size() > 1) {
        const int squeeze =
            std::min(1, (excess + int(caption.size()) - 2) / int(caption.size() - 1));
        result.font.setLetterSpacing(QFont::AbsoluteSpacing, -squeeze);
    }
    result.lines.append(caption);
    return result;
}

QStringList CaptionButton::captionLines() const {
    return layOut().lines;
}

void CaptionButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    painter.drawControl(QStyle::CE_PushButton, option);

    const Layout layout = layOut();
    QRect area = captionArea();
    if (isDown() || isChecked()) {
        area.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                       style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
    }
    painter.setFont(layout.font);
    painter.drawItemText(area, Qt::AlignCenter | Qt::TextShowMnemonic, palette(), isEnabled(),
                         layout.lines.join(u'\n'), QPalette::ButtonText);
}
