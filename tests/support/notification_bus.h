// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantMap>
#include <memory>
#include <vector>

// A session bus of the test's own: a dbus-daemon on a socket in a temporary folder, which starts
// no service by itself, so nothing of the machine's desktop answers on it.
class PrivateSessionBus {
  public:
    PrivateSessionBus();
    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    // Empty when the bus is up; otherwise why not (no dbus-daemon installed, say).
    QString failure() const { return m_failure; }
    QString address() const { return m_address; }
    // A fresh connection to the bus, named `name` in this process.
    QDBusConnection connect(const QString& name) const;

  private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
    QString m_failure;
};

// A notification service that records each notice it is sent and shows none.
class RecordingNotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
  public:
    struct Notice {
        QString appName;
        uint replacesId;
        QString appIcon;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
        int expireTimeout;
    };

    // Serves as org.freedesktop.Notifications on `bus`, offering `capabilities`.
    RecordingNotificationService(QDBusConnection bus, QStringList capabilities);
    ~RecordingNotificationService() override;
    bool registered() const { return m_registered; }

    std::vector<Notice> notices;

  public Q_SLOTS:
    QStringList GetCapabilities();
    uint Notify(const QString& appName, uint replacesId, const QString& appIcon,
                const QString& summary, const QString& body, const QStringList& actions,
                const QVariantMap& hints, int expireTimeout);
    void CloseNotification(uint id);
    QString GetServerInformation(QString& vendor, QString& version, QString& specVersion);

  private:
    QDBusConnection m_bus;
    QStringList m_capabilities;
    bool m_registered = false;
};

// Skips the running test with `why`, or fails it when CI=true, where every test must run.
#define KV_SKIP_OR_FAIL_WITHOUT(why)                                                 \
    do {                                                                             \
        if (qEnvironmentVariable("CI") == QLatin1String("true")) {                   \
            QFAIL(qPrintable(QStringLiteral("CI needs a private D-Bus: ") + (why))); \
        }                                                                            \
        QSKIP(qPrintable(QStringLiteral("no private D-Bus: ") + (why)));             \
    } while (false)
