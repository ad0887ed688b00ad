// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QDialog>
#include <QPixmap>

class QLabel;
class QPushButton;
class QTimer;
struct Platform;

// The notice a collection run puts up when a page did not arrive because of the network. It looks
// like a system message box drawn by itself, its band naming what happened ("タイムアウト" until
// told otherwise), closes itself 3 seconds after it was made, and is dragged by its face.
class TimeoutNotice : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kTwipsPerPixel = 15;
    static constexpr int kAutoCloseMs = 3000;

    // The auto-close timer starts here.
    explicit TimeoutNotice(Platform& platform, QWidget* parent = nullptr);

    // Shows `message` in a fresh notice titled `title`, modally; returns when it has closed.
    static void showNotice(Platform& platform, QWidget* parent, const QString& title,
                           const QString& message);

    // The face: 313 x 122 pixels, a blue title band with a red close mark at its right end, a
    // beige body and a yellow warning triangle at the left.
    static QPixmap facePicture();

    void setMessage(const QString& message);
    // The band's text and the window's title. A title wider than the band's label reaches on
    // towards the close mark, in smaller letters where it would pass under it, and is cut short
    // with "…" where even those do not fit.
    void setTitle(const QString& title);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    Platform& m_platform;
    QPixmap m_face;
    QLabel* m_message;
    QLabel* m_title;  // on the band
    QPushButton* m_confirmButton;
    QLabel* m_closeSpot;  // invisible, over the close mark
    QTimer* m_autoCloseTimer;
};
