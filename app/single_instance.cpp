// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "app/single_instance.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include "platform/paths.h"
#include "platform/platform.h"

namespace {

const QByteArray kActivate = "activate\n";
const QByteArray kActivated = "ok\n";

}  // namespace

SingleInstance::SingleInstance(const QString& dataFolder, int answerTimeoutMs)
    : m_folder(dataFolder),
      m_answerTimeoutMs(answerTimeoutMs),
      m_lock(AppFilePath(dataFolder, QStringLiteral("\\") + lockFileName())) {
    // Only a holder that is gone makes the lock stale: a copy may run for months.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::serverName(const QString& dataFolder) {
    const QString canonical = QFileInfo(dataFolder).canonicalFilePath();
    const QByteArray key = (canonical.isEmpty() ? QDir::cleanPath(dataFolder) : canonical).toUtf8();
    const QByteArray hash = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex();
    return QStringLiteral("kestrelview-%1-%2")
        .arg(::getuid())
        .arg(QString::fromLatin1(hash.left(24)));
}

SingleInstance::Claim SingleInstance::claim() {
    if (!m_lock.tryLock(0) && m_lock.error() == QLockFile::LockFailedError) {
        return askRunningCopy() ? Claim::RaisedOther : Claim::OtherSilent;
    }
    // A folder where no lock can be written (read-only, full) has nothing a second copy could
    // overwrite either; this copy runs and answers later starts as best it can.
    listen();
    return Claim::Running;
}

void SingleInstance::listen() {
    // A copy that was killed leaves its socket file behind; the lock says it is ours now.
    const QString name = serverName(m_folder);
    QLocalServer::removeServer(name);
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->canReadLine()) {
                    return;
                }
                if (socket->readLine() == kActivate) {
                    socket->write(kActivated);
                    socket->flush();
                    Q_EMIT activationRequested();
                }
                socket->disconnectFromServer();
            });
        }
    });
    m_server->listen(name);
}

bool SingleInstance::askRunningCopy() {
    const QDeadlineTimer deadline(m_answerTimeoutMs);
    const QString name = serverName(m_folder);
    // The running copy may hold the lock a moment before it listens.
    QLocalSocket socket;
    for (;;) {
        socket.connectToServer(name);
        if (socket.waitForConnected(int(std::max<qint64>(deadline.remainingTime(), 0)))) {
            break;
        }
        if (deadline.hasExpired()) {
            return false;
        }
        QThread::msleep(50);
    }
    socket.write(kActivate);
    if (!socket.waitForBytesWritten(int(std::max<qint64>(deadline.remainingTime(), 0)))) {
        return false;
    }
    while (!socket.canReadLine()) {
        if (deadline.hasExpired() ||
            !socket.waitForReadyRead(int(std::max<qint64>(deadline.remainingTime(), 1)))) {
            return false;
        }
    }
    return socket.readLine() == kActivated;
}

bool ClaimDataFolder(SingleInstance& instance, Platform& platform, int* status) {
    switch (instance.claim()) {
        case SingleInstance::Claim::Running:
            return true;
        case SingleInstance::Claim::RaisedOther:
            *status = 0;
            return false;
        case SingleInstance::Claim::OtherSilent:
            platform.dialogs->message(nullptr,
                                      QStringLiteral("Kestrelview はすでに起動しています。"),
                                      MessageIcon::Exclamation, QStringLiteral("Kestrelview"));
            *status = 1;
            return false;
    }
    return true;
}
