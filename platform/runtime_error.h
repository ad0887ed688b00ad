// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <exception>
#include <string>

// A run-time failure that a caller's error trap reports with its number and description, the way
// the program's messages have always shown them.
class RuntimeError : public std::exception {
  public:
    RuntimeError(int number, QString description);

    int number() const { return m_number; }
    const QString& description() const { return m_description; }
    const char* what() const noexcept override { return m_what.c_str(); }

    static RuntimeError invalidCall();          // 5
    static RuntimeError overflow();             // 6
    static RuntimeError subscriptOutOfRange();  // 9
    static RuntimeError typeMismatch();         // 13
    static RuntimeError fileNotFound();         // 53
    static RuntimeError permissionDenied();     // 70
    static RuntimeError badFileName();          // 75

  private:
    int m_number;
    QString m_description;
    std::string m_what;
};
