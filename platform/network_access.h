// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#pragma once

#include <QHash>
#include <QString>
#include <QtGlobal>

class QDataStream;

// How the program reaches the hosts it fetches pages from. The program looks names up the usual
// way; tests route every name to a loopback address or to a failure, so that nothing they run
// leaves the machine or asks a name server.
struct NetworkAccess {
    enum class Route {
        Lookup,        // the system's name lookup (the program)
        Address,       // connect to `address`, keeping the name for the request and its cookies
        Unresolvable,  // the name cannot be resolved
        TimeOut,       // the host never answers
    };
    struct HostRoute {
        Route route = Route::Unresolvable;
        QString address;
    };

    // False: a name that `hosts` does not list cannot be resolved; only IP literals connect. A
    // Platform starts that way; the program's Platform turns the system lookup on.
    bool systemLookup = false;
    // Use the proxies named in the environment (never in tests).
    bool environmentProxies = false;
    qint32 connectTimeoutMs = 15000;
    qint32 totalTimeoutMs = 60000;

    void routeHost(const QString& host, const QString& address);
    void failHost(const QString& host);
    void timeOutHost(const QString& host);

    // How `host` is reached: an IP literal connects to itself, a listed name as listed, any other
    // name through the system lookup when it is on and as unresolvable otherwise.
    HostRoute routeFor(const QString& host) const;

    // The settings and routes as the fetch helper receives them.
    friend QDataStream& operator<<(QDataStream& out, const NetworkAccess& access);
    friend QDataStream& operator>>(QDataStream& in, NetworkAccess& access);

  private:
    QHash<QString, HostRoute> m_hosts;  // by lower-case name
};
