// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "platform/network_access.h"

#include <QHostAddress>

namespace {

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
    QHostAddress literal;
    if (literal.setAddress(key)) {
        return {Route::Address, key};
    }
    if (systemLookup && !key.isEmpty()) {
        return {Route::Lookup, {}};
    }
    return {Route::Unresolvable, {}};
}
