// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QDateTime>
#include <QString>

// Reads a visit-time text ("2009年01月07日 22:19", or the same with slashes, with or without
// leading zeros and seconds) into a date and time for comparison. Throws
// RuntimeError::typeMismatch() for anything else, an empty text included.
QDateTime ParseVisitTime(const QString& text);
