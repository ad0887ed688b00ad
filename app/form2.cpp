// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "app/form2.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QTimer>

#include "platform/dialogs.h"
#include "platform/platform.h"
#include "platform/window_drag.h"

namespace {

QRect twips(int left, int top, int width, int height) {
    constexpr int t = Form2::kTwipsPerPixel;
    return QRect(left / t, top / t, width / t, height / t);
}

QLabel* transparentLabel(QWidget* parent, const char* name, const QString& text, QRect rect) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(rect);
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->setAutoFillBackground(false);
    // Only the uncovered face drags the window.
    label->setAttribute(Qt::WA_NoMousePropagation);
    return label;
}

}  // namespace

Form2::Form2(Platform& platform, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      m_platform(platform),
      m_face(facePicture()) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("タイムアウト"));
    setFixedSize(twips(0, 0, 4680, 1815).size());

    Label2 = transparentLabel(this, "Label2", QStringLiteral("タイムアウト"),
                              twips(240, 120, 1095, 255));
    QPalette white = Label2->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    Label2->setPalette(white);

    Label1 = transparentLabel(this, "Label1", QString(), twips(960, 600, 3495, 735));
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Command1 = new QPushButton(QStringLiteral("確認"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(twips(1560, 1320, 1455, 375));
    Command1->setAttribute(Qt::WA_NoMousePropagation);
    connect(Command1, &QPushButton::clicked, this, &QDialog::close);

    Label3 = transparentLabel(this, "Label3", QString(), twips(4320, 0, 375, 375));
    Label3->installEventFilter(this);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kAutoCloseMs);
    Timer1->setTimerType(Qt::PreciseTimer);
    connect(Timer1, &QTimer::timeout, this, &QDialog::close);
    Timer1->start();
}

void Form2::ShowNotice(Platform& platform, QWidget* parent, const QString& message) {
    Form2 notice(platform, parent);
    notice.Label1->setText(DisplayText(message));
    notice.exec();
}

QPixmap Form2::facePicture() {
    QPixmap face(313, 122);
    face.fill(QColor(236, 233, 216));  // beige body
    QPainter p(&face);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient band(0, 0, 313, 0);
    band.setColorAt(0, QColor(0, 84, 227));
    band.setColorAt(1, QColor(61, 149, 255));
    p.fillRect(QRect(0, 0, 313, 25), band);

    // The close mark sits under the invisible close spot at the band's right end.
    const QRectF closeMark(290.5, 2.5, 20, 20);
    p.setPen(QPen(Qt::white, 1));
    p.setBrush(QColor(224, 67, 42));
    p.drawRoundedRect(closeMark, 3, 3);
    p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(closeMark.topLeft() + QPointF(6, 6), closeMark.bottomRight() - QPointF(6, 6));
    p.drawLine(closeMark.topRight() + QPointF(-6, 6), closeMark.bottomLeft() + QPointF(6, -6));

    // The frame of a message box around the body.
    p.setPen(QPen(QColor(0, 60, 170), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(1, 1, 311, 120));

    QPainterPath triangle;
    triangle.moveTo(36, 38);
    triangle.lineTo(56, 74);
    triangle.lineTo(16, 74);
    triangle.closeSubpath();
    p.setPen(QPen(QColor(40, 40, 40), 1.5));
    p.setBrush(QColor(255, 214, 0));
    p.drawPath(triangle);
    QFont mark = p.font();
    mark.setBold(true);
    mark.setPixelSize(20);
    p.setFont(mark);
    p.setPen(QColor(20, 20, 20));
    p.drawText(QRectF(16, 46, 40, 28), Qt::AlignCenter, QStringLiteral("!"));
    return face;
}

void Form2::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, m_face);
}

void Form2::mouseMoveEvent(QMouseEvent* event) {
    if ((event->buttons() & Qt::LeftButton) && m_platform.windowDrag) {
        m_platform.windowDrag->DragWindow(this, event->globalPosition());
    }
}

bool Form2::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label3 && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            Label3->rect().contains(mouse->position().toPoint())) {
            close();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
