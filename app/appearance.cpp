// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "app/appearance.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QTransform>
#include <cmath>

namespace {

// Draws a paw into `painter`'s unit square scaled to `size`: the pad low on the left, the toes
// fanning out above it and to its right.
void drawPaw(QPainter& painter, const QSizeF& size, const QColor& colour) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.scale(size.width(), size.height());

    painter.drawEllipse(QPointF(0.40, 0.64), 0.22, 0.22);

    // Each toe leans by a fixed angle, its rotation worked out when the program is compiled, so
    // drawing the icon at start-up needs no trigonometry.
    struct Toe {
        QPointF centre;
        double cosine;
        double sine;
    };
    static constexpr auto toe = [](double x, double y, double degrees) {
        const double radians = degrees * 3.14159265358979323846 / 180.0;
        return Toe{{x, y}, std::cos(radians), std::sin(radians)};
    };
    static constexpr double kToeRadiusX = 0.065;
    static constexpr double kToeRadiusY = 0.095;
    // The long axis of each toe leans outwards like a real toe's.
    static constexpr Toe toes[] = {
        toe(0.43, 0.23, -15.0),
        toe(0.62, 0.27, 25.0),
        toe(0.73, 0.45, 60.0),
    };
    for (const Toe& t : toes) {
        painter.save();
        painter.setTransform(
            QTransform(t.cosine, t.sine, -t.sine, t.cosine, t.centre.x(), t.centre.y()), true);
        painter.drawEllipse(QPointF(0, 0), kToeRadiusX, kToeRadiusY);
        painter.restore();
    }
    painter.restore();
}

}  // namespace

QImage ProgramIconImage(int side) {
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(FrameColour());
    painter.drawEllipse(QRectF(0.5, 0.5, side - 1.0, side - 1.0));
    painter.translate(side * 0.08, side * 0.1);
    drawPaw(painter, QSizeF(side * 0.9, side * 0.9), QColor(110, 60, 30));
    return image;
}

QFont ProgramFont() {
    QFont font(QStringLiteral("IPAGothic"));
    font.setPixelSize(12);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QColor FrameColour() {
    return {255, 192, 128};
}

QColor NoteColour() {
    return {255, 0, 0};
}

QPalette ListPalette(QPalette palette) {
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::AlternateBase, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(120, 120, 120));
    palette.setColor(QPalette::Highlight, QColor(48, 140, 198));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    return palette;
}

QPalette PanelPalette(QPalette palette) {
    palette.setColor(QPalette::Window, FrameColour());
    palette.setColor(QPalette::WindowText, Qt::black);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(120, 120, 120));
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(120, 120, 120));
    return palette;
}

QPalette PanelButtonPalette(QPalette palette) {
    palette = PanelPalette(palette);
    palette.setColor(QPalette::Button, FrameColour());
    palette.setColor(QPalette::ButtonText, Qt::black);
    return palette;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int side : {16, 22, 24, 32, 48}) {
        icon.addPixmap(QPixmap::fromImage(ProgramIconImage(side)));
    }
    return icon;
}

QImage PawPrintPicture() {
    QImage image(424, 300, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    // The paw keeps its proportions: a square of the picture's height, a little right of centre.
    const double side = image.height();
    painter.translate((image.width() - side) / 2.0 + 10.0, 0.0);
    drawPaw(painter, QSizeF(side, side), QColor(225, 225, 225));
    return image;
}
