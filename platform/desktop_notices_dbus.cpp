// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QTimer>
#include <QVariantMap>

#include "platform/desktop_notices.h"

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
// A service that has not answered by then is taken for none; the tray's balloon shows instead.
constexpr int kReplyTimeoutMs = 5000;

class DBusDesktopNotices final : public DesktopNotices {
  public:
    explicit DBusDesktopNotices(const QDBusConnection& bus) : m_bus(bus) {}

    void show(const QString& summary, const QString& body) override {
        if (!m_bus.isConnected()) {
            QTimer::singleShot(0, this,
                               [this, summary, body] { Q_EMIT undelivered(summary, body); });
            return;
        }
        // Whether the body is read as markup decides how a name with "&" or "<" must be sent.
        const QDBusMessage capabilities = QDBusMessage::createMethodCall(
            kService, kPath, kInterface, QStringLiteral("GetCapabilities"));
        whenAnswered(m_bus.asyncCall(capabilities, kReplyTimeoutMs), summary, body,
                     [this, summary, body](const QDBusMessage& reply) {
                         const QStringList offered = reply.arguments().value(0).toStringList();
                         notify(summary,
                                offered.contains(QStringLiteral("body-markup"))
                                    ? NoticeBodyMarkup(body)
                                    : body,
                                body);
                     });
    }

  private:
    void notify(const QString& summary, const QString& sentBody, const QString& body) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
        const QString id = QString::fromUtf16(kApplicationId);
        const QVariantMap hints{{QStringLiteral("desktop-entry"), id}};
        call << QStringLiteral("Kestrelview") << uint(0) << id << summary << sentBody
             << QStringList() << hints << qint32(-1);
        whenAnswered(m_bus.asyncCall(call, kReplyTimeoutMs), summary, body,
                     [](const QDBusMessage&) {});
    }

    template <typename Answered>
    void whenAnswered(const QDBusPendingCall& call, const QString& summary, const QString& body,
                      Answered answered) {
        auto* watcher = new QDBusPendingCallWatcher(call, this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
                [this, summary, body, answered](QDBusPendingCallWatcher* finished) {
                    finished->deleteLater();
                    const QDBusMessage reply = finished->reply();
                    if (reply.type() != QDBusMessage::ReplyMessage) {
                        Q_EMIT undelivered(summary, body);
                        return;
                    }
                    answered(reply);
                });
    }

    QDBusConnection m_bus;
};

}  // namespace

QString NoticeBodyMarkup(const QString& text) {
    QString markup;
    markup.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'&') {
            markup += QStringLiteral("&amp;");
        } else if (c == u'<') {
            markup += QStringLiteral("&lt;");
        } else if (c == u'>') {
            markup += QStringLiteral("&gt;");
        } else {
            markup += c;
        }
    }
    return markup;
}

std::unique_ptr<DesktopNotices> createDBusDesktopNotices(const QDBusConnection& bus) {
    return std::make_unique<DBusDesktopNotices>(bus);
}
