// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "app/form3.h"

#include <QCursor>
#include <QMenu>

#include "app/appearance.h"
#include "app/form1.h"
#include "app/tray_icon.h"
#include "platform/platform.h"

Form3::Form3(Form1& form1) : QWidget(nullptr, Qt::Tool), m_form1(form1) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("起動中..."));
    setFont(ProgramFont());
    resize(TwipsToPixels(3000), TwipsToPixels(900));

    MNU_POPUP = new QMenu(QStringLiteral("ポップアップメニュー"), this);
    MNU_POPUP->setObjectName(QStringLiteral("MNU_POPUP"));
    MNU_POPUP->setFont(ProgramFont());
    MNU_VISIBLE = MNU_POPUP->addAction(QStringLiteral("非表示(&V)"));
    MNU_VISIBLE->setObjectName(QStringLiteral("MNU_VISIBLE"));
    MNU_END = MNU_POPUP->addAction(QStringLiteral("終了(&E)"));
    MNU_END->setObjectName(QStringLiteral("MNU_END"));
    connect(MNU_VISIBLE, &QAction::triggered, this, &Form3::MNU_VISIBLE_Click);
    connect(MNU_END, &QAction::triggered, this, &Form3::MNU_END_Click);
}

Form3::~Form3() = default;

void Form3::Form_Load() {
    AddTrayIcon(*m_form1.platform().notifyIcon, this, 0, kCallbackMessage, m_form1.windowIcon(),
                m_form1.windowTitle());
}

bool Form3::event(QEvent* event) {
    if (event->type() == TrayNotifyEvent::eventType()) {
        const auto* notification = static_cast<TrayNotifyEvent*>(event);
        if (notification->callbackMessage() == kCallbackMessage && notification->iconId() == 0) {
            Form_MouseMove(notification->mouseMessage());
        }
        return true;
    }
    return QWidget::event(event);
}

void Form3::Form_MouseMove(quint32 mouseMessage) {
    switch (mouseMessage) {
        case WM_LBUTTONDOWN:
            MNU_VISIBLE_Click();
            break;
        case WM_RBUTTONDOWN:
            MNU_POPUP->popup(QCursor::pos());
            break;
        default:
            break;
    }
}

void Form3::MNU_VISIBLE_Click() {
    if (!m_form1.isVisible()) {
        m_form1.setWindowState(Qt::WindowNoState);
    }
    m_form1.platform().clock->DoEvents();
    m_form1.setVisible(!m_form1.isVisible());
    MNU_VISIBLE->setText(m_form1.isVisible() ? QStringLiteral("非表示") : QStringLiteral("表示"));
}

void Form3::MNU_END_Click() {
    m_form1.QuitRequested = true;
    m_form1.close();
}
