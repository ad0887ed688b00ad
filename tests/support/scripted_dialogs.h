// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QString>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "platform/dialogs.h"

// Message and input boxes that record what they were asked to show and answer from a script.
class ScriptedDialogs final : public Dialogs {
  public:
    struct Message {
        QString prompt;
        MessageIcon icon;
        QString title;
    };
    struct Input {
        QString prompt;
        QString title;
        QString defaultText;
    };

    void message(QWidget* parent, const QString& prompt, MessageIcon icon,
                 const QString& title) override;
    std::optional<QString> input(QWidget* parent, const QString& prompt, const QString& title,
                                 const QString& defaultText) override;

    std::vector<Message> messages;
    std::vector<Input> inputs;
    // Answers for the input boxes, first first; nullopt is Cancel. With no answer left, Cancel.
    std::deque<std::optional<QString>> inputAnswers;
    // Runs while a message box is "open", before it is closed with OK.
    std::function<void(const Message&)> whileMessageShown;
    // Runs while an input box is "open", before it is answered.
    std::function<void(const Input&)> whileInputShown;
};
