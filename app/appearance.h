// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QPalette>
#include <QRect>

// The program's look: its font, colours, icon and the ranking list's background picture.

// Window layouts are measured in twips, 15 to a logical pixel.
constexpr int TwipsToPixels(int twips) {
    return twips / 15;
}
constexpr QRect TwipsRect(int left, int top, int width, int height) {
    return {TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height)};
}

// IPAGothic at 9 points, fixed at 12 pixels so that text keeps its size against the twip layout
// whatever DPI the display reports (Qt scales both together on high-DPI screens).
QFont ProgramFont();

// Background of the frames, check boxes and option buttons.
QColor FrameColour();
// Text of the notes at the bottom of the main window.
QColor NoteColour();

// The ranking list's own colours on top of `palette`: dark text on the white paw-print picture
// and its blue selection, which a dark desktop theme must not turn into light text on white.
QPalette ListPalette(QPalette palette);
// The orange frames' colours on top of `palette`: dark labels on orange and white boxes with dark
// text. Roles a button uses are left to the theme, so the push buttons on the frames keep its look.
QPalette PanelPalette(QPalette palette);
// For the check boxes and option buttons on the orange frames: their button roles too.
QPalette PanelButtonPalette(QPalette palette);

// The paw print that stands for the program in the title bar and the tray.
QIcon ProgramIcon();
// The same paw-print icon at any size, for the icon files the desktop's menus use.
QImage ProgramIconImage(int side);

// 424 x 300: a light-grey paw print (one large round pad, three oval toe pads above it and to its
// right) on white.
QImage PawPrintPicture();
