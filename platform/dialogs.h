// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <memory>
#include <optional>

class QWidget;

enum class MessageIcon { None, Critical, Question, Exclamation, Information };

// Modal message and input boxes. Every box the program shows has only an OK button, except the
// input box (OK and Cancel).
class Dialogs {
  public:
    virtual ~Dialogs() = default;
    virtual void message(QWidget* parent, const QString& prompt, MessageIcon icon,
                         const QString& title) = 0;
    // The text in the field for OK, nullopt for Cancel.
    virtual std::optional<QString> input(QWidget* parent, const QString& prompt,
                                         const QString& title, const QString& defaultText) = 0;

    // The program must end without a user (a signal, the session's end): every modal box that is
    // open is closed as if by Cancel, and from now on a box returns at once without showing, so
    // that no run waits on a box nobody may be there to answer.
    virtual void dismissAll() { m_dismissing = true; }
    bool dismissing() const { return m_dismissing; }

  private:
    bool m_dismissing = false;
};

std::unique_ptr<Dialogs> createQtDialogs();

// The program's texts break lines with CR LF, as its messages always have; Qt's widgets want a
// lone LF.
QString DisplayText(const QString& text);
