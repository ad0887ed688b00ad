// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QSystemTrayIcon>
#include <optional>

#include "platform/notify_icon.h"

namespace {

std::optional<TrayIcon::Activation> activationFor(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::Trigger:
            return TrayIcon::Activation::LeftPress;
        case QSystemTrayIcon::Context:
            return TrayIcon::Activation::RightPress;
        case QSystemTrayIcon::DoubleClick:
            return TrayIcon::Activation::DoubleClick;
        case QSystemTrayIcon::MiddleClick:
            return TrayIcon::Activation::MiddlePress;
        case QSystemTrayIcon::Unknown:
            break;
    }
    return std::nullopt;
}

class QtTrayIcon final : public TrayIcon {
  public:
    bool show(const QIcon& icon, const QString& tip) override {
        if (!m_icon) {
            // A child of this object, which is where tests and tools find it.
            m_icon = new QSystemTrayIcon(this);
            m_icon->setObjectName(QStringLiteral("NotifyIcon0"));
            connect(m_icon, &QSystemTrayIcon::activated, this,
                    [this](QSystemTrayIcon::ActivationReason reason) {
                        if (const auto activation = activationFor(reason)) {
                            Q_EMIT activated(*activation);
                        }
                    });
        }
        m_icon->setIcon(icon);
        m_icon->setToolTip(tip);
        // Qt puts the icon into a notification area that appears later on its own.
        m_icon->show();
        return QSystemTrayIcon::isSystemTrayAvailable();
    }

    void setTip(const QString& tip) override {
        if (m_icon) {
            m_icon->setToolTip(tip);
        }
    }

    void hide() override {
        delete m_icon;
        m_icon = nullptr;
    }

    bool available() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }

    void showMessage(const QString& title, const QString& text) override {
        if (m_icon) {
            m_icon->showMessage(title, text, QSystemTrayIcon::Information);
        }
    }

  private:
    QSystemTrayIcon* m_icon = nullptr;
};

}  // namespace

std::unique_ptr<TrayIcon> createQtTrayIcon() {
    return std::make_unique<QtTrayIcon>();
}
