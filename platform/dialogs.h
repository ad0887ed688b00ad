// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <memory>
#include <optional>

class QWidget;

enum class MsgBoxIcon { None, Critical, Question, Exclamation, Information };

// Modal message and input boxes. Every box the program shows has only an OK button, except the
// input box (OK and Cancel).
class Dialogs {
  public:
    virtual ~Dialogs() = default;
    virtual void MsgBox(QWidget* parent, const QString& prompt, MsgBoxIcon icon,
                        const QString& title) = 0;
    // The text in the field for OK, nullopt for Cancel.
    virtual std::optional<QString> InputBox(QWidget* parent, const QString& prompt,
                                            const QString& title, const QString& defaultText) = 0;
};

std::unique_ptr<Dialogs> createQtDialogs();

// The program's texts break lines with CR LF, as its messages always have; Qt's widgets want a
// lone LF.
QString DisplayText(const QString& text);
