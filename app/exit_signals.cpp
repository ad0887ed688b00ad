// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "app/exit_signals.h"

#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
// [0] is written by the handler, [1] read by the event loop; neither blocks, so a burst of
// signals can never stall the handler.
int g_pair[2] = {-1, -1};

void onSignal(int signalNumber) {
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(g_pair[0], &byte, 1);
    errno = savedErrno;
}

sigset_t exitSignalSet() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signalNumber : kSignals) {
        sigaddset(&set, signalNumber);
    }
    return set;
}

}  // namespace

void ExitSignals::holdUntilInstalled() {
    const sigset_t set = exitSignalSet();
    ::pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

ExitSignals::ExitSignals() {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pair) != 0) {
        return;
    }
    m_notifier = new QSocketNotifier(g_pair[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ExitSignals::readSignal);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : kSignals) {
        ::sigaction(signalNumber, &action, nullptr);
    }
    const sigset_t set = exitSignalSet();
    ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

ExitSignals::~ExitSignals() {
    for (const int signalNumber : kSignals) {
        std::signal(signalNumber, SIG_DFL);
    }
    if (g_pair[0] >= 0) {
        delete m_notifier;
        ::close(g_pair[0]);
        ::close(g_pair[1]);
        g_pair[0] = g_pair[1] = -1;
    }
}

QString ExitSignals::signalName(int signalNumber) {
    switch (signalNumber) {
        case SIGTERM:
            return QStringLiteral("SIGTERM");
        case SIGINT:
            return QStringLiteral("SIGINT");
        case SIGHUP:
            return QStringLiteral("SIGHUP");
        default:
            return QStringLiteral("シグナル %1").arg(signalNumber);
    }
}

void ExitSignals::readSignal() {
    unsigned char byte = 0;
    if (::read(g_pair[1], &byte, 1) == 1) {
        Q_EMIT received(signalName(byte));
    }
}
