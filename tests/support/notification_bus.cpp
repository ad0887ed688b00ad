// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "tests/support/notification_bus.h"

#include <QDBusConnectionInterface>
#include <QFile>
#include <QStandardPaths>

PrivateSessionBus::PrivateSessionBus() {
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty()) {
        m_failure = QStringLiteral("dbus-daemon is not installed (package dbus)");
        return;
    }
    if (!m_dir.isValid()) {
        m_failure = QStringLiteral("no temporary folder");
        return;
    }
    // No <servicedir>: a name nobody owns stays unowned instead of starting a real service.
    const QString config = m_dir.filePath(QStringLiteral("bus.conf"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly)) {
        m_failure = QStringLiteral("the bus configuration cannot be written");
        return;
    }
    file.write(
        "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
        " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
        "<busconfig><type>session</type><listen>unix:dir=" +
        m_dir.path().toUtf8() +
        "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
        "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
        "<allow own=\"*\"/></policy></busconfig>\n");
    file.close();
    m_daemon.start(daemon, {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                            QStringLiteral("--print-address")});
    if (!m_daemon.waitForStarted(10000)) {
        m_failure = QStringLiteral("dbus-daemon did not start");
        return;
    }
    QByteArray line;
    while (!line.contains('\n') && m_daemon.waitForReadyRead(10000)) {
        line += m_daemon.readAllStandardOutput();
    }
    m_address = QString::fromUtf8(line).trimmed();
    if (m_address.isEmpty()) {
        m_failure = QStringLiteral("dbus-daemon gave no address: ") +
                    QString::fromLocal8Bit(m_daemon.readAllStandardError());
    }
}

PrivateSessionBus::~PrivateSessionBus() {
    if (m_daemon.state() != QProcess::NotRunning) {
        m_daemon.terminate();
        if (!m_daemon.waitForFinished(5000)) {
            m_daemon.kill();
            m_daemon.waitForFinished(5000);
        }
    }
}

QDBusConnection PrivateSessionBus::connect(const QString& name) const {
    return QDBusConnection::connectToBus(m_address, name);
}

RecordingNotificationService::RecordingNotificationService(QDBusConnection bus,
                                                           QStringList capabilities)
    : m_bus(std::move(bus)), m_capabilities(std::move(capabilities)) {
    m_registered = m_bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), this,
                                        QDBusConnection::ExportAllSlots) &&
                   m_bus.registerService(QStringLiteral("org.freedesktop.Notifications"));
}

RecordingNotificationService::~RecordingNotificationService() {
    m_bus.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
    m_bus.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
}

QStringList RecordingNotificationService::GetCapabilities() {
    return m_capabilities;
}

uint RecordingNotificationService::Notify(const QString& appName, uint replacesId,
                                          const QString& appIcon, const QString& summary,
                                          const QString& body, const QStringList& actions,
                                          const QVariantMap& hints, int expireTimeout) {
    notices.push_back({appName, replacesId, appIcon, summary, body, actions, hints, expireTimeout});
    return uint(notices.size());
}

void RecordingNotificationService::CloseNotification(uint) {}

QString RecordingNotificationService::GetServerInformation(QString& vendor, QString& version,
                                                           QString& specVersion) {
    vendor = QStringLiteral("Kestrelview tests");
    version = QStringLiteral("1");
    specVersion = QStringLiteral("1.2");
    return QStringLiteral("recorder");
}
