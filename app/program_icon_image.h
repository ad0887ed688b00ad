#pragma once

#include <QImage>

// The program's paw-print icon drawn at any size, as the window and the tray show it, for the
// icon files the desktop's menus and launchers use.
QImage ProgramIconImage(int side);
