#include "app/program_icon_image.h"

#include <QPainter>

#include "app/appearance.h"

namespace {

// The paw of the window icon: the pad low on the left, the toes fanning out above it and to its
// right, in `painter`'s unit square scaled to `side`.
void drawPaw(QPainter& painter, double side, const QColor& colour) {
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.scale(side, side);
    painter.drawEllipse(QPointF(0.40, 0.64), 0.22, 0.22);
    struct Toe {
        QPointF centre;
        double angle;
    };
    const Toe toes[] = {{{0.43, 0.23}, -15.0}, {{0.62, 0.27}, 25.0}, {{0.73, 0.45}, 60.0}};
    for (const Toe& toe : toes) {
        painter.save();
        painter.translate(toe.centre);
        painter.rotate(toe.angle);
        painter.drawEllipse(QPointF(0, 0), 0.065, 0.095);
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
    drawPaw(painter, side * 0.9, QColor(110, 60, 30));
    return image;
}
