// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "app/single_instance.h"

#include <errno.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QThread>
#include <cstring>

#include "platform/paths.h"
#include "platform/platform.h"

namespace {

const QByteArray kActivate = "activate\n";
const QByteArray kActivated = "ok\n";

// Where the socket named `name` lies: in the temporary folder, as local socket names go.
QByteArray socketPath(const QString& name) {
    return QFile::encodeName(QDir(QDir::tempPath()).filePath(name));
}

bool toAddress(const QByteArray& path, sockaddr_un* address) {
    std::memset(address, 0, sizeof *address);
    address->sun_family = AF_UNIX;
    if (path.size() >= qsizetype(sizeof address->sun_path)) {
        return false;
    }
    std::memcpy(address->sun_path, path.constData(), size_t(path.size()));
    return true;
}

int remainingMs(const QDeadlineTimer& deadline) {
    return int(std::max<qint64>(deadline.remainingTime(), 0));
}

}  // namespace

SingleInstance::SingleInstance(const QString& dataFolder, int answerTimeoutMs)
    : m_folder(dataFolder),
      m_answerTimeoutMs(answerTimeoutMs),
      m_lock(AppFilePath(dataFolder, QStringLiteral("\\") + lockFileName())) {
    // Only a holder that is gone makes the lock stale: a copy may run for months.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    while (!m_starts.empty()) {
        dropStart(m_starts.begin()->first);
    }
    m_serverReady.reset();
    if (m_server >= 0) {
        ::close(m_server);
        // The name goes with the copy that answered on it; a later copy's socket stays.
        struct stat now {};
        if (::stat(m_socketPath.constData(), &now) == 0 && quint64(now.st_ino) == m_socketInode) {
            ::unlink(m_socketPath.constData());
        }
    }
}

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
    const QByteArray path = socketPath(serverName(m_folder));
    sockaddr_un address{};
    if (!toAddress(path, &address)) {
        return;
    }
    const int server = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (server < 0) {
        return;
    }
    // Bound in a folder of our own and opened to this user alone before it takes the name, so
    // no one else ever reaches it; a socket file a killed copy left behind is replaced, since the
    // lock says the folder is ours now.
    QByteArray folder = QFile::encodeName(QDir::tempPath()) + "/kestrelview-XXXXXX";
    sockaddr_un bound{};
    if (!::mkdtemp(folder.data()) || !toAddress(folder + "/socket", &bound) ||
        ::bind(server, reinterpret_cast<const sockaddr*>(&bound), sizeof bound) != 0 ||
        ::chmod(bound.sun_path, S_IRUSR | S_IWUSR) != 0 ||
        ::rename(bound.sun_path, address.sun_path) != 0 || ::listen(server, 8) != 0) {
        ::unlink(bound.sun_path);
        ::rmdir(folder.constData());
        ::close(server);
        return;
    }
    ::rmdir(folder.constData());
    struct stat placed {};
    if (::stat(address.sun_path, &placed) == 0) {
        m_socketPath = QByteArray(address.sun_path);
        m_socketInode = quint64(placed.st_ino);
    }
    m_server = server;
    m_serverReady = std::make_unique<QSocketNotifier>(server, QSocketNotifier::Read);
    connect(m_serverReady.get(), &QSocketNotifier::activated, this, &SingleInstance::acceptStarts);
}

void SingleInstance::acceptStarts() {
    for (;;) {
        const int socket = ::accept4(m_server, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (socket < 0) {
            return;
        }
        Start& start = m_starts[socket];
        start.ready = std::make_unique<QSocketNotifier>(socket, QSocketNotifier::Read);
        connect(start.ready.get(), &QSocketNotifier::activated, this,
                [this, socket] { readStart(socket); });
    }
}

void SingleInstance::readStart(int socket) {
    char buffer[64];
    const ssize_t got = ::read(socket, buffer, sizeof buffer);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) {
        return;
    }
    Start& start = m_starts[socket];
    if (got > 0) {
        start.said += QByteArray(buffer, got);
    }
    const qsizetype end = start.said.indexOf('\n');
    if (end < 0 && got > 0 && start.said.size() < 1024) {
        return;
    }
    const bool activate = start.said.left(end + 1) == kActivate;
    if (activate) {
        (void)::send(socket, kActivated.constData(), size_t(kActivated.size()), MSG_NOSIGNAL);
    }
    dropStart(socket);
    if (activate) {
        Q_EMIT activationRequested();
    }
}

void SingleInstance::dropStart(int socket) {
    const auto found = m_starts.find(socket);
    if (found == m_starts.end()) {
        return;
    }
    found->second.ready.reset();
    m_starts.erase(found);
    ::close(socket);
}

bool SingleInstance::askRunningCopy() {
    const QDeadlineTimer deadline(m_answerTimeoutMs);
    sockaddr_un address{};
    if (!toAddress(socketPath(serverName(m_folder)), &address)) {
        return false;
    }
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket < 0) {
        return false;
    }
    const auto answered = [&]() {
        // The running copy may hold the lock a moment before it listens.
        while (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) !=
               0) {
            if (deadline.hasExpired()) {
                return false;
            }
            QThread::msleep(50);
        }
        if (::send(socket, kActivate.constData(), size_t(kActivate.size()), MSG_NOSIGNAL) !=
            kActivate.size()) {
            return false;
        }
        QByteArray answer;
        while (!answer.contains('\n')) {
            pollfd ready{socket, POLLIN, 0};
            if (::poll(&ready, 1, remainingMs(deadline)) <= 0) {
                return false;
            }
            char buffer[64];
            const ssize_t got = ::read(socket, buffer, sizeof buffer);
            if (got <= 0) {
                return false;
            }
            answer += QByteArray(buffer, got);
        }
        return answer.left(answer.indexOf('\n') + 1) == kActivated;
    }();
    ::close(socket);
    return answered;
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
