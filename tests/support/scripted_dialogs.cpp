// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "tests/support/scripted_dialogs.h"

void ScriptedDialogs::message(QWidget*, const QString& prompt, MessageIcon icon,
                              const QString& title) {
    messages.push_back({prompt, icon, title});
    if (whileMessageShown) {
        whileMessageShown(messages.back());
    }
}

std::optional<QString> ScriptedDialogs::input(QWidget*, const QString& prompt, const QString& title,
                                              const QString& defaultText) {
    inputs.push_back({prompt, title, defaultText});
    if (whileInputShown) {
        whileInputShown(inputs.back());
    }
    if (inputAnswers.empty()) {
        return std::nullopt;
    }
    const bool answered = inputAnswers.front().has_value();
    const QString text = inputAnswers.front().value_or(QString());
    inputAnswers.pop_front();
    if (!answered) {
        return std::nullopt;
    }
    return text;
}
