// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QStringView>
#include <QtGlobal>
#include <optional>

// Number texts as the program's files, pages and input boxes hold them.

// The text without the blanks (spaces, tabs) around it.
QStringView TrimBlanks(QStringView text);

// A whole number: blanks (space, tab) around it, an optional sign and ASCII decimal digits.
// Throws RuntimeError::typeMismatch() for anything else and RuntimeError::overflow() when the
// value does not fit in 32 bits.
qint32 ToInt32(QStringView text);

// A decimal number: blanks around it, an optional sign, digits with an optional fraction
// ("2", "-3", "2.5", ".5", "7."). Exponents, thousands separators and other digit forms are not
// numbers here.
std::optional<double> ParseDecimal(QStringView text);

// Rounds to the nearest whole number, a half to the even neighbour; nullopt when the result lies
// outside [min, max].
std::optional<qint64> RoundHalfEven(double value, qint64 min, qint64 max);
