// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QByteArray>
#include <QString>

// Whole files, as the tests put them down and read them back.

// The file's bytes, or "<missing>" when it cannot be read, so that a missing file never passes
// for an empty one.
QByteArray readBytes(const QString& path);

// Writes `bytes` as the whole file; fails the running test when it cannot.
void writeBytes(const QString& path, const QByteArray& bytes);
