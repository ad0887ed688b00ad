// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

#include "platform/dialogs.h"

namespace {

QMessageBox::Icon toQt(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Critical:
            return QMessageBox::Critical;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

class QtDialogs final : public Dialogs {
  public:
    void dismissAll() override {
        Dialogs::dismissAll();
        // Message and input boxes, and the program's own modal notices.
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<QDialog*>(widget);
            if (dialog && dialog->isVisible() && dialog->isModal()) {
                dialog->reject();
            }
        }
    }
    void message(QWidget* parent, const QString& prompt, MessageIcon icon,
                 const QString& title) override {
        if (dismissing()) {
            return;
        }
        QMessageBox box(toQt(icon), title, DisplayText(prompt), QMessageBox::Ok, parent);
        box.exec();
    }
    std::optional<QString> input(QWidget* parent, const QString& prompt, const QString& title,
                                 const QString& defaultText) override {
        if (dismissing()) {
            return std::nullopt;
        }
        QInputDialog dialog(parent);
        dialog.setWindowTitle(title);
        dialog.setLabelText(DisplayText(prompt));
        dialog.setTextValue(defaultText);
        if (dialog.exec() != QDialog::Accepted) {
            return std::nullopt;
        }
        return dialog.textValue();
    }
};

}  // namespace

QString DisplayText(const QString& text) {
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return shown;
}

std::unique_ptr<Dialogs> createQtDialogs() {
    return std::make_unique<QtDialogs>();
}
