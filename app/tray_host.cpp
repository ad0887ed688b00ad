// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "app/tray_host.h"

#include <QCursor>
#include <QMenu>

#include "app/appearance.h"
#include "app/history_commands.h"
#include "platform/platform.h"
#include "platform/text_codec.h"

namespace {
constexpr qsizetype kTipBytes = 63;
}  // namespace

TrayHost::TrayHost(Platform& platform, HistoryCommands& history)
    : QWidget(nullptr, Qt::Tool), m_platform(platform) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("起動中..."));
    setFont(ProgramFont());
    resize(TwipsToPixels(3000), TwipsToPixels(900));

    m_menu = new QMenu(QStringLiteral("ポップアップメニュー"), this);
    m_menu->setObjectName(QStringLiteral("MNU_POPUP"));
    m_menu->setFont(ProgramFont());
    m_visibilityAction = m_menu->addAction(QStringLiteral("非表示(&V)"));
    m_visibilityAction->setObjectName(QStringLiteral("MNU_VISIBLE"));
    connect(m_visibilityAction, &QAction::triggered, this, &TrayHost::toggleWindow);
    // "足あとグラフ(&G)" and the tick "新しい足あとを通知(&N)" belong to the history's commands.
    m_menu->addAction(history.chartAction());
    m_menu->addAction(history.notifyAction());
    m_menu->addSeparator();
    QAction* exitAction = m_menu->addAction(QStringLiteral("終了(&E)"));
    exitAction->setObjectName(QStringLiteral("MNU_END"));
    connect(exitAction, &QAction::triggered, this, &TrayHost::exitProgram);

    connect(m_platform.trayIcon.get(), &TrayIcon::activated, this, &TrayHost::onActivated);
    // The desktop's notification service shows the notice, tray or not; the icon's own balloon
    // only where no service takes it.
    history.setNoticeShower([this](const QString& text) {
        if (m_platform.notices) {
            m_platform.notices->show(QStringLiteral("Kestrelview"), text);
        } else {
            m_platform.trayIcon->showMessage(QStringLiteral("Kestrelview"), text);
        }
    });
    if (m_platform.notices) {
        connect(m_platform.notices.get(), &DesktopNotices::undelivered, this,
                [this](const QString& summary, const QString& body) {
                    m_platform.trayIcon->showMessage(summary, body);
                });
    }
}

TrayHost::~TrayHost() = default;

QString TrayHost::tipFor(const QString& caption) {
    return TruncateToCp932Bytes(caption, kTipBytes);
}

void TrayHost::showIcon(const QIcon& icon, const QString& caption) {
    // Nobody acts on the outcome: a desktop without a notification area simply shows no icon.
    m_platform.trayIcon->show(icon, tipFor(caption));
}

void TrayHost::removeIcon() {
    m_platform.trayIcon->hide();
}

void TrayHost::onActivated(TrayIcon::Activation activation) {
    switch (activation) {
        case TrayIcon::Activation::LeftPress:
            toggleWindow();
            break;
        case TrayIcon::Activation::RightPress:
            m_menu->popup(QCursor::pos());
            break;
        case TrayIcon::Activation::DoubleClick:
        case TrayIcon::Activation::MiddlePress:
            break;
    }
}

void TrayHost::toggleWindow() {
    if (m_windowVisible) {
        Q_EMIT hideRequested();
    } else {
        Q_EMIT showRequested();
    }
}

void TrayHost::exitProgram() {
    Q_EMIT exitRequested();
}

void TrayHost::setWindowShown(bool shown) {
    m_windowVisible = shown;
    m_visibilityAction->setText(shown ? QStringLiteral("非表示") : QStringLiteral("表示"));
}
