// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "app/timeout_notice.h"

#include <QFontInfo>
#include <QFontMetrics>
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
    constexpr int t = TimeoutNotice::kTwipsPerPixel;
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

TimeoutNotice::TimeoutNotice(Platform& platform, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      m_platform(platform),
      m_face(facePicture()) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("タイムアウト"));
    setFixedSize(twips(0, 0, 4680, 1815).size());

    m_title = transparentLabel(this, "Label2", QStringLiteral("タイムアウト"),
                               twips(240, 120, 1095, 255));
    QPalette white = m_title->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    m_title->setPalette(white);

    m_message = transparentLabel(this, "Label1", QString(), twips(960, 600, 3495, 735));
    m_message->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_confirmButton = new QPushButton(QStringLiteral("確認"), this);
    m_confirmButton->setObjectName(QStringLiteral("Command1"));
    m_confirmButton->setGeometry(twips(1560, 1320, 1455, 375));
    m_confirmButton->setAttribute(Qt::WA_NoMousePropagation);
    connect(m_confirmButton, &QPushButton::clicked, this, &QDialog::close);

    m_closeSpot = transparentLabel(this, "Label3", QString(), twips(4320, 0, 375, 375));
    m_closeSpot->installEventFilter(this);

    m_autoCloseTimer = new QTimer(this);
    m_autoCloseTimer->setObjectName(QStringLiteral("Timer1"));
    m_autoCloseTimer->setInterval(kAutoCloseMs);
    m_autoCloseTimer->setTimerType(Qt::PreciseTimer);
    connect(m_autoCloseTimer, &QTimer::timeout, this, &QDialog::close);
    m_autoCloseTimer->start();
}

void TimeoutNotice::setMessage(const QString& message) {
    m_message->setText(DisplayText(message));
}

void TimeoutNotice::setTitle(const QString& title) {
    setWindowTitle(title);
    const QRect band = twips(240, 120, 1095, 255);
    // Up to a few pixels short of the close spot.
    const int widest = twips(4320, 0, 0, 0).left() - 4 - band.left();
    // A long title takes a smaller letter, down to one still readable, before it is cut short.
    constexpr int kSmallestPixels = 9;
    QFont font = this->font();
    int wanted = QFontMetrics(font).horizontalAdvance(title);
    for (int pixels = QFontInfo(font).pixelSize() - 1; wanted > widest && pixels >= kSmallestPixels;
         --pixels) {
        font.setPixelSize(pixels);
        wanted = QFontMetrics(font).horizontalAdvance(title);
    }
    m_title->setFont(font);
    m_title->setGeometry(band.left(), band.top(), qBound(band.width(), wanted, widest),
                         band.height());
    m_title->setText(wanted > widest ? QFontMetrics(font).elidedText(title, Qt::ElideRight, widest)
                                     : title);
}

void TimeoutNotice::showNotice(Platform& platform, QWidget* parent, const QString& title,
                               const QString& message) {
    if (platform.dialogs->dismissing()) {
        return;
    }
    TimeoutNotice notice(platform, parent);
    notice.setTitle(title);
    notice.setMessage(message);
    notice.exec();
}

QPixmap TimeoutNotice::facePicture() {
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

void TimeoutNotice::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, m_face);
}

void TimeoutNotice::mouseMoveEvent(QMouseEvent* event) {
    if ((event->buttons() & Qt::LeftButton) && m_platform.windowDrag) {
        m_platform.windowDrag->DragWindow(this, event->globalPosition());
    }
}

bool TimeoutNotice::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_closeSpot && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton &&
            m_closeSpot->rect().contains(mouse->position().toPoint())) {
            close();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
