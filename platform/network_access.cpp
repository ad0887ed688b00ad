// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "platform/network_access.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <QDataStream>

namespace {

// An IPv4 address in any form the C library reads (also "127.1" and "0x7f.0.0.1") or an IPv6
// address with or without a zone ("fe80::1%eth0"): no name to look up.
bool isAddressLiteral(const QString& key) {
    if (key.isEmpty() || key.contains(u' ') || key.contains(u'\t')) {
        return false;
    }
    const QByteArray text = key.toLatin1();
    if (key.contains(u':')) {
        const qsizetype zone = text.indexOf('%');
        const QByteArray address = zone < 0 ? text : text.left(zone);
        in6_addr parsed{};
        return inet_pton(AF_INET6, address.constData(), &parsed) == 1;
    }
    in_addr parsed{};
    return inet_aton(text.constData(), &parsed) != 0;
}

QString hostKey(const QString& host) {
    QString key = host.toLower();
    if (key.startsWith(u'[') && key.endsWith(u']')) {
        key = key.mid(1, key.size() - 2);
    }
    return key;
}

}  // namespace

void NetworkAccess::routeHost(const QString& host, const QString& address) {
    m_hosts.insert(hostKey(host), {Route::Address, address});
}

void NetworkAccess::failHost(const QString& host) {
    m_hosts.insert(hostKey(host), {Route::Unresolvable, {}});
}

void NetworkAccess::timeOutHost(const QString& host) {
    m_hosts.insert(hostKey(host), {Route::TimeOut, {}});
}

NetworkAccess::HostRoute NetworkAccess::routeFor(const QString& host) const {
    const QString key = hostKey(host);
    const auto listed = m_hosts.constFind(key);
    if (listed != m_hosts.constEnd()) {
        return *listed;
    }
    if (isAddressLiteral(key)) {
        return {Route::Address, key};
    }
    if (systemLookup && !key.isEmpty()) {
        return {Route::Lookup, {}};
    }
    return {Route::Unresolvable, {}};
}

QDataStream& operator<<(QDataStream& out, const NetworkAccess& access) {
    out << access.systemLookup << access.environmentProxies << access.connectTimeoutMs
        << access.totalTimeoutMs << qint32(access.m_hosts.size());
    for (auto host = access.m_hosts.cbegin(); host != access.m_hosts.cend(); ++host) {
        out << host.key() << qint32(host->route) << host->address;
    }
    return out;
}

QDataStream& operator>>(QDataStream& in, NetworkAccess& access) {
    qint32 count = 0;
    in >> access.systemLookup >> access.environmentProxies >> access.connectTimeoutMs >>
        access.totalTimeoutMs >> count;
    access.m_hosts.clear();
    for (qint32 i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        QString name;
        qint32 route = 0;
        QString address;
        in >> name >> route >> address;
        if (route < qint32(NetworkAccess::Route::Lookup) ||
            route > qint32(NetworkAccess::Route::TimeOut)) {
            in.setStatus(QDataStream::ReadCorruptData);
            break;
        }
        access.m_hosts.insert(name, {NetworkAccess::Route(route), address});
    }
    return in;
}
